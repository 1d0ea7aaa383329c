#include "app/lcd_painter.h"


#include <memory>
#include <unordered_map>

#include "platform/qt/qt_platform.h"

namespace {

QRect ToQ(const Rect &r) { return Plat_QRect(r); }

// A picture known to be opaque is drawn as plain RGB: the same pixels, copied instead of blended.
QImage Wrap(const Picture &p) {
  return QImage(reinterpret_cast<const uchar *>(p.pixels.data()), p.width, p.height, p.width * 4,
                p.opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
}

// An element that is not transparent covers what lies beneath its picture: the picture's own
// colours with the see-through parts black (the premultiplied pixels as they are, made opaque).
// Made once per picture and kept while the picture lives.
QImage Opaque(const PictureRef &pic) {
  if (pic->opaque) return Wrap(*pic);
  struct Entry {
    std::weak_ptr<const Picture> pic;
    QImage image;
  };
  static std::unordered_map<const Picture *, Entry> cache;
  auto it = cache.find(pic.get());
  if (it != cache.end() && it->second.pic.lock() == pic) return it->second.image;
  if (cache.size() > 64) std::erase_if(cache, [](const auto &kv) { return kv.second.pic.expired(); });
  QImage img(pic->width, pic->height, QImage::Format_RGB32);
  for (int y = 0; y < pic->height; ++y) {
    const uint32_t *src = pic->pixels.data() + static_cast<size_t>(y) * pic->width;
    auto *dst = reinterpret_cast<uint32_t *>(img.scanLine(y));
    for (int x = 0; x < pic->width; ++x) dst[x] = src[x] | 0xFF000000u;
  }
  cache[pic.get()] = Entry{pic, img};
  return img;
}

QColor Rgb(uint32_t c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

// A picture drawn from its top-left corner at `at`, clipped to size, at a level of 0 .. 1.
// A picture of scale k (k x k pixels per skin pixel) covers at with at's size in skin pixels.
void DrawAt(QPainter &p, const QRect &at, const QImage &img, float level, int k = 1) {
  if (level <= 0) return;
  if (level < 1) p.setOpacity(level);
  if (k <= 1) p.drawImage(at.topLeft(), img, QRect(QPoint(0, 0), at.size()));
  else p.drawImage(QRectF(at), img, QRectF(0, 0, at.width() * double(k), at.height() * double(k)));
  if (level < 1) p.setOpacity(1);
}

// What lies under the segments on a real LCD: the shadows of the lit segments on the reflector,
// then the faint ghosts of all segments.
void PaintUnderlay(QPainter &p, const Lcd &lcd, const QRect &dirty, const LcdEffects &fx, int64_t now) {
  LcdEffects::Shown shown[2];
  if (fx.Settings().shadow) {
    for (int i = 0; i < el::kSkinElements; ++i) {
      const auto id = static_cast<el::Id>(i);
      if (!Lcd_Is_Segment(id) || !ToQ(fx.Reach(lcd.e[i].rect)).intersects(dirty)) continue;
      const int n = fx.Segment_Pictures(lcd, id, now, shown);
      for (int k = 0; k < n; ++k)
        if (const LcdLayer *sh = fx.Shadow_Of(id, shown[k].pic)) {
          const QRect at = ToQ(sh->at);
          if (at.intersects(dirty)) DrawAt(p, at, Wrap(*sh->pic), shown[k].level);
        }
    }
  }
  for (const LcdLayer &g : fx.Ghosts()) {
    const QRect at = ToQ(g.at);
    const QRect part = at & dirty;
    if (!part.isEmpty()) p.drawImage(part.topLeft(), Wrap(*g.pic), part.translated(-at.topLeft()));
  }
}

}  // namespace

void App_Paint_Lcd(QPainter &p, const Lcd &lcd, const QRect &dirty, const LcdEffects *fx, int64_t now_ms) {
  if (fx && !fx->Active()) fx = nullptr;
  p.save();
  p.setClipRect(dirty, p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  p.fillRect(dirty, Rgb(lcd.window_color));
  int count = 0;
  const el::Id *order = Lcd_Paint_Order(&count);
  for (int i = 0; i < count; ++i) {
    const el::Id id = order[i];
    const Element &el = lcd.e[id];
    if (fx && Lcd_Is_Segment(id)) {
      // A segment shows at its level while it fades, also once hidden.
      LcdEffects::Shown shown[2];
      const QRect area = ToQ(el.rect);
      if (!area.intersects(dirty)) continue;
      const int n = fx->Segment_Pictures(lcd, id, now_ms, shown);
      for (int k = 0; k < n; ++k) DrawAt(p, area, Wrap(*shown[k].pic), shown[k].level, shown[k].pic->scale);
      continue;
    }
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
        const QImage img = el.transparent ? Wrap(*el.pic) : Opaque(el.pic);
        if (k == 1) p.drawImage(area.topLeft(), img, QRect(src, area.size()));
        else p.drawImage(QRectF(area), img,
                         QRectF(src.x() * double(k), src.y() * double(k), area.width() * double(k), area.height() * double(k)));
        break;
      }
    }
    if (fx && id == el::im_background) PaintUnderlay(p, lcd, dirty, *fx, now_ms);
  }
  p.restore();
}

void App_Paint_Lcd(QPainter &p, const Lcd &lcd, const QRegion &dirty, const LcdEffects *fx, int64_t now_ms) {
  for (const QRect &r : App_Paint_Rects(dirty)) App_Paint_Lcd(p, lcd, r, fx, now_ms);
}

std::vector<QRect> App_Paint_Rects(const QRegion &dirty) {
  // The region lists its rectangles band by band, top to bottom; a piece joins an earlier one
  // with the same left and right edges that ends just above it.
  std::vector<QRect> out;
  for (const QRect &r : dirty) {
    bool joined = false;
    for (QRect &o : out)
      if (o.left() == r.left() && o.right() == r.right() && o.bottom() + 1 == r.top()) {
        o.setBottom(r.bottom());
        joined = true;
        break;
      }
    if (!joined) out.push_back(r);
  }
  return out;
}

QRect App_Dirty::Add(const QRect &r) {
  if (r.isEmpty()) return r;
  // Painting a rectangle on its own costs about as much as a few thousand pixels more of a
  // bigger one (scripts/bench.sh), so rectangles whose bounding rectangle adds fewer pixels
  // than that are joined; overlapping ones always are, so the gathered rectangles stay disjoint.
  constexpr int64_t kJoinPixels = 2048;
  auto area = [](const QRect &a) { return int64_t{a.width()} * a.height(); };
  QRect cur = r;
  for (bool again = true; again;) {
    again = false;
    for (size_t i = 0; i < rects_.size(); ++i) {
      const QRect &o = rects_[i];
      const QRect both = cur | o;
      const int64_t covered = area(cur) + area(o) - area(cur & o);
      if (cur.intersects(o) || area(both) - covered <= kJoinPixels) {
        cur = both;
        rects_.erase(rects_.begin() + static_cast<std::ptrdiff_t>(i));
        again = true;
        break;
      }
    }
  }
  rects_.push_back(cur);
  return cur;
}
