// Program entry on Windows: one copy per user, then the windows in their fixed order (game window,
// about window, key settings window, then the splash window, whose creation reads what the game
// window's creation stored), then the message loop until the program ends with status 0. The small
// windows go before the game window whose state they use.
#include "platform/win32/win_platform.h"

#include <cstdio>
#include <memory>

#include "app/win32/form1_win.h"
#include "sound/snd.h"
#if __has_include("app/win32/small_windows_win.h")
#include "app/win32/small_windows_win.h"
#define KT_SMALL_WINDOWS 1
#endif

namespace {

int RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // A second copy for the same settings would write its older values over the running one's: it
  // says so, brings the running copy to the front and ends before it reads or writes anything.
  WinInstance instance;
  if (!instance.Acquire()) {
    std::fprintf(stderr, "ktusko: already running for this user; this copy ends\n");
    Plat_Info_Box(nullptr,
                  "Kellup Tusko Lumo Special Edition is already running.\n\nThis copy ends now, so that the two "
                  "cannot write over each other's high scores and settings.");
    WinInstance::AskRunningToFront();
    return 0;
  }

  TForm1 form1;
  const bool ok = form1.FormCreate();
#ifdef KT_SMALL_WINDOWS
  WinUiHooks hooks;
  hooks.end_program = [&form1] { form1.Close(); };
  hooks.shell_open = Plat_Shell_Open;
  hooks.program_file = [&form1](const char *name) { return form1.cfg.program_folder + name; };
  hooks.show_game = [&form1] { form1.ShowGame(); };
  hooks.enable_game = [&form1](bool on) { EnableWindow(form1.Handle(), on); };
  hooks.hints_changed = [] {};
  hooks.invalidate = [&form1](const Rect &r) { form1.Invalidate(r); };
  hooks.fit_to_screen = [&form1] { return form1.FitToScreen(); };
  hooks.set_fit_to_screen = [&form1](bool on) { form1.SetFitToScreen(on); };
  hooks.window_mode = [&form1] { return form1.WindowMode(); };
  hooks.set_window_mode = [&form1](bool on) { form1.SetWindowMode(on); };
  hooks.lcd_effects = [&form1] { return form1.Lcd_Effects(); };
  hooks.set_lcd_effects = [&form1](const LcdEffectSettings &s) { form1.Set_Lcd_Effects(s); };
  // The small windows are made while the skin's pictures are decoded; the skin is laid out after.
  std::unique_ptr<WinAbout> about;
  std::unique_ptr<WinKeys> keys;
  std::unique_ptr<WinMenus> menus;
  std::unique_ptr<WinSplash> splash;
  if (form1.store) {
    about = std::make_unique<WinAbout>(hooks);
    keys = std::make_unique<WinKeys>(form1.controls, form1.game, hooks);
    menus = std::make_unique<WinMenus>(*form1.store, form1.game, hooks);
    menus->about = about.get();
    menus->keys = keys.get();
    WinMenus &m = *menus;
    form1.menus.shortcut = [&m](uint16_t vk) { return m.Shortcut(vk); };
    form1.menus.mouse_down = [&m](int32_t x, int32_t y) { return m.MouseDown(x, y); };
    form1.menus.mouse_up = [&m](int32_t x, int32_t y) { return m.MouseUp(x, y); };
    form1.menus.hand_at = [&m](int32_t x, int32_t y) { return m.HandCursorAt(x, y); };
    form1.menus.mouse_move = [&m](int32_t x, int32_t y) { m.MouseMove(x, y); };
    form1.menus.draw = [&m](HDC dc, double scale) { m.Draw(dc, scale); };
    form1.menus.popup = [&m, &form1](POINT p) { m.Popup(form1.Handle(), p); };
    form1.menus.pixel_scale = [&m](double s) { m.Use_Pixel_Scale(s); };
    form1.menus.relayout = [&m] { m.Vid_Display_Game_Menu(); };
    m.Use_Pixel_Scale(form1.Scale());
  }
  form1.LoadFirstStage();
  int status = 0;
  if (ok) {
    splash = std::make_unique<WinSplash>(*form1.store, form1.snd, form1.game, hooks);
    menus->splash = splash.get();
    splash->splash_stored = [&m = *menus](bool on) { m.SetSplashChecked(on); };
    // Unless its creation took the direct path (a stored driver, the splash switched off), the
    // splash window comes up in front and its play action brings the game window on screen.
    if (splash->Create()) splash->Show();
  }
  status = RunMessageLoop();
  // The small windows close before the game window shuts down.
  form1.Shutdown();
  splash.reset();
  menus.reset();
  keys.reset();
  about.reset();
  return status;
#else
  form1.LoadFirstStage();
  if (ok) {
    // Without the splash window: the stored sound driver, "(no sound)" when none is stored yet.
    const int32_t mode = form1.store->ReadInteger("SoundMode", -1);
    form1.Play(kSoundDrivers[mode >= 0 && mode <= 2 ? mode : 2]);
  }
  return RunMessageLoop();
#endif
}
