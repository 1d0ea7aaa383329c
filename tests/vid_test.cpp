// The show/hide routines over the segment catalogue, the digit glyph copy rule, and what the
// display model asks the window to repaint.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <set>

#include "config/config.h"
#include "display/gfxinit.h"
#include "display/vid.h"
#include "test_support.h"

namespace {

struct RecordingSink : LcdSink {
  std::vector<Rect> rects;
  void Invalidate(const Rect &r) override { rects.push_back(r); }
};

PictureRef Solid(uint32_t argb) {
  auto p = std::make_shared<Picture>();
  p->width = p->height = 2;
  p->pixels.assign(4, argb);
  return p;
}

// A display with a distinct glyph picture per digit and a distinct rectangle per element.
struct Display {
  Lcd lcd;
  RecordingSink sink;
  PictureRef glyph[10];
  Display() {
    Lcd_Init(lcd);
    for (int d = 0; d <= 9; ++d) {
      glyph[d] = Solid(0xFF000000u | static_cast<uint32_t>(d));
      lcd.e[lcd.panel_number_img[d]].pic = glyph[d];
    }
    for (int i = 0; i < el::COUNT; ++i) lcd.e[i].rect = Rect{i * 3, i * 2, 5 + i % 7, 6 + i % 5};
    lcd.sink = &sink;
  }
  std::set<std::string> Lit() const {
    std::set<std::string> out;
    for (int i = 0; i < el::COUNT; ++i)
      if (Lcd_Is_Segment(static_cast<el::Id>(i)) && lcd.e[i].visible) out.insert(Lcd_Name(static_cast<el::Id>(i)));
    return out;
  }
  // What the five digit positions show: the digit of the glyph, '_' for blank, '?' for another picture.
  std::string Digits() const {
    std::string s;
    for (int i = 1; i <= 5; ++i) {
      const PictureRef &p = lcd.e[lcd.panel_digit_img[i]].pic;
      char c = p ? '?' : '_';
      for (int d = 0; d <= 9; ++d)
        if (p == glyph[d]) c = static_cast<char>('0' + d);
      s += c;
    }
    return s;
  }
};

std::set<std::string> Names(std::initializer_list<const char *> names) { return {names.begin(), names.end()}; }

}  // namespace

TEST(VidShowAll, TestPictureThenClear) {
  Display d;
  Vid_Show_All(d.lcd, true);
  const std::set<std::string> lit = d.Lit();
  EXPECT_EQ(lit.size(), 110u - 6u);  // every segment, flames at frame 1 only
  EXPECT_TRUE(lit.count("im_flame_l_1") && lit.count("im_flame_r_1"));
  EXPECT_FALSE(lit.count("im_flame_l_2") || lit.count("im_flame_r_4"));
  EXPECT_TRUE(lit.count("im_tusko_7") && lit.count("im_barrel_01_04") && lit.count("im_pelko_06_07e"));
  EXPECT_EQ(d.Digits(), "18888");
  for (int i = 0; i <= 9; ++i) EXPECT_FALSE(d.lcd.e[d.lcd.panel_number_img[i]].visible);

  Vid_Show_All(d.lcd, false);
  EXPECT_EQ(d.Lit(), Names({"im_panel_digit_pos_1", "im_panel_digit_pos_2", "im_panel_digit_pos_3",
                            "im_panel_digit_pos_4", "im_panel_digit_pos_5"}));
  EXPECT_EQ(d.Digits(), "_____");
  // Buttons and the logo are not segments and keep their state.
  EXPECT_TRUE(d.lcd.e[el::btn_jump_top].visible);
  EXPECT_TRUE(d.lcd.e[el::im_background].visible);
}

TEST(VidPanelScore, ThreeDigitsAndAFixedZero) {
  struct Case {
    int32_t value;
    bool shown;
    const char *digits;
  } const cases[] = {{0, true, "____0"},    {7, true, "___70"},       {1000, true, "____0"},
                     {1999, true, "_9990"}, {123, true, "_1230"},     {50, true, "__500"},
                     {305, true, "_3050"},  {INT32_MAX, true, "_6470"}, {-5, true, "____0"},
                     {123, false, "_____"}, {0, false, "_____"}};
  for (const Case &c : cases) {
    Display d;
    Vid_Show_All(d.lcd, true);
    Vid_Show_Panel_Score(d.lcd, c.value, c.shown);
    EXPECT_EQ(d.Digits(), c.digits) << c.value << " " << c.shown;
    // Visibility of the positions and marks is left alone.
    EXPECT_TRUE(d.lcd.e[el::im_panel_score].visible);
    EXPECT_TRUE(d.lcd.e[el::im_panel_digit_pos_1].visible);
  }
}

TEST(VidGroups, FlameHookWiresLives) {
  Display d;
  Vid_Show_Flame(d.lcd, 3);
  EXPECT_EQ(d.Lit(), Names({"im_flame_l_3", "im_flame_r_3"}));
  Vid_Show_Flame(d.lcd, 0);
  EXPECT_TRUE(d.Lit().empty());
  Vid_Show_Flame(d.lcd, 4);
  Vid_Show_Flame(d.lcd, 5);
  EXPECT_TRUE(d.Lit().empty());

  Vid_Show_Hook(d.lcd, 5);
  EXPECT_EQ(d.Lit(), Names({"im_hook_5"}));
  Vid_Show_Hook(d.lcd, 2);
  EXPECT_EQ(d.Lit(), Names({"im_hook_2"}));
  Vid_Show_Hook(d.lcd, -1);
  EXPECT_TRUE(d.Lit().empty());

  Vid_Show_Wires(d.lcd, 4);
  EXPECT_EQ(d.Lit(), Names({"im_wire_1", "im_wire_2", "im_wire_3", "im_wire_4"}));
  Vid_Show_Wires(d.lcd, 2);
  EXPECT_EQ(d.Lit(), Names({"im_wire_1", "im_wire_2"}));
  Vid_Show_Wires(d.lcd, 0);
  EXPECT_TRUE(d.Lit().empty());

  Vid_Show_Panel_Lives(d.lcd, 2);
  EXPECT_EQ(d.Lit(), Names({"im_panel_life_1", "im_panel_life_2"}));
  Vid_Show_Panel_Lives(d.lcd, 9);
  EXPECT_EQ(d.Lit().size(), 3u);
  Vid_Show_Panel_Lives(d.lcd, -2);
  EXPECT_TRUE(d.Lit().empty());
}

TEST(VidTusko, ColumnAndPose) {
  Display d;
  Lcd_Set_Visible(d.lcd, el::im_tusko_7, true);
  Vid_Show_Tusko(d.lcd, 4, 1);
  EXPECT_EQ(d.Lit(), Names({"im_tusko_4a", "im_tusko_7"}));
  Vid_Show_Tusko(d.lcd, 4, 3);
  EXPECT_EQ(d.Lit(), Names({"im_tusko_4a", "im_tusko_4c", "im_tusko_7"}));
  Vid_Show_Tusko(d.lcd, 2, 2);
  EXPECT_EQ(d.Lit(), Names({"im_tusko_2a", "im_tusko_2b", "im_tusko_7"}));
  Vid_Show_Tusko(d.lcd, 6, 9);
  EXPECT_EQ(d.Lit(), Names({"im_tusko_6a", "im_tusko_7"}));
  Vid_Show_Tusko(d.lcd, 3, 2);  // an odd column hides him
  EXPECT_EQ(d.Lit(), Names({"im_tusko_7"}));
  Vid_Show_Tusko(d.lcd, 6, 2);
  Vid_Show_Tusko(d.lcd, 0, 3);
  EXPECT_EQ(d.Lit(), Names({"im_tusko_7"}));
}

TEST(VidPelko, GridCellsHandAndAll) {
  Display d;
  Vid_Show_Pelko(d.lcd, 3, 4, true);
  Vid_Show_Pelko(d.lcd, 1, 7, true);
  EXPECT_EQ(d.Lit(), Names({"im_pelko_03_04", "im_pelko_01_07a"}));
  Vid_Show_Pelko(d.lcd, 3, 4, false);
  EXPECT_EQ(d.Lit(), Names({"im_pelko_01_07a"}));
  // Cells without a segment and places outside the grid change nothing.
  Vid_Show_Pelko(d.lcd, 2, 2, true);
  Vid_Show_Pelko(d.lcd, 6, 7, true);
  Vid_Show_Pelko(d.lcd, 0, 0, true);
  Vid_Show_Pelko(d.lcd, -1, 99, true);
  EXPECT_EQ(d.Lit(), Names({"im_pelko_01_07a"}));

  Vid_Show_Pelko0107Hand(d.lcd, 1);
  EXPECT_TRUE(d.Lit().count("im_pelko_01_07b"));
  Vid_Show_Pelko0107Hand(d.lcd, 5);
  Vid_Show_Pelko0107Hand(d.lcd, -1);
  EXPECT_TRUE(d.Lit().count("im_pelko_01_07b"));
  Vid_Show_Pelko0107Hand(d.lcd, 2);
  EXPECT_FALSE(d.Lit().count("im_pelko_01_07b"));
  EXPECT_TRUE(d.Lit().count("im_pelko_01_07c"));
  Vid_Show_Pelko0107Hand(d.lcd, 0);
  EXPECT_EQ(d.Lit(), Names({"im_pelko_01_07a"}));

  Vid_Show_All_Pelko(d.lcd, true);
  const std::set<std::string> lit = d.Lit();
  EXPECT_EQ(lit.size(), 26u);
  EXPECT_TRUE(std::all_of(lit.begin(), lit.end(), [](const std::string &n) { return n.rfind("im_pelko_", 0) == 0; }));
  Vid_Show_All_Pelko(d.lcd, false);
  EXPECT_TRUE(d.Lit().empty());
}

TEST(VidDigits, SetDigitRangeAndPositions) {
  Display d;
  Vid_Set_Digit(d.lcd, 3, 7);
  Vid_Set_Digit(d.lcd, 5, 0);
  EXPECT_EQ(d.Digits(), "__7_0");
  Vid_Set_Digit(d.lcd, 3, 10);
  Vid_Set_Digit(d.lcd, 0, 4);  // no such position
  Vid_Set_Digit(d.lcd, 6, 4);
  EXPECT_EQ(d.Digits(), "____0");
}

namespace {

std::string SolidPng(uint32_t argb) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  img.width = img.height = 3;
  img.format = PNG_FORMAT_BGRA;
  std::vector<uint32_t> px(9, argb);
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&img, nullptr, &size, 0, px.data(), 0, nullptr);
  std::string out(size, '\0');
  png_image_write_to_memory(&img, out.data(), &size, 0, px.data(), 0, nullptr);
  out.resize(size);
  return out;
}

}  // namespace

TEST(VidDigits, ADigitKeepsItsPictureUntilRedrawnAfterASkinLoad) {
  TempDir dir;
  Config cfg;
  cfg.program_folder = dir.path;
  cfg.stage_count = 2;
  dir.Write("Config.ini", "");
  for (int n = 1; n <= 2; ++n) {
    const std::string folder = "Level" + std::to_string(n);
    cfg.stage_table[n].path = dir.path + folder + "\\";
    std::string ini;
    for (int g = 0; g <= 9; ++g) {
      dir.Write(folder + "/n" + std::to_string(g) + ".png", SolidPng(0xFF000000u | n << 16 | g));
      ini += "[Image" + std::to_string(40 + g) + "]\nFilename=n" + std::to_string(g) + ".png\n";
      ini += "[Image" + std::to_string(35 + g % 5) + "]\nLeft=" + std::to_string(500 + g % 5 * 20) + "\nWidth=15\nHeight=28\n";
    }
    dir.Write(folder + "/Config.ini", ini);
  }
  Lcd lcd;
  Lcd_Init(lcd);
  const SkinLayout screen{1024, 768};
  auto colour = [&lcd](int pos) { return lcd.e[lcd.panel_digit_img[pos]].pic->pixels[0]; };
  Gfx_Load_Skin(lcd, cfg, screen, 1, nullptr);
  Vid_Show_Panel_Score(lcd, 42, true);  // _ _ 4 2 0
  EXPECT_EQ(colour(3), 0xFF010004u);
  Gfx_Load_Skin(lcd, cfg, screen, 2, nullptr);
  EXPECT_EQ(colour(3), 0xFF010004u);  // still the first skin's 4
  EXPECT_EQ(colour(5), 0xFF010000u);
  EXPECT_EQ(lcd.e[el::im_panel_digit_pos_3].rect.left, 540);  // the rectangle is the new skin's
  Vid_Show_Panel_Score(lcd, 42, true);
  EXPECT_EQ(colour(3), 0xFF020004u);
  EXPECT_EQ(colour(5), 0xFF020000u);
}

TEST(LcdSinkRepaint, OnlyTheChangedElementsRectangle) {
  Display d;
  const Rect heart = d.lcd.e[el::im_heart_1].rect;
  Lcd_Set_Visible(d.lcd, el::im_heart_1, true);
  EXPECT_EQ(d.sink.rects, std::vector<Rect>{heart});
  d.sink.rects.clear();
  Lcd_Set_Visible(d.lcd, el::im_heart_1, true);  // no change, nothing to repaint
  EXPECT_TRUE(d.sink.rects.empty());
  Lcd_Set_Visible(d.lcd, el::im_heart_1, false);
  EXPECT_EQ(d.sink.rects, std::vector<Rect>{heart});
  d.sink.rects.clear();

  // Changes to a hidden element show nothing new.
  Lcd_Set_Picture(d.lcd, el::im_heart_1, Solid(0xFFFFFFFF));
  Lcd_Set_Rect(d.lcd, el::im_heart_1, Rect{1, 2, 3, 4});
  EXPECT_TRUE(d.sink.rects.empty());

  // A shown element: a new picture repaints its rectangle once, a move repaints old and new place.
  Lcd_Set_Visible(d.lcd, el::im_heart_1, true);
  d.sink.rects.clear();
  Lcd_Set_Picture(d.lcd, el::im_heart_1, Solid(0xFF000000));
  EXPECT_EQ(d.sink.rects, std::vector<Rect>{(Rect{1, 2, 3, 4})});
  d.sink.rects.clear();
  Lcd_Set_Rect(d.lcd, el::im_heart_1, Rect{10, 20, 3, 4});
  EXPECT_EQ(d.sink.rects, (std::vector<Rect>{Rect{1, 2, 3, 4}, Rect{10, 20, 3, 4}}));
  d.sink.rects.clear();

  // An element with an empty rectangle needs no repaint.
  Lcd_Set_Rect(d.lcd, el::im_heart_2, Rect{5, 5, 0, 9});
  Lcd_Set_Visible(d.lcd, el::im_heart_2, true);
  EXPECT_TRUE(d.sink.rects.empty());
}

TEST(LcdSinkRepaint, AFlameStepRepaintsOnlyFlameRectangles) {
  Display d;
  Vid_Show_Flame(d.lcd, 1);
  d.sink.rects.clear();
  Vid_Show_Flame(d.lcd, 2);
  std::vector<Rect> want;
  for (el::Id id : {el::im_flame_l_1, el::im_flame_l_2, el::im_flame_r_1, el::im_flame_r_2})
    want.push_back(d.lcd.e[id].rect);
  std::vector<Rect> got = d.sink.rects;
  auto order = [](const Rect &a, const Rect &b) { return std::tie(a.left, a.top) < std::tie(b.left, b.top); };
  std::sort(want.begin(), want.end(), order);
  std::sort(got.begin(), got.end(), order);
  EXPECT_EQ(got, want);
}

TEST(LcdSinkRepaint, TheBackgroundRepaintsWhereItsPictureLies) {
  Display d;
  Lcd_Set_Rect(d.lcd, el::im_background, Rect{0, 0, 100, 50});
  auto picture = [](int w, int h) {
    auto p = std::make_shared<Picture>();
    p->width = w;
    p->height = h;
    p->pixels.assign(static_cast<size_t>(w) * h, 0xFF00FF00);
    return p;
  };
  Lcd_Set_Picture(d.lcd, el::im_background, picture(20, 10));
  EXPECT_EQ(Lcd_Area(d.lcd, el::im_background), (Rect{40, 20, 20, 10}));
  d.sink.rects.clear();
  Lcd_Set_Picture(d.lcd, el::im_background, picture(40, 30));
  EXPECT_EQ(d.sink.rects, (std::vector<Rect>{Rect{40, 20, 20, 10}, Rect{30, 10, 40, 30}}));
  // A picture larger than the rectangle is clipped to it.
  Lcd_Set_Picture(d.lcd, el::im_background, picture(300, 20));
  EXPECT_EQ(Lcd_Area(d.lcd, el::im_background), (Rect{0, 15, 100, 20}));
}
