// How the skin's screen meets the Qt game window: the rules of display/lcd_view.h in Qt's types.
#pragma once
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QRegion>

#include "platform/qt/qt_platform.h"
#include "display/lcd_view.h"
#include "platform/screen.h"

struct View {
  double scale = 1.0;  // window pixels per skin-screen pixel

  // The window pixels a skin-screen rectangle touches (its edges rounded outwards, plus one pixel
  // of the smooth filter's reach when scaled).
  QRect ToWindow(const Rect &r) const;
  // Where a skin-screen rectangle lies on the window, edges rounded to whole pixels.
  QRect Rounded(const Rect &r) const;
  // The skin-screen rectangle that covers a window rectangle.
  QRect ToSkin(const QRect &r) const;
  // The skin-screen pixel under a window position.
  QPoint ToSkin(const QPointF &p) const;
  // Whole-number scales draw pixel for pixel enlarged; other scales filter smoothly.
  bool Smooth(double picture_scale = 1.0) const;
};

// The window's own pixels and the device's: a desktop scale (a device pixel ratio r, 1.5 at 144
// dpi) puts r device pixels on each window pixel. The game is drawn in device pixels, so that it
// looks the same at every desktop scale. Both round outwards with a pixel to spare, as the
// toolkit rounds the window's update areas to the device on its own.
QRect App_To_Device(const QRect &window, double ratio);
QRect App_To_Window(const QRect &device, double ratio);

struct Lcd;
class LcdEffects;
class App_Layer_Cache;
// Paints the dirty region of the window (window pixels) with the skin drawn through the view:
// each of its rectangles clipped on its own, the skin's screen scaled onto it. With layers, the
// pictures are drawn through the scale once and kept there (see App_Layer_Cache).
void App_Paint_Scaled(QPainter &p, const Lcd &lcd, const View &view, const QRegion &dirty,
                      const LcdEffects *fx = nullptr, int64_t now_ms = 0, App_Layer_Cache *layers = nullptr);
