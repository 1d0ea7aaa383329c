// How the skin's screen meets a game window, in plain numbers. The skin is laid out for a screen
// of its own (the window's size divided by the scale) and drawn scaled onto the window; pointer
// positions are taken back into the skin's screen. At scale 1 the two are the same, pixel for
// pixel. Both game windows use these rules.
#pragma once
#include <cstdint>
#include <string>

#include "platform/screen.h"
#include "platform/types.h"

// Window pixels per skin-screen pixel, and the rectangles and points that follow from it.
// Coordinates are kept within +-2^29, far beyond any screen.
struct Lcd_Scale {
  double scale = 1.0;

  // The window pixels a skin-screen rectangle touches (its edges rounded outwards, plus one pixel
  // of the smooth filter's reach when scaled).
  Rect ToWindow(const Rect &r) const;
  // Where a skin-screen rectangle lies on the window, edges rounded to whole pixels.
  Rect Rounded(const Rect &r) const;
  // The skin-screen rectangle that covers a window rectangle.
  Rect ToSkin(const Rect &window) const;
  // The skin-screen pixel under a window position.
  void ToSkin(double x, double y, int32_t *sx, int32_t *sy) const;
  // Whole-number scales draw pixel for pixel enlarged; other scales filter smoothly.
  bool Smooth(double picture_scale = 1.0) const;
};

// A rectangle with its far edges brought within +-2^29 and a negative size made empty.
Rect Lcd_Pin(const Rect &r);
// The common part of two rectangles (empty when they do not meet).
Rect Lcd_Intersect(const Rect &a, const Rect &b);

// The screen the game lays its skin out for: a size set by the game window, text metrics and the
// time of day from the desktop.
class ViewScreen : public Screen {
 public:
  explicit ViewScreen(Screen &desktop) : desktop_(desktop) {}
  int32_t Width() override { return w_; }
  int32_t Height() override { return h_; }
  void TextSize(Font font, const std::string &text, int32_t *w, int32_t *h) override {
    desktop_.TextSize(font, text, w, h);
  }
  void LocalTime(int32_t *hour, int32_t *minute) override { desktop_.LocalTime(hour, minute); }
  double PixelScale() override { return pixel_scale_; }
  void Set(int32_t w, int32_t h, double pixel_scale) {
    w_ = w;
    h_ = h;
    pixel_scale_ = pixel_scale;
  }

 private:
  Screen &desktop_;
  int32_t w_ = 1024, h_ = 768;
  double pixel_scale_ = 1.0;
};

// The window's place and size in window mode, from the stored "left,top,width,height" (unset or
// unreadable: two thirds of the desktop, in its middle). A size or place that does not suit the
// desktop is brought onto it.
constexpr int32_t kMinWindowWidth = 320, kMinWindowHeight = 240;
Rect Lcd_Windowed_Geometry(const std::string *stored, int32_t desk_w, int32_t desk_h);
// The stored text of a window geometry.
std::string Lcd_Geometry_Text(const Rect &g);
