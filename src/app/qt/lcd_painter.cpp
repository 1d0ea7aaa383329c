#include "app/qt/lcd_painter.h"


#include <memory>
#include <unordered_map>

#include "app/qt/layer_cache.h"
#include "app/qt/view.h"
#include "display/lcd_paint_plan.h"
#include "platform/qt/qt_platform.h"

namespace {

QRect ToQ(const Rect &r) { return Plat_QRect(r); }

// An element that is not transparent covers what lies beneath its picture: the picture's own
// colours with the see-through parts black (the premultiplied pixels as they are, made opaque).
// Made once per picture and kept while the picture lives.
QImage Opaque(const PictureRef &pic) {
  if (pic->opaque) return App_Picture_Image(*pic);
  struct Entry {
    std::weak_ptr<const Picture> pic;
    QImage image;
  };
  static std::unordered_map<const Picture *, Entry> cache;
  auto it = cache.find(pic.get());
  if (it != cache.end() && it->second.pic.lock() == pic) return it->second.image;
  if (cache.size() > 64) std::erase_if(cache, [](const auto &kv) { return kv.second.pic.expired(); });
  QImage img(pic->width, pic->height, QImage::Format_RGB32);
  img.fill(Qt::black);
  const Rect s = pic->Stored();
  for (int y = 0; y < s.height; ++y) {
    const uint32_t *src = pic->pixels.data() + static_cast<size_t>(y) * s.width;
    auto *dst = reinterpret_cast<uint32_t *>(img.scanLine(s.top + y)) + s.left;
    for (int x = 0; x < s.width; ++x) dst[x] = src[x] | 0xFF000000u;
  }
  cache[pic.get()] = Entry{pic, img};
  return img;
}

QColor Rgb(uint32_t c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

// The painter shares a blend or fill of more than about a hundred rows out over a pool of threads.
// For the small copies of kept layers the hand-over costs far more than it saves, so they are
// done in bands of fewer rows.
std::vector<QRect> Bands(const QRect &r) {
  constexpr int kRows = 64;
  std::vector<QRect> out;
  for (int y = r.top(); y <= r.bottom(); y += kRows) out.emplace_back(r.left(), y, r.width(), std::min(kRows, r.bottom() + 1 - y));
  return out;
}

// Where the pictures go: straight through the painter (with whatever transform the caller set),
// or, when the window is scaled and keeps its layers, from pictures of window pixels (the painter
// then has no transform and paints the window rectangle `window`).
struct Target {
  QPainter &p;
  const View *view = nullptr;
  App_Layer_Cache *layers = nullptr;
  QRect window;

  // Draws the pixels src of pic (as_opaque: its see-through parts black) over the skin rectangle
  // area at a level of 0 .. 1. True when it came from a kept picture, which also has the layers
  // `over` drawn on it.
  bool Draw(const PictureRef &pic, bool as_opaque, QRect area, QRect src, float level,
            const std::vector<LcdLayer> *over = nullptr) {
    if (level <= 0) return false;
    if (level < 1) p.setOpacity(level);
    const QImage img = as_opaque ? Opaque(pic) : App_Picture_Image(*pic);
    const App_Layer_Cache::Layer *kept = layers ? layers->Get(pic, as_opaque, img, area, src, window, over) : nullptr;
    if (kept) {
      for (const QRect &band : Bands(kept->Rect() & window))
        p.drawImage(band.topLeft(), kept->image, band.translated(-kept->at));
    } else {
      Scaled([&] { App_Draw_Image(p, img, area, src); });
    }
    if (level < 1) p.setOpacity(1);
    return kept != nullptr;
  }
  // Draws in skin coordinates, through the view when the painter has none of its own.
  template <class F>
  void Scaled(F draw) {
    if (!layers) return draw();
    p.save();
    p.scale(view->scale, view->scale);
    draw();
    p.restore();
  }
};

// Paints the part of the LCD window inside dirty (skin coordinates), step by step as planned.
void PaintLcd(Target &t, const Lcd &lcd, const QRect &dirty, const LcdEffects *fx, int64_t now_ms) {
  QPainter &p = t.p;
  p.save();
  if (t.layers) {
    p.setClipRect(t.window, p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    for (const QRect &band : Bands(t.window)) p.fillRect(band, Rgb(lcd.window_color));
  } else {
    p.setClipRect(dirty, p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    p.fillRect(dirty, Rgb(lcd.window_color));
  }
  static std::vector<Lcd_Step> steps;
  Lcd_Paint_Plan(lcd, Rect{dirty.x(), dirty.y(), dirty.width(), dirty.height()}, fx, now_ms, steps);
  bool ghosts_kept = false;  // the kept background carries the LCD's ghosts
  for (const Lcd_Step &s : steps) {
    const QRect area = ToQ(s.area);
    switch (s.kind) {
      case Lcd_Step::Kind::Fill:
        t.Scaled([&] { p.fillRect(area, Rgb(s.color)); });
        break;
      case Lcd_Step::Kind::Text:
        t.Scaled([&] {
          p.setFont(Plat_Font(s.font));
          p.setPen(Rgb(s.color));
          p.drawText(area, Qt::AlignCenter | Qt::TextDontClip, QString::fromStdString(*s.text));
        });
        break;
      case Lcd_Step::Kind::Picture: {
        if (s.ghost && ghosts_kept) break;
        const bool kept = t.Draw(s.pic, s.as_opaque, area, ToQ(s.src), s.level, s.over);
        if (s.over) ghosts_kept = kept;
        break;
      }
    }
  }
  p.restore();
}

}  // namespace

// A picture known to be opaque is drawn as plain RGB: the same pixels, copied instead of blended.
QImage App_Picture_Image(const Picture &p) {
  const Rect s = p.Stored();
  return QImage(reinterpret_cast<const uchar *>(p.pixels.data()), s.width, s.height, s.width * 4,
                p.opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
}

void App_Draw_Image(QPainter &p, const QImage &img, const QRect &area, const QRect &src) {
  if (src.size() == area.size()) p.drawImage(area.topLeft(), img, src);
  else p.drawImage(QRectF(area), img, QRectF(src));
}

void App_Paint_Lcd(QPainter &p, const Lcd &lcd, const QRect &dirty, const LcdEffects *fx, int64_t now_ms) {
  Target t{p, nullptr, nullptr, QRect()};
  PaintLcd(t, lcd, dirty, fx, now_ms);
}

void App_Paint_Lcd(QPainter &p, const View &view, App_Layer_Cache &layers, const Lcd &lcd, const QRect &window,
                   const LcdEffects *fx, int64_t now_ms) {
  Target t{p, &view, &layers, window};
  PaintLcd(t, lcd, view.ToSkin(window), fx, now_ms);
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
