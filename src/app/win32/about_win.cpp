// The about window: everything painted by the window itself; the two links open the browser and
// the mail program, then close the window.
#include <windows.h>

#include "app/studio.h"
#include "app/win32/small_windows_win.h"
#include "app/win32/ui_draw_win.h"

namespace {

const wchar_t *const kClass = L"KTuskoAbout";
enum Link { kNone, kWebsite, kEmail };
constexpr uint16_t kVkEscape = 27;

}  // namespace

WinAbout::WinAbout(WinUiHooks &hooks) : hooks_(hooks) {}

WinAbout::~WinAbout() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void WinAbout::Create() {
  Win_Register_Class(kClass, &Plat_Window_Proc<WinAbout>);
  const UiWindow &ui = Ui_About_Window();
  // A fixed dialog with only a close button, kept above the other windows.
  hwnd_ = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, kClass, Plat_Wide(ui.caption).c_str(),
                          WS_POPUP | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr,
                          nullptr, GetModuleHandleW(nullptr), this);
  dpi_ = Win_Dpi(hwnd_);
  Win_Size_And_Centre(hwnd_, ui.width, ui.height);
}

void WinAbout::Show() {
  if (!hwnd_) Create();
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  SetFocus(hwnd_);
}

void WinAbout::Hide() {
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

LRESULT WinAbout::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  const UiWindow &ui = Ui_About_Window();
  auto link_at = [&](int x, int y) {
    if (Win_Hit(ui["la_website_2"], x, y, dpi_)) return kWebsite;
    if (Win_Hit(ui["la_email_2"], x, y, dpi_)) return kEmail;
    return kNone;
  };
  switch (msg) {
    case WM_PAINT:
      Win_Paint_Ui(hwnd_, ui, dpi_);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      // Esc closes the window whatever modifiers are held.
      if (wp == kVkEscape) {
        Hide();
        return 0;
      }
      break;
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd_, &p);
        SetCursor(LoadCursorW(nullptr, link_at(p.x, p.y) != kNone ? IDC_HAND : IDC_ARROW));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      pressed_ = link_at(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
      if (pressed_ != kNone) SetCapture(hwnd_);
      return 0;
    case WM_LBUTTONUP: {
      const int was = pressed_;
      pressed_ = kNone;
      if (GetCapture() == hwnd_) ReleaseCapture();
      if (was == kNone || link_at(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))) != was) return 0;
      // The window closes whether or not the shell could open the address.
      if (hooks_.shell_open) hooks_.shell_open(was == kWebsite ? std::string(kStudioWebsite) : std::string("mailto:") + kStudioEmail);
      Hide();
      return 0;
    }
    case WM_CLOSE:
      Hide();
      return 0;
    case WM_SYSCOMMAND:
      // Nothing brings a minimised about window back but the menu, which only shows it.
      if ((wp & 0xFFF0) == SC_MINIMIZE) {
        Hide();
        return 0;
      }
      break;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wp);
      const RECT *r = reinterpret_cast<const RECT *>(lp);
      SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top, SWP_NOZORDER | SWP_NOACTIVATE);
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    }
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}
