#include "bench_skin.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "display/gfxinit.h"
#include "platform/files.h"
#include "platform/ini.h"

namespace fs = std::filesystem;

namespace {

void WritePng(const std::string &path, int w, int h, const std::vector<uint32_t> &bgra, bool alpha) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  img.width = static_cast<png_uint_32>(w);
  img.height = static_cast<png_uint_32>(h);
  img.format = PNG_FORMAT_BGRA;
  if (!alpha) {
    // Opaque pictures are stored as RGB, as a photo would be.
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
    for (size_t i = 0; i < bgra.size(); ++i) {
      rgb[i * 3] = static_cast<uint8_t>(bgra[i] >> 16);
      rgb[i * 3 + 1] = static_cast<uint8_t>(bgra[i] >> 8);
      rgb[i * 3 + 2] = static_cast<uint8_t>(bgra[i]);
    }
    img.format = PNG_FORMAT_RGB;
    png_image_write_to_file(&img, path.c_str(), 0, rgb.data(), 0, nullptr);
    return;
  }
  png_image_write_to_file(&img, path.c_str(), 0, bgra.data(), 0, nullptr);
}

// A dark LCD mark with soft edges on a transparent ground.
std::vector<uint32_t> Segment(int w, int h, std::mt19937 &rng) {
  std::vector<uint32_t> px(static_cast<size_t>(w) * h);
  const double cx = w / 2.0, cy = h / 2.0, rx = w / 2.2, ry = h / 2.2;
  const uint32_t shade = 0x20 + rng() % 0x20;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double d = std::hypot((x + 0.5 - cx) / rx, (y + 0.5 - cy) / ry);
      const double a = std::clamp((1.0 - d) * 6.0, 0.0, 1.0) * (0.85 + 0.15 * std::sin(x * 0.7 + y * 0.3));
      const uint32_t a8 = static_cast<uint32_t>(a * 255.0 + 0.5);
      px[static_cast<size_t>(y) * w + x] = a8 << 24 | shade << 16 | shade << 8 | shade;
    }
  return px;
}

// The photo of the handheld: smooth shading with a little grain.
std::vector<uint32_t> Background(int w, int h, std::mt19937 &rng) {
  std::vector<uint32_t> px(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int grain = static_cast<int>(rng() % 9) - 4;
      const int r = std::clamp(90 + x / 8 + grain, 0, 255), g = std::clamp(100 + y / 6 + grain, 0, 255),
                b = std::clamp(150 + (x + y) / 16 + grain, 0, 255);
      px[static_cast<size_t>(y) * w + x] = 0xFF000000u | r << 16 | g << 8 | b;
    }
  return px;
}

// 146 pictures in the proportions of a real skin: a 1024 x 768 background, a logo, 24 button
// faces, and LCD marks of 20 to 60 pixels spread over the two screens.
// Written once into the build folder and reused by later runs.
std::string MakeSynthetic() {
  const std::string root = KT_BENCH_DIR "/synthetic_skin/";
  const std::string stage = root + "Level1/";
  if (Sys_File_Exists(stage + "Config.ini")) return root;
  fs::create_directories(stage);
  std::ofstream(root + "Config.ini") << "[Common]\nStages=1\n[Stage1]\nPath=Level1\\\n";
  std::mt19937 rng(7);
  std::ofstream ini(stage + "Config.ini");
  ini << "[Common]\nBgColor=$00000000\n";
  for (int n = 1; n <= el::kSkinElements; ++n) {
    int w, h, left, top;
    bool alpha = true;
    std::vector<uint32_t> px;
    if (n == 1) {
      w = 1024, h = 768, left = 0, top = 0, alpha = false;
      px = Background(w, h, rng);
    } else if (n == 2) {
      w = 200, h = 80, left = 800, top = 20;
      px = Segment(w, h, rng);
    } else if (n <= 26) {
      w = 56 + static_cast<int>(rng() % 12), h = 50 + static_cast<int>(rng() % 12), left = 20, top = 500;
      px = Segment(w, h, rng);
    } else {
      w = 20 + static_cast<int>(rng() % 41), h = 20 + static_cast<int>(rng() % 41);
      left = 250 + static_cast<int>(rng() % 500), top = 60 + static_cast<int>(rng() % 620);
      px = Segment(w, h, rng);
    }
    const std::string name = "im_" + std::to_string(n) + ".png";
    WritePng(stage + name, w, h, px, alpha);
    ini << "[Image" << n << "]\nFilename=" << name << "\nLeft=" << left << "\nTop=" << top << "\nWidth=" << w
        << "\nHeight=" << h << "\n";
  }
  ini.close();
  return root;
}

BenchSkin Build() {
  BenchSkin s;
  std::string program = KT_PROGRAM_DIR "/";
  std::string stage_rel = "Resources\\Level1\\";
  if (const char *env = std::getenv("KT_BENCH_SKIN")) {
    program = std::string(env) + "/";
    stage_rel = "";
    s.description = std::string("skin in ") + env;
  } else if (Sys_File_Exists(program + "Resources/Level1/Config.ini")) {
    s.description = "default skin, " + program + "Resources/Level1";
  } else {
    program = MakeSynthetic();
    stage_rel = "Level1\\";
    s.description = "synthetic skin (no default skin built), " + program + "Level1";
  }
  s.cfg.program_folder = program;
  s.cfg.stage_count = 1;
  s.cfg.stage_table[1].path = program + stage_rel;
  IniFile ini;
  ini.Load(Sys_Find_Value_File(s.cfg.stage_table[1].path + "Config.ini"));
  for (int n = 1; n <= el::kSkinElements; ++n) {
    const std::string name = ini.ReadString("Image" + std::to_string(n), "Filename", "");
    if (name.empty() || name == "nil") continue;
    const std::string file = Sys_Find_Value_File(s.cfg.stage_table[1].path + name);
    if (!file.empty()) s.files.push_back(file);
  }
  return s;
}

}  // namespace

const BenchSkin &Bench_Skin() {
  static const BenchSkin skin = Build();
  return skin;
}

void Bench_Load(Lcd &lcd, int w, int h) {
  const SkinLayout screen{w, h};
  Gfx_Load_Skin(lcd, Bench_Skin().cfg, screen, 1, nullptr);
  Gfx_Place_Background_Logo(lcd, Bench_Skin().cfg, screen);
  Gfx_Place_Buttons(lcd, Bench_Skin().cfg, screen);
}
