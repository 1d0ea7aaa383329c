// What the game shows on the LCD: the show/hide routines over the segment catalogue.
// None of them fails; values outside a routine's range hide the whole group as documented.
#pragma once
#include <cstdint>

#include "display/lcd.h"

// true: the LCD test picture (every segment, flames at frame 1, digits 1 8 8 8 8); false: clear.
void Vid_Show_All(Lcd &lcd, bool shown);
// All 26 Pelko segments (grid, arm pictures, fall pictures) to shown.
void Vid_Show_All_Pelko(Lcd &lcd, bool shown);
// Frame 1..4 on both sides; anything else hides all eight flame pictures.
void Vid_Show_Flame(Lcd &lcd, int32_t frame);
// Hook place 1..5; anything else hides the hook.
void Vid_Show_Hook(Lcd &lcd, int32_t n);
// Tusko at column 2, 4 or 6 with pose 2 (empty-handed) or 3 (holding a barrel); column 0 hides him.
void Vid_Show_Tusko(Lcd &lcd, int32_t column, int32_t pose);
// One cell of the Pelko grid.
void Vid_Show_Pelko(Lcd &lcd, int32_t column, int32_t row, bool shown);
// Arm pose at the top left: 0 none, 1 or 2 one of the two pictures; other values change nothing.
void Vid_Show_Pelko0107Hand(Lcd &lcd, int32_t state);
// Wires 1..count shown, the rest hidden.
void Vid_Show_Wires(Lcd &lcd, int32_t count);
// Life marks 1..count shown, the rest hidden.
void Vid_Show_Panel_Lives(Lcd &lcd, int32_t count);
// value mod 1000 on digit positions 2..4 with a fixed 0 in position 5, or all blank when !shown.
void Vid_Show_Panel_Score(Lcd &lcd, int32_t value, bool shown);
// Digit position pos (1..5) shows glyph d (0..9), or blank for any other d.
void Vid_Set_Digit(Lcd &lcd, int32_t pos, int32_t d);
