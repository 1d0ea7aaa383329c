#include "app/layer_cache.h"

#include <QPainter>

#include "app/view.h"

namespace {

// A picture covering more window pixels than this is kept only where it lies under an LCD screen.
constexpr int64_t kWholePixels = int64_t{1} << 20;
// Nothing kept is larger than this (an LCD screen as large as a 4K window is not kept).
constexpr int64_t kPartPixels = int64_t{4} << 20;
// What all kept pictures may take together; beyond it the expired ones go, then all of them.
constexpr int64_t kBudgetBytes = int64_t{40} << 20;

int64_t Pixels(const QRect &r) { return r.isEmpty() ? 0 : int64_t{r.width()} * r.height(); }

// A picture with no see-through pixel is copied instead of blended.
void MarkOpaque(QImage &img) {
  for (int y = 0; y < img.height(); ++y) {
    const auto *row = reinterpret_cast<const uint32_t *>(img.constScanLine(y));
    for (int x = 0; x < img.width(); ++x)
      if ((row[x] >> 24) != 0xFF) return;
  }
  img.reinterpretAsFormat(QImage::Format_RGB32);
}

}  // namespace

void App_Layer_Cache::Begin(const View &view, bool smooth, const std::vector<::Rect> &lcd_screens) {
  if (view.scale != scale_ || smooth != smooth_) {
    kept_.clear();
    bytes_ = 0;
    scale_ = view.scale;
    smooth_ = smooth;
  }
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

const App_Layer_Cache::Layer *App_Layer_Cache::Get(const PictureRef &pic, bool as_opaque, const QImage &img,
                                                   const QRect &area, const QRect &src, const QRect &window) {
  if (!pic || img.isNull() || scale_ <= 0) return nullptr;
  View view;
  view.scale = scale_;
  const QRect whole = view.ToWindow(::Rect{area.x(), area.y(), area.width(), area.height()});
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
                src.width(), src.height(), screen};
  auto it = kept_.find(key);
  if (it != kept_.end() && it->second.pic.lock() == pic) return &it->second.layer;
  if (it != kept_.end()) {
    bytes_ -= it->second.layer.image.sizeInBytes();
    kept_.erase(it);
  }
  const int64_t bytes = Pixels(part) * 4;
  if (bytes_ + bytes > kBudgetBytes) Drop_Expired();
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
    q.scale(scale_, scale_);
    if (src.size() == area.size()) q.drawImage(area.topLeft(), img, src);
    else q.drawImage(QRectF(area), img, QRectF(src));
  }
  MarkOpaque(out);
  bytes_ += out.sizeInBytes();
  Entry &e = kept_[key];
  e.pic = pic;
  e.layer = Layer{std::move(out), part.topLeft()};
  return &e.layer;
}

void App_Layer_Cache::Drop_Expired() {
  std::erase_if(kept_, [this](const auto &kv) {
    const bool gone = kv.second.pic.expired();
    if (gone) bytes_ -= kv.second.layer.image.sizeInBytes();
    return gone;
  });
}
