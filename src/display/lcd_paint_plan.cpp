#include "display/lcd_paint_plan.h"

#include <algorithm>

#include "display/lcd_view.h"

namespace {

bool Meets(const Rect &a, const Rect &b) { return !Lcd_Intersect(Lcd_Pin(a), Lcd_Pin(b)).Empty(); }

// Narrows the pixels src of pic, drawn over the skin rectangle area, to the part that is stored
// (a picture cut to what shows), src then counted from the stored part; false when none of src is
// stored. The stored part's edges inside the picture fall between skin pixels, as src's do.
bool Cut(const Picture &pic, Rect &area, Rect &src) {
  const Rect s = pic.Stored();
  if (s == Rect{0, 0, pic.width, pic.height}) return true;
  const int32_t k = std::max(1, pic.scale);
  int32_t left = src.left, top = src.top, right = src.left + src.width, bottom = src.top + src.height;
  if (s.left > 0) left = std::max(left, s.left);
  if (s.top > 0) top = std::max(top, s.top);
  if (s.left + s.width < pic.width) right = std::min(right, s.left + s.width);
  if (s.top + s.height < pic.height) bottom = std::min(bottom, s.top + s.height);
  if (left >= right || top >= bottom) return false;
  area = Rect{area.left + (left - src.left) / k, area.top + (top - src.top) / k, (right - left) / k, (bottom - top) / k};
  src = Rect{left - s.left, top - s.top, right - left, bottom - top};
  return true;
}

struct Planner {
  std::vector<Lcd_Step> &out;

  void Picture(el::Id id, const PictureRef &pic, bool as_opaque, Rect area, Rect src, float level,
               const std::vector<LcdLayer> *over = nullptr, bool ghost = false) {
    if (level <= 0 || !pic || (!as_opaque && !Cut(*pic, area, src))) return;
    Lcd_Step s;
    s.kind = Lcd_Step::Kind::Picture;
    s.id = id;
    s.area = area;
    s.pic = pic;
    s.src = src;
    s.level = std::min(level, 1.0f);
    s.as_opaque = as_opaque;
    s.over = over;
    s.ghost = ghost;
    out.push_back(std::move(s));
  }
  // A picture of scale k (k x k pixels per skin pixel) drawn from its top-left corner over at.
  void At(el::Id id, const Rect &at, const PictureRef &pic, float level, bool ghost = false) {
    const int32_t k = std::max(1, pic->scale);
    Picture(id, pic, false, at, Rect{0, 0, at.width * k, at.height * k}, level, nullptr, ghost);
  }
};

// What lies under the segments on a real LCD: the faint ghosts of all segments, then the shadows
// of the lit segments.
void Underlay(Planner &p, const Lcd &lcd, const Rect &dirty, const LcdEffects &fx, int64_t now) {
  for (const LcdLayer &g : fx.Ghosts())
    if (Meets(g.at, dirty)) p.At(el::NONE, g.at, g.pic, 1, true);
  if (!fx.Settings().shadow) return;
  LcdEffects::Shown shown[2];
  for (int i = 0; i < el::kSkinElements; ++i) {
    const auto id = static_cast<el::Id>(i);
    if (!Lcd_Is_Segment(id) || !Meets(fx.Reach(lcd.e[i].rect), dirty)) continue;
    const int n = fx.Segment_Pictures(lcd, id, now, shown);
    for (int k = 0; k < n; ++k)
      if (const LcdLayer *sh = fx.Shadow_Of(id, shown[k].pic))
        if (Meets(sh->at, dirty)) p.At(el::NONE, sh->at, sh->pic, shown[k].level);
  }
}

}  // namespace

void Lcd_Paint_Plan(const Lcd &lcd, const Rect &dirty, const LcdEffects *fx, int64_t now_ms,
                    std::vector<Lcd_Step> &out) {
  out.clear();
  if (fx && !fx->Active()) fx = nullptr;
  Planner p{out};
  int count = 0;
  const el::Id *order = Lcd_Paint_Order(&count);
  for (int i = 0; i < count; ++i) {
    const el::Id id = order[i];
    const Element &el = lcd.e[id];
    if (fx && Lcd_Is_Segment(id)) {
      // A segment shows at its level while it fades, also once hidden.
      LcdEffects::Shown shown[2];
      if (!Meets(el.rect, dirty)) continue;
      const int n = fx->Segment_Pictures(lcd, id, now_ms, shown);
      for (int k = 0; k < n; ++k) p.At(id, Lcd_Pin(el.rect), shown[k].pic, shown[k].level);
      continue;
    }
    if (!el.visible) continue;
    const Rect area = Lcd_Pin(Lcd_Area(lcd, id));
    if (!Meets(area, dirty)) continue;
    switch (el.draw) {
      case DrawMode::FilledRect: {
        Lcd_Step s;
        s.kind = Lcd_Step::Kind::Fill;
        s.id = id;
        s.area = area;
        s.color = 0;
        out.push_back(std::move(s));
        break;
      }
      case DrawMode::Text: {
        Lcd_Step s;
        s.kind = Lcd_Step::Kind::Text;
        s.id = id;
        s.area = area;
        s.color = el.color;
        s.font = id == el::la_stage_start ? Font::StageTitle : Font::StageName;
        s.text = &el.text;
        out.push_back(std::move(s));
        break;
      }
      default: {
        if (!el.pic || el.pic->width <= 0) break;
        // Pictures draw from their top-left corner, clipped to the element; a background picture
        // larger than its rectangle shows its centre. A high-resolution picture (scale k) covers
        // the element with k x k of its pixels per skin pixel.
        const int32_t k = std::max(1, el.pic->scale);
        int32_t sx = 0, sy = 0;
        if (el.draw == DrawMode::Centred) {
          sx = std::max(0, (el.pic->SkinWidth() - area.width) / 2);
          sy = std::max(0, (el.pic->SkinHeight() - area.height) / 2);
        }
        const bool under = fx && id == el::im_background;
        p.Picture(id, el.pic, !el.transparent, area, Rect{sx * k, sy * k, area.width * k, area.height * k}, 1,
                  under ? &fx->Ghosts() : nullptr);
        break;
      }
    }
    if (fx && id == el::im_background) Underlay(p, lcd, dirty, *fx, now_ms);
  }
}

bool Lcd_Layer_Step(const LcdLayer &layer, Lcd_Step &out) {
  std::vector<Lcd_Step> one;
  Planner{one}.At(el::NONE, layer.at, layer.pic, 1);
  if (one.empty()) return false;
  out = std::move(one.front());
  return true;
}
