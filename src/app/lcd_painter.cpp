#include "app/lcd_painter.h"


#include "platform/qt/qt_platform.h"

namespace {

QRect ToQ(const Rect &r) { return Plat_QRect(r); }

QImage Wrap(const Picture &p) {
  return QImage(reinterpret_cast<const uchar *>(p.pixels.data()), p.width, p.height, p.width * 4,
                QImage::Format_ARGB32_Premultiplied);
}

QColor Rgb(uint32_t c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

}  // namespace

void App_Paint_Lcd(QPainter &p, const Lcd &lcd, const QRect &dirty) {
  p.save();
  p.setClipRect(dirty, p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  p.fillRect(dirty, Rgb(lcd.window_color));
  int count = 0;
  const el::Id *order = Lcd_Paint_Order(&count);
  for (int i = 0; i < count; ++i) {
    const el::Id id = order[i];
    const Element &el = lcd.e[id];
    if (!el.visible) continue;
    const QRect area = ToQ(Lcd_Area(lcd, id));
    if (!area.intersects(dirty)) continue;
    switch (el.draw) {
      case DrawMode::FilledRect:
        p.fillRect(area, Qt::black);
        break;
      case DrawMode::Text:
        p.setFont(Plat_Font(id == el::la_stage_start ? Font::StageTitle : Font::StageName));
        p.setPen(Rgb(el.color));
        p.drawText(area, Qt::AlignCenter | Qt::TextDontClip, QString::fromStdString(el.text));
        break;
      default: {
        if (!el.pic || el.pic->width <= 0) break;
        // Pictures draw from their top-left corner, clipped to the element; a background picture
        // larger than its rectangle shows its centre.
        // A high-resolution picture (scale k) covers the element with k x k of its pixels per
        // skin pixel.
        const int k = std::max(1, el.pic->scale);
        QPoint src(0, 0);
        if (el.draw == DrawMode::Centred)
          src = QPoint(std::max(0, (el.pic->SkinWidth() - area.width()) / 2), std::max(0, (el.pic->SkinHeight() - area.height()) / 2));
        if (k == 1) p.drawImage(area.topLeft(), Wrap(*el.pic), QRect(src, area.size()));
        else p.drawImage(QRectF(area), Wrap(*el.pic),
                         QRectF(src.x() * double(k), src.y() * double(k), area.width() * double(k), area.height() * double(k)));
        break;
      }
    }
  }
  p.restore();
}
