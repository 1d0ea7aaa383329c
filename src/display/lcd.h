// The game window's elements as plain data: every segment, button face, glyph and the intro
// screen, with picture, rectangle and visibility, plus the fixed tables the game addresses them by.
// Changing an element tells the sink which screen rectangles need repainting; nothing else draws.
#pragma once
#include <cstdint>
#include <string>

#include "platform/types.h"

namespace el {
enum Id : int16_t {
  NONE = -1,
#define EL(n) n,
#include "display/element_list.h"
#undef EL
  COUNT
};
constexpr int kSkinElements = 146;  // Image1 .. Image146 configure ids 0 .. 145
}  // namespace el

enum class DrawMode : uint8_t { TopLeft, Centred, FilledRect, Text };

struct Element {
  PictureRef pic;
  Rect rect;
  bool visible = false;
  bool transparent = false;
  DrawMode draw = DrawMode::TopLeft;
  uint32_t color = 0;  // fill of a shape, colour of a label (0xRRGGBB)
  std::string text;    // labels
  std::string hint;    // tooltip of a button face
};

class LcdSink {
 public:
  virtual ~LcdSink() = default;
  // The screen rectangle r must be repainted.
  virtual void Invalidate(const Rect &r) = 0;
};

struct Lcd {
  Element e[el::COUNT];
  uint32_t window_color = 0;  // colour around and behind the background picture (0xRRGGBB)
  LcdSink *sink = nullptr;

  // Fixed tables (1-based like the game rules; el::NONE marks a cell without a segment).
  el::Id pelko_img[6][8];          // [col 1..5][row 1..7]
  el::Id pelko_hand_img[3];        // [1..2]
  el::Id pelko_fall_img[6];        // [1..5] = 06_07a .. 06_07e
  el::Id tusko_img[7][4];          // [col 2,4,6][pose 1..3]
  el::Id barrel_img[7][9];         // [col 1..6][row 1..8]
  el::Id iron_img[6];              // [1..5]
  el::Id flame_img[3][5];          // [side 1 = l, 2 = r][frame 1..4]
  el::Id hook_img[6];              // [1..5]
  el::Id crane_img[4];             // [1..3]
  el::Id wire_img[5];              // [1..4]
  el::Id lever_img[3];             // [1..2]
  el::Id girder_img[3];            // [1..2]
  el::Id heart_img[3];             // [1..2]
  el::Id panel_life_img[4];        // [1..3]
  el::Id panel_digit_img[6];       // [1..5]
  el::Id panel_number_img[10];     // [0..9]
};

// Element names as the skin and the code spell them.
const char *Lcd_Name(el::Id id);
// el::NONE when no element has that name.
el::Id Lcd_Find(const std::string &name);
// Puts every element into its creation state (hidden, empty, fixed drawing properties) and
// fills the fixed tables.
void Lcd_Init(Lcd &lcd);
// Lowest first: background, segments and buttons, logo, game-menu button, intro screen.
const el::Id *Lcd_Paint_Order(int *count);
// True for the LCD segments (what the LCD test picture lights), false for the other elements.
bool Lcd_Is_Segment(el::Id id);

// The only ways to change an element; each reports the affected screen area to the sink.
void Lcd_Set_Visible(Lcd &lcd, el::Id id, bool visible);
void Lcd_Set_Picture(Lcd &lcd, el::Id id, PictureRef pic);
void Lcd_Set_Rect(Lcd &lcd, el::Id id, const Rect &r);
void Lcd_Set_Text(Lcd &lcd, el::Id id, const std::string &text);
void Lcd_Set_Window_Color(Lcd &lcd, uint32_t rgb);
// The screen area an element covers when shown (its rectangle, or the background's centred picture).
Rect Lcd_Area(const Lcd &lcd, el::Id id);
