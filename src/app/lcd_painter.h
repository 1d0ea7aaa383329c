// Painting the element model: the window colour, then every visible element in stacking order,
// limited to one dirty rectangle. Used by the game window and by the painting benchmark.
#pragma once
#include <QPainter>
#include <QRect>
#include <vector>

#include "display/lcd.h"

// Paints the part of the LCD window inside dirty (the painter is clipped to it here).
void App_Paint_Lcd(QPainter &p, const Lcd &lcd, const QRect &dirty);

// The rectangles the element model reported since the last paint. Painting them one by one is
// cheaper than painting their bounding rectangle when a tick changes segments all over the screen.
class DirtyRects {
 public:
  void Add(const QRect &r);
  // The rectangles to paint for a paint event covering region: the reported ones, or the region's
  // own rectangles when the window system asks for more (an exposed window). Empties the list.
  std::vector<QRect> Take(const QRegion &region);

 private:
  std::vector<QRect> rects_;
};
