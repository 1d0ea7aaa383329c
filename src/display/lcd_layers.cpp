#include "display/lcd_layers.h"

#include <algorithm>

#include "display/lcd_view.h"
#include "platform/image.h"

namespace {

// A picture covering more window pixels than this is kept only where it lies under an LCD screen.
constexpr int64_t kWholePixels = int64_t{1} << 20;
// Nothing kept is larger than this (an LCD screen as large as a 4K window is not kept).
constexpr int64_t kPartPixels = int64_t{4} << 20;
// What all kept pictures may take together; beyond it all of them go.
constexpr int64_t kBudgetBytes = int64_t{40} << 20;

int64_t Pixels(const Rect &r) { return r.Empty() ? 0 : int64_t{r.width} * r.height; }

int64_t Layer_Bytes(const Lcd_Layer &l) { return static_cast<int64_t>(l.px.size() * sizeof(uint32_t)); }

// b lies within a (an empty b nowhere).
bool Contains(const Rect &a, const Rect &b) {
  return !b.Empty() && b.left >= a.left && b.top >= a.top && int64_t{b.left} + b.width <= int64_t{a.left} + a.width &&
         int64_t{b.top} + b.height <= int64_t{a.top} + a.height;
}

// Cuts a drawn picture to the part that shows (an LCD segment is mostly see-through around its
// shape, a shadow around its blur), moving it by what was cut; one with no see-through pixel is
// marked to be copied instead of blended.
void Trim(Lcd_Layer &l) {
  const Rect shows = Img_Shown_Part(l.px.data(), l.at.width, l.at.height, static_cast<size_t>(l.at.width));
  if (shows.Empty()) {
    l.px.clear();
    l.at = Rect{l.at.left, l.at.top, 0, 0};
    return;
  }
  if (shows != Rect{0, 0, l.at.width, l.at.height}) {
    std::vector<uint32_t> cut(static_cast<size_t>(Pixels(shows)));
    for (int32_t y = 0; y < shows.height; ++y) {
      const uint32_t *row = l.px.data() + static_cast<size_t>(shows.top + y) * static_cast<size_t>(l.at.width) + shows.left;
      std::copy_n(row, shows.width, cut.data() + static_cast<size_t>(y) * static_cast<size_t>(shows.width));
    }
    l.px = std::move(cut);
    l.at = Rect{l.at.left + shows.left, l.at.top + shows.top, shows.width, shows.height};
  }
  l.opaque = std::all_of(l.px.begin(), l.px.end(), [](uint32_t p) { return p >> 24 == 0xFF; });
}

}  // namespace

void Lcd_Layers::Begin(const Lcd &lcd, const LcdEffects *fx, double scale, bool make) {
  const PictureRef &bg = lcd.e[el::im_background].pic;
  const bool smooth = Lcd_Scale{scale}.Smooth(bg ? bg->scale : 1);
  make_ = make;
  if (scale != scale_ || smooth != smooth_ || bg.get() != skin_) {
    kept_.clear();
    bytes_ = 0;
    scale_ = scale;
    smooth_ = smooth;
    skin_ = bg.get();
  }
  Drop_If([](const Key &, const Entry &e) {
    return e.pic.expired() || std::any_of(e.over.begin(), e.over.end(), [](const auto &o) { return o.expired(); });
  });
  std::vector<Rect> screens;
  if (fx && fx->Active())
    for (const Rect &r : fx->Lcd_Areas()) screens.push_back(Lcd_Scale{scale}.ToWindow(r));
  if (screens != screens_) {
    // Parts of large pictures were cut to the former screens.
    Drop_If([](const Key &k, const Entry &) { return std::get<10>(k) != 0; });
    screens_ = std::move(screens);
  }
}

bool Lcd_Layers::Entry::Current(const PictureRef &p, const std::vector<LcdLayer> *layers) const {
  if (pic.lock() != p || over.size() != (layers ? layers->size() : 0)) return false;
  for (size_t i = 0; i < over.size(); ++i)
    if (over[i].lock() != (*layers)[i].pic) return false;
  return true;
}

const Lcd_Layer *Lcd_Layers::Get(const PictureRef &pic, bool as_opaque, const Rect &area, const Rect &src,
                                 const Rect &window, const std::vector<LcdLayer> *over, const Draw &draw) {
  if (!pic || scale_ <= 0) return nullptr;
  const Rect whole = Lcd_Scale{scale_}.ToWindow(area);
  Rect part = whole;
  int screen = 0;
  if (Pixels(whole) > kWholePixels) {
    part = Rect{};
    const Rect shown = Lcd_Intersect(window, whole);
    for (size_t i = 0; i < screens_.size(); ++i)
      if (Contains(screens_[i], shown)) {
        part = Lcd_Intersect(screens_[i], whole);
        screen = static_cast<int>(i) + 1;
        break;
      }
    if (Pixels(part) > kPartPixels) part = Rect{};
  }
  if (part.Empty()) return nullptr;

  const Key key{pic.get(), as_opaque, area.left, area.top, area.width, area.height, src.left, src.top,
                src.width, src.height, screen, over && !over->empty() ? over->front().pic.get() : nullptr};
  auto it = kept_.find(key);
  if (it != kept_.end() && it->second.Current(pic, over)) return &it->second.layer;
  if (it != kept_.end()) {
    bytes_ -= Layer_Bytes(it->second.layer);
    kept_.erase(it);
  }
  if (!make_) return nullptr;
  if (bytes_ + Pixels(part) * 4 > kBudgetBytes) {
    kept_.clear();
    bytes_ = 0;
  }

  Lcd_Layer layer;
  layer.px.assign(static_cast<size_t>(Pixels(part)), 0);
  layer.at = part;
  Lcd_Pixels into{layer.px.data(), part.width, part.height, part.width, part.left, part.top};
  draw(into);
  Trim(layer);
  bytes_ += Layer_Bytes(layer);
  Entry &e = kept_[key];
  e.pic = pic;
  e.over.clear();
  if (over)
    for (const LcdLayer &l : *over) e.over.push_back(l.pic);
  e.layer = std::move(layer);
  return &e.layer;
}

void Lcd_Layers::Drop_If(const std::function<bool(const Key &, const Entry &)> &drop) {
  std::erase_if(kept_, [this, &drop](const auto &kv) {
    const bool gone = drop(kv.first, kv.second);
    if (gone) bytes_ -= Layer_Bytes(kv.second.layer);
    return gone;
  });
}
