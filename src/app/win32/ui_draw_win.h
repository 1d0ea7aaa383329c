// Drawing and layout helpers shared by the Windows shell's small windows: DPI scaling of the shared
// layout, Arial fonts, text and pictures painted into an off-screen buffer, window classes.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "app/ui/ui.h"

// Dots per inch of a window (96 when the system cannot tell).
int Win_Dpi(HWND hwnd);
// A length of the layout (96 dpi pixels) at dpi.
inline int Win_Px(int v, int dpi) { return MulDiv(v, dpi, 96); }
RECT Win_Rect(const Rect &r, int dpi);
inline COLORREF Win_Color(const UiColor &c) { return RGB(c.r, c.g, c.b); }
// Arial (or the nearest) with the character height of f at dpi. The caller deletes it.
HFONT Win_Ui_Font(const UiFont &f, int dpi);
// Registers a window class of this program once (arrow cursor, no background brush).
void Win_Register_Class(const wchar_t *name, WNDPROC proc);
// Gives a window a client area of w x h layout pixels at its DPI, centred on the primary screen.
void Win_Size_And_Centre(HWND hwnd, int w, int h);
// True when (x, y) in client pixels lies in the element's place at dpi.
bool Win_Hit(const UiElement &e, int x, int y, int dpi);

// An off-screen picture of a window's client area: paint into dc, then Show() copies it on screen.
class WinBuffer {
 public:
  WinBuffer(HDC target, int w, int h);
  ~WinBuffer();
  HDC dc = nullptr;
  void Fill(const RECT &r, COLORREF c);
  // A compiled-in picture into r (client pixels), alpha-blended, at the resolution nearest the DPI.
  void Picture(const char *name, const RECT &r, int dpi, bool centre = false);
  // An element's text with its font, colour (unless colour is given) and alignment.
  void Text(const UiElement &e, int dpi, HFONT font, const COLORREF *colour = nullptr);
  void Show(HDC target);

 private:
  HDC target_;
  HBITMAP bitmap_ = nullptr, old_ = nullptr;
  uint32_t *bits_ = nullptr;
  int w_, h_;
};

// What a window changes of its table when painted: elements it leaves out now, and texts drawn in a
// colour other than their own (unset: every element, each in its own colour).
struct WinUiLook {
  std::function<bool(const UiElement &)> hidden;
  std::function<std::optional<COLORREF>(const UiElement &)> colour;
};
// The WM_PAINT of a small window: its background and the elements it draws itself (texts, links
// and pictures, a picture centred in its place when aligned so) in table order at dpi, through an
// off-screen picture. Lists, check boxes and buttons are native controls and not painted here.
void Win_Paint_Ui(HWND hwnd, const UiWindow &ui, int dpi, const WinUiLook &look = {});
