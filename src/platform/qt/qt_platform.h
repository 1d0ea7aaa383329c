// The platform adapters over Qt: timers, the settings store, screen and text metrics, local time,
// the desktop shell, key codes and the fallback picture decoder.
#pragma once
#include <QObject>
#include <QString>
#include <map>
#include <memory>
#include <string>

#include "platform/screen.h"
#include "platform/store.h"
#include "platform/timer.h"

class QKeyEvent;

// Timers delivered on the GUI thread, each at its due time to the microsecond where the system
// allows (a timerfd; otherwise Qt's precise timer, in whole milliseconds), the timers due at once
// in the order of their due times (equal ones in the order they were armed). Make and use it on
// the GUI thread; once the driver is gone, timers left never fire.
class QtTimerDriver : public TimerDriver {
 public:
  QtTimerDriver();
  ~QtTimerDriver() override;
  std::unique_ptr<Timer> Create(const std::string &name, Timer::Handler handler) override;
  class Impl;

 private:
  std::shared_ptr<Impl> impl_;
};

// The per-user settings store: organisation "Zandrel", application "KTuskoSE50", an INI file in
// the user's configuration folder. The file is read whole once, when the store is made; every write
// rewrites it whole (a new file beside it, made durable, then renamed over it), so a write that
// fails leaves the old file as it was. A write that fails is reported through write_failed with
// the file's path and the reason. When something other than a file or a folder (a pipe, a device)
// is in the file's place, it is never opened: values are kept in memory and every write reports
// it, until a write finds the place free or a file again. A file that is larger than
// kMaxFileBytes or cannot be read is never written during the run: nothing it holds is lost.
class QtStore : public Store {
 public:
  static constexpr int64_t kMaxFileBytes = 1 << 20;
  QtStore();
  ~QtStore() override;
  // The settings file of the current user (found without reading it).
  static QString FilePath();
  std::optional<std::string> ReadText(const std::string &name) override;
  bool WriteText(const std::string &name, const std::string &text) override;
  bool WriteTexts(const std::vector<std::pair<std::string, std::string>> &values) override;
  // While on, a write of values the file already holds as they are is done without rewriting it:
  // the start-up stores the preferences it has just read, and each rewrite waits for the disk.
  void LeaveUnchangedUnwritten(bool on) { leave_unchanged_ = on; }

 private:
  // Reads the file into file_; false when refused_ says why its place was not opened.
  bool Load();
  // Writes file_ in place of the file; the reason when that failed, else empty.
  std::string Save();
  StoreFile file_;
  std::map<std::string, std::string> written_;  // values written this run, as stored
  bool loaded_ = false;                         // the file was read (or found missing)
  std::string refused_;                         // why its place was not opened (tried at each write)
  std::string kept_;                            // why the file is never written during this run
  bool leave_unchanged_ = false;
  bool left_files_removed_ = false;  // an earlier copy's leftover new files were looked for
};

// Makes a folder and the folders above it that are missing; 0, or the error of the step that failed.
int Plat_Make_Folders(const std::string &dir);

class QtScreen : public Screen {
 public:
  int32_t Width() override;
  int32_t Height() override;
  void TextSize(Font font, const std::string &text, int32_t *w, int32_t *h) override;
  void LocalTime(int32_t *hour, int32_t *minute) override;
};

// The label fonts of the stage intro screen: Arial (or its metric twin) at a character height.
class QFont;
QFont Plat_Font(Font font);
// The Windows virtual-key code of a key event's physical key under the active layout (the bindable
// keys, Enter 13 and Esc 27), or 0; the typed text and Shift play no part.
uint16_t Plat_Virtual_Key(const QKeyEvent *e);
// The unshifted keysym of a key from its X core mapping (group 1 and group 2 first, two levels
// each) for the layout group in an X key event's state; 0 when the mapping has none.
uint32_t Plat_Group_Keysym(const uint32_t *syms, int n, uint32_t state);
// A skin rectangle as a Qt rectangle. Coordinates are kept within +-2^29, far beyond any screen, so
// that the far edge and every sum Qt forms from it stay representable however large the numbers.
struct Rect;
class QRect;
QRect Plat_QRect(const Rect &r);
// Opens a file or an address with the desktop's default program; false when the desktop has no
// way to (no launcher found). A launcher that then fails is not seen here.
bool Plat_Shell_Open(const std::string &what);
// Registers Qt's image reader for picture formats other than PNG and JPEG.
void Plat_Register_Image_Fallback();
