#include "test_support.h"

#include "display/vid.h"
#include "platform/image.h"

#include <png.h>
// libjpeg's header needs size_t and FILE first.
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

bool RecordingSoundLib::Init(int rate, int channels) {
  calls.push_back("init " + std::to_string(rate) + " " + std::to_string(channels));
  return true;
}
bool RecordingSoundLib::SetOutput(int type) {
  calls.push_back("output " + std::to_string(type));
  return true;
}
SampleHandle RecordingSoundLib::SampleLoad(const std::string &file, int32_t) {
  calls.push_back("load " + file);
  if (std::find(missing.begin(), missing.end(), file) != missing.end()) return nullptr;
  loaded.push_back(file);
  return reinterpret_cast<SampleHandle>(static_cast<uintptr_t>(loaded.size()));
}
void RecordingSoundLib::Play(SampleHandle s) {
  calls.push_back("play " + std::to_string(reinterpret_cast<uintptr_t>(s)));
}
void RecordingSoundLib::StopAll() { calls.push_back("stop"); }
void RecordingSoundLib::SampleFree(SampleHandle s) {
  calls.push_back("free " + std::to_string(reinterpret_cast<uintptr_t>(s)));
}
void RecordingSoundLib::Close() { calls.push_back("close"); }

TempDir::TempDir() {
  char tmpl[] = "/tmp/ktusko-test-XXXXXX";
  path = std::string(mkdtemp(tmpl)) + "/";
}
TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
}
void TempDir::Write(const std::string &rel, const std::string &content) const {
  const std::filesystem::path p = path + rel;
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << content;
}

TestGame::TestGame(int32_t screen_w, int32_t screen_h) : screen(screen_w, screen_h) {
  cfg.program_folder = "/nonexistent-ktusko/";
  cfg.resources_path = "Resources\\Common\\";
  cfg.stage_count = 4;
  for (int n = 1; n <= 4; ++n) {
    cfg.stage_table[n].path = "/nonexistent-ktusko/Level" + std::to_string(n) + "\\";
    cfg.stage_table[n].name = "Stage name " + std::to_string(n);
    cfg.stage_table[n].image = "nil";
  }
  snd.lib = &lib;
  snd.store = &store;
  snd.cfg = &cfg;
  g.cfg = &cfg;
  g.snd = &snd;
  g.store = &store;
  g.rng = &rng;
  g.screen = &screen;
  g.timers = &clock;
  Gam_Create(g);
}

std::vector<std::string> TestGame::Lit() const {
  std::vector<std::string> out;
  for (int i = 0; i < el::COUNT; ++i) {
    const auto id = static_cast<el::Id>(i);
    if (Lcd_Is_Segment(id) && g.lcd.e[i].visible) out.push_back(Lcd_Name(id));
  }
  std::sort(out.begin(), out.end());
  return out;
}

InPlayGame::InPlayGame() {
  g.game_mode = kModeGameA;
  g.in_play = true;
  g.score_multiplier = 1;
  g.extra_life_score = 300;
  g.lives = 2;
  snd.sound_on = true;
  for (uintptr_t n = 1; n <= 8; ++n) snd.bank[n] = reinterpret_cast<SampleHandle>(n);
  for (int d = 0; d <= 9; ++d) g.lcd.e[g.lcd.panel_number_img[d]].pic = Img_Placeholder();
}

void InPlayGame::Place(int32_t c, int32_t r) {
  g.pelko_col = c;
  g.pelko_row = r;
  Vid_Show_Pelko(g.lcd, c, r, true);
}

std::vector<int> InPlayGame::Sounds(bool with_stops) {
  std::vector<int> out;
  for (const std::string &c : lib.calls)
    if (c.rfind("play ", 0) == 0) out.push_back(std::stoi(c.substr(5)));
    else if (with_stops && c == "stop") out.push_back(0);
  lib.calls.clear();
  return out;
}

std::string Tiny_Png() {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  img.width = 1;
  img.height = 1;
  img.format = PNG_FORMAT_RGBA;
  const unsigned char px[4] = {10, 20, 30, 255};
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&img, nullptr, &size, 0, px, 0, nullptr);
  std::string out(size, '\0');
  png_image_write_to_memory(&img, out.data(), &size, 0, px, 0, nullptr);
  out.resize(size);
  return out;
}

ChildCost Run_In_Child(const std::function<int()> &job, int cpu_seconds, long as_mb) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const rlimit cpu{static_cast<rlim_t>(cpu_seconds), static_cast<rlim_t>(cpu_seconds)};
    setrlimit(RLIMIT_CPU, &cpu);
    if (kAddressLimits && as_mb > 0) {
      const rlimit as{static_cast<rlim_t>(as_mb) << 20, static_cast<rlim_t>(as_mb) << 20};
      setrlimit(RLIMIT_AS, &as);
    }
    // Whatever the job lets escape ends the child here, not in the test framework's handler
    // (which would go on to run the other tests in the child).
    int status = 98;
    try {
      status = job();
    } catch (...) {
      status = 99;
    }
    _exit(status);
  }
  ChildCost c;
  int status = 0;
  rusage ru{};
  if (pid < 0 || wait4(pid, &status, 0, &ru) != pid) return c;
  c.exited = WIFEXITED(status);
  c.status = c.exited ? WEXITSTATUS(status) : WTERMSIG(status);
  c.cpu = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
          static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
  c.peak_mb = ru.ru_maxrss / 1024;
  return c;
}

long Address_Space_Mb() {
  long pages = 0;
  if (FILE *f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
    std::fclose(f);
  }
  return pages * (sysconf(_SC_PAGESIZE) / 1024) / 1024;
}

std::string Write_Jpeg(int w, int h, int components, int color_space, bool progressive,
                       const std::vector<uint8_t> &samples) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char *buf = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buf, &size);
  c.image_width = static_cast<JDIMENSION>(w);
  c.image_height = static_cast<JDIMENSION>(h);
  c.input_components = components;
  c.in_color_space = static_cast<J_COLOR_SPACE>(color_space);
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 95, TRUE);
  if (progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&samples[static_cast<size_t>(c.next_scanline) * w * components]);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::string out(reinterpret_cast<char *>(buf), size);
  std::free(buf);
  return out;
}
