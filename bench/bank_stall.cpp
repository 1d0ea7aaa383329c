// How long the game window's thread stands still while a stage's sound bank loads. Writes the
// heaviest bank the loader accepts (eight different files, each just under the 10 s limit, in a
// format that must be converted and resampled for the 22050 Hz stereo output) into a temporary
// program folder, starts the sound library on SDL's dummy output, and loads the bank from a Qt
// event loop that also runs a 2 ms timer. Prints, per load: the time the load call itself took,
// the longest gap between two timer deliveries from the call until the bank was in place, and
// the time until it was in place.
// Before the loads the same timer runs idle for a while, giving the longest gap the machine
// alone causes, to read the figures against.
// Usage: kt_bank_stall [loads] [rate] [bits] [channels] [idle s]
//        (defaults 5 192000 32 8 5: 32-bit float, eight channels, 61 MB a file)
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "config/config.h"
#include "platform/soundlib.h"
#include "sound/snd.h"

namespace {

using Clock = std::chrono::steady_clock;

void Put(std::string &s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i) & 0xff);
}

// A wave file of ms milliseconds of noise: integer samples for 8 or 16 bits, float for 32.
std::string Wave(uint32_t rate, int bits, int channels, int ms, uint32_t seed) {
  const uint32_t frames = static_cast<uint32_t>(uint64_t{rate} * ms / 1000);
  const uint32_t bytes = frames * channels * (bits / 8);
  std::string w = "RIFF";
  Put(w, 36 + bytes, 4);
  w += "WAVEfmt ";
  Put(w, 16, 4);
  Put(w, bits == 32 ? 3 : 1, 2);
  Put(w, channels, 2);
  Put(w, rate, 4);
  Put(w, rate * channels * (bits / 8), 4);
  Put(w, channels * (bits / 8), 2);
  Put(w, bits, 2);
  w += "data";
  Put(w, bytes, 4);
  w.reserve(w.size() + bytes);
  for (uint32_t i = 0; i < frames * channels; ++i) {
    seed = seed * 1664525u + 1013904223u;
    if (bits == 8) {
      Put(w, seed >> 24, 1);
    } else if (bits == 16) {
      Put(w, seed >> 16, 2);
    } else {
      const float f = static_cast<float>(static_cast<int32_t>(seed)) / 4.3e9f;
      uint32_t u;
      std::memcpy(&u, &f, 4);
      Put(w, u, 4);
    }
  }
  return w;
}

// Where the sound layer decodes banks in the background: hands the finished bank over on the
// event loop, as the program does.
template <class S>
void SetBankReady(S &s) {
  if constexpr (requires { s.bank_ready; })
    s.bank_ready = [&s] { QMetaObject::invokeMethod(qApp, [&s] { Snd_Take_Bank(s); }, Qt::QueuedConnection); };
}

}  // namespace

int main(int argc, char **argv) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  QCoreApplication app(argc, argv);
  const int loads = argc > 1 ? std::atoi(argv[1]) : 5;
  const uint32_t rate = argc > 2 ? static_cast<uint32_t>(std::atoi(argv[2])) : 192000;
  const int bits = argc > 3 ? std::atoi(argv[3]) : 32;
  const int channels = argc > 4 ? std::atoi(argv[4]) : 8;
  const int idle_s = argc > 5 ? std::atoi(argv[5]) : 5;

  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("kt_bank_stall." + std::to_string(getpid()));
  fs::create_directories(dir / "Level1");
  fs::create_directories(dir / "Common");
  std::string stage_ini;
  for (int m = 1; m <= 8; ++m) {
    std::ofstream(dir / "Level1" / ("s" + std::to_string(m) + ".wav"), std::ios::binary)
        << Wave(rate, bits, channels, 9900, static_cast<uint32_t>(m));
    stage_ini += "[Sound" + std::to_string(m) + "]\nFilename=s" + std::to_string(m) + ".wav\n";
  }
  std::ofstream(dir / "Level1" / "Config.ini") << stage_ini;
  std::ofstream(dir / "Common" / "snd_stage.wav", std::ios::binary) << Wave(22050, 16, 2, 500, 9);
  std::ofstream(dir / "Common" / "snd_start.wav", std::ios::binary) << Wave(22050, 16, 2, 500, 10);
  std::ofstream(dir / "Config.ini") << "[Common]\nStages=1\n";
  fs::current_path(dir);  // the jingles are named relative to the program folder, as in the program
  std::printf("bank: 8 files of %ju bytes (%u Hz, %d-bit, %d channels, 9.9 s)\n",
              static_cast<uintmax_t>(fs::file_size(dir / "Level1" / "s1.wav")), rate, bits, channels);

  Config cfg;
  cfg.program_folder = dir.string() + "/";
  cfg.resources_path = "Common\\";
  cfg.stage_count = 1;
  cfg.stage_table[1].path = dir.string() + "/Level1/";
  std::unique_ptr<SoundLib> lib = Plat_Create_SoundLib();
  Sound s;
  s.lib = lib.get();
  s.cfg = &cfg;
  if (!Snd_Init(s, kSoundDrivers[0])) {
    std::fprintf(stderr, "sound did not start\n");
    return 1;
  }
  SetBankReady(s);

  int done = 0;
  bool loading = false;
  Clock::time_point asked{}, last{};
  double call_ms = 0, worst_gap_ms = 0;
  std::vector<double> calls, gaps, readies;
  QTimer tick;
  tick.setTimerType(Qt::PreciseTimer);
  // First an idle stretch as long as a load: the longest gap the machine itself gives.
  const Clock::time_point start = Clock::now();
  Clock::time_point idle_until{};
  double idle_gap_ms = 0;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const Clock::time_point now = Clock::now();
    if (idle_until == Clock::time_point{} || now < idle_until) {
      if (last != Clock::time_point{})
        idle_gap_ms = std::max(idle_gap_ms, std::chrono::duration<double, std::milli>(now - last).count());
      last = now;
      if (idle_until == Clock::time_point{}) idle_until = start + std::chrono::seconds(idle_s);
      return;
    }
    if (loading) worst_gap_ms = std::max(worst_gap_ms, std::chrono::duration<double, std::milli>(now - last).count());
    last = now;
    if (loading && s.bank[1] && s.bank[8]) {
      loading = false;
      const double ready_ms = std::chrono::duration<double, std::milli>(now - asked).count();
      std::printf("load %d: call %.1f ms, longest stall %.1f ms, bank in place after %.1f ms\n", done + 1, call_ms,
                  worst_gap_ms, ready_ms);
      calls.push_back(call_ms);
      gaps.push_back(worst_gap_ms);
      readies.push_back(ready_ms);
      ++done;
    }
    if (!loading && done == loads) {
      app.quit();
      return;
    }
    if (!loading) {
      loading = true;
      worst_gap_ms = 0;
      asked = Clock::now();
      Snd_Load_Bank(s, 1);
      const Clock::time_point back = Clock::now();
      call_ms = std::chrono::duration<double, std::milli>(back - asked).count();
      worst_gap_ms = std::chrono::duration<double, std::milli>(back - last).count();
      last = back;
    }
  });
  tick.start(2);
  app.exec();
  Snd_Shutdown(s);
  fs::remove_all(dir);
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
  };
  std::printf("idle for %d s: longest gap %.1f ms\n", idle_s, idle_gap_ms);
  std::printf("median of %d: call %.1f ms, longest stall %.1f ms, bank in place after %.1f ms\n", loads,
              median(calls), median(gaps), median(readies));
  return 0;
}
