// Skin loading and screen layout: pictures and rectangles of the 146 skin elements from the
// stage's Config.ini, the design canvas centred on the screen, background, logo and buttons
// placed relative to the screen edges. Always called together, in this order.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "display/lcd.h"

struct Config;

// The screen the skin is laid out for. With fit to screen this is a virtual screen (the real one
// divided by the scale); pixel_scale is how many device pixels one of its pixels covers, which
// decides the resolution of the pictures loaded.
struct SkinLayout {
  int32_t screen_w = 1024, screen_h = 768;
  double pixel_scale = 1.0;
};

// Loads the skin of stage_number into lcd. Pictures that cannot be decoded, and a BgColor that is
// not a number, are described in *problems (when given); the element then shows the red
// placeholder (or the colour stays as it was) and the rest of the skin still loads. A
// high-resolution variant is used only when it decodes and is exactly its scale times the 1x
// picture; otherwise the 1x picture is, and the variant is described once (until it changes).
void Gfx_Load_Skin(Lcd &lcd, const Config &cfg, const SkinLayout &screen, int32_t stage_number,
                   std::vector<std::string> *problems);
// Starts decoding the pictures of stage_number's skin for screen on a helper thread, so that the
// next load of the same pictures (Gfx_Load_Skin) finds them decoded; it waits for the helper
// when it is not done yet. Nothing else changes until then.
void Gfx_Prefetch_Skin(const Config &cfg, const SkinLayout &screen, int32_t stage_number);
// Centres the background on the screen and puts the logo in the top-right corner.
void Gfx_Place_Background_Logo(Lcd &lcd, const Config &cfg, const SkinLayout &screen);
// Gives the eight button faces their released pictures and arranges them around the screen edges.
void Gfx_Place_Buttons(Lcd &lcd, const Config &cfg, const SkinLayout &screen);

// Lays the current skin of stage_number out again for another screen: rectangles from the stage's
// Config.ini, background, logo and buttons placed; pictures and visibility stay as they are.
void Gfx_Relayout(Lcd &lcd, const Config &cfg, const SkinLayout &screen, int32_t stage_number);
// Swaps the pictures of the stage's skin for the resolution that suits screen.pixel_scale
// (see the @2x / @3x variants in the loader); elements showing a copy of one of them (button
// faces, digits) follow. Nothing is decoded when the resolution in use stays the same. Pictures
// that cannot be shown, and variants left unused, are described in *problems (when given).
void Gfx_Reload_Pictures(Lcd &lcd, const Config &cfg, const SkinLayout &screen, int32_t stage_number,
                         std::vector<std::string> *problems = nullptr);

// Fit to screen: the largest scale at which the design canvas (which holds the background with
// the skin's margin around it) fits into a real screen of w x h; a background larger than the
// canvas must fit with a margin of kFitMargin pixels on every side. Below 1 on screens smaller
// than the canvas.
constexpr int32_t kFitMargin = 12;
double Gfx_Fit_Scale(int32_t w, int32_t h, int32_t design_w, int32_t design_h, int32_t bg_w, int32_t bg_h);
// The same with the design size and stage 1's background size read from the configuration.
double Gfx_Fit_Scale(const Config &cfg, int32_t w, int32_t h);
// Size of the virtual screen that a real size covers at a scale (rounded up, at least 1).
int32_t Gfx_Virtual_Size(int32_t real, double scale);

// A BgColor value as 0xRRGGBB: an integer whose low byte is red, next green, next blue.
// False when the text is not a valid integer.
bool Gfx_Parse_Color(const std::string &text, uint32_t *rgb);
// Trunc((screen - design) / 2)
int32_t Gfx_Design_Offset(int32_t screen, int32_t design);
// Forgets every decoded picture kept for reloads.
void Gfx_Flush_Cache();
