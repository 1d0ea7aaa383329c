// Loading the skin: the program's loader (decoding every picture, the cache flushed each time)
// against decoding the same files with Qt's image reader. The two alternate round by round, so
// that both see the same machine load, and the medians of the rounds are reported.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QImageReader>
#include <QString>
#include <algorithm>
#include <chrono>
#include <ctime>

#include "bench_skin.h"
#include "display/gfxinit.h"
#include "display/lcd_effects.h"

namespace {

constexpr int kRounds = 31;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Wall-clock and process CPU time (all threads) in milliseconds.
struct Clock {
  double wall, cpu;
  static Clock Now() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return Clock{std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count(),
                 ts.tv_sec * 1e3 + ts.tv_nsec / 1e6};
  }
};

void BM_SkinLoad(benchmark::State &state) {
  const BenchSkin &skin = Bench_Skin();
  std::vector<QString> names;
  for (const std::string &f : skin.files) names.push_back(QString::fromStdString(f));
  Lcd lcd;
  Lcd_Init(lcd);
  std::vector<std::string> problems;
  std::vector<double> gfx, qt, gfx_cpu, qt_cpu, with_fx, fx_cpu;
  LcdEffects fx;
  int qt_failed = 0;
  for (auto _ : state) {
    for (int round = 0; round < kRounds; ++round) {
      Gfx_Flush_Cache();
      problems.clear();
      Clock t0 = Clock::Now();
      Gfx_Load_Skin(lcd, skin.cfg, SkinLayout{1024, 768}, 1, &problems);
      Clock t1 = Clock::Now();
      gfx.push_back(t1.wall - t0.wall);
      gfx_cpu.push_back(t1.cpu - t0.cpu);
      // The effect layers (ghosts, shadows, LCD screens) made from the freshly loaded pictures.
      Gfx_Place_Background_Logo(lcd, skin.cfg, SkinLayout{1024, 768});
      Gfx_Place_Buttons(lcd, skin.cfg, SkinLayout{1024, 768});
      const Clock t2 = Clock::Now();
      fx.Sync(lcd, 0);
      const Clock t3 = Clock::Now();
      with_fx.push_back(t1.wall - t0.wall + t3.wall - t2.wall);
      fx_cpu.push_back(t3.cpu - t2.cpu);

      t0 = Clock::Now();
      for (const QString &name : names) {
        QImageReader reader(name);
        QImage img = reader.read();
        if (img.isNull()) ++qt_failed;
        benchmark::DoNotOptimize(img.constBits());
      }
      t1 = Clock::Now();
      qt.push_back(t1.wall - t0.wall);
      qt_cpu.push_back(t1.cpu - t0.cpu);
    }
  }
  if (!problems.empty()) state.SkipWithError(problems.front().c_str());
  if (qt_failed) state.SkipWithError("Qt could not read every picture");
  state.counters["gfx_ms"] = Median(gfx);
  state.counters["qt_ms"] = Median(qt);
  state.counters["ratio"] = Median(gfx) / Median(qt);
  state.counters["gfx_cpu_ms"] = Median(gfx_cpu);
  state.counters["gfx_fx_ms"] = Median(with_fx);
  state.counters["fx_ratio"] = Median(with_fx) / Median(gfx);
  state.counters["fx_cpu_ms"] = Median(fx_cpu);
  state.counters["qt_cpu_ms"] = Median(qt_cpu);
  state.counters["pictures"] = static_cast<double>(names.size());
}

}  // namespace

BENCHMARK(BM_SkinLoad)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
