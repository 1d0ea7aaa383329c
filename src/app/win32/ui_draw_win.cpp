#include "app/win32/ui_draw_win.h"

#include <algorithm>

#include "app/embedded_pictures.h"
#include "app/win32/small_windows_win.h"

int Win_Dpi(HWND hwnd) {
  // GetDpiForWindow exists from Windows 10 1607 on; older systems give the screen's DPI.
  using DpiForWindow = UINT(WINAPI *)(HWND);
  static const auto dpi_for_window = reinterpret_cast<DpiForWindow>(
      reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (dpi_for_window && hwnd) {
    const UINT dpi = dpi_for_window(hwnd);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  HDC dc = GetDC(nullptr);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}

RECT Win_Rect(const Rect &r, int dpi) {
  return RECT{Win_Px(r.left, dpi), Win_Px(r.top, dpi), Win_Px(r.left + r.width, dpi), Win_Px(r.top + r.height, dpi)};
}

HFONT Win_Ui_Font(const UiFont &f, int dpi) {
  // A negative height asks for the character height (the cell without its internal leading).
  return CreateFontW(-Win_Px(f.height, dpi), 0, 0, 0, f.bold ? FW_BOLD : FW_NORMAL, f.italic, f.underline, FALSE,
                     DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                     VARIABLE_PITCH | FF_SWISS, L"Arial");
}

void Win_Register_Class(const wchar_t *name, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc)) return;
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

void Win_Size_And_Centre(HWND hwnd, int w, int h) {
  const int dpi = Win_Dpi(hwnd);
  RECT r{0, 0, Win_Px(w, dpi), Win_Px(h, dpi)};
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  const DWORD ex = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
  using AdjustForDpi = BOOL(WINAPI *)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjust_for_dpi = reinterpret_cast<AdjustForDpi>(
      reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
  if (adjust_for_dpi) adjust_for_dpi(&r, style, FALSE, ex, static_cast<UINT>(dpi));
  else AdjustWindowRectEx(&r, style, FALSE, ex);
  const int ww = r.right - r.left, wh = r.bottom - r.top;
  // The primary screen (where the game window is).
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  SetWindowPos(hwnd, nullptr, (sw - ww) / 2, (sh - wh) / 2, ww, wh, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Win_Hit(const UiElement &e, int x, int y, int dpi) {
  const RECT r = Win_Rect(e.rect, dpi);
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

WinBuffer::WinBuffer(HDC target, int w, int h) : target_(target), w_(std::max(1, w)), h_(std::max(1, h)) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w_;
  bi.bmiHeader.biHeight = -h_;  // rows top to bottom, as the pictures hold them
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void *bits = nullptr;
  dc = CreateCompatibleDC(target);
  bitmap_ = CreateDIBSection(target, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = static_cast<uint32_t *>(bits);
  if (dc && bitmap_) old_ = static_cast<HBITMAP>(SelectObject(dc, bitmap_));
}

WinBuffer::~WinBuffer() {
  if (dc && old_) SelectObject(dc, old_);
  if (bitmap_) DeleteObject(bitmap_);
  if (dc) DeleteDC(dc);
}

void WinBuffer::Fill(const RECT &r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void WinBuffer::Picture(const char *name, const RECT &r, int dpi, bool centre) {
  const PictureRef pic = App_Picture(name, dpi / 96.0);
  if (!pic || pic->width <= 0 || !bits_) return;
  GdiFlush();
  const int k = std::max(1, pic->scale);
  // The picture's size on this screen; centred in r or from its top-left corner, clipped to r.
  const int pw = Win_Px(pic->width / k, dpi), ph = Win_Px(pic->height / k, dpi);
  int x0 = r.left, y0 = r.top;
  if (centre) {
    x0 += (r.right - r.left - pw) / 2;
    y0 += (r.bottom - r.top - ph) / 2;
  }
  const int left = std::max({0, static_cast<int>(r.left), x0}), right = std::min({w_, static_cast<int>(r.right), x0 + pw});
  const int top = std::max({0, static_cast<int>(r.top), y0}), bottom = std::min({h_, static_cast<int>(r.bottom), y0 + ph});
  for (int y = top; y < bottom; ++y) {
    const int sy = static_cast<int>(static_cast<int64_t>(y - y0) * pic->height / ph);
    uint32_t *row = bits_ + static_cast<size_t>(y) * w_;
    for (int x = left; x < right; ++x) {
      const int sx = static_cast<int>(static_cast<int64_t>(x - x0) * pic->width / pw);
      const uint32_t s = pic->At(sx, sy);  // premultiplied ARGB
      const uint32_t a = s >> 24;
      if (a == 0) continue;
      if (a == 255) {
        row[x] = s;
        continue;
      }
      const uint32_t d = row[x], inv = 255 - a;
      auto mix = [&](int shift) {
        return std::min<uint32_t>(255, ((s >> shift) & 255) + (((d >> shift) & 255) * inv + 127) / 255) << shift;
      };
      row[x] = 0xFF000000u | mix(16) | mix(8) | mix(0);
    }
  }
}

void WinBuffer::Text(const UiElement &e, int dpi, HFONT font, const COLORREF *colour) {
  const std::wstring text = Plat_Wide(e.text);
  RECT r = Win_Rect(e.rect, dpi);
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour ? *colour : Win_Color(e.color));
  UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_TOP;
  if (e.align == UiAlign::Centre) format |= DT_CENTER;
  else if (e.align == UiAlign::Right) format |= DT_RIGHT | DT_VCENTER;
  // The place is kept; a text wider in the font at hand than its box runs on to the right.
  if (e.align == UiAlign::Left) format |= DT_NOCLIP;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  SelectObject(dc, old);
}

void WinBuffer::Show(HDC target) { BitBlt(target, 0, 0, w_, h_, dc, 0, 0, SRCCOPY); }

void Win_Paint_Ui(HWND hwnd, const UiWindow &ui, int dpi, const WinUiLook &look) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  WinBuffer b(dc, client.right, client.bottom);
  b.Fill(client, Win_Color(ui.background));
  for (const UiElement &e : ui.elements) {
    if (look.hidden && look.hidden(e)) continue;
    switch (e.kind) {
      case UiKind::Picture:
      case UiKind::PictureButton:
        b.Picture(e.text.c_str(), Win_Rect(e.rect, dpi), dpi, e.align == UiAlign::Centre);
        break;
      case UiKind::Text:
      case UiKind::Link: {
        const std::optional<COLORREF> c = look.colour ? look.colour(e) : std::nullopt;
        HFONT f = Win_Ui_Font(e.font, dpi);
        b.Text(e, dpi, f, c ? &*c : nullptr);
        DeleteObject(f);
        break;
      }
      default:
        break;
    }
  }
  b.Show(dc);
  EndPaint(hwnd, &ps);
}
