// The skin's pictures kept as the Qt game window shows them when it is scaled (the rules of
// display/lcd_layers.h), drawn through the scale by the painter and handed back as images to copy.
// What is kept is the same as drawing through the scale, to the rounding of a blend.
#pragma once
#include <QImage>
#include <QRect>
#include <cstdint>
#include <vector>

#include "display/lcd_effects.h"
#include "display/lcd_layers.h"
#include "platform/types.h"

class App_Layer_Cache {
 public:
  // A picture in window pixels with its top-left corner on the window.
  struct Layer {
    QImage image;
    QPoint at;
    QRect Rect() const { return QRect(at, image.size()); }
  };

  // Called before each paint of a window showing lcd at scale (see Lcd_Layers::Begin).
  void Begin(const Lcd &lcd, const LcdEffects *fx, double scale, bool make) { kept_.Begin(lcd, fx, scale, make); }
  // The picture img (made from pic, drawn as_opaque or not) drawn over the skin rectangle area
  // from its pixels src, as the painter would draw it through the scale, with the layers `over`
  // (the LCD's ghosts over the background) drawn on it. window is the part of the window being
  // painted. Null when it is not kept (see Lcd_Layers::Get); valid until the next call.
  const Layer *Get(const PictureRef &pic, bool as_opaque, const QImage &img, const QRect &area, const QRect &src,
                   const QRect &window, const std::vector<LcdLayer> *over = nullptr);
  // The memory the kept pictures take.
  int64_t Bytes() const { return kept_.Bytes(); }

 private:
  Lcd_Layers kept_;
  Layer shown_;
};
