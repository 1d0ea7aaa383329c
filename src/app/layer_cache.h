// The skin's pictures kept as the window shows them when it is scaled: each drawn once through the
// scale into a picture of window pixels, so that repainting what changed on the LCD blends pixels
// instead of filtering the skin's pictures again. Small pictures are kept whole; a large one (the
// background) only over the LCD screens, where the game repaints all the time. What is kept is
// the same as drawing through the scale, to the rounding of a blend.
#pragma once
#include <QImage>
#include <QRect>
#include <cstdint>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "app/view.h"
#include "display/lcd_effects.h"
#include "platform/types.h"


class App_Layer_Cache {
 public:
  // A picture in window pixels with its top-left corner on the window.
  struct Layer {
    QImage image;
    QPoint at;
    QRect Rect() const { return QRect(at, image.size()); }
  };

  // Called before each paint: everything kept goes when the scale, the filtering or the skin (any
  // pointer that stands for it: the background picture) changes, the parts of large pictures when
  // the LCD screens (skin rectangles) move, and what was made from pictures freed since. Without
  // make, what is not kept yet is not made in this paint (a paint of the whole window draws most
  // pictures once only).
  void Begin(const View &view, bool smooth, const std::vector<::Rect> &lcd_screens, bool make = true,
             const void *skin = nullptr);
  // The picture img (made from pic, drawn as_opaque or not) drawn over the skin rectangle area
  // from its pixels src, as the painter would draw it through the view, with the layers `over`
  // (the LCD's ghosts over the background) drawn on it. window is the part of the window being
  // painted. Null when it is not kept: too large and not within an LCD screen, or not made in
  // this paint.
  const Layer *Get(const PictureRef &pic, bool as_opaque, const QImage &img, const QRect &area, const QRect &src,
                   const QRect &window, const std::vector<LcdLayer> *over = nullptr);
  // The memory the kept pictures take.
  int64_t Bytes() const { return bytes_; }

 private:
  // The picture, drawn opaque or not, its area, its source pixels, the LCD screen it is cut to
  // (0: kept whole) and the first of the layers over it.
  using Key = std::tuple<const Picture *, bool, int, int, int, int, int, int, int, int, int, const Picture *>;
  struct Entry {
    std::weak_ptr<const Picture> pic;
    std::vector<std::weak_ptr<const Picture>> over;
    Layer layer;
    bool Current(const PictureRef &p, const std::vector<LcdLayer> *layers) const;
  };
  void Drop_Expired();
  std::map<Key, Entry> kept_;
  int64_t bytes_ = 0;
  View view_{0.0};  // the view the kept pictures were drawn for
  bool smooth_ = false;
  bool make_ = true;
  const void *skin_ = nullptr;
  std::vector<QRect> screens_;  // the LCD screens on the window
};
