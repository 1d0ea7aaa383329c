// Painting: the dirty rectangles of a typical hazard tick (about 60 segments shown or hidden)
// against a full-window repaint at 1024 x 768, drawn into an image the way the game window's
// paint handler draws (window colour, then the visible elements in stacking order).
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <random>

#include "bench_skin.h"
#include "platform/qt/qt_platform.h"

namespace {

QRect ToQ(const Rect &r) { return QRect(r.left, r.top, r.width, r.height); }

QImage Wrap(const Picture &p) {
  return QImage(reinterpret_cast<const uchar *>(p.pixels.data()), p.width, p.height, p.width * 4,
                QImage::Format_ARGB32_Premultiplied);
}

// The game window's paint handler, drawing into p for the dirty area (the painter is clipped
// to the dirty region as the window system clips a widget's paint event).
void Paint(QPainter &p, const Lcd &lcd, const QRect &dirty) {
  const uint32_t c = lcd.window_color;
  p.fillRect(dirty, QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
  int count = 0;
  const el::Id *order = Lcd_Paint_Order(&count);
  for (int i = 0; i < count; ++i) {
    const el::Id id = order[i];
    const Element &el = lcd.e[id];
    if (!el.visible) continue;
    const QRect area = ToQ(Lcd_Area(lcd, id));
    if (!area.intersects(dirty)) continue;
    switch (el.draw) {
      case DrawMode::FilledRect:
        p.fillRect(area, Qt::black);
        break;
      case DrawMode::Text:
        p.setFont(Plat_Font(id == el::la_stage_start ? Font::StageTitle : Font::StageName));
        p.setPen(QColor((el.color >> 16) & 0xFF, (el.color >> 8) & 0xFF, el.color & 0xFF));
        p.drawText(area, Qt::AlignCenter | Qt::TextDontClip, QString::fromStdString(el.text));
        break;
      default:
        if (el.pic && el.pic->width > 0) p.drawImage(area.topLeft(), Wrap(*el.pic), QRect(0, 0, area.width(), area.height()));
        break;
    }
  }
}

struct RegionSink : LcdSink {
  QRegion region;
  std::vector<QRect> rects;
  void Invalidate(const Rect &r) override {
    region += ToQ(r);
    rects.push_back(ToQ(r));
  }
};

// The skin loaded, half the LCD lit, then one tick: 60 segments change visibility.
struct Tick {
  Lcd lcd;
  QRegion dirty;               // what the window system hands the paint handler
  std::vector<QRect> changed;  // the rectangles as the display model reported them
  Tick() {
    Lcd_Init(lcd);
    Bench_Load(lcd);
    std::vector<el::Id> segments;
    for (int i = 0; i < el::kSkinElements; ++i) {
      const auto id = static_cast<el::Id>(i);
      if (Lcd_Is_Segment(id) && !lcd.e[id].rect.Empty()) segments.push_back(id);
    }
    std::mt19937 rng(3);
    for (el::Id id : segments) lcd.e[id].visible = rng() % 2 == 0;
    std::shuffle(segments.begin(), segments.end(), rng);
    RegionSink sink;
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

void BM_Paint_TickDirtyRegion(benchmark::State &state) {
  const Tick &t = TheTick();
  QImage screen = Screen();
  for (auto _ : state) {
    QPainter p(&screen);
    p.setClipRegion(t.dirty);
    Paint(p, t.lcd, t.dirty.boundingRect());
  }
  state.counters["changes"] = static_cast<double>(t.changed.size());
  state.counters["rects"] = static_cast<double>(t.dirty.rectCount());
}

// The same tick painted rectangle by rectangle as the display model reported them (overlaps
// are painted twice, which gives the same picture).
void BM_Paint_TickPerChange(benchmark::State &state) {
  const Tick &t = TheTick();
  QImage screen = Screen();
  for (auto _ : state) {
    QPainter p(&screen);
    for (const QRect &r : t.changed) {
      p.setClipRect(r);
      Paint(p, t.lcd, r);
    }
  }
  state.counters["rects"] = static_cast<double>(t.changed.size());
}

void BM_Paint_TickPerRectangle(benchmark::State &state) {
  const Tick &t = TheTick();
  QImage screen = Screen();
  for (auto _ : state) {
    QPainter p(&screen);
    for (const QRect &r : t.dirty) {
      p.setClipRect(r);
      Paint(p, t.lcd, r);
    }
  }
  state.counters["rects"] = static_cast<double>(t.dirty.rectCount());
}

void BM_Paint_FullWindow(benchmark::State &state) {
  const Tick &t = TheTick();
  QImage screen = Screen();
  for (auto _ : state) {
    QPainter p(&screen);
    Paint(p, t.lcd, screen.rect());
  }
}

}  // namespace

BENCHMARK(BM_Paint_TickDirtyRegion)->Repetitions(9)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Paint_TickPerChange)->Repetitions(9)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Paint_TickPerRectangle)->Repetitions(9)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Paint_FullWindow)->Repetitions(9)->Unit(benchmark::kMicrosecond)->UseRealTime();
