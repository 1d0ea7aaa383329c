// The default installation that the build puts beside the executable: every stage's pictures,
// rectangles and sounds, the main Config.ini with its jingles, and the look of the LCD test
// picture (segments of different places must not run into each other).
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "display/lcd.h"
#include "platform/files.h"
#include "platform/image.h"
#include "platform/ini.h"

namespace {

const std::string kProgram = std::string(KT_PROGRAM_DIR) + "/";
constexpr int kDesignW = 1024, kDesignH = 768;
constexpr int kSplitY = kDesignH / 2;  // the hinge between the upper and the lower screen
constexpr int kStages = 4;

IniFile LoadIni(const std::string &file) {
  IniFile ini;
  EXPECT_TRUE(ini.Load(file)) << file;
  return ini;
}

// Program folder + the stage folder of Stage<n> (a "\" folder value) made usable here.
std::string StageFolder(const IniFile &main, int n) {
  return kProgram + Sys_Native_Path(main.ReadString("Stage" + std::to_string(n), "Path", ""));
}

struct Wave {
  bool ok = false;
  std::string why;
  int channels = 0, rate = 0, bits = 0;
  int32_t length_ms = 0;
};

uint32_t Le(const std::string &s, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
  return v;
}

// A RIFF wave file with uncompressed samples, checked chunk by chunk.
Wave ReadWave(const std::string &file) {
  Wave w;
  std::string s;
  if (!Sys_Read_File(file, s)) return w.why = "cannot read " + file, w;
  if (s.size() < 12 || s.compare(0, 4, "RIFF") != 0 || s.compare(8, 4, "WAVE") != 0) return w.why = "not RIFF/WAVE", w;
  if (Le(s, 4, 4) != s.size() - 8) return w.why = "RIFF size does not match the file", w;
  bool fmt = false;
  for (size_t at = 12; at + 8 <= s.size();) {
    const std::string id = s.substr(at, 4);
    const uint32_t size = Le(s, at + 4, 4);
    if (at + 8 + size > s.size()) return w.why = "chunk " + id + " runs past the end", w;
    if (id == "fmt ") {
      if (size < 16 || Le(s, at + 8, 2) != 1) return w.why = "not PCM", w;
      w.channels = static_cast<int>(Le(s, at + 10, 2));
      w.rate = static_cast<int>(Le(s, at + 12, 4));
      w.bits = static_cast<int>(Le(s, at + 22, 2));
      fmt = true;
    } else if (id == "data") {
      if (!fmt || w.channels < 1 || w.rate < 1 || w.bits < 8) return w.why = "data before a usable fmt chunk", w;
      const uint32_t frames = size / (static_cast<uint32_t>(w.channels) * (w.bits / 8));
      if (frames == 0) return w.why = "no samples", w;
      w.length_ms = static_cast<int32_t>((static_cast<uint64_t>(frames) * 1000 + w.rate / 2) / w.rate);
      w.ok = true;
      return w;
    }
    at += 8 + size + (size & 1);
  }
  w.why = "no data chunk";
  return w;
}

struct Placed {
  std::string name;
  Rect rect;
  PictureRef pic;
};

// All 146 elements of one stage as its Config.ini places them, with their decoded pictures.
std::vector<Placed> LoadStage(const std::string &folder) {
  std::vector<Placed> out;
  const IniFile ini = LoadIni(folder + "Config.ini");
  for (int n = 1; n <= el::kSkinElements; ++n) {
    const std::string section = "Image" + std::to_string(n);
    Placed p;
    p.name = Lcd_Name(static_cast<el::Id>(n - 1));
    p.rect = Rect{ini.ReadInteger(section, "Left", -1), ini.ReadInteger(section, "Top", -1),
                  ini.ReadInteger(section, "Width", 0), ini.ReadInteger(section, "Height", 0)};
    const std::string file = ini.ReadString(section, "Filename", "");
    if (file.empty() || file == "nil") {
      ADD_FAILURE() << folder << " " << section << " (" << p.name << ") names no picture";
    } else {
      std::string error;
      p.pic = Img_Load(folder + file, &error);
      EXPECT_TRUE(p.pic) << folder + file << ": " << error;
    }
    out.push_back(p);
  }
  return out;
}

uint32_t AlphaAt(const Picture &pic, int x, int y) { return pic.pixels[static_cast<size_t>(y) * pic.width + x] >> 24; }

// The smallest rectangle (picture coordinates) holding every pixel that is not fully transparent.
Rect VisiblePart(const Picture &pic) {
  int x0 = pic.width, y0 = pic.height, x1 = -1, y1 = -1;
  for (int y = 0; y < pic.height; ++y)
    for (int x = 0; x < pic.width; ++x)
      if (AlphaAt(pic, x, y) != 0) x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
  return x1 < 0 ? Rect{} : Rect{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

// What one LCD place is: a grid place loses its trailing alternative letter, Tusko's body and arm
// pictures at one column and the pictures of one crane, lever, girder or flame are one object.
std::string PlaceOf(const std::string &name) {
  std::string p = name;
  for (const char *obj : {"im_crane_", "im_lever_", "im_girder_", "im_flame_l_", "im_flame_r_"})
    if (p.rfind(obj, 0) == 0) return obj;
  if (p.rfind("im_tusko_", 0) == 0) return p.substr(0, 10);  // im_tusko_<column>
  if (!p.empty() && p.back() >= 'a' && p.back() <= 'e' && p[p.size() - 2] >= '0' && p[p.size() - 2] <= '9') p.pop_back();
  return p;
}

// Column and row of a grid segment "im_<thing>_<CC>_<RR>[x]".
bool GridCell(const std::string &name, std::string *thing, int *col, int *row) {
  const size_t a = name.find('_', 3);
  if (a == std::string::npos || name.size() < a + 6 || name[a + 3] != '_') return false;
  const std::string cc = name.substr(a + 1, 2), rr = name.substr(a + 4, 2);
  if (!isdigit(cc[0]) || !isdigit(cc[1]) || !isdigit(rr[0]) || !isdigit(rr[1])) return false;
  *thing = name.substr(3, a - 3);
  *col = std::stoi(cc);
  *row = std::stoi(rr);
  return true;
}

class DefaultSkin : public ::testing::Test {
 protected:
  void SetUp() override {
    main_ = LoadIni(kProgram + "Config.ini");
    ASSERT_TRUE(main_.Loaded()) << "the build writes " << kProgram << "Config.ini";
  }
  IniFile main_;
};

TEST_F(DefaultSkin, MainConfigListsFourStagesWithNamesPicturesAndMatchingJingles) {
  EXPECT_EQ(main_.ReadInteger("Common", "Stages", 0), kStages);
  EXPECT_EQ(main_.ReadInteger("Common", "DesignWidth", 0), kDesignW);
  EXPECT_EQ(main_.ReadInteger("Common", "DesignHeight", 0), kDesignH);
  EXPECT_GT(main_.ReadInteger("Common", "ButtonsOffset", -1), 0);
  const std::string res = main_.ReadString("Common", "ResourcesPath", "");
  ASSERT_FALSE(res.empty());
  std::vector<std::string> names;
  for (int n = 1; n <= kStages; ++n) {
    const std::string section = "Stage" + std::to_string(n);
    EXPECT_TRUE(Sys_File_Exists(StageFolder(main_, n) + "Config.ini")) << section;
    const std::string name = main_.ReadString(section, "Name", "");
    EXPECT_FALSE(name.empty()) << section;
    for (const std::string &other : names) EXPECT_NE(name, other) << "two stages share a name";
    names.push_back(name);
    const std::string image = main_.ReadString(section, "Image", "");
    std::string error;
    PictureRef pic = Img_Load(kProgram + Sys_Native_Path(res + image), &error);
    ASSERT_TRUE(pic) << section << " intro picture " << image << ": " << error;
    // It is shown under the stage name on a 1024 x 768 screen and must fit there.
    EXPECT_LE(pic->width, kDesignW);
    EXPECT_LE(pic->height, 250);
  }
  // The jingle keys start with the resources folder value; the durations are the files' lengths.
  const struct {
    const char *file_key, *duration_key;
  } jingles[] = {{"StageFileName", "StageDuration"}, {"StartFileName", "StartDuration"}};
  for (const auto &j : jingles) {
    const std::string file = main_.ReadString("Sound", res + j.file_key, "");
    ASSERT_FALSE(file.empty()) << "no key " << res << j.file_key;
    const Wave w = ReadWave(kProgram + Sys_Native_Path(file));
    ASSERT_TRUE(w.ok) << file << ": " << w.why;
    EXPECT_EQ(main_.ReadInteger("Sound", j.duration_key, -1), w.length_ms) << j.duration_key;
    EXPECT_GE(w.length_ms, 500);
  }
}

TEST_F(DefaultSkin, EveryStagePictureDecodesAndLiesInsideTheCanvasAtFullSize) {
  for (int n = 1; n <= kStages; ++n) {
    for (const Placed &p : LoadStage(StageFolder(main_, n))) {
      SCOPED_TRACE("stage " + std::to_string(n) + " " + p.name);
      if (!p.pic) continue;
      EXPECT_GE(p.rect.left, 0);
      EXPECT_GE(p.rect.top, 0);
      EXPECT_LE(p.rect.left + p.rect.width, kDesignW);
      EXPECT_LE(p.rect.top + p.rect.height, kDesignH);
      const Rect vis = VisiblePart(*p.pic);
      EXPECT_FALSE(vis.Empty()) << "the picture is empty";
      // The picture is drawn from the rectangle's corner and clipped to it: nothing may be cut off.
      EXPECT_LE(vis.left + vis.width, p.rect.width);
      EXPECT_LE(vis.top + vis.height, p.rect.height);
    }
  }
}

TEST_F(DefaultSkin, ButtonsShareOneSizeAndLookDifferentWhenPressed) {
  const el::Id pressed[] = {el::btn_game_a_pressed,     el::btn_game_b_pressed,     el::btn_time_pressed,
                            el::btn_move_up_pressed,    el::btn_move_left_pressed,  el::btn_move_right_pressed,
                            el::btn_move_down_pressed,  el::btn_jump_pressed};
  for (int n = 1; n <= kStages; ++n) {
    const std::vector<Placed> stage = LoadStage(StageFolder(main_, n));
    for (el::Id id : pressed) {
      const Placed &down = stage[id], &up = stage[id + 1], &top = stage[id + 2];
      SCOPED_TRACE("stage " + std::to_string(n) + " " + down.name);
      EXPECT_EQ(down.rect.width, up.rect.width);
      EXPECT_EQ(down.rect.height, up.rect.height);
      EXPECT_EQ(top.rect.width, up.rect.width);
      EXPECT_EQ(top.rect.height, up.rect.height);
      ASSERT_TRUE(down.pic && up.pic);
      ASSERT_EQ(down.pic->pixels.size(), up.pic->pixels.size());
      size_t differing = 0;
      for (size_t i = 0; i < up.pic->pixels.size(); ++i) differing += down.pic->pixels[i] != up.pic->pixels[i];
      EXPECT_GT(differing, up.pic->pixels.size() / 5) << "pressed and released look alike";
    }
  }
}

TEST_F(DefaultSkin, EveryStageHasEightShortMonoSounds) {
  for (int n = 1; n <= kStages; ++n) {
    const std::string folder = StageFolder(main_, n);
    const IniFile ini = LoadIni(folder + "Config.ini");
    for (int m = 1; m <= 8; ++m) {
      const std::string file = ini.ReadString("Sound" + std::to_string(m), "Filename", "");
      SCOPED_TRACE("stage " + std::to_string(n) + " sound " + std::to_string(m) + " " + file);
      ASSERT_FALSE(file.empty());
      const Wave w = ReadWave(folder + file);
      ASSERT_TRUE(w.ok) << w.why;
      EXPECT_EQ(w.channels, 1);
      EXPECT_EQ(w.rate, 22050);
      EXPECT_LE(w.length_ms, 2000);
      // The barrel step and Pelko's step come every 90 ms or faster and must not run into the next.
      if (m == 1 || m == 8) {
        EXPECT_LT(w.length_ms, 90);
      }
    }
  }
}

// The LCD test picture lights every segment (each flame with its first frame): no two segments of
// different places may cover the same pixel, or the picture smears.
TEST_F(DefaultSkin, LcdTestPictureKeepsEveryPlaceApart) {
  constexpr uint32_t kSolid = 64;  // alpha from which a pixel reads as part of a segment
  for (int n = 1; n <= kStages; ++n) {
    const std::vector<Placed> stage = LoadStage(StageFolder(main_, n));
    std::vector<int> owner(static_cast<size_t>(kDesignW) * kDesignH, -1);
    std::map<std::string, std::string> clashes;
    for (int i = 0; i < el::kSkinElements; ++i) {
      const auto id = static_cast<el::Id>(i);
      const Placed &p = stage[i];
      if (!Lcd_Is_Segment(id) || !p.pic) continue;
      if (p.name.rfind("im_flame_", 0) == 0 && p.name.back() != '1') continue;
      for (int y = 0; y < std::min(p.pic->height, p.rect.height); ++y) {
        for (int x = 0; x < std::min(p.pic->width, p.rect.width); ++x) {
          const int dx = p.rect.left + x, dy = p.rect.top + y;
          if (AlphaAt(*p.pic, x, y) < kSolid || dx < 0 || dy < 0 || dx >= kDesignW || dy >= kDesignH) continue;
          int &o = owner[static_cast<size_t>(dy) * kDesignW + dx];
          if (o >= 0 && PlaceOf(stage[o].name) != PlaceOf(p.name)) clashes[stage[o].name] = p.name;
          o = i;
        }
      }
    }
    for (const auto &c : clashes) ADD_FAILURE() << "stage " << n << ": " << c.first << " runs into " << c.second;
  }
}

// Every stage's segments must read on that stage's LCD: a dark LCD tint (a night stage) or a pale
// segment colour would leave the game unplayable while every size and place is still right.
TEST_F(DefaultSkin, EveryStageSegmentStandsOutFromItsLcd) {
  auto luma = [](uint32_t p) { return (((p >> 16) & 0xFF) * 299 + ((p >> 8) & 0xFF) * 587 + (p & 0xFF) * 114) / 1000; };
  for (int n = 1; n <= kStages; ++n) {
    const std::vector<Placed> stage = LoadStage(StageFolder(main_, n));
    const Placed &bg = stage[el::im_background];
    ASSERT_TRUE(bg.pic) << "stage " << n;
    for (int i = 0; i < el::kSkinElements; ++i) {
      const Placed &p = stage[i];
      if (!Lcd_Is_Segment(static_cast<el::Id>(i)) || !p.pic) continue;
      // Its most opaque pixels: a one-pixel line is only half opaque once its edges are softened.
      uint32_t most = 0;
      for (int y = 0; y < std::min(p.pic->height, p.rect.height); ++y)
        for (int x = 0; x < std::min(p.pic->width, p.rect.width); ++x) most = std::max(most, p.pic->At(x, y) >> 24);
      int64_t seg = 0, lcd = 0, count = 0;
      for (int y = 0; y < std::min(p.pic->height, p.rect.height); ++y)
        for (int x = 0; x < std::min(p.pic->width, p.rect.width); ++x) {
          const uint32_t px = p.pic->At(x, y), a = px >> 24;
          if (a * 4 < most * 3) continue;
          // The segment as it shows: its premultiplied colour over the LCD below it.
          const uint32_t under = bg.pic->At(p.rect.left + x - bg.rect.left, p.rect.top + y - bg.rect.top);
          seg += luma(px) + luma(under) * (255 - a) / 255;
          lcd += luma(under);
          ++count;
        }
      ASSERT_GT(count, 0) << "stage " << n << " " << p.name << " has no solid pixel";
      EXPECT_GE((lcd - seg) / count, 45) << "stage " << n << " " << p.name << ": segment " << seg / count
                                         << " on an LCD of " << lcd / count << " (brightness 0 .. 255)";
    }
  }
}

// Each stage is a world of its own: its LCD print (scenery, name) differs from every other
// stage's, not only in colour. The print is what stands apart from the LCD's commonest colour.
TEST_F(DefaultSkin, EveryStagePrintsItsOwnSceneryOnTheLcd) {
  std::vector<std::vector<bool>> prints;
  Rect area;  // what the segments span on both screens
  for (int n = 1; n <= kStages; ++n) {
    const std::vector<Placed> stage = LoadStage(StageFolder(main_, n));
    const Placed &bg = stage[el::im_background];
    ASSERT_TRUE(bg.pic) << "stage " << n;
    if (n == 1) {
      int x0 = kDesignW, y0 = kDesignH, x1 = 0, y1 = 0;
      for (int i = 0; i < el::kSkinElements; ++i) {
        if (!Lcd_Is_Segment(static_cast<el::Id>(i))) continue;
        const Rect &r = stage[i].rect;
        x0 = std::min(x0, r.left), y0 = std::min(y0, r.top);
        x1 = std::max(x1, r.left + r.width), y1 = std::max(y1, r.top + r.height);
      }
      area = Rect{x0, y0, x1 - x0, y1 - y0};
    }
    std::map<uint32_t, int> count;
    auto at = [&](int x, int y) { return bg.pic->At(x - bg.rect.left, y - bg.rect.top) & 0xFFFFFF; };
    for (int y = area.top; y < area.top + area.height; ++y)
      for (int x = area.left; x < area.left + area.width; ++x) ++count[at(x, y) & 0xF0F0F0];
    uint32_t lcd = 0;
    for (const auto &c : count)
      if (c.second > count[lcd]) lcd = c.first;
    std::vector<bool> print;
    for (int y = area.top; y < area.top + area.height; ++y)
      for (int x = area.left; x < area.left + area.width; ++x) {
        const uint32_t p = at(x, y);
        int d = 0;
        for (int s = 0; s < 24; s += 8) d += std::abs(static_cast<int>((p >> s) & 0xFF) - static_cast<int>((lcd >> s) & 0xFF));
        print.push_back(d > 48);
      }
    prints.push_back(print);
  }
  for (int a = 0; a < kStages; ++a)
    for (int b = a + 1; b < kStages; ++b) {
      size_t differ = 0;
      for (size_t i = 0; i < prints[a].size(); ++i) differ += prints[a][i] != prints[b][i];
      EXPECT_GT(differ, prints[a].size() / 50) << "stages " << a + 1 << " and " << b + 1 << " print the same LCD";
    }
}

// Rows 1 to 4 lie on the lower screen, rows 5 to 8 on the upper one; columns run left to right,
// and on the girders of rows 1 and 3 Pelko's column c stands between barrel cells c and c + 1.
TEST_F(DefaultSkin, GridPlacesLieOnTheirScreensInColumnOrder) {
  for (int n = 1; n <= kStages; ++n) {
    const std::vector<Placed> stage = LoadStage(StageFolder(main_, n));
    std::map<std::string, Rect> cells;  // "thing col row" of the letterless pictures
    for (const Placed &p : stage) {
      std::string thing;
      int col = 0, row = 0;
      if (!GridCell(p.name, &thing, &col, &row)) continue;
      SCOPED_TRACE("stage " + std::to_string(n) + " " + p.name);
      if (row <= 4) {
        EXPECT_GE(p.rect.top, kSplitY);
      } else {
        EXPECT_LE(p.rect.top + p.rect.height, kSplitY);
      }
      cells[thing + " " + std::to_string(col) + " " + std::to_string(row)] = p.rect;
    }
    auto centre = [&](const std::string &key) {
      const auto it = cells.find(key);
      EXPECT_NE(it, cells.end()) << key;
      return it == cells.end() ? 0 : it->second.left + it->second.width / 2;
    };
    for (int row : {1, 3, 5})
      for (int c = 1; c < 6; ++c)
        EXPECT_LT(centre("barrel " + std::to_string(c) + " " + std::to_string(row)),
                  centre("barrel " + std::to_string(c + 1) + " " + std::to_string(row)))
            << "stage " << n << " row " << row << " column " << c;
    for (int row : {1, 3})
      for (int c = 1; c <= 5; ++c) {
        const int x = centre("pelko " + std::to_string(c) + " " + std::to_string(row));
        EXPECT_GT(x, centre("barrel " + std::to_string(c) + " " + std::to_string(row))) << "stage " << n << " pelko " << c << "," << row;
        EXPECT_LT(x, centre("barrel " + std::to_string(c + 1) + " " + std::to_string(row))) << "stage " << n << " pelko " << c << "," << row;
      }
  }
}

}  // namespace
