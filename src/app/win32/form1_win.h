// TForm1, the game window on Windows: a borderless window covering the screen (or a resizable
// window with a title bar) that owns the game, its elements and the platform services. It paints
// the LCD into a 32-bit picture of window pixels (display/lcd_raster.h), from the pictures it keeps
// at the window's resolution when scaled (display/lcd_layers.h), copies the changed parts to the
// screen, and turns keys (their virtual-key codes as they come) and the mouse on the button faces
// into control presses and releases.
#pragma once
#include "platform/win32/win_platform.h"

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "config/config.h"
#include "display/lcd_effects.h"
#include "display/lcd_layers.h"
#include "display/lcd_view.h"
#include "game/game.h"
#include "input/keys.h"
#include "input/pad.h"
#include "platform/pad.h"
#include "platform/random.h"
#include "platform/soundlib.h"
#include "sound/snd.h"

class TForm1 : public LcdSink {
 public:
  TForm1();
  ~TForm1() override;

  // Makes the window (not shown yet) and runs the start-up sequence; false when a start-up failure
  // was reported and the program is ending.
  bool FormCreate();
  // Lays out the first stage's skin from the pictures FormCreate started decoding.
  void LoadFirstStage();
  // The play action: starts the sound with driver, brings the window on screen and shows the
  // clock. False when it ended the program (the sound or the screen cannot be used).
  bool Play(const std::string &driver);
  // Centres and sizes the window on the screen; in window mode it comes up where it was last.
  void CenterOnScreen();
  bool FitToScreen() const { return fit_; }
  void SetFitToScreen(bool fit);
  bool WindowMode() const { return window_mode_; }
  void SetWindowMode(bool window);
  // Shutdown: stops every timer, frees the samples, closes the sound library and the store. Once.
  void Shutdown();
  // Asks the program to end with status 0 (as a close request does).
  void Close();
  HWND Handle() const { return hwnd_; }
  double Scale() const { return scale_.scale; }

  // The play action's second half, after the sound was started: brings the window on screen in
  // front (the clock is started by the caller).
  void ShowGame();

  // What the menus add to the window (all optional): shortcut keys before the key bindings, the
  // left button on the game menu (skin's screen; true when taken), the hand pointer, drawing the
  // open game menu over the LCD, the context menu at a screen point, the picture scale and the
  // game menu laid out again after the skin was.
  struct Menus {
    std::function<bool(uint16_t vk)> shortcut;
    std::function<bool(int32_t x, int32_t y)> mouse_down, mouse_up, hand_at;
    std::function<void(int32_t x, int32_t y)> mouse_move;
    std::function<void(HDC dc, double scale)> draw;
    std::function<void(POINT screen)> popup;
    std::function<void(double pixel_scale)> pixel_scale;
    std::function<void()> relayout;
  } menus;
  // Called when the program should end (a close request, Esc); by default leaves the message loop
  // with status 0.
  std::function<void()> end_program;

  Config cfg;
  Sound snd;
  Controls controls;
  Game game;
  std::unique_ptr<Store> store;

  // LcdSink
  void Invalidate(const Rect &r) override;

  const LcdEffectSettings &Lcd_Effects() const { return lcd_fx_.Settings(); }
  void Set_Lcd_Effects(const LcdEffectSettings &s);

 private:
  template <class W>
  friend LRESULT CALLBACK Plat_Window_Proc(HWND, UINT, WPARAM, LPARAM);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void Paint();
  void KeyDown(uint16_t vk, bool repeat);
  void KeyUp(uint16_t vk);
  void ReleaseMoveKeys();
  int ControlOfKey(uint16_t vk) const;
  int FaceAt(int32_t x, int32_t y) const;  // control whose face lies under a skin point, or 0
  void ApplyView();
  void FollowDpi(RECT suggested);
  void ResizeBuffer(int w, int h);
  Rect WindowedGeometry();
  void RememberWindowGeometry();
  void ApplyWindowStyle(const Rect &client);
  void ReportSkinProblem(const char *what);
  void ReportStoreFailure(const std::string &why);
  void ShowStoreFailure();
  int64_t Now() const;
  // Gamepads: watched on a thread of their own once the window shows its first picture; each
  // change of the controls they hold is queued and handed to this thread.
  void StartGamepads();
  void TakePadChanges();
  std::unique_ptr<PadWatch> pad_watch_;
  std::mutex pad_mutex_;
  std::deque<std::pair<PadState, int>> pad_changes_;
  PadState pad_last_;    // on the watching thread: the last state handed on
  int pad_last_count_ = 0;
  PadHeld pad_held_;     // the controls the gamepads hold
  bool pads_asked_ = false;
  // Hints: one tool over the whole window whose text is the hint of what lies under the pointer.
  void MakeHints();
  std::string HintAt(int32_t x, int32_t y) const;
  HWND tooltip_ = nullptr;
  std::wstring hint_;   // the text shown
  std::string hovered_;  // the hint under the pointer

  HWND hwnd_ = nullptr;
  HDC memory_dc_ = nullptr;
  HBITMAP dib_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
  uint32_t *pixels_ = nullptr;
  int buffer_w_ = 0, buffer_h_ = 0;

  WinTimerDriver timer_driver_;
  WinScreen screen_;
  ViewScreen view_screen_{screen_};
  Lcd_Scale scale_;
  LcdEffects lcd_fx_;
  Lcd_Layers layers_;  // the skin's pictures at the window's resolution
  std::unique_ptr<DefaultRng> rng_;
  std::unique_ptr<SoundLib> sound_lib_;
  std::set<uint16_t> keys_down_;
  std::set<std::string> skin_problems_seen_;
  bool store_failure_told_ = false;
  std::string store_failure_text_;
  int mouse_control_ = 0;
  bool fit_ = true;
  bool window_mode_ = false;
  bool on_screen_ = false;
  bool skin_loaded_ = false;
  bool first_stage_pending_ = false;
  bool fading_ = false;
  bool shut_down_ = false;
  bool played_ = false;
  bool geometry_pending_ = false;
  int64_t clock_start_ = 0;
};
