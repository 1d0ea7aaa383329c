#include "display/lcd_view.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/ini.h"

namespace {

constexpr double kLimit = 1 << 29;

int32_t Pin(double v) { return static_cast<int32_t>(std::clamp(v, -kLimit, kLimit)); }

Rect Span(int32_t x1, int32_t y1, int32_t x2, int32_t y2) { return Rect{x1, y1, x2 - x1, y2 - y1}; }

}  // namespace

Rect Lcd_Pin(const Rect &r) {
  static constexpr int64_t kMax = int64_t{1} << 29;
  auto pin = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, -kMax, kMax)); };
  const int64_t left = r.left, top = r.top;
  const int64_t right = left + std::max<int64_t>(r.width, 0), bottom = top + std::max<int64_t>(r.height, 0);
  const int32_t x1 = pin(left), y1 = pin(top);
  return Rect{x1, y1, pin(right) - x1, pin(bottom) - y1};
}

Rect Lcd_Intersect(const Rect &a, const Rect &b) {
  const int64_t x1 = std::max(a.left, b.left), y1 = std::max(a.top, b.top);
  const int64_t x2 = std::min<int64_t>(int64_t{a.left} + a.width, int64_t{b.left} + b.width);
  const int64_t y2 = std::min<int64_t>(int64_t{a.top} + a.height, int64_t{b.top} + b.height);
  if (x2 <= x1 || y2 <= y1) return Rect{};
  return Rect{static_cast<int32_t>(x1), static_cast<int32_t>(y1), static_cast<int32_t>(x2 - x1),
              static_cast<int32_t>(y2 - y1)};
}

Rect Lcd_Scale::ToWindow(const Rect &r) const {
  const Rect q = Lcd_Pin(r);
  if (scale == 1.0 || q.Empty()) return q;
  return Span(Pin(std::floor(q.left * scale)) - 1, Pin(std::floor(q.top * scale)) - 1,
              Pin(std::ceil((q.left + double(q.width)) * scale)) + 1, Pin(std::ceil((q.top + double(q.height)) * scale)) + 1);
}

Rect Lcd_Scale::Rounded(const Rect &r) const {
  const Rect q = Lcd_Pin(r);
  if (scale == 1.0) return q;
  return Span(Pin(std::round(q.left * scale)), Pin(std::round(q.top * scale)),
              Pin(std::round((q.left + double(q.width)) * scale)), Pin(std::round((q.top + double(q.height)) * scale)));
}

Rect Lcd_Scale::ToSkin(const Rect &r) const {
  if (scale == 1.0 || r.Empty()) return r;
  return Span(Pin(std::floor(r.left / scale)) - 1, Pin(std::floor(r.top / scale)) - 1,
              Pin(std::ceil((r.left + double(r.width)) / scale)) + 1, Pin(std::ceil((r.top + double(r.height)) / scale)) + 1);
}

void Lcd_Scale::ToSkin(double x, double y, int32_t *sx, int32_t *sy) const {
  *sx = Pin(std::floor(x / scale));
  *sy = Pin(std::floor(y / scale));
}

bool Lcd_Scale::Smooth(double picture_scale) const {
  const double f = scale / picture_scale;
  return std::abs(f - std::round(f)) > 1e-9;
}

Rect Lcd_Windowed_Geometry(const std::string *stored, int32_t desk_w, int32_t desk_h) {
  if (stored) {
    std::vector<std::string> parts(1);
    for (char c : *stored) {
      if (c == ',') parts.emplace_back();
      else parts.back() += c;
    }
    int32_t n[4] = {};
    bool ok = parts.size() == 4;
    for (size_t i = 0; ok && i < 4; ++i) {
      std::string &part = parts[i];
      while (!part.empty() && (part.back() == ' ' || part.back() == '\t')) part.pop_back();
      const std::optional<int32_t> v = Ini_Parse_Int(part);
      ok = v.has_value();
      if (ok) n[i] = *v;
    }
    if (ok) {
      Rect g{n[0], n[1], std::clamp(n[2], kMinWindowWidth, std::max(kMinWindowWidth, desk_w)),
             std::clamp(n[3], kMinWindowHeight, std::max(kMinWindowHeight, desk_h))};
      // Kept where at least a part of it (32 pixels in from each edge) lies on the desktop.
      const Rect inner{g.left + 32, g.top + 32, g.width - 64, g.height - 64};
      if (Lcd_Intersect(Rect{0, 0, desk_w, desk_h}, inner).Empty()) {
        g.left = (desk_w - 1) / 2 - (g.width - 1) / 2;
        g.top = (desk_h - 1) / 2 - (g.height - 1) / 2;
      }
      return g;
    }
  }
  const int32_t w = std::max(kMinWindowWidth, desk_w * 2 / 3), h = std::max(kMinWindowHeight, desk_h * 2 / 3);
  return Rect{(desk_w - 1) / 2 - (w - 1) / 2, (desk_h - 1) / 2 - (h - 1) / 2, w, h};
}

std::string Lcd_Geometry_Text(const Rect &g) {
  return std::to_string(g.left) + "," + std::to_string(g.top) + "," + std::to_string(g.width) + "," +
         std::to_string(g.height);
}
