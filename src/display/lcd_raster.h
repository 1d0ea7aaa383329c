// Painting the LCD window into a picture of window pixels in plain C++: the steps of
// Lcd_Paint_Plan carried out pixel by pixel, scaled onto the window (pixel for pixel enlarged at
// whole-number scales, filtered between pixels at others), blended by their levels. The window
// hands over the labels, which need the desktop's fonts.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "display/lcd.h"
#include "display/lcd_effects.h"
#include "platform/screen.h"

// A window's pixels: premultiplied 0xAARRGGBB, rows top to bottom, stride in pixels; px is the
// window pixel (left, top), so that a picture of part of the window paints in window coordinates.
struct Lcd_Pixels {
  uint32_t *px = nullptr;
  int32_t width = 0, height = 0, stride = 0;
  int32_t left = 0, top = 0;
};

// Draws a label centred in the window rectangle area (the font at the window's scale), clipped to
// clip; colour 0xRRGGBB.
using Lcd_Text_Painter = std::function<void(const Rect &area, const Rect &clip, Font font, double scale,
                                            uint32_t rgb, const std::string &text)>;

// Paints the window rectangle `window` (window pixels) of a window that shows the skin's screen at
// scale: the window colour, then the planned steps. With fx (synchronised first) and its effects
// on, the LCD as it looks at now_ms.
void Lcd_Paint_Pixels(Lcd_Pixels &out, const Lcd &lcd, double scale, const Rect &window, const LcdEffects *fx,
                      int64_t now_ms, const Lcd_Text_Painter &text);

// Paints the window rectangles rects, one after the other. A scaled window with layers draws each
// picture through the scale once and paints it from the kept window pixels after that (see
// Lcd_Layers): the same pixels as painting without. A paint of most of the window keeps nothing.
class Lcd_Layers;
void Lcd_Paint_Pixels(Lcd_Pixels &out, const Lcd &lcd, double scale, const std::vector<Rect> &rects,
                      const LcdEffects *fx, int64_t now_ms, const Lcd_Text_Painter &text, Lcd_Layers *layers);
