// What the LCD window shows over a part of the skin's screen, as drawing steps in stacking order:
// the window colour first (left to the window), then every visible element, with the LCD effects
// (ghosts, shadows, fading segments) where they lie. Both game windows draw these steps; nothing
// here draws.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "display/lcd.h"
#include "display/lcd_effects.h"
#include "platform/screen.h"

struct Lcd_Step {
  enum class Kind : uint8_t { Picture, Fill, Text };
  Kind kind = Kind::Picture;
  el::Id id = el::NONE;  // the element it belongs to (NONE for ghosts and shadows)
  Rect area;             // skin rectangle drawn over
  // Picture: the pixels src (counted from the stored part of pic) drawn over area, scaled when
  // their sizes differ, at level 0 .. 1; as_opaque: the see-through parts black.
  PictureRef pic;
  Rect src;
  float level = 1;
  bool as_opaque = false;
  // Layers a window that keeps scaled pictures may draw onto its kept copy of this picture (the
  // LCD's ghosts on the background); the steps marked ghost are then left out.
  const std::vector<LcdLayer> *over = nullptr;
  bool ghost = false;
  // Fill and Text: the colour (0xRRGGBB); Text: the label, centred in area, in font.
  uint32_t color = 0;
  Font font = Font::StageName;
  const std::string *text = nullptr;
};

// The steps that paint the part dirty of the skin's screen. With fx (synchronised with the model
// first) and its effects on, the LCD as it looks at now_ms; otherwise the classic flat picture.
void Lcd_Paint_Plan(const Lcd &lcd, const Rect &dirty, const LcdEffects *fx, int64_t now_ms,
                    std::vector<Lcd_Step> &out);
// The step that draws a placed picture (a ghost or shadow layer) at full level; false when none of
// it is stored.
bool Lcd_Layer_Step(const LcdLayer &layer, Lcd_Step &out);
