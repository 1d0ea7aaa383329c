#include "display/vid.h"

namespace {

void Show(Lcd &lcd, el::Id id, bool on) { Lcd_Set_Visible(lcd, id, on); }

}  // namespace

void Vid_Set_Digit(Lcd &lcd, int32_t pos, int32_t d) {
  if (pos < 1 || pos > 5) return;
  // A digit position takes a copy of the glyph's current picture, so a later skin load changes
  // what it shows only from its next redraw.
  PictureRef pic = (d >= 0 && d <= 9) ? lcd.e[lcd.panel_number_img[d]].pic : nullptr;
  Lcd_Set_Picture(lcd, lcd.panel_digit_img[pos], pic);
}

void Vid_Show_All(Lcd &lcd, bool shown) {
  for (int i = 1; i <= 5; ++i) Show(lcd, lcd.panel_digit_img[i], true);
  for (int i = 1; i <= 5; ++i) Vid_Set_Digit(lcd, i, shown ? (i == 1 ? 1 : 8) : -1);
  for (el::Id id : {el::im_panel_game_a, el::im_panel_game_b, el::im_panel_hiscore, el::im_panel_score,
                    el::im_panel_time_am, el::im_panel_time_pm, el::im_panel_time_colon})
    Show(lcd, id, shown);
  Vid_Show_Panel_Lives(lcd, shown ? 3 : 0);
  Vid_Show_Flame(lcd, shown ? 1 : 0);
  for (int i = 1; i <= 2; ++i) {
    Show(lcd, lcd.heart_img[i], shown);
    Show(lcd, lcd.girder_img[i], shown);
  }
  for (int i = 1; i <= 4; ++i) Show(lcd, lcd.wire_img[i], shown);
  for (int i = 1; i <= 3; ++i) Show(lcd, lcd.crane_img[i], shown);
  for (int i = 1; i <= 5; ++i) Show(lcd, lcd.hook_img[i], shown);
  for (int i = 1; i <= 2; ++i) Show(lcd, lcd.lever_img[i], shown);
  for (int i = 1; i <= 5; ++i) Show(lcd, lcd.iron_img[i], shown);
  for (int c = 2; c <= 6; c += 2)
    for (int p = 1; p <= 3; ++p) Show(lcd, lcd.tusko_img[c][p], shown);
  Show(lcd, el::im_tusko_7, shown);
  for (int c = 1; c <= 6; ++c)
    for (int r = 1; r <= 8; ++r)
      if (lcd.barrel_img[c][r] != el::NONE) Show(lcd, lcd.barrel_img[c][r], shown);
  Vid_Show_All_Pelko(lcd, shown);
}

void Vid_Show_All_Pelko(Lcd &lcd, bool shown) {
  for (int c = 1; c <= 5; ++c)
    for (int r = 1; r <= 7; ++r)
      if (lcd.pelko_img[c][r] != el::NONE) Show(lcd, lcd.pelko_img[c][r], shown);
  for (int i = 1; i <= 2; ++i) Show(lcd, lcd.pelko_hand_img[i], shown);
  for (int i = 1; i <= 5; ++i) Show(lcd, lcd.pelko_fall_img[i], shown);
}

void Vid_Show_Flame(Lcd &lcd, int32_t frame) {
  for (int side = 1; side <= 2; ++side)
    for (int f = 1; f <= 4; ++f) Show(lcd, lcd.flame_img[side][f], f == frame);
}

void Vid_Show_Hook(Lcd &lcd, int32_t n) {
  for (int i = 1; i <= 5; ++i) Show(lcd, lcd.hook_img[i], i == n);
}

void Vid_Show_Tusko(Lcd &lcd, int32_t column, int32_t pose) {
  for (int c = 2; c <= 6; c += 2) {
    Show(lcd, lcd.tusko_img[c][1], column != 0 && c == column);
    Show(lcd, lcd.tusko_img[c][2], column != 0 && c == column && pose == 2);
    Show(lcd, lcd.tusko_img[c][3], column != 0 && c == column && pose == 3);
  }
}

void Vid_Show_Pelko(Lcd &lcd, int32_t column, int32_t row, bool shown) {
  // Only the 19 populated cells have a segment; anything else is ignored rather than trusted.
  if (column < 1 || column > 5 || row < 1 || row > 7) return;
  Show(lcd, lcd.pelko_img[column][row], shown);
}

void Vid_Show_Pelko0107Hand(Lcd &lcd, int32_t state) {
  if (state < 0 || state > 2) return;
  Show(lcd, el::im_pelko_01_07b, state == 1);
  Show(lcd, el::im_pelko_01_07c, state == 2);
}

void Vid_Show_Wires(Lcd &lcd, int32_t count) {
  for (int i = 1; i <= 4; ++i) Show(lcd, lcd.wire_img[i], i <= count);
}

void Vid_Show_Panel_Lives(Lcd &lcd, int32_t count) {
  for (int i = 1; i <= 3; ++i) Show(lcd, lcd.panel_life_img[i], i <= count);
}

void Vid_Show_Panel_Score(Lcd &lcd, int32_t value, bool shown) {
  // The panel has room for three digits: value mod 1000 (negative values show no digits but the 0).
  const int32_t n = value >= 1000 ? value % 1000 : value;
  Vid_Set_Digit(lcd, 1, -1);
  if (!shown) {
    for (int i = 2; i <= 5; ++i) Vid_Set_Digit(lcd, i, -1);
    return;
  }
  Vid_Set_Digit(lcd, 2, n >= 100 ? n / 100 % 10 : -1);
  Vid_Set_Digit(lcd, 3, n >= 10 ? n / 10 % 10 : -1);
  Vid_Set_Digit(lcd, 4, n >= 1 ? n % 10 : -1);
  Vid_Set_Digit(lcd, 5, 0);
}
