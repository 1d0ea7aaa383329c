#include "app/win32/small_windows_win.h"

WinSmallWindows::WinSmallWindows(Store &store, Sound &snd, Game &game, Controls &controls, WinUiHooks &hooks)
    : about(hooks), keys(controls, game, hooks), splash(store, snd, game, hooks), menus(store, game, hooks) {
  menus.about = &about;
  menus.keys = &keys;
  menus.splash = &splash;
  splash.splash_stored = [this](bool on) { menus.SetSplashChecked(on); };
}
