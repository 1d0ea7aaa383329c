// The platform adapters over Win32: timers, the settings store in the registry, screen and text
// metrics, local time, the desktop shell, the one-copy-per-user lock and message boxes. Text is
// UTF-8 inside the program and UTF-16 at every system call.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/screen.h"
#include "platform/store.h"
#include "platform/timer.h"
#include "platform/wide.h"

// UTF-8 <-> UTF-16.
inline std::wstring Plat_Wide(const std::string &utf8) { return Sys_Wide(utf8); }
inline std::string Plat_Utf8(const std::wstring &wide) { return Sys_Utf8(wide); }
// The system's text for an error code (GetLastError, LSTATUS), in UTF-8.
inline std::string Plat_Error_Text(DWORD code) { return Sys_Error_Text(code); }

// The window procedure of a window that an object of class W keeps: the object given to
// CreateWindowExW as its last argument is kept with the window, gets its handle in hwnd_ at
// WM_NCCREATE and handles every message from then on (W::Handle). W befriends this template.
template <class W>
LRESULT CALLBACK Plat_Window_Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto *self = static_cast<W *>(reinterpret_cast<CREATESTRUCTW *>(lp)->lpCreateParams);
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = h;
  }
  auto *self = reinterpret_cast<W *>(GetWindowLongPtrW(h, GWLP_USERDATA));
  return self ? self->Handle(msg, wp, lp) : DefWindowProcW(h, msg, wp, lp);
}

// Timers timed on a helper thread with a high-resolution waitable timer (not the 15.6 ms steps of
// window-message timers); each due period is posted to the GUI thread, where the handler runs.
// Create the driver on the GUI thread; timers are used on that thread only.
class WinTimerDriver : public TimerDriver {
 public:
  WinTimerDriver();
  ~WinTimerDriver() override;
  std::unique_ptr<Timer> Create(const std::string &name, Timer::Handler handler) override;
  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// The per-user settings store: the registry key HKEY_CURRENT_USER\Software\Zandrel\KTuskoSE50,
// every value as text (REG_SZ). A write that fails is reported through write_failed with the key
// and the system's reason; the value is kept and written with the next write that succeeds.
class WinStore : public Store {
 public:
  static constexpr const wchar_t *kKey = L"Software\\Zandrel\\KTuskoSE50";
  std::optional<std::string> ReadText(const std::string &name) override;
  bool WriteText(const std::string &name, const std::string &text) override;

 private:
  std::map<std::string, std::string> held_;  // values whose write failed
};

// The primary screen in physical pixels (the program is DPI aware), the labels' text measured in
// the game's fonts, the local time.
class WinScreen : public Screen {
 public:
  int32_t Width() override;
  int32_t Height() override;
  void TextSize(Font font, const std::string &text, int32_t *w, int32_t *h) override;
  void LocalTime(int32_t *hour, int32_t *minute) override;
};

// The label font of the stage intro screen at a scale (Arial at a character height); the caller
// deletes it.
HFONT Plat_Font(Font font, double scale);

// Opens a file or an address with the program Windows associates with it; failures are silent.
void Plat_Shell_Open(const std::string &what);

// One running copy per user: a named mutex in the user's session. A later copy finds the running
// one's game window by its class and brings it to the front.
class WinInstance {
 public:
  static constexpr const wchar_t *kWindowClass = L"KTuskoSE50.Game";
  ~WinInstance();
  // Takes the lock; false when another copy holds it.
  bool Acquire();
  // Brings the running copy's visible window to the front; false when none is found.
  static bool AskRunningToFront();

 private:
  HANDLE mutex_ = nullptr;
};

// Message boxes with one OK button and the game's title: an error, a note and a warning that wait
// for OK, and a warning that neither stops the game nor waits (shown from a thread of its own).
void Plat_Error_Box(HWND owner, const std::string &text);
void Plat_Info_Box(HWND owner, const std::string &text);
void Plat_Warning_Box(HWND owner, const std::string &text);
void Plat_Warning_Box(const std::string &text);
