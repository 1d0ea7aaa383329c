#include "app/view.h"

#include <algorithm>
#include <cmath>

#include "platform/types.h"

namespace {

constexpr double kLimit = 1 << 29;

int Pin(double v) { return static_cast<int>(std::clamp(v, -kLimit, kLimit)); }

}  // namespace

QRect View::ToWindow(const Rect &r) const {
  const QRect q = Plat_QRect(r);
  if (scale == 1.0 || q.isEmpty()) return q;
  const int x1 = Pin(std::floor(q.left() * scale)) - 1, y1 = Pin(std::floor(q.top() * scale)) - 1;
  const int x2 = Pin(std::ceil((q.left() + double(q.width())) * scale)) + 1;
  const int y2 = Pin(std::ceil((q.top() + double(q.height())) * scale)) + 1;
  return QRect(x1, y1, x2 - x1, y2 - y1);
}

QRect View::Rounded(const Rect &r) const {
  const QRect q = Plat_QRect(r);
  if (scale == 1.0) return q;
  const int x1 = Pin(std::round(q.left() * scale)), y1 = Pin(std::round(q.top() * scale));
  const int x2 = Pin(std::round((q.left() + double(q.width())) * scale));
  const int y2 = Pin(std::round((q.top() + double(q.height())) * scale));
  return QRect(x1, y1, x2 - x1, y2 - y1);
}

QRect View::ToSkin(const QRect &r) const {
  if (scale == 1.0 || r.isEmpty()) return r;
  const int x1 = Pin(std::floor(r.left() / scale)) - 1, y1 = Pin(std::floor(r.top() / scale)) - 1;
  const int x2 = Pin(std::ceil((r.left() + double(r.width())) / scale)) + 1;
  const int y2 = Pin(std::ceil((r.top() + double(r.height())) / scale)) + 1;
  return QRect(x1, y1, x2 - x1, y2 - y1);
}

QPoint View::ToSkin(const QPointF &p) const {
  return QPoint(Pin(std::floor(p.x() / scale)), Pin(std::floor(p.y() / scale)));
}

bool View::Smooth(double picture_scale) const {
  const double f = scale / picture_scale;
  return std::abs(f - std::round(f)) > 1e-9;
}
