#include "platform/win32/win_platform.h"

#include <shellapi.h>

#include <cmath>

int32_t WinScreen::Width() { return GetSystemMetrics(SM_CXSCREEN); }

int32_t WinScreen::Height() { return GetSystemMetrics(SM_CYSCREEN); }

HFONT Plat_Font(Font font, double scale) {
  // A negative height is the character height in pixels, as the labels are laid out for.
  const int px = static_cast<int>(std::lround((font == Font::StageTitle ? 43 : 27) * scale));
  return CreateFontW(-px, 0, 0, 0, FW_NORMAL, font == Font::StageName, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Arial");
}

void WinScreen::TextSize(Font font, const std::string &text, int32_t *w, int32_t *h) {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT f = Plat_Font(font, 1.0);
  HGDIOBJ old = SelectObject(dc, f);
  const std::wstring t = Plat_Wide(text);
  SIZE size{};
  GetTextExtentPoint32W(dc, t.c_str(), static_cast<int>(t.size()), &size);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  *w = size.cx;
  *h = tm.tmHeight;
  SelectObject(dc, old);
  DeleteObject(f);
  DeleteDC(dc);
}

void WinScreen::LocalTime(int32_t *hour, int32_t *minute) {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  *hour = t.wHour;
  *minute = t.wMinute;
}

void Plat_Shell_Open(const std::string &what) {
  const std::wstring w = Plat_Wide(what);
  ShellExecuteW(nullptr, L"open", w.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
