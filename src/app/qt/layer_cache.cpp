#include "app/qt/layer_cache.h"

#include <QPainter>
#include <algorithm>

#include "app/qt/lcd_painter.h"
#include "platform/qt/qt_platform.h"

namespace {

::Rect Plain(const QRect &r) { return ::Rect{r.x(), r.y(), r.width(), r.height()}; }

}  // namespace

const App_Layer_Cache::Layer *App_Layer_Cache::Get(const PictureRef &pic, bool as_opaque, const QImage &img,
                                                   const QRect &area, const QRect &src, const QRect &window,
                                                   const std::vector<LcdLayer> *over) {
  if (img.isNull()) return nullptr;
  const double scale = kept_.Scale();
  // Drawn exactly as the painter draws it through the scale, moved by whole window pixels.
  const Lcd_Layer *kept = kept_.Get(pic, as_opaque, Plain(area), Plain(src), Plain(window), over, [&](Lcd_Pixels &into) {
    QImage out(reinterpret_cast<uchar *>(into.px), into.width, into.height, into.stride * 4,
               QImage::Format_ARGB32_Premultiplied);
    QPainter q(&out);
    q.setRenderHint(QPainter::SmoothPixmapTransform, kept_.Smooth());
    q.translate(-into.left, -into.top);
    q.scale(scale, scale);
    App_Draw_Image(q, img, area, src);
    if (over)
      for (const LcdLayer &l : *over) {
        const QRect at = Plat_QRect(l.at);
        const int k = std::max(1, l.pic->scale);
        App_Draw_Image(q, App_Picture_Image(*l.pic), at, QRect(0, 0, at.width() * k, at.height() * k));
      }
  });
  if (!kept) return nullptr;
  // The kept pixels themselves, without a copy; one without a see-through pixel is copied.
  shown_.image = QImage(reinterpret_cast<const uchar *>(kept->px.data()), kept->at.width, kept->at.height,
                        kept->at.width * 4, kept->opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
  shown_.at = QPoint(kept->at.left, kept->at.top);
  return &shown_;
}
