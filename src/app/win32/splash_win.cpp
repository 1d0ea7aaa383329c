// The splash window: pictures, texts and links painted by the window, the driver list and the
// check box as native controls.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <cstring>
#include <sstream>
#include <vector>

#include "app/studio.h"
#include "app/win32/small_windows_win.h"
#include "app/win32/ui_draw_win.h"
#include "game/game.h"
#include "platform/screen.h"
#include "platform/store.h"
#include "sound/snd.h"

namespace {

const wchar_t *const kClass = L"KTuskoSplash";
enum : uint16_t { kVkReturn = 13, kVkEscape = 27, kVkOne = 49 };
enum Clickable { kNone, kPlay, kDonate, kWebsite, kEmail };
constexpr UINT_PTR kChildHook = 1;

std::vector<std::string> Drivers() {
  std::vector<std::string> v;
  std::istringstream in(Ui_Splash_Window()["cb_sound"].text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) v.push_back(line);
  return v;
}

}  // namespace

struct WinSplash::Fonts {
  HFONT plain = nullptr, check = nullptr;  // the driver list's and the check box's
  HBRUSH check_brush = nullptr;
  HWND tip = nullptr;
  ~Fonts() {
    for (HFONT f : {plain, check})
      if (f) DeleteObject(f);
    if (check_brush) DeleteObject(check_brush);
  }
};

// The window sees the keys of its driver list and check box first.
static LRESULT CALLBACK SplashChildProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  auto *self = reinterpret_cast<WinSplash *>(ref);
  if (msg == WM_KEYDOWN && !(GetWindowLongPtrW(h, GWL_STYLE) & CBS_DROPDOWNLIST && SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0))) {
    if (self->KeyDown(static_cast<uint16_t>(wp))) return 0;
  }
  if (msg == WM_CHAR && (wp == '\r' || wp == 27 || wp == '1')) return 0;
  return DefSubclassProc(h, msg, wp, lp);
}

WinSplash::WinSplash(Store &store, Sound &snd, Game &game, WinUiHooks &hooks)
    : store_(store), snd_(snd), game_(game), hooks_(hooks), fonts_(new Fonts) {}

WinSplash::~WinSplash() {
  if (hwnd_) DestroyWindow(hwnd_);
  delete fonts_;
}

void WinSplash::Build() {
  Win_Register_Class(kClass, &Plat_Window_Proc<WinSplash>);
  const UiWindow &ui = Ui_Splash_Window();
  // A fixed border and a caption without title-bar buttons.
  hwnd_ = CreateWindowExW(WS_EX_DLGMODALFRAME, kClass, Plat_Wide(ui.caption).c_str(), WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN,
                          CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  dpi_ = Win_Dpi(hwnd_);
  fonts_->plain = Win_Ui_Font(ui["cb_sound"].font, dpi_);
  fonts_->check = Win_Ui_Font(ui["chb_splashscreen"].font, dpi_);
  fonts_->check_brush = CreateSolidBrush(Win_Color(ui["chb_splashscreen"].color));

  const UiElement &list = ui["cb_sound"];
  const RECT lr = Win_Rect(list.rect, dpi_);
  // A list to choose from (no typing) with three rows visible when it drops down.
  cb_sound_ = CreateWindowExW(0, WC_COMBOBOXW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                              lr.left, lr.top, lr.right - lr.left, Win_Px(list.rect.height * 5, dpi_), hwnd_,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(cb_sound_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->plain), TRUE);
  for (const std::string &d : Drivers()) SendMessageW(cb_sound_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Plat_Wide(d).c_str()));
  SendMessageW(cb_sound_, CB_SETMINVISIBLE, 3, 0);
  SendMessageW(cb_sound_, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);

  const UiElement &check = ui["chb_splashscreen"];
  const RECT cr = Win_Rect(check.rect, dpi_);
  chb_ = CreateWindowExW(0, L"BUTTON", Plat_Wide(check.text).c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
                         cr.left, cr.top, cr.right - cr.left, cr.bottom - cr.top, hwnd_, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
  SendMessageW(chb_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->check), TRUE);
  SendMessageW(chb_, BM_SETCHECK, BST_CHECKED, 0);
  for (HWND child : {cb_sound_, chb_}) SetWindowSubclass(child, SplashChildProc, kChildHook, reinterpret_cast<DWORD_PTR>(this));

  // The grey Play picture's hint.
  const UiElement &grey = ui["btn_play_disabled"];
  fonts_->tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
  const std::wstring hint = Plat_Wide(grey.hint);
  TOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_SUBCLASS;
  ti.hwnd = hwnd_;
  ti.uId = 1;
  ti.rect = Win_Rect(grey.rect, dpi_);
  ti.lpszText = const_cast<wchar_t *>(hint.c_str());
  SendMessageW(fonts_->tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  Win_Size_And_Centre(hwnd_, ui.width, ui.height);
}

bool WinSplash::Create() {
  if (!hwnd_) Build();
  const int32_t mode = store_.ReadInteger("SoundMode", -1);
  SendMessageW(cb_sound_, CB_SETCURSEL, mode >= 0 && mode <= 2 ? static_cast<WPARAM>(mode) : static_cast<WPARAM>(-1), 0);
  SendMessageW(chb_, BM_SETCHECK, store_.ReadBool("SplashScreen", true) ? BST_CHECKED : BST_UNCHECKED, 0);
  if (SendMessageW(cb_sound_, CB_GETCURSEL, 0, 0) >= 0 && !Checked()) {
    PlayClick();
    return false;
  }
  UpdatePlay();
  return true;
}

void WinSplash::Show() {
  if (played_ || !hwnd_) return;
  const UiWindow &ui = Ui_Splash_Window();
  Win_Size_And_Centre(hwnd_, ui.width, ui.height);
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  SetFocus(cb_sound_);
}

bool WinSplash::Checked() const { return chb_ && SendMessageW(chb_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void WinSplash::UpdatePlay() {
  play_enabled_ = SendMessageW(cb_sound_, CB_GETCURSEL, 0, 0) >= 0;
  SendMessageW(fonts_->tip, TTM_ACTIVATE, !play_enabled_, 0);
  const RECT play = Win_Rect(Ui_Splash_Window()["btn_play"].rect, dpi_);
  InvalidateRect(hwnd_, &play, FALSE);
}

void WinSplash::PlayClick() {
  if (played_) return;
  played_ = true;
  HWND owner = IsWindowVisible(hwnd_) ? hwnd_ : nullptr;
  const LRESULT sel = SendMessageW(cb_sound_, CB_GETCURSEL, 0, 0);
  const std::vector<std::string> drivers = Drivers();
  const std::string driver = sel >= 0 && sel < static_cast<LRESULT>(drivers.size()) ? drivers[static_cast<size_t>(sel)] : "";
  std::string message;
  if (!Snd_Init(snd_, driver, &message)) {
    Plat_Error_Box(owner, message);
    store_.WriteInteger("SoundMode", -1);
    store_.WriteBool("SplashScreen", true);
    if (hooks_.end_program) hooks_.end_program();
    return;
  }
  if (game_.screen && (game_.screen->Width() < 1024 || game_.screen->Height() < 768)) {
    Plat_Error_Box(owner, kUiResolutionMessage);
    if (hooks_.end_program) hooks_.end_program();
    return;
  }
  const bool on = Checked();
  store_.WriteBool("SplashScreen", on);
  if (splash_stored) splash_stored(on);
  if (hooks_.show_game) hooks_.show_game();
  game_.game_mode = kModeClock;
  Gam_Set_Mode(game_);
  ShowWindow(hwnd_, SW_HIDE);
}

bool WinSplash::KeyDown(uint16_t vk) {
  if (vk == kVkReturn || vk == kVkOne) {
    if (!play_enabled_) return false;
    PlayClick();
    return true;
  }
  if (vk == kVkEscape) {
    if (hooks_.end_program) hooks_.end_program();
    return true;
  }
  return false;
}

LRESULT WinSplash::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  const UiWindow &ui = Ui_Splash_Window();
  auto clickable_at = [&](int x, int y) {
    if (play_enabled_ && Win_Hit(ui["btn_play"], x, y, dpi_)) return kPlay;
    if (Win_Hit(ui["btn_paypal"], x, y, dpi_)) return kDonate;
    if (Win_Hit(ui["la_website_2"], x, y, dpi_)) return kWebsite;
    if (Win_Hit(ui["la_email_2"], x, y, dpi_)) return kEmail;
    return kNone;
  };
  switch (msg) {
    case WM_PAINT: {
      // Play in colour once a driver is chosen, grey before.
      WinUiLook look;
      look.hidden = [this](const UiElement &e) {
        return std::strcmp(e.name, play_enabled_ ? "btn_play_disabled" : "btn_play") == 0;
      };
      Win_Paint_Ui(hwnd_, ui, dpi_, look);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (reinterpret_cast<HWND>(lp) == chb_) {
        SetBkColor(reinterpret_cast<HDC>(wp), Win_Color(ui["chb_splashscreen"].color));
        SetTextColor(reinterpret_cast<HDC>(wp), RGB(0, 0, 0));
        return reinterpret_cast<LRESULT>(fonts_->check_brush);
      }
      break;
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lp) == cb_sound_ && HIWORD(wp) == CBN_SELCHANGE) UpdatePlay();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE) SetFocus(cb_sound_);
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (KeyDown(static_cast<uint16_t>(wp))) return 0;
      break;
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd_, &p);
        const LPCWSTR cursor = clickable_at(p.x, p.y) != kNone ? IDC_HAND
                               : !play_enabled_ && Win_Hit(ui["btn_play_disabled"], p.x, p.y, dpi_) ? IDC_HELP
                                                                                               : IDC_ARROW;
        SetCursor(LoadCursorW(nullptr, cursor));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      pressed_ = clickable_at(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
      if (pressed_ != kNone) SetCapture(hwnd_);
      return 0;
    case WM_LBUTTONUP: {
      const int was = pressed_;
      pressed_ = kNone;
      if (GetCapture() == hwnd_) ReleaseCapture();
      // A click: the button goes down and comes up on the same element.
      if (was == kNone || clickable_at(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))) != was) return 0;
      if (was == kPlay) PlayClick();
      else if (was == kDonate && hooks_.shell_open) hooks_.shell_open(kStudioDonatePage);
      else if (was == kWebsite && hooks_.shell_open) hooks_.shell_open(kStudioWebsite);
      else if (was == kEmail && hooks_.shell_open) hooks_.shell_open(std::string("mailto:") + kStudioEmail);
      return 0;
    }
    case WM_CLOSE:
      // No close button, but Alt+F4 still reaches the window: before playing it ends the program
      // as Esc does (the game window is not on the screen yet).
      if (!played_ && hooks_.end_program) hooks_.end_program();
      return 0;
    case WM_DPICHANGED: {
      // Another monitor's DPI: the window is made anew at the new size.
      dpi_ = HIWORD(wp);
      const RECT *r = reinterpret_cast<const RECT *>(lp);
      SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top, SWP_NOZORDER | SWP_NOACTIVATE);
      const RECT lr = Win_Rect(ui["cb_sound"].rect, dpi_), cr = Win_Rect(ui["chb_splashscreen"].rect, dpi_);
      MoveWindow(cb_sound_, lr.left, lr.top, lr.right - lr.left, Win_Px(ui["cb_sound"].rect.height * 5, dpi_), TRUE);
      MoveWindow(chb_, cr.left, cr.top, cr.right - cr.left, cr.bottom - cr.top, TRUE);
      TOOLINFOW ti{};
      ti.cbSize = sizeof ti;
      ti.hwnd = hwnd_;
      ti.uId = 1;
      ti.rect = Win_Rect(ui["btn_play_disabled"].rect, dpi_);
      SendMessageW(fonts_->tip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
      Fonts fresh;
      std::swap(fresh.plain, fonts_->plain);
      std::swap(fresh.check, fonts_->check);
      fonts_->plain = Win_Ui_Font(ui["cb_sound"].font, dpi_);
      fonts_->check = Win_Ui_Font(ui["chb_splashscreen"].font, dpi_);
      SendMessageW(cb_sound_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->plain), TRUE);
      SendMessageW(chb_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->check), TRUE);
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    }
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}
