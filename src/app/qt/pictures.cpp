#include "app/qt/pictures.h"

#include <algorithm>

#include "app/qt/lcd_painter.h"

QPixmap App_Picture_Pixmap(const char *name, double device_pixel_ratio) {
  const PictureRef pic = App_Picture(name, device_pixel_ratio);
  if (!pic || pic->width <= 0) return QPixmap();
  // A deep copy: a pixmap made from an image over someone else's pixels may keep pointing at them,
  // and the picture is freed once nothing holds it.
  QPixmap pixmap = QPixmap::fromImage(App_Picture_Image(*pic).copy());
  pixmap.setDevicePixelRatio(std::max(1, pic->scale));
  return pixmap;
}
