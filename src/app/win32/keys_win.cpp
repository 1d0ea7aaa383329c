// The key settings window: eight native drop-down lists and the Accept button; the headings and
// control names (red while they clash) painted by the window.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <string>

#include "app/win32/small_windows_win.h"
#include "app/win32/ui_draw_win.h"
#include "game/game.h"
#include "platform/store.h"

namespace {

const wchar_t *const kClass = L"KTuskoKeys";
enum : uint16_t { kVkTab = 9, kVkReturn = 13, kVkEscape = 27 };
constexpr UINT_PTR kChildHook = 1;

std::string Numbered(const char *prefix, int i) { return prefix + std::to_string(i); }

}  // namespace

struct WinKeys::Fonts {
  HFONT list = nullptr, button = nullptr;  // the lists' and Accept's
  void Make(int dpi) {
    Free();
    const UiWindow &ui = Ui_Keys_Window();
    list = Win_Ui_Font(ui["cb_1"].font, dpi);
    button = Win_Ui_Font(ui["btn_accept"].font, dpi);
  }
  void Free() {
    for (HFONT *f : {&list, &button})
      if (*f) DeleteObject(*f), *f = nullptr;
  }
  ~Fonts() { Free(); }
};

// The window sees Enter, Esc and Tab before the focused list or button; a digit or letter key picks
// its own entry in a focused list by its virtual-key code, as the game window reads keys.
static LRESULT CALLBACK KeysChildProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  auto *self = reinterpret_cast<WinKeys *>(ref);
  const bool dropped = SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0) != 0;
  if (msg == WM_KEYDOWN && !dropped) {
    if (self->KeyDown(static_cast<uint16_t>(wp))) return 0;
    const uint16_t vk = static_cast<uint16_t>(wp);
    for (int i = 1; i <= kControls; ++i) {
      if (h != GetDlgItem(self->Handle(), 100 + i)) continue;
      for (int k = 1; k <= 36; ++k)
        if (Inp_Key_Code(k) == vk) {
          self->Select(i, k);
          return 0;
        }
    }
  }
  if (msg == WM_CHAR && !dropped) return 0;  // the key was handled at its press (or is not a key of the table)
  return DefSubclassProc(h, msg, wp, lp);
}

WinKeys::WinKeys(Controls &controls, Game &game, WinUiHooks &hooks)
    : controls_(controls), game_(game), hooks_(hooks), fonts_(new Fonts) {
  Create();
}

WinKeys::~WinKeys() {
  if (hwnd_) DestroyWindow(hwnd_);
  delete fonts_;
}

void WinKeys::Create() {
  Win_Register_Class(kClass, &Plat_Window_Proc<WinKeys>);
  const UiWindow &ui = Ui_Keys_Window();
  // A fixed border and a caption without title-bar buttons.
  hwnd_ = CreateWindowExW(WS_EX_DLGMODALFRAME, kClass, Plat_Wide(ui.caption).c_str(), WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN,
                          CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  dpi_ = Win_Dpi(hwnd_);
  fonts_->Make(dpi_);
  for (int i = 1; i <= kControls; ++i) {
    const UiElement &list = ui[Numbered("cb_", i).c_str()];
    const RECT r = Win_Rect(list.rect, dpi_);
    cb_[i] = CreateWindowExW(0, WC_COMBOBOXW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                             r.left, r.top, r.right - r.left, Win_Px(240, dpi_), hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(cb_[i], WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->list), TRUE);
    for (int k = 1; k <= kKeys; ++k)
      SendMessageW(cb_[i], CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Plat_Wide(Inp_Key_List_Text(k)).c_str()));
    SetWindowSubclass(cb_[i], KeysChildProc, kChildHook, reinterpret_cast<DWORD_PTR>(this));
  }
  const UiElement &accept = ui["btn_accept"];
  const RECT r = Win_Rect(accept.rect, dpi_);
  accept_ = CreateWindowExW(0, L"BUTTON", Plat_Wide(accept.text).c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                            r.left, r.top, r.right - r.left, r.bottom - r.top, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(200)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(accept_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->button), TRUE);
  SetWindowSubclass(accept_, KeysChildProc, kChildHook, reinterpret_cast<DWORD_PTR>(this));
  Win_Size_And_Centre(hwnd_, ui.width, ui.height);

  // The lists are set from the bindings only here: a choice left by Esc is shown the next time.
  for (int i = 1; i <= kControls; ++i) {
    const int32_t key = controls_.key_binding[i].key_index;
    SendMessageW(cb_[i], CB_SETCURSEL, key >= 1 && key <= kKeys ? static_cast<WPARAM>(key - 1) : static_cast<WPARAM>(-1), 0);
  }
  Check();
}

void WinKeys::Show(HWND owner) {
  // Kept above the game window it belongs to.
  if (owner) SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  const UiWindow &ui = Ui_Keys_Window();
  Win_Size_And_Centre(hwnd_, ui.width, ui.height);
  if (hooks_.enable_game) hooks_.enable_game(false);
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  SetFocus(cb_[1]);
}

bool WinKeys::Visible() const { return hwnd_ && IsWindowVisible(hwnd_); }

int32_t WinKeys::Selected(int i) const {
  return static_cast<int32_t>(SendMessageW(cb_[i], CB_GETCURSEL, 0, 0)) + 1;
}

void WinKeys::Select(int i, int32_t key_index) {
  SendMessageW(cb_[i], CB_SETCURSEL, key_index >= 1 && key_index <= kKeys ? static_cast<WPARAM>(key_index - 1) : static_cast<WPARAM>(-1), 0);
  Check();
}

bool WinKeys::AcceptEnabled() const { return IsWindowEnabled(accept_); }

void WinKeys::Check() {
  int32_t selected[kControls + 1] = {};
  for (int i = 1; i <= kControls; ++i) selected[i] = Selected(i);
  const bool any = Ui_Keys_Clashes(selected, clash_);
  EnableWindow(accept_, !any);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void WinKeys::Accept() {
  Check();
  if (!AcceptEnabled()) return;
  for (int i = 1; i <= kControls; ++i) {
    KeyBinding &b = controls_.key_binding[i];
    b.key_index = Selected(i);
    if (game_.store) game_.store->WriteInteger("Key" + std::to_string(i), b.key_index);
    AssignWord(i, b);
  }
  Inp_Build_Hints(controls_, game_);
  if (hooks_.hints_changed) hooks_.hints_changed();
  Close();
}

void WinKeys::Cancel() {
  if (Visible()) Close();
}

void WinKeys::Close() {
  // The game window is enabled before this one hides, so that Windows gives it the activation.
  if (hooks_.enable_game) hooks_.enable_game(true);
  ShowWindow(hwnd_, SW_HIDE);
}

bool WinKeys::KeyDown(uint16_t vk) {
  if (vk == kVkReturn) {
    if (AcceptEnabled()) Accept();
    return true;
  }
  if (vk == kVkEscape) {
    Cancel();
    return true;
  }
  if (vk == kVkTab) {
    // Focus moves through the lists 1 to 8 and then to the button (Shift+Tab backwards).
    HWND order[kControls + 1];
    for (int i = 1; i <= kControls; ++i) order[i - 1] = cb_[i];
    order[kControls] = accept_;
    const int n = kControls + 1;
    int at = 0;
    for (int i = 0; i < n; ++i)
      if (order[i] == GetFocus()) at = i;
    const int step = GetKeyState(VK_SHIFT) & 0x8000 ? n - 1 : 1;
    for (int t = 1; t <= n; ++t) {
      HWND next = order[(at + step * t) % n];
      if (IsWindowEnabled(next)) {
        SetFocus(next);
        break;
      }
    }
    return true;
  }
  return false;
}

LRESULT WinKeys::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  const UiWindow &ui = Ui_Keys_Window();
  switch (msg) {
    case WM_PAINT: {
      // The names of controls whose keys clash are red.
      WinUiLook look;
      look.colour = [this](const UiElement &e) -> std::optional<COLORREF> {
        for (int i = 1; i <= kControls; ++i)
          if (clash_[i] && Numbered("la_", i) == e.name) return Win_Color(kUiClashColor);
        return std::nullopt;
      };
      Win_Paint_Ui(hwnd_, ui, dpi_, look);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_COMMAND:
      if (HIWORD(wp) == CBN_SELCHANGE) Check();
      else if (reinterpret_cast<HWND>(lp) == accept_ && HIWORD(wp) == BN_CLICKED) Accept();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE) SetFocus(cb_[1]);
      return 0;
    case WM_KEYDOWN:
      if (KeyDown(static_cast<uint16_t>(wp))) return 0;
      break;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wp) == accept_) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_CLOSE:
      // No close button, but Alt+F4 still reaches the window: it closes as Esc does.
      Cancel();
      return 0;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wp);
      const RECT *r = reinterpret_cast<const RECT *>(lp);
      SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top, SWP_NOZORDER | SWP_NOACTIVATE);
      HFONT old_list = fonts_->list, old_button = fonts_->button;
      fonts_->list = fonts_->button = nullptr;
      fonts_->Make(dpi_);
      for (int i = 1; i <= kControls; ++i) {
        const RECT lr = Win_Rect(ui[Numbered("cb_", i).c_str()].rect, dpi_);
        MoveWindow(cb_[i], lr.left, lr.top, lr.right - lr.left, Win_Px(240, dpi_), TRUE);
        SendMessageW(cb_[i], WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->list), TRUE);
      }
      const RECT ar = Win_Rect(ui["btn_accept"].rect, dpi_);
      MoveWindow(accept_, ar.left, ar.top, ar.right - ar.left, ar.bottom - ar.top, TRUE);
      SendMessageW(accept_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->button), TRUE);
      if (old_list) DeleteObject(old_list);
      if (old_button) DeleteObject(old_button);
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    }
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}
