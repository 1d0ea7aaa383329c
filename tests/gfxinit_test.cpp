// Skin loading and layout: design offsets, the cyclic stage choice, "nil", missing sections,
// BgColor, undecodable pictures, and where the background, logo and buttons end up.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "config/config.h"
#include "display/gfxinit.h"
#include "platform/image.h"
#include "test_support.h"

namespace {

// A solid w x h PNG.
std::string SolidPng(uint32_t w, uint32_t h, uint32_t argb) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  img.width = w;
  img.height = h;
  img.format = PNG_FORMAT_BGRA;
  std::vector<uint32_t> px(static_cast<size_t>(w) * h, argb);
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&img, nullptr, &size, 0, px.data(), 0, nullptr);
  std::string out(size, '\0');
  png_image_write_to_memory(&img, out.data(), &size, 0, px.data(), 0, nullptr);
  out.resize(size);
  return out;
}

void AppendBytes(png_structp png, png_bytep data, png_size_t n) {
  static_cast<std::string *>(png_get_io_ptr(png))->append(reinterpret_cast<const char *>(data), n);
}
void NoFlush(png_structp) {}

// A white w x h picture of one bit per pixel: a few kilobytes on disk, 4 bytes a pixel decoded.
std::string WhitePng(uint32_t w, uint32_t h) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, AppendBytes, NoFlush);
  png_set_IHDR(png, info, w, h, 1, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<png_byte> row((w + 7) / 8, 0xFF);
  for (uint32_t y = 0; y < h; ++y) png_write_row(png, row.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::string Section(int n, const std::string &file, int left, int top, int w, int h) {
  return "[Image" + std::to_string(n) + "]\nFilename=" + file + "\nLeft=" + std::to_string(left) +
         "\nTop=" + std::to_string(top) + "\nWidth=" + std::to_string(w) + "\nHeight=" + std::to_string(h) + "\n";
}

// A program folder with stage folders Level1 .. Level<stages> given by absolute paths.
struct Skins {
  TempDir dir;
  Config cfg;
  Lcd lcd;
  std::vector<std::string> problems;

  explicit Skins(int stages = 1, const std::string &main = "[Common]\n") {
    Gfx_Flush_Cache();
    cfg.program_folder = dir.path;
    cfg.stage_count = stages;
    for (int n = 1; n <= stages; ++n) cfg.stage_table[n].path = dir.path + "Level" + std::to_string(n) + "\\";
    dir.Write("Config.ini", main);
    Lcd_Init(lcd);
  }
  void Stage(int n, const std::string &ini) const { dir.Write("Level" + std::to_string(n) + "/Config.ini", ini); }
  void File(int stage, const std::string &name, const std::string &bytes) const {
    dir.Write("Level" + std::to_string(stage) + "/" + name, bytes);
  }
  void Load(int stage_number, int sw = 1024, int sh = 768) {
    const SkinLayout screen{sw, sh};
    Gfx_Load_Skin(lcd, cfg, screen, stage_number, &problems);
    Gfx_Place_Background_Logo(lcd, cfg, screen);
    Gfx_Place_Buttons(lcd, cfg, screen);
  }
  const Rect &R(el::Id id) const { return lcd.e[id].rect; }
  uint32_t Pixel(el::Id id) const { return lcd.e[id].pic ? lcd.e[id].pic->pixels.at(5) : 0; }
};

constexpr int kHeart = 50;  // Image50 is im_heart_1

}  // namespace

TEST(GfxOffsets, DesignCanvasIsCentredWithTruncation) {
  EXPECT_EQ(Gfx_Design_Offset(1024, 1024), 0);
  EXPECT_EQ(Gfx_Design_Offset(1280, 1024), 128);
  EXPECT_EQ(Gfx_Design_Offset(1152, 1024), 64);
  EXPECT_EQ(Gfx_Design_Offset(864, 768), 48);
  EXPECT_EQ(Gfx_Design_Offset(1025, 1024), 0);
  EXPECT_EQ(Gfx_Design_Offset(1023, 1024), 0);
  EXPECT_EQ(Gfx_Design_Offset(1021, 1024), -1);
  EXPECT_EQ(Gfx_Design_Offset(0, INT32_MIN), 1073741824);
  EXPECT_EQ(Gfx_Design_Offset(INT32_MIN, INT32_MAX), -2147483647);  // no wrap-around
}

TEST(GfxLoad, RectanglesShiftByTheDesignOffset) {
  const std::string stage = Section(kHeart, "", 10, 20, 30, 40);
  struct Case {
    int sw, sh;
    const char *main;
    int left, top;
  } const cases[] = {
      {1024, 768, "[Common]\n", 10, 20},
      {1280, 1024, "[Common]\n", 138, 148},
      {1152, 864, "[Common]\n", 74, 68},
      {1024, 768, "[Common]\nDesignWidth=1023\nDesignHeight=771\n", 10, 19},
      {1024, 768, "[Common]\nDesignWidth=wide\nDesignHeight=$300\n", 10, 20},
  };
  for (const Case &c : cases) {
    Skins s(1, c.main);
    s.Stage(1, stage);
    s.Load(1, c.sw, c.sh);
    EXPECT_EQ(s.R(el::im_heart_1), (Rect{c.left, c.top, 30, 40})) << c.sw << "x" << c.sh << " " << c.main;
  }
}

TEST(GfxLoad, ExtremeNumbersDoNotWrapAround) {
  Skins s(1, "[Common]\nDesignWidth=-2147483648\n");
  s.Stage(1, Section(kHeart, "", 2147483647, -2147483647, 5, 5));
  s.Load(1, 1280, 1024);
  EXPECT_EQ(s.R(el::im_heart_1).left, INT32_MAX);
  EXPECT_EQ(s.R(el::im_heart_1).top, -2147483647 + 128);
}

TEST(GfxLoad, StagesRepeatInACycle) {
  Skins s(4);
  for (int n = 1; n <= 4; ++n) s.Stage(n, "[Common]\nBgColor=" + std::to_string(n) + "\n");
  s.Load(5);
  EXPECT_EQ(s.lcd.window_color, 0x010000u);
  s.Load(8);
  EXPECT_EQ(s.lcd.window_color, 0x040000u);
  s.Load(3);
  EXPECT_EQ(s.lcd.window_color, 0x030000u);
  EXPECT_TRUE(s.problems.empty());
}

TEST(GfxLoad, NilKeepsThePictureButCapitalNilIsAFileName) {
  Skins s(2);
  s.File(1, "heart.png", SolidPng(12, 12, 0xFF00FF00));
  s.File(1, "life.png", SolidPng(12, 12, 0xFF0000FF));
  s.Stage(1, Section(kHeart, "heart.png", 1, 1, 12, 12) + Section(kHeart + 1, "heart.png", 0, 0, 12, 12) +
                 Section(32, "life.png", 0, 0, 12, 12));
  s.Stage(2, Section(kHeart, "nil", 7, 8, 9, 10) + Section(kHeart + 1, "Nil", 0, 0, 12, 12) + "[Image32]\nLeft=3\n");
  s.Load(1);
  const PictureRef heart = s.lcd.e[el::im_heart_1].pic;
  ASSERT_TRUE(heart);
  EXPECT_EQ(s.Pixel(el::im_heart_1), 0xFF00FF00u);
  s.Load(2);
  EXPECT_EQ(s.lcd.e[el::im_heart_1].pic, heart);  // kept, but the rectangle is the new one
  EXPECT_EQ(s.R(el::im_heart_1), (Rect{7, 8, 9, 10}));
  EXPECT_EQ(s.lcd.e[el::im_heart_2].pic, Img_Placeholder());  // "Nil" is a missing file
  EXPECT_EQ(s.Pixel(el::im_panel_life_1), 0xFF0000FFu);       // no Filename keeps it too
  EXPECT_EQ(s.R(el::im_panel_life_1), (Rect{3, 0, 0, 0}));
  EXPECT_TRUE(s.problems.empty());  // a missing file is no problem worth a report
}

TEST(GfxLoad, AMissingSectionCollapsesToTheDesignOrigin) {
  Skins s(2);
  s.File(1, "a.png", SolidPng(4, 4, 0xFFFFFFFF));
  s.Stage(1, Section(kHeart, "a.png", 100, 200, 4, 4));
  s.Load(1, 1280, 1024);
  EXPECT_EQ(s.R(el::im_heart_1), (Rect{228, 328, 4, 4}));
  s.Load(2, 1280, 1024);  // stage 2 has no Config.ini at all
  EXPECT_EQ(s.R(el::im_heart_1), (Rect{128, 128, 0, 0}));
  EXPECT_TRUE(s.lcd.e[el::im_heart_1].pic);
  EXPECT_EQ(s.lcd.window_color, 0u);
}

TEST(GfxLoad, BgColorIsAStrictNumberWithRedInTheLowByte) {
  struct Case {
    const char *value;
    uint32_t rgb;
  } const cases[] = {{"255", 0xFF0000}, {"$00FF0000", 0x0000FF}, {"0x00102030", 0x302010},
                     {"  $0000FF00  ", 0x00FF00}, {"$00000000", 0}, {"65280", 0x00FF00}};
  for (const Case &c : cases) {
    Skins s;
    s.Stage(1, std::string("[common]\nbgcolor=") + c.value + "\n");
    s.Load(1);
    EXPECT_EQ(s.lcd.window_color, c.rgb) << c.value;
    EXPECT_TRUE(s.problems.empty()) << c.value;
  }
  for (const char *bad : {"clRed", "12 34", "$FFG", "1.0", "0x"}) {
    Skins s(2);
    s.Stage(1, "[Common]\nBgColor=$0000FF\n");
    s.Stage(2, std::string("[Common]\nBgColor=") + bad + "\n" + Section(kHeart, "", 1, 2, 3, 4));
    s.Load(1);
    s.Load(2);
    EXPECT_EQ(s.lcd.window_color, 0xFF0000u) << bad;  // unchanged
    ASSERT_EQ(s.problems.size(), 1u) << bad;
    EXPECT_NE(s.problems[0].find("BgColor"), std::string::npos) << s.problems[0];
    EXPECT_NE(s.problems[0].find(bad), std::string::npos) << s.problems[0];
    EXPECT_EQ(s.R(el::im_heart_1), (Rect{1, 2, 3, 4})) << bad;  // the rest still loads
  }
}

TEST(GfxLoad, AnUndecodablePictureIsReportedAndTheRestStillLoads) {
  Skins s;
  std::string truncated = SolidPng(30, 30, 0xFF123456);
  truncated.resize(truncated.size() / 2);
  s.File(1, "bad.png", truncated);
  // A valid header that claims 100000 x 100000 pixels.
  std::string huge = SolidPng(1, 1, 0xFF000000);
  for (int i = 0; i < 4; ++i) huge[16 + i] = huge[20 + i] = static_cast<char>(100000u >> (24 - 8 * i));
  const uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef *>(huge.data() + 12), 17));
  for (int i = 0; i < 4; ++i) huge[29 + i] = static_cast<char>(crc >> (24 - 8 * i));
  s.File(1, "huge.png", huge);
  s.File(1, "good.png", SolidPng(8, 8, 0xFF123456));
  s.Stage(1, Section(kHeart, "bad.png", 0, 0, 30, 30) + Section(kHeart + 1, "huge.png", 0, 0, 1, 1) +
                 Section(kHeart + 2, "good.png", 5, 6, 8, 8) + Section(146, "good.png", 1, 1, 8, 8));
  s.Load(1);
  EXPECT_EQ(s.lcd.e[el::im_heart_1].pic, Img_Placeholder());
  EXPECT_EQ(s.lcd.e[el::im_heart_2].pic, Img_Placeholder());
  EXPECT_EQ(s.Pixel(el::im_girder_1), 0xFF123456u);
  EXPECT_EQ(s.Pixel(el::im_flame_r_4), 0xFF123456u);
  EXPECT_EQ(s.R(el::im_girder_1), (Rect{5, 6, 8, 8}));
  ASSERT_EQ(s.problems.size(), 2u);
  EXPECT_NE(s.problems[0].find("bad.png"), std::string::npos) << s.problems[0];
  EXPECT_NE(s.problems[0].find("truncated"), std::string::npos) << s.problems[0];
  EXPECT_NE(s.problems[1].find("huge.png"), std::string::npos) << s.problems[1];
  EXPECT_NE(s.problems[1].find("100000 x 100000"), std::string::npos) << s.problems[1];
}

// Sixteen different 4096 x 4096 pictures (64 MB each once decoded, a few KB on disk): the first
// four in the skin's order fit its memory budget, the others are left out with a report each, and
// the load stays within an address-space limit that all sixteen would exceed. Loaded again, the
// four kept from the first load still count: the same four show.
TEST(GfxLoad, ASkinOfHugePicturesStaysWithinItsMemoryBudget) {
  Skins s;
  const std::string big = WhitePng(4096, 4096);
  std::string ini;
  for (int i = 0; i < 16; ++i) {
    s.File(1, "big" + std::to_string(i) + ".png", big);
    ini += Section(kHeart + i, "big" + std::to_string(i) + ".png", 0, 0, 1, 1);
  }
  s.Stage(1, ini);
  const ChildCost c = Run_In_Child(
      [&s] {
        bool ok = true;
        for (int load = 0; load < 2; ++load) {
          s.problems.clear();
          s.Load(1);
          int shown = 0, left_out = 0;
          for (int i = 0; i < 16; ++i) {
            const PictureRef &pic = s.lcd.e[static_cast<el::Id>(kHeart - 1 + i)].pic;
            if (pic == Img_Placeholder()) ++left_out;
            else if (pic && pic->width == 4096 && pic->pixels.back() == 0xFFFFFFFFu && i < 4) ++shown;
          }
          const auto reports = std::count_if(s.problems.begin(), s.problems.end(), [](const std::string &p) {
            return p.find("left out") != std::string::npos;
          });
          ok = ok && shown == 4 && left_out == 12 && reports == 12 && s.problems.size() == 12;
        }
        return ok ? 0 : 1;
      },
      60, Address_Space_Mb() + 900);
  EXPECT_TRUE(c.exited) << "ended by signal " << c.status;
  EXPECT_EQ(c.status, 0);
  EXPECT_LT(c.peak_mb, 600 * kPeakMemoryFactor);
}

// A progressive JPEG costs its decoder the coefficients of the whole picture besides the pixels:
// they count against the budget before anything is decoded. Of 32 progressive CMYK pictures of
// 1024 x 1024 (4 MB of pixels and 8 MB of coefficients each), the first 21 show.
TEST(GfxLoad, TheDecodersOwnMemoryCountsAgainstTheBudget) {
  Skins s;
  const std::string jpeg = Write_Jpeg(1024, 1024, 4, 4 /* CMYK */, true, std::vector<uint8_t>(1024 * 1024 * 4, 200));
  std::string ini;
  for (int i = 0; i < 32; ++i) {
    s.File(1, "p" + std::to_string(i) + ".jpg", jpeg);
    ini += Section(kHeart + i, "p" + std::to_string(i) + ".jpg", 0, 0, 1, 1);
  }
  s.Stage(1, ini);
  s.Load(1);
  for (int i = 0; i < 32; ++i) {
    const PictureRef &pic = s.lcd.e[static_cast<el::Id>(kHeart - 1 + i)].pic;
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->width, i < 21 ? 1024 : 10) << i;
  }
  EXPECT_EQ(s.problems.size(), 11u);
}

// Running out of memory while decoding (an address-space limit too small for one big picture)
// refuses that picture like a damaged one; the other pictures load and nothing aborts.
TEST(GfxLoad, RunningOutOfMemoryRefusesOnlyThePictureConcerned) {
  if (!kAddressLimits) GTEST_SKIP() << "the sanitizers cannot run under an address-space limit";
#ifdef _WIN32
  if (Under_Wine()) GTEST_SKIP() << "Wine does not enforce a job object's memory limit";
#endif
  Skins s;
  s.File(1, "big.png", WhitePng(4096, 4096));
  s.File(1, "small.png", SolidPng(8, 8, 0xFF123456));
  std::string ini = Section(kHeart, "big.png", 0, 0, 1, 1);
  for (int i = 1; i < 9; ++i) {
    s.File(1, "small" + std::to_string(i) + ".png", SolidPng(8, 8, 0xFF123456));
    ini += Section(kHeart + i, "small" + std::to_string(i) + ".png", 0, 0, 8, 8);
  }
  s.Stage(1, ini);
  const ChildCost c = Run_In_Child(
      [&s] {
        s.Load(1);
        bool ok = s.lcd.e[el::im_heart_1].pic == Img_Placeholder() && s.problems.size() == 1 &&
                  s.problems[0].find("memory") != std::string::npos;
        for (int i = 1; i < 9; ++i) ok = ok && s.Pixel(static_cast<el::Id>(kHeart - 1 + i)) == 0xFF123456u;
        return ok ? 0 : 1;
      },
      60, Address_Space_Mb() + 48);
  EXPECT_TRUE(c.exited) << "ended by signal " << c.status;
  EXPECT_EQ(c.status, 0);
}

// Pictures of earlier stages are kept for reloads only up to a bound: after five more stages with
// 2048 x 2048 backgrounds the first stage's is gone from memory, while the last is reused.
TEST(GfxLoad, DecodedPicturesOfEarlierStagesAreNotKeptForever) {
  Skins s(6);
  for (int n = 1; n <= 6; ++n) {
    s.File(n, "bg.png", WhitePng(2048, 2048));
    s.Stage(n, Section(1, "bg.png", 0, 0, 2048, 2048));
  }
  s.Load(1);
  const std::weak_ptr<const Picture> first = s.lcd.e[el::im_background].pic;
  for (int n = 2; n <= 6; ++n) s.Load(n);
  const PictureRef last = s.lcd.e[el::im_background].pic;
  EXPECT_TRUE(first.expired());
  s.Load(6);
  EXPECT_EQ(s.lcd.e[el::im_background].pic, last);
}

TEST(GfxLoad, PictureNamesUseBackslashFoldersAndAnyLetterCase) {
  Skins s;
  s.File(1, "Parts/Heart.PNG", SolidPng(4, 4, 0xFFABCDEF));
  s.Stage(1, Section(kHeart, "parts\\heart.png", 0, 0, 4, 4));
  s.Load(1);
  EXPECT_EQ(s.Pixel(el::im_heart_1), 0xFFABCDEFu);
  EXPECT_TRUE(s.problems.empty());
}

TEST(GfxLoad, ReloadingKeepsVisibilityAndPicksUpChangedFiles) {
  Skins s;
  s.File(1, "a.png", SolidPng(4, 4, 0xFF000001));
  s.Stage(1, Section(kHeart, "a.png", 0, 0, 4, 4));
  s.Load(1);
  Lcd_Set_Visible(s.lcd, el::im_heart_1, true);
  s.File(1, "a.png", SolidPng(5, 4, 0xFF000002));  // another size, so the cache sees the change
  s.Load(1);
  EXPECT_TRUE(s.lcd.e[el::im_heart_1].visible);
  EXPECT_FALSE(s.lcd.e[el::im_heart_2].visible);
  EXPECT_EQ(s.Pixel(el::im_heart_1), 0xFF000002u);
}

namespace {

// Button sizes: up 40x41, left 42x43, right 44x45, down 46x47, jump 80x81, A 60x51, B 62x51, Time 64x53.
std::string ButtonSkin() {
  std::string ini = Section(1, "bg.png", 0, 0, 800, 600) + Section(2, "logo.png", 500, 500, 120, 60);
  const int sizes[8][2] = {{60, 51}, {62, 51}, {64, 53}, {40, 41}, {42, 43}, {44, 45}, {46, 47}, {80, 81}};
  for (int b = 0; b < 8; ++b)
    for (int k = 0; k < 3; ++k)
      ini += Section(3 + b * 3 + k, k == 1 ? "released.png" : "", 7, 9, sizes[b][0], sizes[b][1]);
  return ini;
}

}  // namespace

TEST(GfxPlace, BackgroundCentredLogoTopRightButtonsAroundTheEdges) {
  Skins s;
  s.File(1, "bg.png", SolidPng(800, 600, 0xFF101010));
  s.File(1, "logo.png", SolidPng(120, 60, 0xFF202020));
  s.File(1, "released.png", SolidPng(10, 10, 0xFF303030));
  s.Stage(1, ButtonSkin());
  s.Load(1, 1280, 1024);
  EXPECT_EQ(s.R(el::im_background), (Rect{240, 212, 800, 600}));
  EXPECT_EQ(s.R(el::im_logo), (Rect{1280 - 120 - 32, 32, 120, 60}));
  // Direction pad in the bottom-left corner, 32 pixels in.
  EXPECT_EQ(s.R(el::btn_move_down_top), (Rect{32 + 42, 1024 - 47 - 32, 46, 47}));
  EXPECT_EQ(s.R(el::btn_move_left_top), (Rect{32, 1024 - 47 - 32 - 43, 42, 43}));
  EXPECT_EQ(s.R(el::btn_move_right_top), (Rect{32 + 42 + 40, 1024 - 47 - 32 - 43, 44, 45}));
  EXPECT_EQ(s.R(el::btn_move_up_top), (Rect{32 + 42, 1024 - 47 - 32 - 43 - 41, 40, 41}));
  // Jump centred on the left/right row: 902 + 21 - 40.
  EXPECT_EQ(s.R(el::btn_jump_top), (Rect{1280 - 80 - 32, 883, 80, 81}));
  // Game B centred vertically over the jump button, A above and Time below, 32 apart.
  const int bx = 1168 + 40 - 31;
  EXPECT_EQ(s.R(el::btn_game_b_top), (Rect{bx, 512 - 25, 62, 51}));
  EXPECT_EQ(s.R(el::btn_game_a_top), (Rect{bx, 487 - 51 - 32, 60, 51}));
  EXPECT_EQ(s.R(el::btn_time_top), (Rect{bx, 487 + 51 + 32, 64, 53}));
  // The faces show the released pictures; the hidden pressed/released elements are not moved.
  for (el::Id face : {el::btn_game_a_top, el::btn_jump_top, el::btn_move_up_top})
    EXPECT_EQ(s.lcd.e[face].pic, s.lcd.e[el::btn_game_a_released].pic);
  EXPECT_EQ(s.R(el::btn_jump_released), (Rect{7 + 128, 9 + 128, 80, 81}));
  EXPECT_EQ(s.R(el::btn_jump_pressed), (Rect{7 + 128, 9 + 128, 80, 81}));
  // The background picture is drawn centred in its rectangle.
  EXPECT_EQ(Lcd_Area(s.lcd, el::im_background), (Rect{240, 212, 800, 600}));
}

TEST(GfxPlace, GameBIsCentredVertically) {
  Skins s;
  s.Stage(1, ButtonSkin());
  s.Load(1, 1024, 768);
  EXPECT_EQ(s.R(el::btn_game_b_top).top, 359);
}

TEST(GfxPlace, ZeroButtonsOffsetPutsEverythingAgainstTheEdges) {
  Skins s(1, "[Common]\nButtonsOffset=0\n");
  s.Stage(1, ButtonSkin());
  s.Load(1, 1024, 768);
  const Rect &down = s.R(el::btn_move_down_top), &left = s.R(el::btn_move_left_top);
  EXPECT_EQ(down.top + down.height, 768);
  EXPECT_EQ(left.left, 0);
  EXPECT_EQ(s.R(el::btn_jump_top).left + s.R(el::btn_jump_top).width, 1024);
  EXPECT_EQ(s.R(el::im_logo).left + s.R(el::im_logo).width, 1024);
  EXPECT_EQ(s.R(el::im_logo).top, 0);
  const Rect &a = s.R(el::btn_game_a_top), &b = s.R(el::btn_game_b_top), &t = s.R(el::btn_time_top);
  EXPECT_EQ(a.top + a.height, b.top);
  EXPECT_EQ(b.top + b.height, t.top);
}

TEST(GfxPlace, BackgroundLargerThanTheScreenAndOddDifferences) {
  Skins s;
  s.Stage(1, Section(1, "", 0, 0, 1027, 771));
  s.Load(1, 1024, 768);
  EXPECT_EQ(s.R(el::im_background).left, -1);  // -3 / 2 truncates toward zero
  EXPECT_EQ(s.R(el::im_background).top, -1);
}

TEST(GfxLoad, AFullSkinLoadsEveryPictureWhereverItIsDecoded) {
  // Enough distinct files for the loader to share the decoding out; a few are broken, some
  // elements share a file, and the results must land on the right elements in element order,
  // also when they were decoded ahead on a helper thread.
  for (const bool ahead : {false, true}) {
    SCOPED_TRACE(ahead ? "decoded ahead" : "decoded by the load");
    Skins s;
    for (uint32_t k = 1; k <= 99; ++k) s.File(1, "p" + std::to_string(k) + ".png", SolidPng(3 + k % 4, 3, 0xFF000000u | k));
    auto shared = [](int n) { return (n - 1) % 99 + 1; };  // Image100 .. Image146 reuse p1 .. p47
    std::string ini;
    for (int n = 1; n <= el::kSkinElements; ++n) {
      std::string file = "p" + std::to_string(shared(n)) + ".png";
      if (n % 37 == 0) {
        file = "broken" + std::to_string(n) + ".png";
        s.File(1, file, "\x89PNG\r\n\x1a\n broken");
      }
      ini += Section(n, file, n, 0, 3, 3);
    }
    s.Stage(1, ini);
    if (ahead) Gfx_Prefetch_Skin(s.cfg, SkinLayout{1024, 768}, 1);
    Gfx_Load_Skin(s.lcd, s.cfg, SkinLayout{1024, 768}, 1, &s.problems);  // without the button faces' copies
    for (int n = 1; n <= el::kSkinElements; ++n) {
      const Element &e = s.lcd.e[n - 1];
      ASSERT_TRUE(e.pic) << n;
      if (n % 37 == 0) {
        EXPECT_EQ(e.pic, Img_Placeholder()) << n;
      } else {
        EXPECT_EQ(e.pic->pixels[0], 0xFF000000u | static_cast<uint32_t>(shared(n))) << n;
        EXPECT_EQ(e.pic->width, 3 + shared(n) % 4) << n;
      }
    }
    EXPECT_EQ(s.lcd.e[0].pic, s.lcd.e[99].pic);  // Image1 and Image100 name the same file
    ASSERT_EQ(s.problems.size(), 3u);
    EXPECT_NE(s.problems[0].find("broken37.png"), std::string::npos);
    EXPECT_NE(s.problems[1].find("broken74.png"), std::string::npos);
    EXPECT_NE(s.problems[2].find("broken111.png"), std::string::npos);
  }
}

TEST(GfxFit, ScaleFitsTheDesignCanvasOrALargerBackgroundWithItsMargin) {
  struct Case {
    int w, h, dw, dh, bg_w, bg_h;
    double scale;
  } const cases[] = {
      {1024, 768, 1024, 768, 544, 744, 1.0},       // the classic screen: unchanged
      {1920, 1080, 1024, 768, 1024, 768, 1.40625},  // the height decides
      {3840, 2160, 1024, 768, 544, 744, 2.8125},
      {1280, 1024, 1024, 768, 544, 744, 1.25},      // the width decides
      {800, 600, 1024, 768, 544, 744, 0.78125},     // smaller than the canvas
      {1920, 1080, 1024, 768, 1200, 900, 1080.0 / 924},  // background larger than the canvas: margin 12
      {1920, 1080, 0, -5, 0, 0, 45.0},              // nonsense sizes give a usable scale
  };
  for (const Case &c : cases)
    EXPECT_DOUBLE_EQ(Gfx_Fit_Scale(c.w, c.h, c.dw, c.dh, c.bg_w, c.bg_h), c.scale) << c.w << "x" << c.h;
  EXPECT_EQ(Gfx_Virtual_Size(1920, 1.40625), 1366);
  EXPECT_EQ(Gfx_Virtual_Size(1080, 1.40625), 768);
  EXPECT_EQ(Gfx_Virtual_Size(1024, 1.25), 820);
  EXPECT_EQ(Gfx_Virtual_Size(768, 1.0), 768);
}

// The placement rules on the virtual screen of each real screen: the canvas centred, the buttons
// and the logo measured from the virtual screen's edges, so they come in close to the handheld.
TEST(GfxFit, PlacementOnTheVirtualScreen) {
  struct Case {
    int w, h, vw, vh;
  } const cases[] = {{1024, 768, 1024, 768}, {1920, 1080, 1366, 768}, {3840, 2160, 1366, 768}, {1280, 1024, 1024, 820}};
  for (const Case &c : cases) {
    Skins s;
    s.File(1, "bg.png", SolidPng(544, 744, 0xFF101010));
    s.File(1, "logo.png", SolidPng(120, 60, 0xFF202020));
    s.File(1, "released.png", SolidPng(10, 10, 0xFF303030));
    s.Stage(1, ButtonSkin() + Section(kHeart, "", 10, 20, 30, 40));
    const double scale = Gfx_Fit_Scale(s.cfg, c.w, c.h);
    const int vw = Gfx_Virtual_Size(c.w, scale), vh = Gfx_Virtual_Size(c.h, scale);
    ASSERT_EQ(vw, c.vw) << c.w;
    ASSERT_EQ(vh, c.vh) << c.w;
    s.Load(1, vw, vh);
    const std::string at = std::to_string(c.w) + "x" + std::to_string(c.h);
    EXPECT_EQ(s.R(el::im_heart_1), (Rect{10 + (vw - 1024) / 2, 20 + (vh - 768) / 2, 30, 40})) << at;
    EXPECT_EQ(s.R(el::im_logo), (Rect{vw - 120 - 32, 32, 120, 60})) << at;
    EXPECT_EQ(s.R(el::btn_move_down_top), (Rect{32 + 42, vh - 47 - 32, 46, 47})) << at;
    EXPECT_EQ(s.R(el::btn_jump_top).left, vw - 80 - 32) << at;
    EXPECT_EQ(s.R(el::btn_game_b_top).top, vh / 2 - 25) << at;
    // On screen, the jump button's right edge lies one margin (scaled) from the real screen's edge.
    EXPECT_NEAR((s.R(el::btn_jump_top).left + 80) * scale, c.w - 32 * scale, scale) << at;
  }
}

// High-resolution variants beside a picture: the nearest at or above the pixel scale, else the
// largest there is; a picture without variants is used as it is. A change of scale swaps the
// pictures in use, also where an element shows a copy (a face, a digit).
TEST(GfxFit, HighResolutionVariantsAndTheirSwap) {
  Skins s;
  s.File(1, "h.png", SolidPng(10, 10, 0xFFFF0000));
  s.File(1, "h@2x.png", SolidPng(20, 20, 0xFF00FF00));
  s.File(1, "h@3x.png", SolidPng(30, 30, 0xFF0000FF));
  s.File(1, "plain.png", SolidPng(10, 10, 0xFF808080));
  s.Stage(1, Section(kHeart, "h.png", 0, 0, 10, 10) + Section(kHeart + 1, "plain.png", 0, 0, 10, 10));
  struct Case {
    double pixel_scale;
    int32_t scale, width;
  } const cases[] = {{1.0, 1, 10}, {1.4, 2, 20}, {2.0, 2, 20}, {2.8, 3, 30}, {4.0, 3, 30}};
  for (const Case &c : cases) {
    Gfx_Load_Skin(s.lcd, s.cfg, SkinLayout{1024, 768, c.pixel_scale}, 1, nullptr);
    const PictureRef &pic = s.lcd.e[el::im_heart_1].pic;
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->scale, c.scale) << c.pixel_scale;
    EXPECT_EQ(pic->width, c.width) << c.pixel_scale;
    EXPECT_EQ(pic->SkinWidth(), 10) << c.pixel_scale;
    EXPECT_EQ(s.lcd.e[el::im_heart_2].pic->scale, 1) << c.pixel_scale;
  }
  Gfx_Load_Skin(s.lcd, s.cfg, SkinLayout{1024, 768, 1.0}, 1, nullptr);
  Lcd_Set_Picture(s.lcd, el::im_panel_digit_pos_1, s.lcd.e[el::im_heart_1].pic);
  Gfx_Reload_Pictures(s.lcd, s.cfg, SkinLayout{1024, 768, 2.8}, 1);
  EXPECT_EQ(s.lcd.e[el::im_heart_1].pic->scale, 3);
  EXPECT_EQ(s.lcd.e[el::im_panel_digit_pos_1].pic, s.lcd.e[el::im_heart_1].pic);
  EXPECT_EQ(s.lcd.e[el::im_heart_2].pic->scale, 1);
  Gfx_Reload_Pictures(s.lcd, s.cfg, SkinLayout{1024, 768, 1.0}, 1);
  EXPECT_EQ(s.lcd.e[el::im_panel_digit_pos_1].pic->scale, 1);

  // A variant of another size than twice its picture, or one that does not decode, gives way to
  // the 1x picture and is reported once, naming the file.
  s.File(1, "small.png", SolidPng(10, 10, 0xFF111111));
  s.File(1, "small@2x.png", SolidPng(5, 5, 0xFF222222));
  s.File(1, "broken.png", SolidPng(10, 10, 0xFF333333));
  std::string broken = SolidPng(20, 20, 0xFF444444);
  broken.resize(broken.size() - 20);
  s.File(1, "broken@2x.png", broken);
  s.Stage(1, Section(kHeart, "h.png", 0, 0, 10, 10) + Section(kHeart + 2, "small.png", 0, 0, 10, 10) +
                 Section(kHeart + 3, "broken.png", 0, 0, 10, 10));
  const auto small = static_cast<el::Id>(kHeart + 1), bad = static_cast<el::Id>(kHeart + 2);
  for (int load = 0; load < 2; ++load) {
    s.problems.clear();
    Gfx_Load_Skin(s.lcd, s.cfg, SkinLayout{1024, 768, 2.0}, 1, &s.problems);
    EXPECT_EQ(s.lcd.e[el::im_heart_1].pic->width, 20);
    EXPECT_EQ(s.lcd.e[small].pic->width, 10);
    EXPECT_EQ(s.Pixel(small), 0xFF111111u);
    EXPECT_EQ(s.lcd.e[bad].pic->width, 10);
    EXPECT_EQ(s.Pixel(bad), 0xFF333333u);
    if (load == 0) {
      ASSERT_EQ(s.problems.size(), 2u);
      EXPECT_NE(s.problems[0].find("small@2x.png: not used (it is 5 x 5 pixels"), std::string::npos) << s.problems[0];
      EXPECT_NE(s.problems[1].find("broken@2x.png: not used (PNG: "), std::string::npos) << s.problems[1];
    } else {
      EXPECT_EQ(s.problems, std::vector<std::string>{});
    }
  }
}

TEST(GfxPlace, CentredBackgroundNearTheEndOfTheRangeDoesNotWrapAround) {
  Lcd lcd;
  Lcd_Init(lcd);
  auto pic = std::make_shared<Picture>();
  pic->width = pic->height = 10;
  pic->pixels.assign(100, 0xFF000000);
  Lcd_Set_Picture(lcd, el::im_background, pic);
  Lcd_Set_Rect(lcd, el::im_background, Rect{INT32_MAX - 10, INT32_MIN + 5, 100, 100});
  EXPECT_EQ(Lcd_Area(lcd, el::im_background), (Rect{INT32_MAX, INT32_MIN + 50, 10, 10}));
}
