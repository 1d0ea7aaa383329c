#include "display/lcd_effects.h"

#include <algorithm>
#include <cmath>
#include <climits>
#include <numeric>
#include <optional>
#include <string>

#include "platform/image.h"
#include "platform/store.h"

namespace {

// How dark a shadow is under a fully opaque segment pixel, out of 255.
constexpr uint32_t kShadowAlpha = 80;
// Segment places closer than this belong to the same LCD screen.
constexpr int32_t kScreenGap = 12;

int64_t Right(const Rect &r) { return int64_t{r.left} + r.width; }
int64_t Bottom(const Rect &r) { return int64_t{r.top} + r.height; }

Rect Union(const Rect &a, const Rect &b) {
  const int64_t l = std::min(a.left, b.left), t = std::min(a.top, b.top);
  const int64_t r = std::max(Right(a), Right(b)), btm = std::max(Bottom(a), Bottom(b));
  return Rect{static_cast<int32_t>(l), static_cast<int32_t>(t), static_cast<int32_t>(std::min<int64_t>(r - l, INT32_MAX)),
              static_cast<int32_t>(std::min<int64_t>(btm - t, INT32_MAX))};
}

bool Near(const Rect &a, const Rect &b, int32_t gap) {
  return int64_t{a.left} - gap < Right(b) && int64_t{b.left} - gap < Right(a) && int64_t{a.top} - gap < Bottom(b) &&
         int64_t{b.top} - gap < Bottom(a);
}

bool Usable(const PictureRef &pic) { return pic && pic->width > 0 && pic->height > 0 && pic != Img_Placeholder(); }

bool IsDigitPlace(el::Id id) { return id >= el::im_panel_digit_pos_1 && id <= el::im_panel_digit_pos_5; }

// Strictly "1" or "0"; anything else is not a stored switch.
std::optional<bool> Switch(Store &store, const char *name) {
  const std::optional<std::string> t = store.ReadText(name);
  if (t == "1") return true;
  if (t == "0") return false;
  return std::nullopt;
}

// The colour the window shows at (x, y) below every element: the background picture or the
// window colour (0xRRGGBB).
struct Backdrop {
  const Picture *pic = nullptr;
  Rect area;
  int32_t sx = 0, sy = 0;
  uint32_t window = 0;
  explicit Backdrop(const Lcd &lcd) : window(lcd.window_color) {
    const Element &bg = lcd.e[el::im_background];
    if (!bg.visible || !Usable(bg.pic)) return;
    pic = bg.pic.get();
    area = Lcd_Area(lcd, el::im_background);
    sx = std::max(0, (pic->SkinWidth() - area.width) / 2);
    sy = std::max(0, (pic->SkinHeight() - area.height) / 2);
  }
  uint32_t At(int64_t x, int64_t y) const {
    if (pic && x >= area.left && x < Right(area) && y >= area.top && y < Bottom(area)) {
      const int64_t px = x - area.left + sx, py = y - area.top + sy;
      if (px < pic->SkinWidth() && py < pic->SkinHeight()) {
        // Premultiplied over the window colour is near enough for telling colours apart. (A
        // high-resolution picture is read at one pixel per skin pixel.)
        return pic->At(px * pic->scale, py * pic->scale) & 0xFFFFFF;
      }
    }
    return window;
  }
};

int ColourDistance(uint32_t a, uint32_t b) {
  return std::abs(static_cast<int>((a >> 16) & 0xFF) - static_cast<int>((b >> 16) & 0xFF)) +
         std::abs(static_cast<int>((a >> 8) & 0xFF) - static_cast<int>((b >> 8) & 0xFF)) +
         std::abs(static_cast<int>(a & 0xFF) - static_cast<int>(b & 0xFF));
}

// The commonest colour of the backdrop inside r: the median of each channel over a sample.
uint32_t BackdropColour(const Backdrop &b, const Rect &r) {
  std::vector<int> ch[3];
  const int32_t step = std::max<int32_t>(1, static_cast<int32_t>(std::sqrt(double(r.width) * r.height / 4096.0)));
  for (int64_t y = r.top; y < Bottom(r); y += step)
    for (int64_t x = r.left; x < Right(r); x += step) {
      const uint32_t c = b.At(x, y);
      ch[0].push_back((c >> 16) & 0xFF);
      ch[1].push_back((c >> 8) & 0xFF);
      ch[2].push_back(c & 0xFF);
    }
  uint32_t out = 0;
  for (auto &v : ch) {
    if (v.empty()) return b.window;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    out = out << 8 | static_cast<uint32_t>(v[v.size() / 2]);
  }
  return out;
}

// True when at least 9 in 10 pixels of the line from (x0, y0), n long in direction (dx, dy),
// have the LCD's colour.
bool LineIsLcd(const Backdrop &b, uint32_t lcd_colour, int64_t x0, int64_t y0, int64_t n, int dx, int dy) {
  int64_t same = 0;
  for (int64_t i = 0; i < n; ++i)
    if (ColourDistance(b.At(x0 + i * dx, y0 + i * dy), lcd_colour) <= 40) ++same;
  return same * 10 >= n * 9;
}

// Alpha of a picture drawn at a rectangle's top-left corner, clipped to the rectangle.
uint32_t AlphaAt(const Picture &p, const Rect &r, int32_t x, int32_t y) {
  if (x < 0 || y < 0 || x >= std::min(p.SkinWidth(), r.width) || y >= std::min(p.SkinHeight(), r.height)) return 0;
  return p.At(int64_t{x} * p.scale, int64_t{y} * p.scale) >> 24;
}

// Three-tap box blur along rows (dx = 1) or columns, `passes` times, on a w x h alpha map.
void Blur(std::vector<uint32_t> &a, int32_t w, int32_t h, int passes) {
  std::vector<uint32_t> tmp(a.size());
  for (int pass = 0; pass < passes; ++pass) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const size_t i = static_cast<size_t>(y) * w + x;
        tmp[i] = ((x > 0 ? a[i - 1] : 0) + a[i] + (x + 1 < w ? a[i + 1] : 0) + 1) / 3;
      }
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const size_t i = static_cast<size_t>(y) * w + x;
        a[i] = ((y > 0 ? tmp[i - w] : 0) + tmp[i] + (y + 1 < h ? tmp[i + w] : 0) + 1) / 3;
      }
  }
}

}  // namespace

LcdEffectSettings Lcd_Read_Effects(Store &store) {
  LcdEffectSettings s;
  if (auto v = Switch(store, "LcdEffects")) s.enabled = *v;
  if (auto v = Switch(store, "LcdShadow")) s.shadow = *v;
  if (auto v = Switch(store, "LcdFade")) s.fade = *v;
  const int32_t g = store.ReadInteger("LcdGhost", -1);
  if (g >= 0 && g <= kLcdGhostMax) s.ghost = g;
  return s;
}

void Lcd_Write_Effects(Store &store, const LcdEffectSettings &s) {
  store.WriteBool("LcdEffects", s.enabled);
  store.WriteInteger("LcdGhost", std::clamp(s.ghost, 0, kLcdGhostMax));
  store.WriteBool("LcdShadow", s.shadow);
  store.WriteBool("LcdFade", s.fade);
}

float LcdEffects::Fade::At(int64_t now) const {
  // The liquid crystal turns under the drive voltage and relaxes by itself when the voltage goes:
  // both follow close to an exponential. The curve is an exponential of time constant a third of
  // the fade's length, stretched to arrive exactly at the end, so the picture settles on the
  // plain picture.
  if (length <= 0 || now >= start + length) return to;
  if (now <= start) return from;
  constexpr double k = 3.0;
  const double u = static_cast<double>(now - start) / length;
  const double e = (1.0 - std::exp(-k * u)) / (1.0 - std::exp(-k));
  return static_cast<float>(from + (to - from) * e);
}

void LcdEffects::Set(const LcdEffectSettings &s) {
  LcdEffectSettings c = s;
  c.ghost = std::clamp(c.ghost, 0, kLcdGhostMax);
  if (c == settings_) return;
  settings_ = c;
  dirty_settings_ = true;
}

Rect LcdEffects::Reach(const Rect &r) const {
  if (!settings_.enabled || !settings_.shadow || r.Empty()) return r;
  constexpr int32_t reach = kShadowOffset + kShadowBlur;
  return Rect{r.left, r.top, static_cast<int32_t>(std::min<int64_t>(int64_t{r.width} + reach, INT32_MAX)),
              static_cast<int32_t>(std::min<int64_t>(int64_t{r.height} + reach, INT32_MAX))};
}

Rect LcdEffects::Fade_Area(const Lcd &lcd, el::Id id) const { return Reach(Lcd_Area(lcd, id)); }

void LcdEffects::Sync(const Lcd &lcd, int64_t now_ms) {
  lcd_ = &lcd;
  // The skin the layers are made from: every segment's and glyph's picture and place (a digit
  // place's picture changes in play, only its place counts), the background and window colour.
  std::vector<std::pair<const Picture *, Rect>> key;
  key.reserve(el::kSkinElements + 1);
  for (int i = 0; i < el::kSkinElements; ++i) {
    const auto id = static_cast<el::Id>(i);
    const bool glyph = id >= el::im_panel_number_0 && id <= el::im_panel_number_9;
    if (!Lcd_Is_Segment(id) && !glyph && id != el::im_background) continue;
    key.emplace_back(IsDigitPlace(id) ? nullptr : lcd.e[i].pic.get(), lcd.e[i].rect);
  }
  key.emplace_back(nullptr, Rect{static_cast<int32_t>(lcd.window_color), lcd.e[el::im_background].visible, 0, 0});
  if (settings_.enabled && key != skin_key_) {
    skin_key_ = std::move(key);
    Rebuild(lcd);
  }
  if (settings_.enabled && (dirty_settings_ || ghost_made_ != settings_.ghost)) {
    Build_Ghosts(lcd);
    dirty_settings_ = false;
  }

  for (int i = 0; i < el::COUNT; ++i) {
    const auto id = static_cast<el::Id>(i);
    if (!Lcd_Is_Segment(id)) continue;
    const Element &e = lcd.e[i];
    Seen &was = seen_[i];
    const bool shows = e.visible && e.pic && e.pic->width > 0;
    const bool showed = was.visible && was.pic && was.pic->width > 0;
    const bool changed = was.visible != e.visible || was.pic != e.pic;
    if (changed && settings_.enabled && settings_.fade && (shows || showed)) {
      SegmentFade &f = fades_[i];
      const bool had = f.has_own;
      const float level = had ? f.own.At(now_ms) : (was.visible ? 1.0f : 0.0f);
      float from = level;
      if (was.pic != e.pic) {
        // A new picture (a digit place): the old one clears while the new one darkens.
        if (showed && level > 0) {
          f.leaving = was.pic;
          f.leave = Fade{level, 0, now_ms - kFirstStepMs, kOffMs + kFirstStepMs};
        }
        from = 0;
      }
      const float to = e.visible ? 1.0f : 0.0f;
      f.own = Fade{from, to, now_ms - kFirstStepMs, (to > from ? kOnMs : kOffMs) + kFirstStepMs};
      f.has_own = from != to;
      if (!f.has_own && !f.leaving) fades_.erase(i);
    }
    was.visible = e.visible;
    was.pic = e.pic;
    // Digit places cast the shadow of whatever glyph they show; made when first shown.
    if (settings_.enabled && settings_.shadow && shows && Usable(e.pic) && !e.rect.Empty() &&
        !shadows_.count({i, e.pic.get()}))
      shadows_[{i, e.pic.get()}] = {e.pic, Make_Shadow(e.rect, e.pic)};
  }
  if (!settings_.enabled || !settings_.fade) fades_.clear();
}

float LcdEffects::Own_Level(const Lcd &lcd, el::Id id, int64_t now) const {
  auto it = fades_.find(id);
  if (it != fades_.end() && it->second.has_own) return it->second.own.At(now);
  return lcd.e[id].visible ? 1.0f : 0.0f;
}

int LcdEffects::Segment_Pictures(const Lcd &lcd, el::Id id, int64_t now_ms, Shown out[2]) const {
  int n = 0;
  auto it = fades_.find(id);
  if (it != fades_.end() && it->second.leaving) {
    const float l = it->second.leave.At(now_ms);
    if (l > 0) out[n++] = Shown{it->second.leaving, l};
  }
  const Element &e = lcd.e[id];
  const float own = Own_Level(lcd, id, now_ms);
  if (own > 0 && e.pic && e.pic->width > 0) out[n++] = Shown{e.pic, own};
  return n;
}

const LcdLayer *LcdEffects::Shadow_Of(el::Id id, const PictureRef &pic) const {
  auto it = shadows_.find({id, pic.get()});
  if (it == shadows_.end() || it->second.first != pic || !it->second.second.pic) return nullptr;
  return &it->second.second;
}

std::vector<Rect> LcdEffects::Step(int64_t now_ms) {
  std::vector<Rect> areas;
  if (!lcd_) return areas;
  for (auto it = fades_.begin(); it != fades_.end();) {
    areas.push_back(Fade_Area(*lcd_, static_cast<el::Id>(it->first)));
    const SegmentFade &f = it->second;
    const bool own_done = !f.has_own || now_ms >= f.own.start + f.own.length;
    const bool leave_done = !f.leaving || now_ms >= f.leave.start + f.leave.length;
    if (own_done && leave_done) it = fades_.erase(it);
    else ++it;
  }
  return areas;
}

void LcdEffects::Rebuild(const Lcd &lcd) {
  shadows_.clear();
  areas_.clear();
  ghost_made_ = -1;

  // The LCD screens: the places of the segments, grouped where they lie close together.
  std::vector<Rect> places;
  for (int i = 0; i < el::kSkinElements; ++i)
    if (Lcd_Is_Segment(static_cast<el::Id>(i)) && !lcd.e[i].rect.Empty()) places.push_back(lcd.e[i].rect);
  std::vector<size_t> group(places.size());
  std::iota(group.begin(), group.end(), 0);
  auto root = [&group](size_t i) {
    while (group[i] != i) i = group[i] = group[group[i]];
    return i;
  };
  for (size_t i = 0; i < places.size(); ++i)
    for (size_t j = i + 1; j < places.size(); ++j)
      if (Near(places[i], places[j], kScreenGap)) group[root(i)] = root(j);
  std::map<size_t, Rect> screens;
  for (size_t i = 0; i < places.size(); ++i) {
    auto [it, added] = screens.try_emplace(root(i), places[i]);
    if (!added) it->second = Union(it->second, places[i]);
  }
  // Widened to the right and down, where shadows fall, while the backdrop keeps the LCD's colour.
  const Backdrop backdrop(lcd);
  for (auto &[g, r] : screens) {
    const uint32_t colour = BackdropColour(backdrop, r);
    for (int k = 0; k < kShadowOffset + kShadowBlur; ++k) {
      if (!LineIsLcd(backdrop, colour, Right(r), r.top, r.height, 0, 1)) break;
      ++r.width;
    }
    for (int k = 0; k < kShadowOffset + kShadowBlur; ++k) {
      if (!LineIsLcd(backdrop, colour, r.left, Bottom(r), r.width, 1, 0)) break;
      ++r.height;
    }
    areas_.push_back(r);
  }

  // The ghost layer at full strength: for every pixel, the most opaque segment pixel there (a
  // real LCD's segments do not overlap, so overlapping pictures must not darken each other).
  ghost_full_.clear();
  for (const Rect &a : areas_) {
    if (int64_t{a.width} * a.height > int64_t{8192} * 8192) continue;
    auto layer = std::make_shared<Picture>();
    layer->width = a.width;
    layer->height = a.height;
    layer->pixels.assign(static_cast<size_t>(a.width) * a.height, 0);
    bool any = false;
    auto add = [&](const Rect &r, const Picture &p) {
      const int32_t w = std::min(p.SkinWidth(), r.width), h = std::min(p.SkinHeight(), r.height);
      for (int32_t y = 0; y < h; ++y) {
        const int64_t ly = int64_t{r.top} + y - a.top;
        if (ly < 0 || ly >= a.height) continue;
        for (int32_t x = 0; x < w; ++x) {
          const int64_t lx = int64_t{r.left} + x - a.left;
          if (lx < 0 || lx >= a.width) continue;
          const uint32_t px = p.At(int64_t{x} * p.scale, int64_t{y} * p.scale);
          uint32_t &dst = layer->pixels[static_cast<size_t>(ly) * a.width + lx];
          if ((px >> 24) > (dst >> 24)) dst = px;
          any = true;
        }
      }
    };
    for (int i = 0; i < el::kSkinElements; ++i) {
      const auto id = static_cast<el::Id>(i);
      const Element &e = lcd.e[i];
      if (!Lcd_Is_Segment(id) || e.rect.Empty() || !Near(e.rect, a, 0)) continue;
      if (IsDigitPlace(id)) {
        // Every glyph at once: the faint "8" of an unlit digit.
        for (int d = 0; d <= 9; ++d) {
          const PictureRef &g = lcd.e[el::im_panel_number_0 + d].pic;
          if (Usable(g)) add(e.rect, *g);
        }
      } else if (Usable(e.pic)) {
        add(e.rect, *e.pic);
      }
    }
    if (any) ghost_full_.push_back(LcdLayer{a, layer});
  }

  for (int i = 0; i < el::kSkinElements; ++i) {
    const Element &e = lcd.e[i];
    if (Lcd_Is_Segment(static_cast<el::Id>(i)) && !IsDigitPlace(static_cast<el::Id>(i)) && Usable(e.pic) &&
        !e.rect.Empty())
      shadows_[{i, e.pic.get()}] = {e.pic, Make_Shadow(e.rect, e.pic)};
  }
}

void LcdEffects::Build_Ghosts(const Lcd &) {
  ghosts_.clear();
  ghost_made_ = settings_.ghost;
  if (settings_.ghost <= 0) return;
  const uint32_t g = static_cast<uint32_t>(settings_.ghost) * 255 / 100;
  for (const LcdLayer &full : ghost_full_) {
    auto p = std::make_shared<Picture>(*full.pic);
    for (uint32_t &px : p->pixels) {
      if (!px) continue;
      uint32_t out = 0;
      for (int s = 0; s < 32; s += 8) out |= ((((px >> s) & 0xFF) * g + 127) / 255) << s;
      px = out;
    }
    ghosts_.push_back(LcdLayer{full.at, p});
  }
}

LcdLayer LcdEffects::Make_Shadow(const Rect &r, const PictureRef &pic) const {
  // The segment's outline, moved down and right, softened, and cut to the LCD screens.
  constexpr int32_t b = kShadowBlur;
  const int32_t w = std::min(pic->SkinWidth(), r.width), h = std::min(pic->SkinHeight(), r.height);
  if (w <= 0 || h <= 0 || int64_t{w} * h > int64_t{4096} * 4096) return {};
  const int32_t sw = w + 2 * b, sh = h + 2 * b;
  std::vector<uint32_t> a(static_cast<size_t>(sw) * sh, 0);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) a[static_cast<size_t>(y + b) * sw + x + b] = AlphaAt(*pic, r, x, y);
  Blur(a, sw, sh, b);
  const Rect at{static_cast<int32_t>(std::clamp<int64_t>(int64_t{r.left} + kShadowOffset - b, INT32_MIN, INT32_MAX)),
                static_cast<int32_t>(std::clamp<int64_t>(int64_t{r.top} + kShadowOffset - b, INT32_MIN, INT32_MAX)), sw, sh};
  auto out = std::make_shared<Picture>();
  out->width = sw;
  out->height = sh;
  out->pixels.assign(a.size(), 0);
  bool any = false;
  for (int32_t y = 0; y < sh; ++y)
    for (int32_t x = 0; x < sw; ++x) {
      const int64_t wx = int64_t{at.left} + x, wy = int64_t{at.top} + y;
      bool inside = false;
      for (const Rect &ar : areas_)
        if (wx >= ar.left && wx < Right(ar) && wy >= ar.top && wy < Bottom(ar)) inside = true;
      const uint32_t alpha = a[static_cast<size_t>(y) * sw + x] * kShadowAlpha / 255;
      if (inside && alpha) {
        out->pixels[static_cast<size_t>(y) * sw + x] = alpha << 24;  // black, premultiplied
        any = true;
      }
    }
  if (!any) return {};
  return LcdLayer{at, out};
}
