// The skin's pictures kept as a scaled game window shows them: each drawn once through the scale
// into a picture of window pixels, so that repainting what changed on the LCD blends pixels
// instead of filtering the skin's pictures again. Small pictures are kept whole; a large one (the
// background) only over the LCD screens, where the game repaints all the time, with the LCD's
// ghosts drawn into it. Each window draws its own pictures (Lcd_Layers::Draw); what to keep, where
// and for how long is decided here for both game windows.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <tuple>
#include <type_traits>
#include <vector>

#include "display/lcd.h"
#include "display/lcd_effects.h"
#include "display/lcd_raster.h"

// A kept picture: premultiplied 0xAARRGGBB window pixels, rows top to bottom, over the window
// rectangle at.
struct Lcd_Layer {
  std::vector<uint32_t> px;
  Rect at;
  bool opaque = false;  // no see-through pixel: copied instead of blended
};

class Lcd_Layers {
 public:
  // Called before each paint of a window showing lcd at scale (not 1): everything kept goes when
  // the scale, the filtering or the skin (its background picture) changes, the parts of large
  // pictures when the LCD screens move, and what was made from pictures freed since. Without make,
  // what is not kept yet is not made in this paint (a paint of the whole window draws most
  // pictures once only).
  void Begin(const Lcd &lcd, const LcdEffects *fx, double scale, bool make);
  // make for Begin: a paint of a quarter of the window or more makes nothing.
  static bool Worth_Making(int64_t painted_pixels, int64_t window_pixels) { return painted_pixels * 4 < window_pixels; }

  // Draws a picture, with the layers over it, into `into` (cleared to transparent, its window
  // position set) as the window draws it through its scale. A reference to the caller's routine,
  // valid for the call it is passed to: asking for a kept picture, done for every picture of every
  // paint, allocates nothing.
  class Draw {
   public:
    template <class F>
    Draw(F &&f)  // implicit: made from the routine where one is passed
        : routine_(&f), call_([](const void *r, Lcd_Pixels &into) { (*static_cast<const std::remove_reference_t<F> *>(r))(into); }) {}
    void operator()(Lcd_Pixels &into) const { call_(routine_, into); }

   private:
    const void *routine_;
    void (*call_)(const void *, Lcd_Pixels &);
  };
  // The picture pic (drawn as_opaque or not) over the skin rectangle area from its pixels src,
  // with the layers `over` (the LCD's ghosts over the background) drawn on it; window is the part
  // of the window being painted. Null when it is not kept: too large and not within an LCD
  // screen, or not made in this paint.
  const Lcd_Layer *Get(const PictureRef &pic, bool as_opaque, const Rect &area, const Rect &src, const Rect &window,
                       const std::vector<LcdLayer> *over, const Draw &draw);

  double Scale() const { return scale_; }
  bool Smooth() const { return smooth_; }
  // The memory the kept pictures take.
  int64_t Bytes() const { return bytes_; }

 private:
  // The picture, drawn opaque or not, its area, its source pixels, the LCD screen it is cut to
  // (0: kept whole) and the first of the layers over it.
  using Key = std::tuple<const Picture *, bool, int, int, int, int, int, int, int, int, int, const Picture *>;
  struct Entry {
    std::weak_ptr<const Picture> pic;
    std::vector<std::weak_ptr<const Picture>> over;
    Lcd_Layer layer;
    bool Current(const PictureRef &p, const std::vector<LcdLayer> *layers) const;
  };
  void Drop_If(const std::function<bool(const Key &, const Entry &)> &drop);
  std::map<Key, Entry> kept_;
  int64_t bytes_ = 0;
  double scale_ = 0;  // the scale the kept pictures were drawn for
  bool smooth_ = false;
  bool make_ = true;
  const void *skin_ = nullptr;
  std::vector<Rect> screens_;  // the LCD screens on the window
};

