// The context menu (TrackPopupMenu, built from the shared entries each time it opens) and the
// on-screen game menu, whose rows the game window draws and hit-tests through this class.
#include <windows.h>

#include <algorithm>

#include "app/embedded_pictures.h"
#include "app/studio.h"
#include "app/win32/small_windows_win.h"
#include "app/win32/ui_draw_win.h"
#include "display/lcd.h"
#include "game/game.h"
#include "platform/screen.h"
#include "platform/store.h"

namespace {

// Menu item identifiers: entries by their place in the table, then the LCD effects submenu.
constexpr UINT kEntryId = 100, kLcdClassic = 200, kLcdShadow = 201, kLcdFade = 202, kGhostId = 300;

const MenuEntry &Entry(int row) { return Ui_Menu_Entries()[static_cast<size_t>(row - 1)]; }

}  // namespace

WinMenus::WinMenus(Store &store, Game &game, WinUiHooks &hooks) : store_(store), game_(game), hooks_(hooks) {
  // The game menu starts closed: only the icon of its picture shows.
  Use_Pixel_Scale(game_.screen ? game_.screen->PixelScale() : 1.0);
  Lcd_Set_Rect(game_.lcd, el::btn_game_menu_background, kGameMenuClosed);
  Lcd_Set_Rect(game_.lcd, el::btn_game_menu_top, kGameMenuClosed);
  game_.lcd.e[el::im_logo].hint = "Click to open website";
}

WinMenus::~WinMenus() = default;

void WinMenus::Use_Pixel_Scale(double pixel_scale) {
  if (icon_ && pixel_scale == pixel_scale_) return;
  pixel_scale_ = pixel_scale;
  // The closed menu keeps only its icon: the whole picture is held only while the menu is open.
  const PictureRef whole = App_Picture("game_menu", pixel_scale);
  icon_ = nullptr;
  if (whole) {
    const int k = std::max(1, whole->scale);
    auto icon = std::make_shared<Picture>();
    icon->scale = k;
    icon->opaque = whole->opaque;
    icon->width = std::min(whole->width, kGameMenuClosed.width * k);
    icon->height = std::min(whole->height, kGameMenuClosed.height * k);
    icon->pixels.resize(static_cast<size_t>(icon->width) * icon->height);
    for (int y = 0; y < icon->height; ++y)
      for (int x = 0; x < icon->width; ++x) icon->pixels[static_cast<size_t>(y) * icon->width + x] = whole->At(x, y);
    icon_ = std::move(icon);
  }
  ShowMenuPicture();
}

void WinMenus::ShowMenuPicture() {
  PictureRef pic = game_.menu_open ? App_Picture("game_menu", pixel_scale_) : icon_;
  if (pic && pic != game_.lcd.e[el::btn_game_menu_background].pic)
    Lcd_Set_Picture(game_.lcd, el::btn_game_menu_background, std::move(pic));
}

void WinMenus::Invalidate(const Rect &r) {
  if (hooks_.invalidate) hooks_.invalidate(r);
}

void WinMenus::Vid_Display_Game_Menu() {
  hover_ = 0;
  pressed_ = Pressed::None;
  ShowMenuPicture();
  // The rows lie inside the open menu's rectangle: repainting it shows them or takes them away.
  Lcd_Set_Rect(game_.lcd, el::btn_game_menu_background, game_.menu_open ? kGameMenuOpen : kGameMenuClosed);
  Invalidate(kGameMenuOpen);
}

bool WinMenus::Checked(MenuCommand c) const {
  switch (c) {
    case MenuCommand::SplashScreen: return splash_checked_;
    case MenuCommand::OriginalSize: return hooks_.fit_to_screen && !hooks_.fit_to_screen();
    case MenuCommand::WindowMode: return hooks_.window_mode && hooks_.window_mode();
    default: return false;
  }
}

void WinMenus::Popup(HWND owner, POINT screen) {
  // Before it opens: the check mark from the store (the splash window's check box as default),
  // the game menu closed.
  splash_checked_ = store_.ReadBool("SplashScreen", splash ? splash->Checked() : true);
  if (game_.menu_open) {
    game_.menu_open = false;
    Vid_Display_Game_Menu();
  }
  HMENU menu = CreatePopupMenu();
  const std::span<const MenuEntry> entries = Ui_Menu_Entries();
  for (size_t n = 0; n < entries.size(); ++n) {
    const MenuEntry &e = entries[n];
    if (e.Separator()) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      std::string text = e.caption;
      if (e.shortcut) text += std::string("\t") + e.shortcut;
      UINT flags = MF_STRING | (e.enabled ? MF_ENABLED : MF_GRAYED) | (Checked(e.command) ? MF_CHECKED : 0);
      AppendMenuW(menu, flags, kEntryId + n, Plat_Wide(text).c_str());
      if (e.is_default) SetMenuDefaultItem(menu, kEntryId + static_cast<UINT>(n), FALSE);
    }
    // "LCD effects" follows the splash entry.
    if (e.command == MenuCommand::SplashScreen && hooks_.lcd_effects) {
      const LcdEffectSettings s = hooks_.lcd_effects();
      HMENU lcd = CreatePopupMenu();
      const UINT on = s.enabled ? MF_ENABLED : MF_GRAYED;
      AppendMenuW(lcd, MF_STRING | (s.enabled ? 0 : MF_CHECKED), kLcdClassic, L"Classic (no effects)");
      AppendMenuW(lcd, MF_SEPARATOR, 0, nullptr);
      HMENU ghost = CreatePopupMenu();
      const int nearest = Ui_Nearest_Ghost_Step(s.ghost);
      for (int g : Ui_Ghost_Steps()) {
        AppendMenuW(ghost, MF_STRING, kGhostId + g, Plat_Wide(Ui_Ghost_Step_Caption(g)).c_str());
        if (g == nearest) CheckMenuRadioItem(ghost, kGhostId + g, kGhostId + g, kGhostId + g, MF_BYCOMMAND);
      }
      AppendMenuW(lcd, MF_POPUP | on, reinterpret_cast<UINT_PTR>(ghost), L"Ghost segments");
      AppendMenuW(lcd, MF_STRING | on | (s.shadow ? MF_CHECKED : 0), kLcdShadow, L"Segment shadows");
      AppendMenuW(lcd, MF_STRING | on | (s.fade ? MF_CHECKED : 0), kLcdFade, L"Response fade");
      AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(lcd), L"LCD effects");
    }
  }
  // The owner must be in front for the menu to close when the player clicks elsewhere.
  SetForegroundWindow(owner);
  const UINT id = static_cast<UINT>(TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x,
                                                     screen.y, owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  DestroyMenu(menu);
  if (id >= kEntryId && id < kEntryId + entries.size()) {
    Run(entries[id - kEntryId].command);
  } else if (hooks_.lcd_effects && hooks_.set_lcd_effects && (id == kLcdClassic || id == kLcdShadow || id == kLcdFade || id >= kGhostId)) {
    LcdEffectSettings s = hooks_.lcd_effects();
    if (id == kLcdClassic) s.enabled = !s.enabled;
    else if (id == kLcdShadow) s.shadow = !s.shadow;
    else if (id == kLcdFade) s.fade = !s.fade;
    else s.ghost = static_cast<int32_t>(id - kGhostId);
    hooks_.set_lcd_effects(s);
  }
}

void WinMenus::Run(MenuCommand c) {
  switch (c) {
    case MenuCommand::About:
      if (about) about->Show();
      break;
    case MenuCommand::Readme:
    case MenuCommand::Config:
      if (hooks_.shell_open) {
        const char *name = c == MenuCommand::Readme ? "Readme.txt" : "Config.ini";
        hooks_.shell_open(hooks_.program_file ? hooks_.program_file(name) : name);
      }
      break;
    case MenuCommand::Keys:
      if (keys) keys->Show(GetActiveWindow());
      break;
    case MenuCommand::ResetHiscores:
      // The panel keeps showing an old high score until it is next drawn.
      game_.hiscore_a = 0;
      store_.WriteInteger("HiScore1", 0);
      game_.hiscore_b = 0;
      store_.WriteInteger("HiScore2", 0);
      MessageBeep(MB_OK);
      break;
    case MenuCommand::SplashScreen:
      splash_checked_ = !splash_checked_;
      store_.WriteBool("SplashScreen", splash_checked_);
      break;
    case MenuCommand::Exit:
      if (hooks_.end_program) hooks_.end_program();
      break;
    case MenuCommand::OriginalSize:
      if (hooks_.set_fit_to_screen && hooks_.fit_to_screen) hooks_.set_fit_to_screen(!hooks_.fit_to_screen());
      break;
    case MenuCommand::WindowMode:
      if (hooks_.set_window_mode && hooks_.window_mode) hooks_.set_window_mode(!hooks_.window_mode());
      break;
    case MenuCommand::Whatsnew:
    case MenuCommand::None:
      break;
  }
}

bool WinMenus::Shortcut(uint16_t vk) {
  const bool shift = GetKeyState(VK_SHIFT) & 0x8000, ctrl = GetKeyState(VK_CONTROL) & 0x8000;
  const bool alt = GetKeyState(VK_MENU) & 0x8000;
  const MenuEntry *e = Ui_Menu_Shortcut(vk, shift, ctrl, alt);
  if (!e) return false;
  if (e->enabled) Run(e->command);
  return true;
}

bool WinMenus::Inside(int element, int32_t x, int32_t y) const {
  const Element &e = game_.lcd.e[element];
  return e.visible && x >= e.rect.left && y >= e.rect.top && x < e.rect.left + e.rect.width &&
         y < e.rect.top + e.rect.height;
}

bool WinMenus::MouseDown(int32_t x, int32_t y) {
  pressed_ = Pressed::None;
  const int row = game_.menu_open ? Ui_Game_Menu_Row_At(x, y) : 0;
  if (Inside(el::btn_game_menu_top, x, y)) {
    pressed_ = Pressed::Icon;
  } else if (row > 0) {
    // Only an enabled entry's row takes the press; its release runs the entry.
    const MenuEntry &e = Entry(row);
    if (!e.Separator() && e.enabled) {
      pressed_ = Pressed::Row;
      pressed_row_ = row;
    }
  } else if (Inside(el::btn_game_menu_background, x, y)) {
    // The title bar outside the icon: nothing.
  } else if (Inside(el::im_logo, x, y)) {
    pressed_ = Pressed::Logo;
  } else {
    return false;
  }
  return true;
}

bool WinMenus::MouseUp(int32_t x, int32_t y) {
  if (pressed_ == Pressed::None) return false;
  const Pressed was = pressed_;
  pressed_ = Pressed::None;
  if (was == Pressed::Row) {
    // The entry runs when the release is still over it; the menu closes either way.
    const int row = pressed_row_;
    pressed_row_ = 0;
    if (game_.menu_open && Ui_Game_Menu_Row_At(x, y) == row) Run(Entry(row).command);
    game_.menu_open = false;
    Vid_Display_Game_Menu();
  } else if (was == Pressed::Icon && Inside(el::btn_game_menu_top, x, y)) {
    game_.menu_open = !game_.menu_open;
    Vid_Display_Game_Menu();
  } else if (was == Pressed::Logo && Inside(el::im_logo, x, y)) {
    if (hooks_.shell_open) hooks_.shell_open(kStudioWebsite);
  }
  return true;
}

void WinMenus::MouseMove(int32_t x, int32_t y) {
  int row = game_.menu_open ? Ui_Game_Menu_Row_At(x, y) : 0;
  // While a row is pressed only that row stays dark, and only under the pointer.
  if (pressed_ == Pressed::Row && row != pressed_row_) row = 0;
  if (row > 0 && (Entry(row).Separator() || !Entry(row).enabled)) row = 0;
  if (row == hover_) return;
  if (hover_) Invalidate(Ui_Game_Menu_Row(hover_));
  hover_ = row;
  if (hover_) Invalidate(Ui_Game_Menu_Row(hover_));
}

bool WinMenus::HandCursorAt(int32_t x, int32_t y) const {
  if (Inside(el::btn_game_menu_top, x, y)) return true;
  const int row = game_.menu_open ? Ui_Game_Menu_Row_At(x, y) : 0;
  return row > 0 && !Entry(row).Separator() && Entry(row).enabled;
}

void WinMenus::Draw(HDC dc, double scale) const {
  if (!game_.menu_open) return;
  UiFont font;
  font.height = kGameMenuFontHeight;
  // The rows' font follows the game window's scale (96 dpi stands for one window pixel).
  HFONT f = Win_Ui_Font(font, static_cast<int>(96 * scale + 0.5));
  HGDIOBJ old = SelectObject(dc, f);
  SetBkMode(dc, TRANSPARENT);
  for (int i = 1; i <= kMenuItems; ++i) {
    const MenuEntry &e = Entry(i);
    if (e.Separator()) continue;
    const Rect r = Ui_Game_Menu_Row(i);
    RECT w{static_cast<LONG>(r.left * scale + 0.5), static_cast<LONG>(r.top * scale + 0.5),
           static_cast<LONG>((r.left + r.width) * scale + 0.5), static_cast<LONG>((r.top + r.height) * scale + 0.5)};
    if (i == hover_) FillRect(dc, &w, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetTextColor(dc, e.enabled ? RGB(255, 255, 255) : RGB(128, 128, 128));
    const std::wstring text = Plat_Wide(Ui_Game_Menu_Row_Text(e, Checked(e.command)));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &w, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
  }
  SelectObject(dc, old);
  DeleteObject(f);
}
