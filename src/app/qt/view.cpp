#include "app/qt/view.h"

#include <algorithm>
#include <cmath>

#include "app/qt/layer_cache.h"
#include "app/qt/lcd_painter.h"
#include "display/lcd.h"
#include "display/lcd_effects.h"
#include "platform/types.h"

namespace {

QRect ToQ(const Rect &r) { return QRect(r.left, r.top, r.width, r.height); }

// Coordinates kept within +-2^29, as Lcd_Pin keeps rectangles.
int Pin(double v) { return static_cast<int>(std::clamp(v, -double(1 << 29), double(1 << 29))); }

}  // namespace

QRect View::ToWindow(const Rect &r) const { return ToQ(Lcd_Scale{scale}.ToWindow(r)); }

QRect View::Rounded(const Rect &r) const { return ToQ(Lcd_Scale{scale}.Rounded(r)); }

QRect View::ToSkin(const QRect &r) const {
  if (scale == 1.0 || r.isEmpty()) return r;
  return ToQ(Lcd_Scale{scale}.ToSkin(Rect{r.x(), r.y(), r.width(), r.height()}));
}

QPoint View::ToSkin(const QPointF &p) const {
  int32_t x = 0, y = 0;
  Lcd_Scale{scale}.ToSkin(p.x(), p.y(), &x, &y);
  return QPoint(x, y);
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

bool View::Smooth(double picture_scale) const { return Lcd_Scale{scale}.Smooth(picture_scale); }

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
    const std::vector<QRect> rects = App_Paint_Rects(dirty);
    int64_t pixels = 0;
    for (const QRect &r : rects) pixels += int64_t{r.width()} * r.height();
    const QPaintDevice *device = p.device();
    // The device's own pixels (the painter draws them one for one, whatever the desktop's scale).
    const double r = device ? device->devicePixelRatio() : 1.0;
    const bool make =
        device && Lcd_Layers::Worth_Making(pixels, std::llround(device->width() * r) * std::llround(device->height() * r));
    layers->Begin(lcd, fx, view.scale, make);
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
