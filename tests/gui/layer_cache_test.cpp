// A scaled window painting from its kept layers shows what drawing through the scale shows: the
// whole window and single changed rectangles, after segments switch, a digit changes its glyph, a
// picture is replaced and the scale changes; with Qt's painter and with the plain one.
#include <gtest/gtest.h>

#include <QPainter>
#include <cstdlib>
#include <memory>

#include "app/qt/layer_cache.h"
#include "app/qt/lcd_painter.h"
#include "app/qt/view.h"
#include "display/lcd_effects.h"
#include "display/lcd_layers.h"
#include "display/lcd_raster.h"
#include "platform/image.h"

namespace {

// A w x h picture of colour c (0xAARRGGBB, not premultiplied) with a see-through right third and a
// half-transparent bottom row, at scale k.
PictureRef Pic(int w, int h, uint32_t c, int k = 1) {
  auto p = std::make_shared<Picture>();
  p->width = w * k;
  p->height = h * k;
  p->scale = k;
  p->pixels.resize(static_cast<size_t>(p->width) * p->height);
  for (int y = 0; y < p->height; ++y)
    for (int x = 0; x < p->width; ++x) {
      uint32_t a = x >= p->width * 2 / 3 ? 0 : y == p->height - 1 ? 128 : c >> 24;
      auto pm = [a](uint32_t v) { return (v * a + 127) / 255; };
      p->pixels[static_cast<size_t>(y) * p->width + x] =
          a << 24 | pm((c >> 16) & 0xFF) << 16 | pm((c >> 8) & 0xFF) << 8 | pm(c & 0xFF);
    }
  p->opaque = false;
  return p;
}

void Put(Lcd &lcd, el::Id id, PictureRef pic, Rect r, bool visible) {
  Lcd_Set_Picture(lcd, id, std::move(pic));
  Lcd_Set_Rect(lcd, id, r);
  Lcd_Set_Visible(lcd, id, visible);
}

struct Skin {
  Lcd lcd;
  LcdEffects fx;
  App_Layer_Cache layers;
  Lcd_Layers plain_layers;
  Skin() {
    Lcd_Init(lcd);
    for (auto &e : lcd.e) e.visible = false;
    lcd.window_color = 0x203040;
    // An opaque background at 2x: grey LCD on the left, red casing on the right. Large enough to be
    // kept only under the LCD at the largest scale.
    auto bg = std::make_shared<Picture>();
    bg->width = 920;
    bg->height = 680;
    bg->scale = 2;
    bg->opaque = true;
    bg->pixels.assign(static_cast<size_t>(bg->width) * bg->height, 0xFF808080);
    for (int y = 0; y < 680; ++y)
      for (int x = 240; x < 920; ++x) bg->pixels[static_cast<size_t>(y) * 920 + x] = 0xFFC02020;
    Put(lcd, el::im_background, bg, Rect{10, 10, 460, 340}, true);
    Put(lcd, el::im_barrel_01_01, Pic(20, 14, 0xFF000000, 2), Rect{24, 30, 20, 14}, true);
    Put(lcd, el::im_barrel_01_03, Pic(16, 16, 0xC0102030), Rect{50, 34, 16, 16}, false);
    Put(lcd, el::im_barrel_02_01, Pic(12, 30, 0xFF000000, 3), Rect{30, 70, 12, 30}, true);
    for (int d = 0; d <= 9; ++d) Put(lcd, static_cast<el::Id>(el::im_panel_number_0 + d), Pic(10, 18, 0xFF000000 + d * 0x101010), Rect{0, 0, 10, 18}, false);
    Put(lcd, el::im_panel_digit_pos_1, lcd.e[el::im_panel_number_3].pic, Rect{80, 40, 10, 18}, true);
    fx.Set(LcdEffectSettings{true, 10, true, true});
  }
  // The window painted in dirty, from the kept layers or straight through the scale, over a
  // window that shows the last full paint.
  QImage Paint(double scale, const QRegion &dirty, int64_t now, bool kept, const QImage *under = nullptr) {
    fx.Sync(lcd, now);
    View view;
    view.scale = scale;
    QImage img = under ? *under : QImage(static_cast<int>(480 * scale), static_cast<int>(360 * scale), QImage::Format_RGB32);
    if (!under) img.fill(Qt::magenta);
    QPainter p(&img);
    App_Paint_Scaled(p, lcd, view, dirty, &fx, now, kept ? &layers : nullptr);
    return img;
  }
  // The same with the plain painter.
  QImage Plain(double scale, const QRegion &dirty, int64_t now, bool kept, const QImage *under = nullptr) {
    fx.Sync(lcd, now);
    QImage img = under ? *under : QImage(static_cast<int>(480 * scale), static_cast<int>(360 * scale), QImage::Format_ARGB32_Premultiplied);
    if (!under) img.fill(Qt::magenta);
    Lcd_Pixels out{reinterpret_cast<uint32_t *>(img.bits()), img.width(), img.height(), static_cast<int32_t>(img.bytesPerLine() / 4)};
    std::vector<Rect> rects;
    for (const QRect &r : App_Paint_Rects(dirty)) rects.push_back(Rect{r.x(), r.y(), r.width(), r.height()});
    Lcd_Paint_Pixels(out, lcd, scale, rects, &fx, now, nullptr, kept ? &plain_layers : nullptr);
    return img;
  }
};

// The largest difference of a colour channel between two pictures.
int Difference(const QImage &a, const QImage &b) {
  int worst = a.size() == b.size() ? 0 : 255;
  for (int y = 0; y < a.height() && worst < 255; ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
    }
  return worst;
}

}  // namespace

TEST(LayerCache, KeptLayersShowWhatTheScaleDraws) {
  Skin s;
  for (double scale : {2.8125, 1.5, 2.0}) {
    SCOPED_TRACE(scale);
    const QRect all(0, 0, static_cast<int>(480 * scale), static_cast<int>(360 * scale));
    QImage direct = s.Paint(scale, all, 0, false);
    QImage kept = s.Paint(scale, all, 0, true);
    EXPECT_LE(Difference(direct, kept), 2) << "whole window";
    EXPECT_EQ(s.layers.Bytes(), 0) << "a paint of the whole window keeps nothing";
    // The plain painter keeps the same pixels it draws, so it paints exactly the same.
    QImage plain = s.Plain(scale, all, 0, false), plain_kept = s.Plain(scale, all, 0, true);

    // A tick: one segment on, one off, the digit to another glyph, one picture replaced by a new
    // one; painted half-way through the fades, only where things changed.
    auto changed = [&s, scale](el::Id id) {
      View view;
      view.scale = scale;
      return view.ToWindow(s.fx.Reach(s.lcd.e[id].rect));
    };
    Lcd_Set_Visible(s.lcd, el::im_barrel_01_03, true);
    Lcd_Set_Visible(s.lcd, el::im_barrel_01_01, false);
    Lcd_Set_Picture(s.lcd, el::im_panel_digit_pos_1, s.lcd.e[el::im_panel_number_8].pic);
    Lcd_Set_Picture(s.lcd, el::im_barrel_02_01, nullptr);
    Lcd_Set_Picture(s.lcd, el::im_barrel_02_01, Pic(12, 30, 0xFF2060A0, 3));
    QRegion dirty;
    for (el::Id id : {el::im_barrel_01_03, el::im_barrel_01_01, el::im_panel_digit_pos_1, el::im_barrel_02_01})
      dirty += changed(id);
    for (int64_t now : {40, 200}) {
      SCOPED_TRACE(now);
      direct = s.Paint(scale, dirty, now, false, &direct);
      kept = s.Paint(scale, dirty, now, true, &kept);
      EXPECT_LE(Difference(direct, kept), 2) << "changed rectangles";
      plain = s.Plain(scale, dirty, now, false, &plain);
      plain_kept = s.Plain(scale, dirty, now, true, &plain_kept);
      EXPECT_EQ(Difference(plain, plain_kept), 0) << "changed rectangles, plain painter";
    }
    EXPECT_GT(s.layers.Bytes(), 0);
    EXPECT_GT(s.plain_layers.Bytes(), 0);
    EXPECT_LE(Difference(s.Paint(scale, all, 200, false), s.Paint(scale, all, 200, true)), 2)
        << "whole window with kept layers";
    EXPECT_EQ(Difference(s.Plain(scale, all, 200, false), s.Plain(scale, all, 200, true)), 0)
        << "whole window with kept layers, plain painter";
    // Back as it was, for the next scale.
    Lcd_Set_Visible(s.lcd, el::im_barrel_01_03, false);
    Lcd_Set_Visible(s.lcd, el::im_barrel_01_01, true);
    Lcd_Set_Picture(s.lcd, el::im_panel_digit_pos_1, s.lcd.e[el::im_panel_number_3].pic);
  }
}

// A background in a larger transparent canvas, stored cut to what shows, paints as the whole
// picture: at 1:1, through a fractional scale, from kept layers, and drawn opaque.
TEST(LayerCache, APictureCutToWhatShowsPaintsAsTheWhole) {
  // 600 x 450 skin pixels at 2x; what shows starts and ends inside skin pixels, and the element
  // shows the picture's centre, cut on every side.
  auto bg = std::make_shared<Picture>();
  bg->width = 1200;
  bg->height = 900;
  bg->scale = 2;
  bg->pixels.assign(size_t{1200} * 900, 0);
  for (int y = 121; y < 781; ++y)
    for (int x = 151; x < 1001; ++x) bg->pixels[static_cast<size_t>(y) * 1200 + x] = x < 700 ? 0xFF808080 : 0xFFC02020;
  auto cut = std::make_shared<Picture>(*bg);
  Img_Trim(*cut);
  ASSERT_FALSE(cut->trim.Empty());
  Skin whole, trimmed;
  Put(whole.lcd, el::im_background, bg, Rect{10, 10, 460, 340}, true);
  Put(trimmed.lcd, el::im_background, cut, Rect{10, 10, 460, 340}, true);
  for (bool transparent : {true, false})
    for (double scale : {1.0, 2.8125}) {
      SCOPED_TRACE(testing::Message() << "transparent " << transparent << ", scale " << scale);
      for (Skin *s : {&whole, &trimmed}) s->lcd.e[el::im_background].transparent = transparent;
      const QRect all(0, 0, static_cast<int>(480 * scale), static_cast<int>(360 * scale));
      QImage a = whole.Paint(scale, all, 0, false), b = trimmed.Paint(scale, all, 0, false);
      EXPECT_LE(Difference(a, b), 2) << "whole window";
      // A segment switching on the LCD, repainted from kept layers.
      Lcd_Set_Visible(whole.lcd, el::im_barrel_01_03, true);
      Lcd_Set_Visible(trimmed.lcd, el::im_barrel_01_03, true);
      View view;
      view.scale = scale;
      const QRect dirty = view.ToWindow(whole.fx.Reach(whole.lcd.e[el::im_barrel_01_03].rect));
      a = whole.Paint(scale, dirty, 500, false, &a);
      b = trimmed.Paint(scale, dirty, 500, true, &b);
      EXPECT_LE(Difference(a, b), 2) << "kept layers";
      if (scale != 1 && transparent) {
        EXPECT_GT(trimmed.layers.Bytes(), 0);
      }
      Lcd_Set_Visible(whole.lcd, el::im_barrel_01_03, false);
      Lcd_Set_Visible(trimmed.lcd, el::im_barrel_01_03, false);
    }
}

TEST(LayerCache, WhatIsKeptGoesWithItsSkinAndItsGhosts) {
  Skin s;
  // Without fades: a segment whose picture changes would show the old and the new picture at once
  // while they cross.
  s.fx.Set(LcdEffectSettings{true, 10, true, false});
  const double scale = 2.8125;
  View view;
  view.scale = scale;
  auto tick = [&](int64_t now) {
    QRegion dirty;
    for (el::Id id : {el::im_barrel_01_01, el::im_barrel_02_01, el::im_panel_digit_pos_1})
      dirty += view.ToWindow(s.fx.Reach(s.lcd.e[id].rect));
    s.Paint(scale, dirty, now, true);
  };
  tick(0);
  tick(500);  // the segments lit, past their fades
  const int64_t one_skin = s.layers.Bytes();
  ASSERT_GT(one_skin, 0);
  // Three more skins whose pictures all stay alive (as the decoded pictures of earlier stages do),
  // and the ghosts' strength changed: never more than one skin's layers are kept.
  std::vector<PictureRef> earlier;
  for (int round = 1; round <= 3; ++round) {
    for (el::Id id : {el::im_background, el::im_barrel_01_01, el::im_barrel_02_01, el::im_panel_digit_pos_1}) {
      earlier.push_back(s.lcd.e[id].pic);
      Lcd_Set_Picture(s.lcd, id, std::make_shared<Picture>(*s.lcd.e[id].pic));
    }
    tick(1000 * round);
    EXPECT_LE(s.layers.Bytes(), one_skin) << "skin " << round;
  }
  int64_t first_ghost = 0;
  for (int ghost : {20, 30, 15, 25}) {
    s.fx.Set(LcdEffectSettings{true, ghost, true, true});
    tick(10000 + ghost);
    if (!first_ghost) first_ghost = s.layers.Bytes();
    EXPECT_LE(s.layers.Bytes(), first_ghost) << "ghost " << ghost;
  }
}
