// TForm1, the game window: a borderless window covering the screen that owns the game, its
// elements and the platform services, composites the visible elements in stacking order and turns
// key and mouse events into control presses and releases.
#pragma once
#include <QElapsedTimer>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "config/config.h"
#include "app/qt/layer_cache.h"
#include "app/qt/lcd_painter.h"
#include "app/qt/view.h"
#include "game/game.h"
#include "input/keys.h"
#include "input/pad.h"
#include "platform/qt/qt_platform.h"
#include "platform/random.h"
#include "platform/soundlib.h"
#include "sound/snd.h"

class GameMenus;
class PadPoller;
class Plat_Bench_Pad;

class TForm1 : public QWidget, public LcdSink {
  Q_OBJECT
 public:
  TForm1();
  ~TForm1() override;

  // Start-up sequence; false when a start-up failure was reported and the program is ending.
  bool FormCreate();
  // Lays out the first stage's skin from the pictures FormCreate started decoding (waiting for
  // them); the other windows are created in between. Nothing when FormCreate found no stage.
  void LoadFirstStage();
  // Centres and sizes the window on the screen (the splash window's play action); in window mode
  // the window comes up with its title bar where it was last.
  void CenterOnScreen();
  // Fit to screen (true, the default) or the original size, one skin pixel a screen pixel.
  bool FitToScreen() const { return fit_; }
  void SetFitToScreen(bool fit);
  // A resizable window with a title bar (true) or the whole screen without a border.
  bool WindowMode() const { return window_mode_; }
  void SetWindowMode(bool window);
  // How the skin's screen is drawn onto the window (window pixels; the device's own pixels are
  // that times the desktop's scale).
  const View &view() const { return view_; }
  // Window pixels per skin pixel for a window of w x h: the fit scale, or at the original size 1
  // while the skin fits and the fit scale while the window is too small for it.
  double ScaleFor(int w, int h) const;
  // True when the whole screen, laid out as the play action will lay it out, gives the skin at
  // least 1024 x 768 (the stored window size and window mode play no part).
  bool ScreenLargeEnough() const;
  // Brings forward the window that takes input: the splash before Play, a small window the game
  // window waits on (key settings), else the game window; a minimised one is restored.
  void BringToFront();
  // The desktop's primary screen (replaceable by tests).
  Screen *desktop = nullptr;
  // Shutdown: stops every timer, closes the small windows, then frees the samples and closes the
  // sound library and the settings store. Runs once; nothing of the game runs afterwards.
  void Shutdown();
  // The first activation: the splash window comes up (while it is still pending).
  void FormActivate();
  // The small windows (splash, about, key settings), closed before anything is released.
  void AddSmallWindow(QWidget *w);
  // Leaves the event loop with status 0 after a close request; replaceable so that tests keep
  // their own loop.
  std::function<void()> end_program;

  Config cfg;
  Sound snd;
  Controls controls;
  Game game;
  std::unique_ptr<Store> store;
  bool splash_pending = true;
  std::unique_ptr<GameMenus> menus;  // the context menu and the game menu (made at start-up)

  // LcdSink
  void Invalidate(const Rect &r) override;

  // The LCD effects as set; changing them stores them and repaints.
  const LcdEffectSettings &Lcd_Effects() const { return lcd_fx_.Settings(); }
  void Set_Lcd_Effects(const LcdEffectSettings &s);

 signals:
  void FirstActivation();
  // The window has painted its first picture (once); what it does not need for that comes now.
  void FirstPicture();

 protected:
  void paintEvent(QPaintEvent *e) override;
  void keyPressEvent(QKeyEvent *e) override;
  void keyReleaseEvent(QKeyEvent *e) override;
  void mousePressEvent(QMouseEvent *e) override;
  void mouseReleaseEvent(QMouseEvent *e) override;
  void mouseMoveEvent(QMouseEvent *e) override;
  bool event(QEvent *e) override;
  void closeEvent(QCloseEvent *e) override;
  void resizeEvent(QResizeEvent *e) override;
  void moveEvent(QMoveEvent *e) override;

 private:
  int ControlOfKey(uint16_t vk) const;  // first control bound to vk, or 0
  void StartGamepads();
  int FaceAt(const QPoint &p) const;  // control whose button face lies under p (skin screen), or 0
  // Works out the scale and the skin's screen for the window's size; lays the skin out again
  // when they changed (once the skin is loaded).
  void ApplyView();
  QRect WindowedGeometry();           // where the window goes in window mode
  void RememberWindowGeometry();
  void ReportSkinProblem(const char *what);
  void ShowSkinProblems();
  void ShowOwnedBoxesAgain();
  void ReportStoreFailure(const std::string &why);
  bool store_failure_told_ = false;
  QtStore *settings_ = nullptr;  // the store, as the settings file it is
  QSet<QString> skin_problems_seen_;
  QStringList skin_problems_pending_;
  QSet<uint16_t> keys_down_;  // keys whose press this window received, until their release
  std::unique_ptr<PadPoller> pad_poller_;  // gamepads (none with KT_NO_GAMEPAD=1 set)
  std::unique_ptr<Plat_Bench_Pad> bench_pad_;  // KT_BENCH_PAD's virtual pad (measuring aid)
  PadHeld pad_held_;                       // the controls the gamepads hold
  QList<QPointer<QWidget>> small_windows_;
  App_Dirty dirty_;  // what changed since the last paint, gathered into a few rectangles
  int64_t Now() const;  // milliseconds of the fade clock
  void FadeStep();
  void PrefaultBackingStore();
  const void *prefaulted_ = nullptr;  // the window picture whose pages were mapped in advance
  LcdEffects lcd_fx_;
  App_Layer_Cache layers_;  // the skin's pictures at the window's resolution
  QElapsedTimer fade_clock_;
  QTimer fade_timer_;  // runs only while a segment fades

  QtTimerDriver timer_driver_;
  QtScreen screen_;
  ViewScreen view_screen_{screen_};
  View view_;         // skin-screen pixels onto window pixels
  View device_view_;  // the same onto the device's pixels, where the skin is painted
  double ratio_ = 1.0;  // device pixels per window pixel (the desktop's scale)
  bool fit_ = true;
  bool window_mode_ = false;
  bool on_screen_ = false;  // placed by the play action
  bool skin_loaded_ = false;
  bool first_stage_pending_ = false;
  bool pads_asked_ = false;  // gamepads are looked for after the first picture
  QTimer geometry_timer_;
  std::unique_ptr<DefaultRng> rng_;
  std::unique_ptr<SoundLib> sound_lib_;
  int mouse_control_ = 0;  // control pressed with the mouse, until its release
  bool shut_down_ = false;
};

// Shows an error-type message box with one OK button.
void App_Error_Box(QWidget *parent, const QString &text);
