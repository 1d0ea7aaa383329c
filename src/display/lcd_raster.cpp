#include "display/lcd_raster.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "display/lcd_layers.h"
#include "display/lcd_paint_plan.h"
#include "display/lcd_view.h"

namespace {

// The window pixels whose centres lie in [a, b): the first and one past the last.
void Span(double a, double b, int32_t *first, int32_t *end) {
  *first = static_cast<int32_t>(std::ceil(a - 0.5));
  *end = static_cast<int32_t>(std::ceil(b - 0.5));
}

inline uint32_t Scale(uint32_t p, uint32_t k) {  // every channel times k / 256
  const uint32_t rb = ((p & 0x00FF00FFu) * k >> 8) & 0x00FF00FFu;
  const uint32_t ag = (((p >> 8) & 0x00FF00FFu) * k) & 0xFF00FF00u;
  return rb | ag;
}

inline uint32_t Over(uint32_t s, uint32_t d) {  // premultiplied s over d
  const uint32_t a = s >> 24;
  if (a == 255) return s;
  if (a == 0 && s == 0) return d;
  return s + Scale(d, 256 - (a + (a >> 7)));
}

// One column's (or row's) source position: the pixel and, when filtering, the next one with the
// weight of the next (0 .. 256).
struct Tap {
  int32_t i0, i1;
  uint32_t w;
};

std::vector<Tap> Taps(int32_t first, int32_t end, double origin, double step, int32_t lo, int32_t count, bool smooth) {
  std::vector<Tap> taps;
  taps.reserve(static_cast<size_t>(std::max(0, end - first)));
  for (int32_t d = first; d < end; ++d) {
    const double u = lo + (d + 0.5 - origin) * step;
    if (!smooth) {
      const int32_t i = std::clamp(static_cast<int32_t>(std::floor(u)), lo, lo + count - 1);
      taps.push_back(Tap{i, i, 0});
      continue;
    }
    const double v = u - 0.5;
    const double f = std::floor(v);
    const int32_t i = static_cast<int32_t>(f);
    const uint32_t w = static_cast<uint32_t>(std::lround((v - f) * 256));
    taps.push_back(Tap{std::clamp(i, lo, lo + count - 1), std::clamp(i + 1, lo, lo + count - 1), w});
  }
  return taps;
}

inline uint32_t Mix(uint32_t a, uint32_t b, uint32_t w) {  // a towards b by w / 256
  if (w == 0 || a == b) return a;
  return Scale(a, 256 - w) + Scale(b, w);
}

struct Painter {
  Lcd_Pixels &out;
  Rect clip;
  double scale;
  bool smooth;

  uint32_t *Row(int32_t y, int32_t x) const {
    return out.px + static_cast<std::ptrdiff_t>(y - out.top) * out.stride + (x - out.left);
  }

  void Fill(const Rect &skin, uint32_t rgb) {
    int32_t x0, x1, y0, y1;
    Span(skin.left * scale, (skin.left + double(skin.width)) * scale, &x0, &x1);
    Span(skin.top * scale, (skin.top + double(skin.height)) * scale, &y0, &y1);
    const Rect r = Lcd_Intersect(clip, Rect{x0, y0, x1 - x0, y1 - y0});
    for (int32_t y = r.top; y < r.top + r.height; ++y)
      std::fill_n(Row(y, r.left), r.width, rgb | 0xFF000000u);
  }

  void Picture(const Lcd_Step &s) {
    const ::Picture &pic = *s.pic;
    const double X0 = s.area.left * scale, X1 = (s.area.left + double(s.area.width)) * scale;
    const double Y0 = s.area.top * scale, Y1 = (s.area.top + double(s.area.height)) * scale;
    int32_t x0, x1, y0, y1;
    Span(X0, X1, &x0, &x1);
    Span(Y0, Y1, &y0, &y1);
    const Rect r = Lcd_Intersect(clip, Rect{x0, y0, x1 - x0, y1 - y0});
    if (r.Empty() || s.src.Empty()) return;
    // A picture drawn at its own size onto whole pixels is copied as it is, at any scale setting.
    const bool same = std::abs((X1 - X0) - s.src.width) < 1e-9 && std::abs((Y1 - Y0) - s.src.height) < 1e-9 &&
                      X0 == std::floor(X0) && Y0 == std::floor(Y0);
    const bool filter = smooth && !same;
    const std::vector<Tap> cols = Taps(r.left, r.left + r.width, X0, s.src.width / (X1 - X0), s.src.left, s.src.width, filter);
    const std::vector<Tap> rows = Taps(r.top, r.top + r.height, Y0, s.src.height / (Y1 - Y0), s.src.top, s.src.height, filter);
    const Rect stored = pic.Stored();
    // Drawn opaque, the picture's see-through parts (also outside what is stored) are black;
    // otherwise src counts from the stored part.
    auto fetch = [&](int32_t x, int32_t y) -> uint32_t {
      if (s.as_opaque) return pic.At(x, y) | 0xFF000000u;
      return pic.pixels[static_cast<size_t>(y) * static_cast<size_t>(stored.width) + static_cast<size_t>(x)];
    };
    const uint32_t level = Level(s.level);
    const bool copy = level == 256 && (s.as_opaque || pic.opaque);
    for (size_t j = 0; j < rows.size(); ++j) {
      uint32_t *dst = Row(r.top + static_cast<int32_t>(j), r.left);
      const Tap &ty = rows[j];
      for (size_t i = 0; i < cols.size(); ++i) {
        const Tap &tx = cols[i];
        uint32_t p = fetch(tx.i0, ty.i0);
        if (filter && (tx.w || ty.w)) {
          const uint32_t top = Mix(p, fetch(tx.i1, ty.i0), tx.w);
          const uint32_t bottom = ty.w ? Mix(fetch(tx.i0, ty.i1), fetch(tx.i1, ty.i1), tx.w) : top;
          p = Mix(top, bottom, ty.w);
        }
        if (copy) {
          dst[i] = p;
          continue;
        }
        if (level < 256) p = Scale(p, level);
        dst[i] = Over(p, dst[i]);
      }
    }
  }

  // A kept picture: its pixels are those Picture makes before the level and the blend, so it is
  // blended the same way.
  void Kept(const Lcd_Layer &l, float at_level) {
    const Rect r = Lcd_Intersect(clip, l.at);
    const uint32_t level = Level(at_level);
    for (int32_t y = r.top; y < r.top + r.height; ++y) {
      const uint32_t *src = l.px.data() + static_cast<size_t>(y - l.at.top) * static_cast<size_t>(l.at.width) + (r.left - l.at.left);
      uint32_t *dst = Row(y, r.left);
      if (l.opaque && level == 256) {
        std::memcpy(dst, src, static_cast<size_t>(r.width) * sizeof(uint32_t));
        continue;
      }
      for (int32_t i = 0; i < r.width; ++i) dst[i] = Over(level < 256 ? Scale(src[i], level) : src[i], dst[i]);
    }
  }
  static uint32_t Level(float level) { return static_cast<uint32_t>(std::lround(std::clamp(level, 0.0f, 1.0f) * 256)); }
};

}  // namespace

namespace {

void PaintRect(Lcd_Pixels &out, const Lcd &lcd, double scale, const Rect &window, const LcdEffects *fx, int64_t now_ms,
               const Lcd_Text_Painter &text, Lcd_Layers *layers) {
  const Rect clip = Lcd_Intersect(window, Rect{out.left, out.top, out.width, out.height});
  if (clip.Empty() || !out.px || scale <= 0) return;
  const PictureRef &bg = lcd.e[el::im_background].pic;
  // One filtering for the whole paint, chosen by the background's resolution (as it was loaded
  // for this scale, every picture of the skin has the same).
  Painter p{out, clip, scale, Lcd_Scale{scale}.Smooth(bg ? bg->scale : 1)};
  for (int32_t y = clip.top; y < clip.top + clip.height; ++y)
    std::fill_n(p.Row(y, clip.left), clip.width, lcd.window_color | 0xFF000000u);
  static std::vector<Lcd_Step> steps;
  Lcd_Paint_Plan(lcd, scale == 1.0 ? clip : Lcd_Scale{scale}.ToSkin(clip), fx, now_ms, steps);
  bool ghosts_kept = false;  // the kept background carries the LCD's ghosts
  for (const Lcd_Step &s : steps) {
    switch (s.kind) {
      case Lcd_Step::Kind::Fill:
        p.Fill(s.area, s.color);
        break;
      case Lcd_Step::Kind::Text:
        if (text && s.text) text(Lcd_Scale{scale}.Rounded(s.area), clip, s.font, scale, s.color, *s.text);
        break;
      case Lcd_Step::Kind::Picture: {
        if (s.ghost && ghosts_kept) break;
        // Kept at full level with the layers over it, drawn by this same painter.
        auto draw = [&](Lcd_Pixels &into) {
          Painter q{into, Rect{into.left, into.top, into.width, into.height}, scale, p.smooth};
          Lcd_Step whole = s;
          whole.level = 1;
          q.Picture(whole);
          if (s.over)
            for (const LcdLayer &l : *s.over)
              if (Lcd_Layer_Step(l, whole)) q.Picture(whole);
        };
        const Lcd_Layer *kept = layers ? layers->Get(s.pic, s.as_opaque, s.area, s.src, clip, s.over, draw) : nullptr;
        if (kept) p.Kept(*kept, s.level);
        else p.Picture(s);
        if (s.over) ghosts_kept = kept != nullptr;
        break;
      }
    }
  }
}

}  // namespace

void Lcd_Paint_Pixels(Lcd_Pixels &out, const Lcd &lcd, double scale, const Rect &window, const LcdEffects *fx,
                      int64_t now_ms, const Lcd_Text_Painter &text) {
  PaintRect(out, lcd, scale, window, fx, now_ms, text, nullptr);
}

void Lcd_Paint_Pixels(Lcd_Pixels &out, const Lcd &lcd, double scale, const std::vector<Rect> &rects,
                      const LcdEffects *fx, int64_t now_ms, const Lcd_Text_Painter &text, Lcd_Layers *layers) {
  if (scale == 1.0 || scale <= 0) layers = nullptr;
  if (layers) {
    int64_t painted = 0;
    for (const Rect &r : rects) painted += r.Empty() ? 0 : int64_t{r.width} * r.height;
    layers->Begin(lcd, fx, scale, Lcd_Layers::Worth_Making(painted, int64_t{out.width} * out.height));
  }
  for (const Rect &r : rects) PaintRect(out, lcd, scale, r, fx, now_ms, text, layers);
}
