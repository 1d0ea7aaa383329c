// Painting: the dirty rectangles of a typical hazard tick (about 60 segments shown or hidden)
// against a full-window repaint at 1024 x 768, drawn into an image the way the game window's
// paint handler draws (window colour, then the visible elements in stacking order). The Scaled
// benchmarks do the same with the skin fitted to 1920 x 1080 and 3840 x 2160 screens (laid out
// for the virtual screen, high-resolution pictures, painted through the window's scale), with the
// default LCD effects and with the classic flat LCD.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QRegion>
#include <ctime>
#include <map>
#include <memory>
#include <random>

#include "bench_skin.h"
#include "app/qt/layer_cache.h"
#include "app/qt/lcd_painter.h"
#include "app/qt/view.h"
#include "display/gfxinit.h"
#include "display/lcd_layers.h"
#include "display/lcd_raster.h"

namespace {

QRect ToQ(const Rect &r) { return QRect(r.left, r.top, r.width, r.height); }

// Gathers the changes the way the game window does, and also as they were reported.
struct RegionSink : LcdSink {
  QRegion region, reported;
  App_Dirty gathered;
  std::vector<QRect> rects;
  const LcdEffects *fx = nullptr;
  const View *view = nullptr;
  void Invalidate(const Rect &r) override {
    region += gathered.Add(view->ToWindow(fx->Reach(r)));
    reported += ToQ(r);
    rects.push_back(ToQ(r));
  }
};

// The skin loaded, half the LCD lit, then one tick: 60 segments change visibility. With the
// effects, the tick's fades are under way. Fitted, the skin is laid out for the virtual screen of
// a w x h window and drawn scaled, as the game window does by default.
struct Tick {
  Lcd lcd;
  LcdEffects fx;
  View view;
  int w, h;
  QRegion dirty;               // what the window system hands the paint handler
  QRegion reported;            // the union of the reported rectangles themselves
  std::vector<QRect> changed;  // the rectangles as the display model reported them
  explicit Tick(int w = 1024, int h = 768, bool effects = false, bool fit = false) : w(w), h(h) {
    fx.Set(LcdEffectSettings{effects, LcdEffectSettings{}.ghost, true, true});
    Lcd_Init(lcd);
    if (fit) {
      view.scale = Gfx_Fit_Scale(Bench_Skin().cfg, w, h);
      Bench_Load(lcd, SkinLayout{Gfx_Virtual_Size(w, view.scale), Gfx_Virtual_Size(h, view.scale), view.scale});
    } else {
      Bench_Load(lcd, w, h);
    }
    std::vector<el::Id> segments;
    for (int i = 0; i < el::kSkinElements; ++i) {
      const auto id = static_cast<el::Id>(i);
      if (Lcd_Is_Segment(id) && !lcd.e[id].rect.Empty()) segments.push_back(id);
    }
    std::mt19937 rng(3);
    for (el::Id id : segments) lcd.e[id].visible = rng() % 2 == 0;
    std::shuffle(segments.begin(), segments.end(), rng);
    fx.Sync(lcd, 0);
    RegionSink sink;
    sink.fx = &fx;
    sink.view = &view;
    lcd.sink = &sink;
    for (size_t i = 0; i < segments.size() && i < 60; ++i)
      Lcd_Set_Visible(lcd, segments[i], !lcd.e[segments[i]].visible);
    lcd.sink = nullptr;
    dirty = sink.region;
    reported = sink.reported;
    fx.Sync(lcd, 1000);
    changed = sink.rects;
  }
};

const Tick &TheTick() {
  static const Tick tick;
  return tick;
}

// At 1920 x 1080 with every effect on.
const Tick &TheEffectsTick() {
  static const Tick tick(1920, 1080, true);
  return tick;
}

QImage Screen() { return QImage(1024, 768, QImage::Format_RGB32); }

// A painter on the screen image clipped by the "window system" to the dirty region, as the game
// window's paint handler gets it.
void BeginLikeWindow(QPainter &p, QImage &screen, const QRegion &dirty) {
  screen.paintEngine()->setSystemClip(dirty);
  p.begin(&screen);
}

// The game window: each rectangle of the dirty region painted with its own rectangular clip.
void BM_Paint_TickAsWindowPaints(benchmark::State &state) {
  const Tick &t = TheTick();
  QImage screen = Screen();
  for (auto _ : state) {
    QPainter p;
    BeginLikeWindow(p, screen, t.dirty);
    App_Paint_Lcd(p, t.lcd, t.dirty);
  }
  state.counters["rects"] = static_cast<double>(t.changed.size());
  state.counters["painted_rects"] = static_cast<double>(App_Paint_Rects(t.dirty).size());
  double pixels = 0;  // the pixels the clip lets through
  for (const QRect &r : t.dirty) pixels += static_cast<double>(r.width()) * r.height();
  state.counters["tick_pixels"] = pixels;
}

// For comparison, the earlier way: the window handed the union of the reported rectangles and
// painted their bounding rectangle clipped to that region.
void BM_Paint_TickOneRegionClip(benchmark::State &state) {
  const Tick &t = TheTick();
  QImage screen = Screen();
  for (auto _ : state) {
    QPainter p;
    BeginLikeWindow(p, screen, t.reported);
    App_Paint_Lcd(p, t.lcd, t.reported.boundingRect());
  }
}

void BM_Paint_FullWindow(benchmark::State &state) {
  const Tick &t = TheTick();
  QImage screen = Screen();
  for (auto _ : state) {
    QPainter p;
    BeginLikeWindow(p, screen, QRegion(screen.rect()));
    App_Paint_Lcd(p, t.lcd, screen.rect());
  }
  state.counters["window_pixels"] = static_cast<double>(screen.width()) * screen.height();
}

// With the effects at 1920 x 1080: the tick's changes 40 ms into their fades (the change itself
// and every frame of its fades repaint the same rectangles), against a full repaint.
void BM_Paint_TickEffects1080(benchmark::State &state) {
  const Tick &t = TheEffectsTick();
  QImage screen(t.w, t.h, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p;
    BeginLikeWindow(p, screen, t.dirty);
    App_Paint_Lcd(p, t.lcd, t.dirty, &t.fx, 1040);
  }
  double pixels = 0;
  for (const QRect &r : t.dirty) pixels += static_cast<double>(r.width()) * r.height();
  state.counters["tick_pixels_1080"] = pixels;
}

void BM_Paint_FullWindowEffects1080(benchmark::State &state) {
  const Tick &t = TheEffectsTick();
  QImage screen(t.w, t.h, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p;
    BeginLikeWindow(p, screen, QRegion(screen.rect()));
    App_Paint_Lcd(p, t.lcd, screen.rect(), &t.fx, 1040);
  }
}

// The CPU time of every thread of the process, in microseconds: the painter shares out large
// scaled drawing over a pool of threads, which the benchmark's own CPU column (this thread's) misses.
double ProcessCpuUs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

// A fitted tick for the benchmark's arguments: the screen height (1080 or 2160) and the effects
// (1 the defaults, 0 the classic flat LCD).
const Tick &FittedTick(const benchmark::State &state) {
  static std::map<std::pair<int64_t, int64_t>, std::unique_ptr<Tick>> ticks;
  std::unique_ptr<Tick> &t = ticks[{state.range(0), state.range(1)}];
  if (!t) {
    const int h = static_cast<int>(state.range(0));
    t = std::make_unique<Tick>(h * 16 / 9, h, state.range(1) != 0, true);
  }
  return *t;
}

// The game window's paint handler on a fitted skin, painting dirty once an iteration; counts the
// CPU of every thread, as the painter shares large scaled drawing over a pool of threads. With
// kept layers (the third argument 1, as the window paints) they are drawn before the timing.
void PaintScaled(benchmark::State &state, const Tick &t, const QRegion &dirty) {
  QImage screen(t.w, t.h, QImage::Format_RGB32);
  App_Layer_Cache layers;
  App_Layer_Cache *kept = state.range(2) ? &layers : nullptr;
  if (kept) {  // the layers are drawn once, at the first paint that shows them
    QPainter p(&screen);
    App_Paint_Scaled(p, t.lcd, t.view, dirty, &t.fx, 1040, kept);
  }
  const double cpu0 = ProcessCpuUs();
  for (auto _ : state) {
    QPainter p;
    BeginLikeWindow(p, screen, dirty);
    App_Paint_Scaled(p, t.lcd, t.view, dirty, &t.fx, 1040, kept);
  }
  state.counters["all_cpu_us"] = (ProcessCpuUs() - cpu0) / static_cast<double>(state.iterations());
  if (kept) state.counters["kept_MB"] = static_cast<double>(layers.Bytes()) / (1 << 20);
}

// The tick's gathered rectangles (mid-fade with the effects), against a full repaint.
void BM_Paint_Scaled_Tick(benchmark::State &state) {
  const Tick &t = FittedTick(state);
  PaintScaled(state, t, t.dirty);
  double pixels = 0;
  for (const QRect &r : t.dirty) pixels += static_cast<double>(r.width()) * r.height();
  state.counters["tick_pixels"] = pixels;
  state.counters["scale"] = t.view.scale;
}

void BM_Paint_Scaled_FullWindow(benchmark::State &state) {
  const Tick &t = FittedTick(state);
  PaintScaled(state, t, QRegion(0, 0, t.w, t.h));
}

// The same tick with the Windows game window's plain painter (the same code runs there): from kept
// layers (kept:1, as the window paints) and drawn through the scale (kept:0). One thread.
void BM_Paint_Plain_Tick(benchmark::State &state) {
  const Tick &t = FittedTick(state);
  std::vector<uint32_t> px(static_cast<size_t>(t.w) * t.h);
  Lcd_Pixels out{px.data(), t.w, t.h, t.w};
  std::vector<Rect> rects;
  for (const QRect &r : App_Paint_Rects(t.dirty)) rects.push_back(Rect{r.x(), r.y(), r.width(), r.height()});
  Lcd_Layers layers;
  Lcd_Layers *kept = state.range(2) ? &layers : nullptr;
  if (kept) Lcd_Paint_Pixels(out, t.lcd, t.view.scale, rects, &t.fx, 1040, nullptr, kept);
  for (auto _ : state) Lcd_Paint_Pixels(out, t.lcd, t.view.scale, rects, &t.fx, 1040, nullptr, kept);
  if (kept) state.counters["kept_MB"] = static_cast<double>(layers.Bytes()) / (1 << 20);
}

}  // namespace

BENCHMARK(BM_Paint_Plain_Tick)->ArgsProduct({{1080, 2160}, {1, 0}, {1, 0}})->ArgNames({"h", "fx", "kept"})
    ->Repetitions(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Paint_Scaled_Tick)->ArgsProduct({{1080, 2160}, {1, 0}, {1, 0}})->ArgNames({"h", "fx", "kept"})
    ->Repetitions(9)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Paint_Scaled_FullWindow)->ArgsProduct({{1080, 2160}, {1, 0}, {1, 0}})->ArgNames({"h", "fx", "kept"})
    ->Repetitions(5)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Paint_TickAsWindowPaints)->Repetitions(9)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Paint_TickOneRegionClip)->Repetitions(9)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Paint_FullWindow)->Repetitions(9)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Paint_TickEffects1080)->Repetitions(9)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Paint_FullWindowEffects1080)->Repetitions(9)->Unit(benchmark::kMicrosecond)->UseRealTime();
