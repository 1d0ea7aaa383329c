// Runs the benchmarks under a GUI application on the offscreen platform and ends with a short
// table of the medians and the ratios that matter.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "bench_skin.h"
#include "platform/qt/qt_platform.h"

namespace {

// Keeps the median of every repeated benchmark (in microseconds) and the counters of the skin
// load while the console report goes on.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> median_us, median_cpu_us;
  std::map<std::string, double> load;
  std::map<std::string, double> counters;  // medians of every counter
  void ReportRuns(const std::vector<Run> &runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run &r : runs) {
      if (r.error_occurred) continue;
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
      {
        median_us[r.run_name.function_name] = r.GetAdjustedRealTime();
        median_cpu_us[r.run_name.function_name] = r.GetAdjustedCPUTime();
      }
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
        for (const auto &[name, counter] : r.counters) counters[name] = counter.value;
      if (r.run_name.function_name == "BM_SkinLoad")
        for (const auto &[name, counter] : r.counters) load[name] = counter.value;
    }
  }
};

void Line(const char *what, double us) { std::printf("  %-44s %10.3f ms\n", what, us / 1000.0); }
void Line2(const char *what, double us, double cpu_us) {
  std::printf("  %-44s %10.3f ms  (CPU %.3f ms)\n", what, us / 1000.0, cpu_us / 1000.0);
}

}  // namespace

int main(int argc, char **argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  Plat_Register_Image_Fallback();
  benchmark::Initialize(&argc, argv);
  const BenchSkin &skin = Bench_Skin();
  std::printf("Skin: %s (%zu pictures)\n", skin.description.c_str(), skin.files.size());
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  auto &m = reporter.median_us;
  auto has = [&m](const char *k) { return m.count(k) != 0; };
  std::printf("\nSummary (medians)\n");
  auto &l = reporter.load;
  if (l.count("gfx_ms")) {
    Line("skin load, Gfx_Load_Skin (libpng/libjpeg)", l["gfx_ms"] * 1000.0);
    Line("same files, QImageReader", l["qt_ms"] * 1000.0);
    std::printf("  %-44s %10.2f\n", "ratio Gfx / QImageReader", l["ratio"]);
    Line("  CPU time of the load, all threads", l["gfx_cpu_ms"] * 1000.0);
    Line("  CPU time of QImageReader", l["qt_cpu_ms"] * 1000.0);
    Line("skin load with the LCD effect layers", l["gfx_fx_ms"] * 1000.0);
    std::printf("  %-44s %10.2f\n", "ratio with effect layers / without", l["fx_ratio"]);
    Line("  CPU time of the effect layers alone", l["fx_cpu_ms"] * 1000.0);
  }
  auto &c = reporter.median_cpu_us;
  const struct {
    const char *name, *what;
  } paints[] = {{"BM_Paint_TickAsWindowPaints", "paint one tick, as the game window paints"},
                {"BM_Paint_TickOneRegionClip", "paint one tick, one clip to the whole region"},
                {"BM_Paint_FullWindow", "paint the full 1024 x 768 window"},
                {"BM_Paint_TickEffects1080", "paint one fading tick, effects, 1920 x 1080"},
                {"BM_Paint_FullWindowEffects1080", "paint the full window, effects, 1920 x 1080"}};
  for (const auto &p : paints)
    if (has(p.name)) Line2(p.what, m[p.name], c[p.name]);
  if (has("BM_Paint_TickAsWindowPaints") && has("BM_Paint_FullWindow"))
    std::printf("  %-44s %10.2f\n", "ratio tick / full window", m["BM_Paint_TickAsWindowPaints"] / m["BM_Paint_FullWindow"]);
  auto &k = reporter.counters;
  if (k.count("tick_pixels") && k.count("window_pixels"))
    std::printf("  %-44s %10.0f of %.0f (%.1f %%)\n", "pixels repainted per tick, of the full window", k["tick_pixels"],
                k["window_pixels"], 100.0 * k["tick_pixels"] / k["window_pixels"]);
  if (has("BM_Game_HazardTick"))
    std::printf("  %-44s %10.3f us\n", "one hazard tick with its display updates", m["BM_Game_HazardTick"]);
  if (reporter.counters.count("ticks_per_cpu_second"))
    std::printf("  %-44s %10.0f\n", "headless game: hazard ticks per CPU second", reporter.counters["ticks_per_cpu_second"]);
  return 0;
}
