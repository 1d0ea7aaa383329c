// Painting: the dirty rectangles of a typical hazard tick (about 60 segments shown or hidden)
// against a full-window repaint at 1024 x 768, drawn into an image the way the game window's
// paint handler draws (window colour, then the visible elements in stacking order). The Scaled
// benchmarks do the same with the skin fitted to 1920 x 1080 and 3840 x 2160 screens: laid out
// for the virtual screen, high-resolution pictures, painted through the window's scale.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <random>

#include "bench_skin.h"
#include "app/lcd_painter.h"
#include "app/view.h"
#include "display/gfxinit.h"

namespace {

QRect ToQ(const Rect &r) { return Plat_QRect(r); }

struct RegionSink : LcdSink {
  const View *view = nullptr;
  QRegion region;
  std::vector<QRect> rects;
  void Invalidate(const Rect &r) override {
    const QRect q = view ? view->ToWindow(r) : ToQ(r);
    region += q;
    rects.push_back(q);
  }
};

// The skin loaded, half the LCD lit, then one tick: 60 segments change visibility.
struct Tick {
  Lcd lcd;
  QRegion dirty;               // what the window system hands the paint handler
  std::vector<QRect> changed;  // the rectangles as the display model reported them
  View view;
  explicit Tick(int screen_w = 0, int screen_h = 0) {
    Lcd_Init(lcd);
    if (screen_w) {
      view.scale = Gfx_Fit_Scale(Bench_Skin().cfg, screen_w, screen_h);
      Bench_Load(lcd, SkinLayout{Gfx_Virtual_Size(screen_w, view.scale), Gfx_Virtual_Size(screen_h, view.scale), view.scale});
    } else {
      Bench_Load(lcd);
    }
    std::vector<el::Id> segments;
    for (int i = 0; i < el::kSkinElements; ++i) {
      const auto id = static_cast<el::Id>(i);
      if (Lcd_Is_Segment(id) && !lcd.e[id].rect.Empty()) segments.push_back(id);
    }
    std::mt19937 rng(3);
    for (el::Id id : segments) lcd.e[id].visible = rng() % 2 == 0;
    std::shuffle(segments.begin(), segments.end(), rng);
    RegionSink sink;
    sink.view = &view;
    lcd.sink = &sink;
    for (size_t i = 0; i < segments.size() && i < 60; ++i)
      Lcd_Set_Visible(lcd, segments[i], !lcd.e[segments[i]].visible);
    lcd.sink = nullptr;
    dirty = sink.region;
    changed = sink.rects;
  }
};

const Tick &TheTick() {
  static const Tick tick;
  return tick;
}

QImage Screen() { return QImage(1024, 768, QImage::Format_RGB32); }

// The game window: the bounding rectangle of the changes, clipped to their region.
void BM_Paint_TickAsWindowPaints(benchmark::State &state) {
  const Tick &t = TheTick();
  QImage screen = Screen();
  for (auto _ : state) {
    QPainter p(&screen);
    p.setClipRegion(t.dirty);
    App_Paint_Lcd(p, t.lcd, t.dirty.boundingRect());
  }
  state.counters["rects"] = static_cast<double>(t.changed.size());
  double pixels = 0;  // the pixels the clip lets through
  for (const QRect &r : t.dirty) pixels += static_cast<double>(r.width()) * r.height();
  state.counters["tick_pixels"] = pixels;
}

// For comparison: each reported rectangle painted on its own.
void BM_Paint_TickPerRectangle(benchmark::State &state) {
  const Tick &t = TheTick();
  QImage screen = Screen();
  for (auto _ : state) {
    QPainter p(&screen);
    for (const QRect &r : t.changed) App_Paint_Lcd(p, t.lcd, r);
  }
}

void BM_Paint_FullWindow(benchmark::State &state) {
  const Tick &t = TheTick();
  QImage screen = Screen();
  for (auto _ : state) {
    QPainter p(&screen);
    App_Paint_Lcd(p, t.lcd, screen.rect());
  }
  state.counters["window_pixels"] = static_cast<double>(screen.width()) * screen.height();
}

// The game window's paint handler with the skin fitted to a w x h screen.
void PaintScaled(QPainter &p, const Tick &t, const QRect &device) {
  const PictureRef &bg = t.lcd.e[el::im_background].pic;
  p.setRenderHint(QPainter::SmoothPixmapTransform, t.view.Smooth(bg ? bg->scale : 1));
  p.scale(t.view.scale, t.view.scale);
  App_Paint_Lcd(p, t.lcd, t.view.ToSkin(device));
}

void BM_Paint_Scaled_Tick(benchmark::State &state) {
  static const Tick t1080(1920, 1080), t2160(3840, 2160);
  const Tick &t = state.range(0) == 2160 ? t2160 : t1080;
  QImage screen(state.range(0) == 2160 ? 3840 : 1920, static_cast<int>(state.range(0)), QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&screen);
    p.setClipRegion(t.dirty);
    PaintScaled(p, t, t.dirty.boundingRect());
  }
  double pixels = 0;
  for (const QRect &r : t.dirty) pixels += static_cast<double>(r.width()) * r.height();
  state.counters["tick_pixels"] = pixels;
  state.counters["scale"] = t.view.scale;
}

void BM_Paint_Scaled_FullWindow(benchmark::State &state) {
  static const Tick t1080(1920, 1080), t2160(3840, 2160);
  const Tick &t = state.range(0) == 2160 ? t2160 : t1080;
  QImage screen(state.range(0) == 2160 ? 3840 : 1920, static_cast<int>(state.range(0)), QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&screen);
    PaintScaled(p, t, screen.rect());
  }
}

}  // namespace

BENCHMARK(BM_Paint_Scaled_Tick)->Arg(1080)->Arg(2160)->Repetitions(5)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Paint_Scaled_FullWindow)->Arg(1080)->Arg(2160)->Repetitions(3)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Paint_TickAsWindowPaints)->Repetitions(9)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Paint_TickPerRectangle)->Repetitions(9)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Paint_FullWindow)->Repetitions(9)->Unit(benchmark::kMicrosecond)->UseRealTime();
