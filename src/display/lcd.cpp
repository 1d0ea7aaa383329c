#include "display/lcd.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace {

const char *const kNames[] = {
#define EL(n) #n,
#include "display/element_list.h"
#undef EL
};
static_assert(sizeof(kNames) / sizeof(kNames[0]) == el::COUNT);

el::Id At(const char *fmt, int a, int b = 0) {
  char buf[48];
  std::snprintf(buf, sizeof buf, fmt, a, b);
  el::Id id = Lcd_Find(buf);
  return id;
}

bool IsButton(el::Id id) { return id >= el::btn_game_a_pressed && id <= el::btn_jump_top; }
bool IsGlyph(el::Id id) { return id >= el::im_panel_number_0 && id <= el::im_panel_number_9; }

bool Valid(el::Id id) { return id >= 0 && id < el::COUNT; }

void Touch(Lcd &lcd, el::Id id) {
  if (lcd.sink && lcd.e[id].visible) {
    Rect r = Lcd_Area(lcd, id);
    if (!r.Empty()) lcd.sink->Invalidate(r);
  }
}

// Repaints what a shown element covered before a change (before) and covers after it, once when
// that is the same area.
void TouchChange(Lcd &lcd, el::Id id, const Rect &before) {
  if (!lcd.sink || !lcd.e[id].visible) return;
  const Rect after = Lcd_Area(lcd, id);
  if (!before.Empty()) lcd.sink->Invalidate(before);
  if (!after.Empty() && !(after == before)) lcd.sink->Invalidate(after);
}

}  // namespace

const char *Lcd_Name(el::Id id) { return id >= 0 && id < el::COUNT ? kNames[id] : ""; }

el::Id Lcd_Find(const std::string &name) {
  static const std::unordered_map<std::string, el::Id> index = [] {
    std::unordered_map<std::string, el::Id> m;
    for (int i = 0; i < el::COUNT; ++i) m.emplace(kNames[i], static_cast<el::Id>(i));
    return m;
  }();
  auto it = index.find(name);
  return it == index.end() ? el::NONE : it->second;
}

bool Lcd_Is_Segment(el::Id id) {
  return id > el::im_logo && id < el::kSkinElements && !IsButton(id) && !IsGlyph(id);
}

void Lcd_Init(Lcd &lcd) {
  LcdSink *sink = lcd.sink;
  lcd = Lcd{};
  lcd.sink = sink;
  for (int i = 0; i < el::COUNT; ++i) {
    auto id = static_cast<el::Id>(i);
    Element &e = lcd.e[i];
    e.transparent = Lcd_Is_Segment(id) || id == el::im_background || id == el::im_logo;
  }
  lcd.e[el::im_background].draw = DrawMode::Centred;
  for (el::Id id : {el::im_background, el::im_logo, el::btn_game_a_top, el::btn_game_b_top, el::btn_time_top,
                    el::btn_move_up_top, el::btn_move_left_top, el::btn_move_right_top, el::btn_move_down_top,
                    el::btn_jump_top, el::btn_game_menu_background, el::btn_game_menu_top})
    lcd.e[id].visible = true;
  lcd.e[el::btn_game_menu_background].transparent = true;
  lcd.e[el::sh_stage_start].draw = DrawMode::FilledRect;
  lcd.e[el::la_stage_start].draw = DrawMode::Text;
  lcd.e[el::la_stage_start].color = 0xFFFFFF;
  lcd.e[el::la_stage_start_name].draw = DrawMode::Text;
  lcd.e[el::la_stage_start_name].color = 0xFFFF00;

  auto fill = [](auto &table) {
    auto *first = reinterpret_cast<el::Id *>(&table);
    std::fill(first, first + sizeof(table) / sizeof(el::Id), el::NONE);
  };
  fill(lcd.pelko_img); fill(lcd.pelko_hand_img); fill(lcd.pelko_fall_img); fill(lcd.tusko_img);
  fill(lcd.barrel_img); fill(lcd.iron_img); fill(lcd.flame_img); fill(lcd.hook_img); fill(lcd.crane_img);
  fill(lcd.wire_img); fill(lcd.lever_img); fill(lcd.girder_img); fill(lcd.heart_img);
  fill(lcd.panel_life_img); fill(lcd.panel_digit_img); fill(lcd.panel_number_img);

  for (int c = 1; c <= 5; ++c)
    for (int r = 1; r <= 7; ++r) lcd.pelko_img[c][r] = At("im_pelko_%02d_%02d", c, r);
  lcd.pelko_img[1][7] = el::im_pelko_01_07a;
  lcd.pelko_hand_img[1] = el::im_pelko_01_07b;
  lcd.pelko_hand_img[2] = el::im_pelko_01_07c;
  for (int i = 1; i <= 5; ++i) {
    char n[32];
    std::snprintf(n, sizeof n, "im_pelko_06_07%c", 'a' + i - 1);
    lcd.pelko_fall_img[i] = Lcd_Find(n);
  }
  for (int c = 2; c <= 6; c += 2)
    for (int p = 1; p <= 3; ++p) {
      char n[32];
      std::snprintf(n, sizeof n, "im_tusko_%d%c", c, 'a' + p - 1);
      lcd.tusko_img[c][p] = Lcd_Find(n);
    }
  for (int c = 1; c <= 6; ++c)
    for (int r = 1; r <= 8; ++r) lcd.barrel_img[c][r] = At("im_barrel_%02d_%02d", c, r);
  for (int i = 1; i <= 5; ++i) lcd.iron_img[i] = At("im_iron_%02d_04", i);
  for (int f = 1; f <= 4; ++f) {
    lcd.flame_img[1][f] = At("im_flame_l_%d", f);
    lcd.flame_img[2][f] = At("im_flame_r_%d", f);
  }
  for (int i = 1; i <= 5; ++i) lcd.hook_img[i] = At("im_hook_%d", i);
  for (int i = 1; i <= 3; ++i) lcd.crane_img[i] = At("im_crane_%d", i);
  for (int i = 1; i <= 4; ++i) lcd.wire_img[i] = At("im_wire_%d", i);
  for (int i = 1; i <= 2; ++i) {
    lcd.lever_img[i] = At("im_lever_%d", i);
    lcd.girder_img[i] = At("im_girder_%d", i);
    lcd.heart_img[i] = At("im_heart_%d", i);
  }
  for (int i = 1; i <= 3; ++i) lcd.panel_life_img[i] = At("im_panel_life_%d", i);
  for (int i = 1; i <= 5; ++i) lcd.panel_digit_img[i] = At("im_panel_digit_pos_%d", i);
  for (int d = 0; d <= 9; ++d) lcd.panel_number_img[d] = At("im_panel_number_%d", d);
}

const el::Id *Lcd_Paint_Order(int *count) {
  static const std::vector<el::Id> order = [] {
    std::vector<el::Id> o;
    o.push_back(el::im_background);
    for (int i = el::im_logo + 1; i < el::kSkinElements; ++i) o.push_back(static_cast<el::Id>(i));
    for (el::Id id : {el::im_logo, el::btn_game_menu_background, el::btn_game_menu_top, el::sh_stage_start,
                      el::la_stage_start, el::la_stage_start_name, el::im_stage_start})
      o.push_back(id);
    return o;
  }();
  *count = static_cast<int>(order.size());
  return order.data();
}

Rect Lcd_Area(const Lcd &lcd, el::Id id) {
  const Element &e = lcd.e[id];
  if (e.draw != DrawMode::Centred || !e.pic) return e.rect;
  // The background draws its picture centred in its rectangle, clipped to it.
  const Rect &r = e.rect;
  const int32_t w = std::min(e.pic->SkinWidth(), r.width), h = std::min(e.pic->SkinHeight(), r.height);
  // Worked out in 64 bits: a rectangle near the end of the 32-bit range must not wrap around.
  auto pin = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
  return Rect{pin(r.left + (int64_t{r.width} - w) / 2), pin(r.top + (int64_t{r.height} - h) / 2), w, h};
}

void Lcd_Set_Visible(Lcd &lcd, el::Id id, bool visible) {
  if (!Valid(id)) return;
  Element &e = lcd.e[id];
  if (e.visible == visible) return;
  if (!visible) Touch(lcd, id);
  e.visible = visible;
  if (visible) Touch(lcd, id);
}

void Lcd_Set_Picture(Lcd &lcd, el::Id id, PictureRef pic) {
  if (!Valid(id)) return;
  Element &e = lcd.e[id];
  if (e.pic == pic) return;
  const Rect before = Lcd_Area(lcd, id);
  e.pic = std::move(pic);
  TouchChange(lcd, id, before);
}

void Lcd_Set_Rect(Lcd &lcd, el::Id id, const Rect &r) {
  if (!Valid(id)) return;
  Element &e = lcd.e[id];
  if (e.rect == r) return;
  const Rect before = Lcd_Area(lcd, id);
  e.rect = r;
  TouchChange(lcd, id, before);
}

void Lcd_Set_Text(Lcd &lcd, el::Id id, const std::string &text) {
  if (!Valid(id)) return;
  Element &e = lcd.e[id];
  if (e.text == text) return;
  e.text = text;
  Touch(lcd, id);
}

void Lcd_Set_Window_Color(Lcd &lcd, uint32_t rgb) {
  if (lcd.window_color == rgb) return;
  lcd.window_color = rgb;
  if (lcd.sink) lcd.sink->Invalidate(Rect{0, 0, 1 << 20, 1 << 20});
}
