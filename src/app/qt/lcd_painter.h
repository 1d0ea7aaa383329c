// Painting the element model: the window colour, then every visible element in stacking order,
// limited to the dirty part of the window. Used by the game window and by the painting benchmark.
// Everything is drawn in window coordinates of the skin; a caller may set a transform on the
// painter first (the dirty rectangles are then in those same untransformed coordinates).
//
// Clipping to a region of many rectangles costs more than painting a few more pixels, so the
// game window gathers what changes into a few disjoint rectangles (App_Dirty) and paints each of
// them with a plain rectangular clip.
#pragma once
#include <QPainter>
#include <QRect>
#include <QRegion>
#include <vector>

#include "display/lcd.h"
#include "display/lcd_effects.h"

// The stored pixels of a picture (all of it unless cut to what shows) as an image to draw, without
// a copy: plain RGB when the picture is opaque.
QImage App_Picture_Image(const Picture &p);
// Draws the pixels src of img over the rectangle area (the painter's coordinates), scaled when
// their sizes differ.
void App_Draw_Image(QPainter &p, const QImage &img, const QRect &area, const QRect &src);

// Paints the part of the LCD window inside dirty (the painter is clipped to it here). With fx
// (synchronised with the model first) the LCD shows its effects as they are at now_ms; without,
// or with the effects switched off, the classic flat picture.
void App_Paint_Lcd(QPainter &p, const Lcd &lcd, const QRect &dirty, const LcdEffects *fx = nullptr,
                   int64_t now_ms = 0);
// Paints the window rectangle `window` of a scaled window (the painter without a transform) from
// the layers kept at the window's resolution, drawing and keeping those that are not kept yet.
struct View;
class App_Layer_Cache;
void App_Paint_Lcd(QPainter &p, const View &view, App_Layer_Cache &layers, const Lcd &lcd, const QRect &window,
                   const LcdEffects *fx = nullptr, int64_t now_ms = 0);
// Paints dirty rectangle by rectangle (App_Paint_Rects), each with its own rectangular clip.
void App_Paint_Lcd(QPainter &p, const Lcd &lcd, const QRegion &dirty, const LcdEffects *fx = nullptr,
                   int64_t now_ms = 0);
// The rectangles of a region with the pieces that the region's bands cut out of one rectangle
// joined again: a region made of a few disjoint rectangles gives back those rectangles.
std::vector<QRect> App_Paint_Rects(const QRegion &dirty);

// The changed parts of the window as a few disjoint rectangles: a rectangle joins another when
// they overlap or when their common bounding rectangle adds only a few pixels.
class App_Dirty {
 public:
  // Adds r; returns the gathered rectangle that now contains it (to be passed to the window).
  QRect Add(const QRect &r);
  const std::vector<QRect> &Rects() const { return rects_; }
  void Clear() { rects_.clear(); }

 private:
  std::vector<QRect> rects_;
};
