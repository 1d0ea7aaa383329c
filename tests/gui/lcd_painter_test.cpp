// Painted pixels of the LCD window on a small skin made in memory: the stacking order, opaque and
// transparent elements, and painting only what changed giving the same picture as a full repaint.
#include <gtest/gtest.h>

#include <QPaintEngine>
#include <QPainter>
#include <memory>

#include "app/qt/lcd_painter.h"
#include "app/qt/view.h"
#include "display/lcd_raster.h"

namespace {

constexpr QRgb kWindow = 0xFF203040;

// A w x h picture: colour c (0xAARRGGBB, not premultiplied) on the left `solid` columns, fully
// see-through on the rest.
PictureRef Pic(int w, int h, uint32_t c, int solid = 1 << 20) {
  auto p = std::make_shared<Picture>();
  p->width = w;
  p->height = h;
  const uint32_t a = c >> 24;
  auto pm = [a](uint32_t v) { return (v * a + 127) / 255; };
  const uint32_t premul = a << 24 | pm((c >> 16) & 0xFF) << 16 | pm((c >> 8) & 0xFF) << 8 | pm(c & 0xFF);
  p->pixels.resize(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p->pixels[static_cast<size_t>(y) * w + x] = x < solid ? premul : 0;
  return p;
}

void Put(Lcd &lcd, el::Id id, PictureRef pic, Rect r, bool visible = true) {
  Lcd_Set_Picture(lcd, id, std::move(pic));
  Lcd_Set_Rect(lcd, id, r);
  Lcd_Set_Visible(lcd, id, visible);
}

// 200 x 150 window: a grey background picture, elements placed by each test.
struct SmallSkin {
  Lcd lcd;
  SmallSkin() {
    Lcd_Init(lcd);
    lcd.window_color = kWindow & 0xFFFFFF;
    Put(lcd, el::im_background, Pic(180, 130, 0xFF808080), Rect{10, 10, 180, 130});
    for (int i = 0; i < el::COUNT; ++i)
      if (i != el::im_background) lcd.e[i].visible = false;
  }
  QImage Paint(const QRect &dirty = QRect(0, 0, 200, 150)) const {
    QImage img(200, 150, QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    App_Paint_Lcd(p, lcd, dirty);
    return img;
  }
};

}  // namespace

TEST(LcdPainter, StackingOrderAndOpaqueElements) {
  SmallSkin s;
  Lcd &lcd = s.lcd;
  // Each element: solid on its left half, see-through on its right half.
  Put(lcd, el::btn_jump_top, Pic(40, 20, 0xFF00FF00, 20), Rect{20, 20, 40, 20});             // green button
  Put(lcd, el::im_barrel_01_01, Pic(40, 20, 0xFFFF0000, 20), Rect{30, 20, 40, 20});          // red segment
  Put(lcd, el::im_panel_number_3, Pic(40, 20, 0xFFFFFF00, 20), Rect{20, 60, 40, 20});        // yellow glyph
  Put(lcd, el::im_logo, Pic(40, 20, 0xFF0000FF, 20), Rect{50, 20, 40, 20});                  // blue logo
  Put(lcd, el::im_stage_start, Pic(20, 20, 0xFFFFFFFF), Rect{85, 20, 20, 20});               // white intro
  Put(lcd, el::im_pelko_01_01, Pic(40, 20, 0x80FF0000), Rect{120, 60, 40, 20});              // half-clear red
  const QImage img = s.Paint();
  const struct {
    int x, y;
    QRgb want;
    const char *what;
  } cases[] = {
      {5, 5, kWindow, "window colour around the background"},
      {25, 25, 0xFF00FF00, "button's solid half"},
      {35, 25, 0xFFFF0000, "segment above the button"},
      {45, 25, 0xFFFF0000, "segment's solid half over the button's clear half"},
      {55, 25, 0xFF0000FF, "logo above the segment"},
      {65, 25, 0xFF0000FF, "logo's solid half"},
      {75, 25, 0xFF808080, "logo's and segment's clear halves show the background"},
      {88, 25, 0xFFFFFFFF, "intro picture above the logo"},
      {45, 65, 0xFF000000, "an opaque element's clear half is black, not the background"},
      {125, 65, 0xFFC04040, "a half-clear segment blends with the background"},
  };
  for (const auto &c : cases) {
    const QRgb got = img.pixel(c.x, c.y);
    EXPECT_LE(std::abs(qRed(got) - qRed(c.want)) + std::abs(qGreen(got) - qGreen(c.want)) +
                  std::abs(qBlue(got) - qBlue(c.want)),
              3)
        << c.what << ": got " << std::hex << got;
  }
}

TEST(LcdPainter, PaintingTheGatheredChangesGivesTheFullPicture) {
  SmallSkin s;
  Lcd &lcd = s.lcd;
  const el::Id ids[] = {el::im_barrel_01_01, el::im_barrel_02_01, el::im_barrel_03_01, el::im_pelko_01_01,
                        el::im_pelko_02_01, el::im_iron_01_04, el::im_hook_1};
  for (size_t i = 0; i < std::size(ids); ++i)
    Put(lcd, ids[i], Pic(30, 25, 0xFF000000 | (0x30 * static_cast<uint32_t>(i)), 22),
        Rect{15 + 23 * static_cast<int>(i), 15 + 14 * static_cast<int>(i % 4), 30, 25}, i % 2 == 0);
  QImage screen = s.Paint();

  struct Sink : LcdSink {
    App_Dirty dirty;
    QRegion region;
    void Invalidate(const Rect &r) override { region += dirty.Add(QRect(r.left, r.top, r.width, r.height)); }
  } sink;
  lcd.sink = &sink;
  for (el::Id id : ids) Lcd_Set_Visible(lcd, id, !lcd.e[id].visible);
  Lcd_Set_Rect(lcd, el::im_hook_1, Rect{150, 100, 30, 25});
  lcd.sink = nullptr;
  // Disjoint rectangles, as the window's clip needs them.
  const std::vector<QRect> &rects = sink.dirty.Rects();
  for (size_t i = 0; i < rects.size(); ++i)
    for (size_t j = i + 1; j < rects.size(); ++j) EXPECT_FALSE(rects[i].intersects(rects[j]));

  // Painted as the window paints: the window system clips to what was handed to it.
  screen.paintEngine()->setSystemClip(sink.region);
  {
    QPainter p(&screen);
    App_Paint_Lcd(p, lcd, sink.region);
  }
  screen.paintEngine()->setSystemClip(QRegion());
  EXPECT_EQ(screen, s.Paint());
}

namespace {

// An LCD of plain grey (128) on the left of the background and red casing from x = 120 on.
struct LcdSkin : SmallSkin {
  LcdEffects fx;
  LcdSkin() {
    auto bg = std::make_shared<Picture>(*Pic(180, 130, 0xFF808080));
    for (int y = 0; y < 130; ++y)
      for (int x = 110; x < 180; ++x) bg->pixels[static_cast<size_t>(y) * 180 + x] = 0xFFFF0000;
    Put(lcd, el::im_background, bg, Rect{10, 10, 180, 130});
  }
  void Effects(int ghost, bool shadow, bool fade, bool enabled = true) {
    fx.Set(LcdEffectSettings{enabled, ghost, shadow, fade});
  }
  QImage Paint(int64_t now) {
    fx.Sync(lcd, now);
    QImage img(200, 150, QImage::Format_RGB32);
    QPainter p(&img);
    App_Paint_Lcd(p, lcd, QRect(0, 0, 200, 150), &fx, now);
    return img;
  }
};

int Grey(const QImage &img, int x, int y) { return qGreen(img.pixel(x, y)); }

}  // namespace

TEST(LcdEffectsPainting, GhostAtTheSetStrengthOnlyWhereASegmentIsUnlit) {
  for (int ghost : {0, 10, 30}) {
    LcdSkin s;
    Put(s.lcd, el::im_barrel_01_01, Pic(20, 20, 0xFF000000), Rect{30, 30, 20, 20}, false);
    // A digit place's ghost is every glyph at once: glyph 1 on its left half, glyph 7 on its right.
    Put(s.lcd, el::im_panel_number_1, Pic(10, 20, 0xFF000000, 5), Rect{0, 0, 10, 20}, false);
    Put(s.lcd, el::im_panel_number_7, std::make_shared<Picture>(), Rect{0, 0, 10, 20}, false);
    auto seven = std::make_shared<Picture>(*Pic(10, 20, 0xFF000000));
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 5; ++x) seven->pixels[static_cast<size_t>(y) * 10 + x] = 0;
    Lcd_Set_Picture(s.lcd, el::im_panel_number_7, seven);
    Put(s.lcd, el::im_panel_digit_pos_1, nullptr, Rect{70, 30, 10, 20});
    s.Effects(ghost, false, false);
    const QImage img = s.Paint(0);
    const int want = 128 - (128 * ghost + 50) / 100;
    EXPECT_NEAR(Grey(img, 40, 40), want, 1) << "unlit segment, ghost " << ghost;
    EXPECT_NEAR(Grey(img, 72, 40), want, 1) << "digit place, first glyph, ghost " << ghost;
    EXPECT_NEAR(Grey(img, 77, 40), want, 1) << "digit place, second glyph, ghost " << ghost;
    EXPECT_EQ(Grey(img, 60, 40), 128) << "no segment there, ghost " << ghost;
    Lcd_Set_Visible(s.lcd, el::im_barrel_01_01, true);
    EXPECT_EQ(Grey(s.Paint(0), 40, 40), 0) << "lit segment, ghost " << ghost;
  }
}

TEST(LcdEffectsPainting, ShadowFallsDownRightInsideTheLcdAndNeverOnALitSegment) {
  LcdSkin s;
  // A lit square with its right edge 4 pixels from the casing, a lit bar below it where its
  // shadow falls, and an unlit one.
  Put(s.lcd, el::im_barrel_01_01, Pic(20, 20, 0xFF000000), Rect{96, 30, 20, 20});
  Put(s.lcd, el::im_barrel_02_01, Pic(20, 4, 0xFF404040), Rect{100, 50, 20, 4});
  Put(s.lcd, el::im_barrel_03_01, Pic(20, 20, 0xFF000000), Rect{30, 80, 20, 20}, false);
  s.Effects(0, true, false);
  const QImage img = s.Paint(0);
  const int o = LcdEffects::kShadowOffset;
  EXPECT_LT(Grey(img, 117, 40), 128) << "right of the square, inside the LCD";
  EXPECT_EQ(Grey(img, 95, 40), 128) << "left of the square";
  EXPECT_EQ(Grey(img, 105, 29), 128) << "above the square";
  EXPECT_LT(Grey(img, 105, 54 + o - 1), 128) << "below the bar, offset down";
  EXPECT_EQ(Grey(img, 105, 54 + o + LcdEffects::kShadowBlur), 128) << "below the bar, beyond its shadow";
  for (int x = 120; x < 126; ++x) EXPECT_EQ(img.pixel(x, 40), 0xFFFF0000u) << "casing at x " << x;
  for (int x = 100; x < 120; ++x) EXPECT_EQ(Grey(img, x, 51), 0x40) << "lit bar at x " << x;
  for (int y = 78; y < 106; ++y) EXPECT_EQ(Grey(img, 52, y), 128) << "no shadow of an unlit segment, y " << y;
}

TEST(LcdEffectsPainting, FadeDarkensAndClearsMonotonicallyAndSettlesOnTheClassicPicture) {
  LcdSkin s;
  Put(s.lcd, el::im_barrel_01_01, Pic(20, 20, 0xFF000000), Rect{30, 30, 20, 20}, false);
  s.Effects(0, false, true);
  s.Paint(1000);
  struct Step {
    bool show;
    int length;
  };
  for (Step step : {Step{true, LcdEffects::kOnMs}, Step{false, LcdEffects::kOffMs}}) {
    const int64_t t0 = 2000 + (step.show ? 0 : 1000);
    const int settled = Grey(s.Paint(t0 - 500), 40, 40);
    Lcd_Set_Visible(s.lcd, el::im_barrel_01_01, step.show);
    // The fade begins at once: the paint that follows the change shows its first step.
    EXPECT_NE(Grey(s.Paint(t0), 40, 40), settled) << (step.show ? "lit" : "cleared");
    int last = step.show ? 129 : -1;
    bool between = false;
    for (int64_t t = t0; t <= t0 + step.length; t += 10) {
      const int g = Grey(s.Paint(t), 40, 40);
      EXPECT_TRUE(step.show ? g <= last : g >= last) << "at " << t - t0 << " ms: " << g << " after " << last;
      between |= g > 0 && g < 128;
      last = g;
    }
    EXPECT_TRUE(between) << "no frame between clear and lit";
    EXPECT_EQ(s.Paint(t0 + step.length), s.SmallSkin::Paint()) << (step.show ? "lit" : "cleared");
  }
}

TEST(LcdEffectsPainting, ClassicAndEffectsAtZeroPaintTheFlatPicture) {
  LcdSkin s;
  Put(s.lcd, el::im_barrel_01_01, Pic(20, 20, 0x80000000, 12), Rect{30, 30, 20, 20});
  Put(s.lcd, el::im_barrel_02_01, Pic(20, 20, 0xFF000000), Rect{60, 30, 20, 20}, false);
  Put(s.lcd, el::btn_jump_top, Pic(20, 20, 0xFF00FF00, 12), Rect{150, 30, 20, 20});
  const QImage flat = s.SmallSkin::Paint();
  s.Effects(30, true, true);
  s.Paint(0);
  Lcd_Set_Visible(s.lcd, el::im_barrel_02_01, true);
  EXPECT_NE(s.Paint(10), flat);
  Lcd_Set_Visible(s.lcd, el::im_barrel_02_01, false);
  s.Effects(30, true, true, false);  // classic, in the middle of a fade
  EXPECT_EQ(s.Paint(20), flat);
  s.Effects(0, false, false);
  EXPECT_EQ(s.Paint(30), flat);
}

// The window picture composed without Qt (the Windows game window's) is Qt's picture: at scale 1,
// at whole-number scales (pixel for pixel enlarged) and at a filtered scale, with the effects on
// in the middle of fades, an opaque element, a picture cut to what shows and a high-resolution
// picture.
TEST(LcdEffectsPainting, PlainPainterMatchesQtAtEveryScale) {
  LcdSkin s;
  Put(s.lcd, el::im_barrel_01_01, Pic(20, 20, 0xFF000000), Rect{30, 30, 20, 20});
  Put(s.lcd, el::im_barrel_02_01, Pic(20, 20, 0x80202020, 12), Rect{60, 30, 20, 20});
  Put(s.lcd, el::im_barrel_03_01, Pic(20, 20, 0xFF101010), Rect{30, 70, 20, 20}, false);
  auto cut = std::make_shared<Picture>(*Pic(16, 16, 0xFF303030));
  cut->trim = Rect{4, 4, 8, 8};
  cut->pixels.assign(64, 0xFF303030);
  Put(s.lcd, el::im_pelko_01_01, cut, Rect{90, 60, 16, 16});
  auto hires = std::make_shared<Picture>(*Pic(40, 40, 0xFF505050, 30));
  hires->scale = 2;
  Put(s.lcd, el::im_pelko_02_01, hires, Rect{60, 90, 20, 20});
  Put(s.lcd, el::btn_jump_top, Pic(20, 20, 0xFF00FF00, 12), Rect{150, 30, 20, 20});  // opaque: clear half black
  s.Effects(20, true, true);
  s.fx.Sync(s.lcd, 0);
  Lcd_Set_Visible(s.lcd, el::im_barrel_03_01, true);
  Lcd_Set_Visible(s.lcd, el::im_barrel_01_01, false);
  s.fx.Sync(s.lcd, 1000);
  const int64_t now = 1040;  // both fades half way
  for (double scale : {1.0, 2.0, 1.5}) {
    const int w = static_cast<int>(200 * scale), h = static_cast<int>(150 * scale);
    QImage qt(w, h, QImage::Format_RGB32);
    {
      QPainter p(&qt);
      App_Paint_Scaled(p, s.lcd, View{scale}, QRegion(0, 0, w, h), &s.fx, now);
    }
    QImage plain(w, h, QImage::Format_ARGB32_Premultiplied);
    plain.fill(Qt::magenta);
    Lcd_Pixels out{reinterpret_cast<uint32_t *>(plain.bits()), w, h, static_cast<int32_t>(plain.bytesPerLine() / 4)};
    // Painted in two halves, as a window repaints what changed.
    Lcd_Paint_Pixels(out, s.lcd, scale, Rect{0, 0, w, h / 2}, &s.fx, now, nullptr);
    Lcd_Paint_Pixels(out, s.lcd, scale, Rect{0, h / 2, w, h - h / 2}, &s.fx, now, nullptr);
    int worst = 0, off = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const QRgb a = qt.pixel(x, y), b = plain.pixel(x, y);
        const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
        worst = std::max(worst, d);
        off += d > 2;
      }
    // Whole-number scales: the same pixels to the rounding of a blend. The filtered scale may
    // differ a little along the edges of pictures, where the two filters reach differently.
    if (scale == std::floor(scale)) EXPECT_LE(worst, 2) << "scale " << scale;
    else EXPECT_LE(off, w * h / 200) << "scale " << scale << ", worst " << worst;
  }
}
