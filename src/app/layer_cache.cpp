#include "app/layer_cache.h"

#include <QPainter>
#include <algorithm>

#include "app/lcd_painter.h"
#include "app/view.h"
#include "platform/image.h"
#include "platform/qt/qt_platform.h"

namespace {

// A picture covering more window pixels than this is kept only where it lies under an LCD screen.
constexpr int64_t kWholePixels = int64_t{1} << 20;
// Nothing kept is larger than this (an LCD screen as large as a 4K window is not kept).
constexpr int64_t kPartPixels = int64_t{4} << 20;
// What all kept pictures may take together; beyond it all of them go.
constexpr int64_t kBudgetBytes = int64_t{40} << 20;

int64_t Pixels(const QRect &r) { return r.isEmpty() ? 0 : int64_t{r.width()} * r.height(); }

// Cuts a drawn picture to the part that shows (an LCD segment is mostly see-through around its
// shape, a shadow around its blur), moving at by what was cut; one with no see-through pixel is
// marked to be copied instead of blended.
void Trim(QImage &img, QPoint &at) {
  const auto *px = reinterpret_cast<const uint32_t *>(img.constBits());
  const size_t stride = static_cast<size_t>(img.bytesPerLine()) / 4;
  const QRect shows = Plat_QRect(Img_Shown_Part(px, img.width(), img.height(), stride));
  if (shows.isEmpty()) {
    img = QImage();
  } else if (shows != img.rect()) {
    img = img.copy(shows);
    at += shows.topLeft();
  } else if (std::all_of(px, px + stride * static_cast<size_t>(img.height()), [](uint32_t p) { return p >> 24 == 0xFF; })) {
    img.reinterpretAsFormat(QImage::Format_RGB32);
  }
}

}  // namespace

void App_Layer_Cache::Begin(const View &view, bool smooth, const std::vector<::Rect> &lcd_screens, bool make,
                            const void *skin) {
  make_ = make;
  if (view.scale != view_.scale || smooth != smooth_ || skin != skin_) {
    kept_.clear();
    bytes_ = 0;
    view_ = view;
    smooth_ = smooth;
    skin_ = skin;
  }
  Drop_Expired();
  std::vector<QRect> screens;
  for (const ::Rect &r : lcd_screens) screens.push_back(view.ToWindow(r));
  if (screens != screens_) {
    // Parts of large pictures were cut to the former screens.
    std::erase_if(kept_, [this](const auto &kv) {
      const bool part = std::get<10>(kv.first) != 0;
      if (part) bytes_ -= kv.second.layer.image.sizeInBytes();
      return part;
    });
    screens_ = std::move(screens);
  }
}

bool App_Layer_Cache::Entry::Current(const PictureRef &p, const std::vector<LcdLayer> *layers) const {
  if (pic.lock() != p || over.size() != (layers ? layers->size() : 0)) return false;
  for (size_t i = 0; i < over.size(); ++i)
    if (over[i].lock() != (*layers)[i].pic) return false;
  return true;
}

const App_Layer_Cache::Layer *App_Layer_Cache::Get(const PictureRef &pic, bool as_opaque, const QImage &img,
                                                   const QRect &area, const QRect &src, const QRect &window,
                                                   const std::vector<LcdLayer> *over) {
  if (!pic || img.isNull() || view_.scale <= 0) return nullptr;
  const QRect whole = view_.ToWindow(::Rect{area.x(), area.y(), area.width(), area.height()});
  QRect part = whole;
  int screen = 0;
  if (Pixels(whole) > kWholePixels) {
    part = QRect();
    for (size_t i = 0; i < screens_.size() && part.isEmpty(); ++i)
      if (screens_[i].contains(window & whole)) {
        part = screens_[i] & whole;
        screen = static_cast<int>(i) + 1;
      }
    if (Pixels(part) > kPartPixels) part = QRect();
  }
  if (part.isEmpty()) return nullptr;

  const Key key{pic.get(), as_opaque, area.x(), area.y(), area.width(), area.height(), src.x(), src.y(),
                src.width(), src.height(), screen, over && !over->empty() ? over->front().pic.get() : nullptr};
  auto it = kept_.find(key);
  if (it != kept_.end() && it->second.Current(pic, over)) return &it->second.layer;
  if (it != kept_.end()) {
    bytes_ -= it->second.layer.image.sizeInBytes();
    kept_.erase(it);
  }
  if (!make_) return nullptr;
  const int64_t bytes = Pixels(part) * 4;
  if (bytes_ + bytes > kBudgetBytes) {
    kept_.clear();
    bytes_ = 0;
  }

  // Drawn exactly as the painter draws it through the view, moved by whole window pixels.
  QImage out(part.size(), QImage::Format_ARGB32_Premultiplied);
  if (out.isNull()) return nullptr;
  out.fill(Qt::transparent);
  {
    QPainter q(&out);
    q.setRenderHint(QPainter::SmoothPixmapTransform, smooth_);
    q.translate(-part.topLeft());
    q.scale(view_.scale, view_.scale);
    App_Draw_Image(q, img, area, src);
    if (over)
      for (const LcdLayer &l : *over) {
        const QRect at = Plat_QRect(l.at);
        const int k = std::max(1, l.pic->scale);
        App_Draw_Image(q, App_Picture_Image(*l.pic), at, QRect(0, 0, at.width() * k, at.height() * k));
      }
  }
  QPoint at = part.topLeft();
  Trim(out, at);
  bytes_ += out.sizeInBytes();
  Entry &e = kept_[key];
  e.pic = pic;
  e.over.clear();
  if (over)
    for (const LcdLayer &l : *over) e.over.push_back(l.pic);
  e.layer = Layer{std::move(out), at};
  return &e.layer;
}

void App_Layer_Cache::Drop_Expired() {
  std::erase_if(kept_, [this](const auto &kv) {
    const Entry &e = kv.second;
    const bool gone = e.pic.expired() || std::any_of(e.over.begin(), e.over.end(), [](const auto &o) { return o.expired(); });
    if (gone) bytes_ -= kv.second.layer.image.sizeInBytes();
    return gone;
  });
}
