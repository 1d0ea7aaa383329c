// The game without a window: one hazard tick with its display updates, and whole games on the
// virtual clock (sound off, random play) counted in hazard ticks per second of CPU.
#include <benchmark/benchmark.h>

#include <ctime>
#include <random>

#include "game/game.h"
#include "input/keys.h"
#include "test_support.h"

namespace {

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// A game with the tests' in-memory services; sound stays off.
struct Headless : TestGame {
  Headless() { g.game_mode = kModeClock; }
  void StartGame() {
    Inp_Control_Down(g, 1);
    Inp_Control_Up(g, 1);
    // Past the intro screen and the start jingle's wait.
    clock.Advance(3100);
  }
};

// One hazard tick, called directly in the middle of a turn (Pelko kept off the playfield, so
// ticks never end in a miss).
void BM_Game_HazardTick(benchmark::State &state) {
  Headless h;
  h.StartGame();
  h.g.Timer_Game->SetEnabled(false);
  for (auto _ : state) {
    h.g.tick_count = 20;  // past the opening ticks and Pelko's entry
    Timer_GameTimer(h.g);
  }
}

// Whole games with random presses every 0..700 ms, counted in hazard ticks per CPU second.
void BM_Game_HeadlessPlay(benchmark::State &state) {
  int64_t ticks = 0;
  double cpu = 0;
  uint32_t seed = 1;
  for (auto _ : state) {
    Headless h;
    std::mt19937 player(seed++);
    h.StartGame();  // the skin and sound reload of a game start is not play: not counted
    const double start = CpuSeconds();
    while (h.g.game_mode == kModeGameA && h.clock.Now() < 3600 * 1000) {
      const int64_t until = h.clock.Now() + std::uniform_int_distribution<int>(0, 700)(player);
      while (true) {
        const int32_t phase = h.g.tick_phase;
        if (!h.clock.Step(until - h.clock.Now())) break;
        ticks += h.g.tick_phase != phase;
      }
      h.clock.Advance(until - h.clock.Now());
      const int c = 4 + static_cast<int>(player() % 5);
      if (player() % 2) Inp_Control_Down(h.g, c);
      else Inp_Control_Up(h.g, c);
    }
    cpu += CpuSeconds() - start;
  }
  state.counters["ticks_per_cpu_second"] = cpu > 0 ? static_cast<double>(ticks) / cpu : 0;
}

}  // namespace

BENCHMARK(BM_Game_HazardTick)->Repetitions(9)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Game_HeadlessPlay)->Repetitions(5)->Unit(benchmark::kMillisecond);
