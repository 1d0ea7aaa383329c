// The Windows shell's small windows and menus: the splash, about and key settings windows, the
// context menu, the on-screen game menu and the message boxes. Native windows made from code with
// the wide APIs, laid out from app/ui scaled by the window's DPI. They reach the game window only
// through WinUiHooks; text, message boxes and the desktop shell come from platform/win32.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "app/ui/ui.h"
#include "display/lcd_effects.h"
#include "platform/win32/win_platform.h"

struct Game;
struct Sound;
class Store;

// What the small windows ask of the game window. Unset hooks are skipped.
struct WinUiHooks {
  std::function<void()> end_program;                    // asks the message loop to end (exit 0)
  std::function<void(const std::string &)> shell_open;  // desktop shell "open" (Plat_Shell_Open)
  std::function<std::string(const char *)> program_file;  // a file of the program folder (UTF-8 path)
  std::function<void()> show_game;                      // the play action: centre, show and activate it
  std::function<void(bool)> enable_game;                // false while the key settings window is up
  std::function<void()> hints_changed;                  // the button hints were rebuilt
  std::function<void(const Rect &)> invalidate;         // repaint a part of the skin's screen
  std::function<bool()> fit_to_screen;
  std::function<void(bool)> set_fit_to_screen;
  std::function<bool()> window_mode;
  std::function<void(bool)> set_window_mode;
  std::function<LcdEffectSettings()> lcd_effects;
  std::function<void(const LcdEffectSettings &)> set_lcd_effects;
};

// "About this game...": the sound driver and the play action. Create() is the window's creation:
// with a stored driver and the splash switched off it plays at once and is never seen.
class WinSplash {
 public:
  WinSplash(Store &store, Sound &snd, Game &game, WinUiHooks &hooks);
  ~WinSplash();
  // Texts, driver and check box from the store; then the direct path or the prepared window.
  // False when the direct path ran (the window will not be shown).
  bool Create();
  // Shows the window centred in front (the game window's first activation), unless already played.
  void Show();
  bool Checked() const;  // "Display this splash screen at startup"
  bool Played() const { return played_; }
  HWND Handle() const { return hwnd_; }
  std::function<void(bool)> splash_stored;  // the play action stored the splash preference

  // The window's own actions (also for tests and for the program's key handling).
  void PlayClick();
  bool KeyDown(uint16_t vk);
  template <class W>
  friend LRESULT CALLBACK Plat_Window_Proc(HWND, UINT, WPARAM, LPARAM);

 private:
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void Build();
  void UpdatePlay();
  Store &store_;
  Sound &snd_;
  Game &game_;
  WinUiHooks &hooks_;
  HWND hwnd_ = nullptr;
  HWND cb_sound_ = nullptr, chb_ = nullptr;
  struct Fonts;
  Fonts *fonts_ = nullptr;
  int dpi_ = 96;
  bool played_ = false;
  bool play_enabled_ = false;
  int pressed_ = 0;  // the clickable element the left button went down on
};

// "About the author...": the studio's portrait, facts and two links. Closing only hides it.
class WinAbout {
 public:
  explicit WinAbout(WinUiHooks &hooks);
  ~WinAbout();
  void Show();
  void Hide();
  HWND Handle() const { return hwnd_; }
  template <class W>
  friend LRESULT CALLBACK Plat_Window_Proc(HWND, UINT, WPARAM, LPARAM);

 private:
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void Create();
  WinUiHooks &hooks_;
  HWND hwnd_ = nullptr;
  int dpi_ = 96;
  int pressed_ = 0;
};

// "Key settings": one list of the 44 keys per control; clashes in red; Accept stores Key1 .. Key8.
class WinKeys {
 public:
  WinKeys(Controls &controls, Game &game, WinUiHooks &hooks);
  ~WinKeys();
  // Centres the window on the screen, shows it and disables the game window.
  void Show(HWND owner);
  bool Visible() const;
  HWND Handle() const { return hwnd_; }
  // The selected key index (1 .. 44, 0 for none) of list i; Select sets it as the player would.
  int32_t Selected(int i) const;
  void Select(int i, int32_t key_index);
  bool AcceptEnabled() const;
  void Accept();
  void Cancel();  // Esc: closed, nothing stored, the lists keep the choices
  bool KeyDown(uint16_t vk);
  template <class W>
  friend LRESULT CALLBACK Plat_Window_Proc(HWND, UINT, WPARAM, LPARAM);

 private:
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void Create();
  void Check();
  void Close();
  Controls &controls_;
  Game &game_;
  WinUiHooks &hooks_;
  HWND hwnd_ = nullptr;
  HWND cb_[kControls + 1] = {};
  HWND accept_ = nullptr;
  bool clash_[kControls + 1] = {};
  int dpi_ = 96;
  struct Fonts;
  Fonts *fonts_ = nullptr;
};

// The context menu (right-click, shortcut keys) and the on-screen game menu (top-left corner),
// drawn and hit-tested inside the game window.
class WinMenus {
 public:
  WinMenus(Store &store, Game &game, WinUiHooks &hooks);
  ~WinMenus();
  WinAbout *about = nullptr;
  WinKeys *keys = nullptr;
  WinSplash *splash = nullptr;  // its check box is the splash entry's default

  // Opens the context menu at a screen position and runs the chosen entry.
  void Popup(HWND owner, POINT screen);
  // A key pressed in the game window: runs a shortcut (before the key bindings); true when taken.
  bool Shortcut(uint16_t vk);
  // The left mouse button on the game window, at a point of the skin's screen; true when the
  // menus took it (the game window then leaves it alone).
  bool MouseDown(int32_t x, int32_t y);
  bool MouseUp(int32_t x, int32_t y);
  // The pointer moved (skin's screen): the row under it is highlighted.
  void MouseMove(int32_t x, int32_t y);
  // True where the pointer shows a hand: the menu icon and the enabled rows.
  bool HandCursorAt(int32_t x, int32_t y) const;
  // Draws the open game menu's rows over the game window: scale window pixels per skin pixel.
  void Draw(HDC dc, double scale) const;
  // Gives the game menu its picture for the window's device pixels per skin pixel.
  void Use_Pixel_Scale(double pixel_scale);
  // Makes the screen agree with game.menu_open.
  void Vid_Display_Game_Menu();
  // Runs an entry's action.
  void Run(MenuCommand c);
  bool Checked(MenuCommand c) const;
  void SetSplashChecked(bool on) { splash_checked_ = on; }

 private:
  bool Inside(int element, int32_t x, int32_t y) const;
  void Invalidate(const Rect &r);
  void ShowMenuPicture();
  Store &store_;
  Game &game_;
  WinUiHooks &hooks_;
  bool splash_checked_ = true;
  int hover_ = 0;    // the highlighted row, 0 for none
  int pressed_row_ = 0;
  enum class Pressed { None, Icon, Logo, Row } pressed_ = Pressed::None;
  double pixel_scale_ = 1.0;
  PictureRef icon_;
};

// The four together, made in the program's order (about, key settings, splash, menus) and wired to
// each other: the menus open the about and key settings windows, take the splash window's check
// box as their default and follow the preference its play action stores. Run splash.Create()
// once the game window is ready; show the splash at the game window's first activation when it
// returned true.
struct WinSmallWindows {
  WinSmallWindows(Store &store, Sound &snd, Game &game, Controls &controls, WinUiHooks &hooks);
  WinAbout about;
  WinKeys keys;
  WinSplash splash;
  WinMenus menus;
};
