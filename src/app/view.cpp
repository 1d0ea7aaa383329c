#include "app/view.h"

#include <algorithm>
#include <cmath>

#include "app/layer_cache.h"
#include "app/lcd_painter.h"
#include "display/lcd.h"
#include "display/lcd_effects.h"
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

namespace {

// A whole-number ratio maps window pixels onto device pixels exactly; another one is rounded by
// the toolkit to either side, so a pixel is kept to spare.
int Spare(double ratio) { return ratio == std::round(ratio) ? 0 : 1; }

}  // namespace

QRect App_To_Device(const QRect &w, double ratio) {
  if (ratio == 1.0 || w.isEmpty()) return w;
  const int k = Spare(ratio);
  const int x1 = Pin(std::floor(w.left() * ratio)) - k, y1 = Pin(std::floor(w.top() * ratio)) - k;
  const int x2 = Pin(std::ceil((w.left() + double(w.width())) * ratio)) + k;
  const int y2 = Pin(std::ceil((w.top() + double(w.height())) * ratio)) + k;
  return QRect(x1, y1, x2 - x1, y2 - y1);
}

QRect App_To_Window(const QRect &d, double ratio) {
  if (ratio == 1.0 || d.isEmpty()) return d;
  const int k = Spare(ratio);
  const int x1 = Pin(std::floor(d.left() / ratio)) - k, y1 = Pin(std::floor(d.top() / ratio)) - k;
  const int x2 = Pin(std::ceil((d.left() + double(d.width())) / ratio)) + k;
  const int y2 = Pin(std::ceil((d.top() + double(d.height())) / ratio)) + k;
  return QRect(x1, y1, x2 - x1, y2 - y1);
}

bool View::Smooth(double picture_scale) const {
  const double f = scale / picture_scale;
  return std::abs(f - std::round(f)) > 1e-9;
}

void App_Paint_Scaled(QPainter &p, const Lcd &lcd, const View &view, const QRegion &dirty, const LcdEffects *fx,
                      int64_t now_ms, App_Layer_Cache *layers) {
  if (view.scale == 1.0) {
    App_Paint_Lcd(p, lcd, dirty, fx, now_ms);
    return;
  }
  const PictureRef &bg = lcd.e[el::im_background].pic;
  p.save();
  const bool smooth = view.Smooth(bg ? bg->scale : 1);
  p.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
  if (layers) {
    // Layers are kept for the small repaints of play; a paint of most of the window (the first
    // one, an uncovered window) draws its pictures through the scale as they come.
    static const std::vector<Rect> kNone;
    const std::vector<QRect> rects = App_Paint_Rects(dirty);
    int64_t pixels = 0;
    for (const QRect &r : rects) pixels += int64_t{r.width()} * r.height();
    const QPaintDevice *device = p.device();
    // The device's own pixels (the painter draws them one for one, whatever the desktop's scale).
    const double r = device ? device->devicePixelRatio() : 1.0;
    const bool make = device && pixels * 4 < std::llround(device->width() * r) * std::llround(device->height() * r);
    layers->Begin(view, smooth, fx && fx->Active() ? fx->Lcd_Areas() : kNone, make, bg.get());
    for (const QRect &r : rects) App_Paint_Lcd(p, view, *layers, lcd, r, fx, now_ms);
    p.restore();
    return;
  }
  for (const QRect &r : App_Paint_Rects(dirty)) {
    p.save();
    p.setClipRect(r);
    p.scale(view.scale, view.scale);
    App_Paint_Lcd(p, lcd, view.ToSkin(r), fx, now_ms);
    p.restore();
  }
  p.restore();
}
