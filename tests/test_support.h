// Shared fixtures for the plain C++ tests: a game on the virtual clock with a fixed screen,
// an in-memory store, a scripted random generator, a recording sound library and a throw-away
// program folder with a small skin written by the test.
#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "config/config.h"
#include "game/game.h"
#include "platform/random.h"
#include "platform/screen.h"
#include "platform/soundlib.h"
#include "platform/store.h"
#include "platform/timer.h"
#include "sound/snd.h"

// Draws from a script first, then from a seeded generator.
class ScriptedRng : public Rng {
 public:
  explicit ScriptedRng(uint32_t seed = 1) : fallback_(seed) {}
  int32_t Random(int32_t n) override {
    draws.push_back(n);
    if (!script.empty()) {
      int32_t v = script.front();
      script.pop_front();
      return v;
    }
    return fallback_.Random(n);
  }
  std::deque<int32_t> script;
  std::vector<int32_t> draws;  // the n of every draw, in order

 private:
  DefaultRng fallback_;
};

// Records every call into the sound library as text ("load <file>", "play <id>", "stop", ...).
class RecordingSoundLib : public SoundLib {
 public:
  bool Init(int rate, int channels) override;
  bool SetOutput(int type) override;
  SampleHandle SampleLoad(const std::string &file, int32_t max_ms) override;
  void Play(SampleHandle s) override;
  void StopAll() override;
  void SampleFree(SampleHandle s) override;
  void Close() override;
  std::vector<std::string> calls;
  std::vector<std::string> missing;  // files whose load fails
  std::vector<std::string> loaded;   // index + 1 is the handle value
};

// The sanitizers' shadow memory (and the address sanitizer's quarantine) multiply a job's
// resident memory: peak memory bounds are scaled by this factor.
#ifdef __SANITIZE_ADDRESS__
constexpr long kPeakMemoryFactor = 4;
#elif defined(__SANITIZE_THREAD__)
constexpr long kPeakMemoryFactor = 8;
#else
constexpr long kPeakMemoryFactor = 1;
#endif

// The address and thread sanitizers reserve terabytes of address space, so under them no
// address-space limit can be set: Run_In_Child runs without one, and a test that needs one skips.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kAddressLimits = false;
#else
constexpr bool kAddressLimits = true;
#endif

// What a job run in a child process used, and how it ended.
struct ChildCost {
  bool exited = false;  // ended by itself, not by a signal (the CPU limit sends SIGXCPU)
  int status = -1;      // exit status, or the signal
  double cpu = 0;       // seconds of CPU, user and system
  long peak_mb = 0;     // peak resident memory
};
// Runs job in a child process with a hard limit of cpu_seconds of CPU and, when as_mb > 0 and
// kAddressLimits holds, of as_mb of address space. The
// job's return value becomes the exit status; an exception it lets escape, status 99.
ChildCost Run_In_Child(const std::function<int()> &job, int cpu_seconds, long as_mb);
// The address space the process uses now, in MB.
long Address_Space_Mb();
// The memory the process holds now (resident; on Windows its working set), in MB.
long Resident_Mb();

// A temporary folder removed when the object goes away.
struct TempDir {
  TempDir();
  ~TempDir();
  std::string path;  // with a trailing '/'
  void Write(const std::string &rel, const std::string &content) const;
};

// A whole game with test doubles, created and ready in mode 0 (as after start-up).
struct TestGame {
  explicit TestGame(int32_t screen_w = 1024, int32_t screen_h = 768);
  VirtualClock clock;
  FixedScreen screen;
  MemStore store;
  ScriptedRng rng;
  RecordingSoundLib lib;
  Config cfg;
  Sound snd;
  Game g;
  // The names of all visible LCD segments, sorted.
  std::vector<std::string> Lit() const;
  bool IsLit(el::Id id) const { return g.lcd.e[id].visible; }
};

// A turn of Game A in progress, set up directly: Pelko steerable, two reserve lives, points
// single, sound on with handle n for bank sound n, glyphs with a picture so digits can be seen.
struct InPlayGame : TestGame {
  InPlayGame();
  // Puts Pelko at (c, r) and lights his segment.
  void Place(int32_t c, int32_t r);
  // Bank sound numbers played since the last call; with stops, each stop-all counts as 0.
  std::vector<int> Sounds(bool with_stops = false);
};

#ifdef _WIN32
#include <cstdlib>
// The environment functions of other systems, for the tests that set SDL's variables.
inline int setenv(const char *name, const char *value, int) { return _putenv_s(name, value); }
inline int unsetenv(const char *name) { return _putenv_s(name, ""); }
// True under Wine, where a few documented Windows behaviours are missing.
bool Under_Wine();
#endif

// A 1x1 opaque PNG, for skins written by tests.
std::string Tiny_Png();
// A JPEG at quality 95 of w x h interleaved samples of components components in color_space
// (libjpeg's J_COLOR_SPACE), progressive or baseline.
std::string Write_Jpeg(int w, int h, int components, int color_space, bool progressive,
                       const std::vector<uint8_t> &samples);
