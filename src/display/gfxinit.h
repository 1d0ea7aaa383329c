// Skin loading and screen layout: pictures and rectangles of the 146 skin elements from the
// stage's Config.ini, the design canvas centred on the screen, background, logo and buttons
// placed relative to the screen edges. Always called together, in this order.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "display/lcd.h"

struct Config;

struct SkinLayout {
  int32_t screen_w = 1024, screen_h = 768;
};

// Loads the skin of stage_number into lcd. Pictures that cannot be decoded, and a BgColor that is
// not a number, are described in *problems (when given); the element then shows the red
// placeholder (or the colour stays as it was) and the rest of the skin still loads.
void Gfx_Load_Skin(Lcd &lcd, const Config &cfg, const SkinLayout &screen, int32_t stage_number,
                   std::vector<std::string> *problems);
// Centres the background on the screen and puts the logo in the top-right corner.
void Gfx_Place_Background_Logo(Lcd &lcd, const Config &cfg, const SkinLayout &screen);
// Gives the eight button faces their released pictures and arranges them around the screen edges.
void Gfx_Place_Buttons(Lcd &lcd, const Config &cfg, const SkinLayout &screen);

// A BgColor value as 0xRRGGBB: an integer whose low byte is red, next green, next blue.
// False when the text is not a valid integer.
bool Gfx_Parse_Color(const std::string &text, uint32_t *rgb);
// Trunc((screen - design) / 2)
int32_t Gfx_Design_Offset(int32_t screen, int32_t design);
// Forgets every decoded picture kept for reloads.
void Gfx_Flush_Cache();
