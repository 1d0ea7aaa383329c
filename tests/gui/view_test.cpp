// The skin drawn through the window's scale: rectangles near the end of the 32-bit range, whole-
// number scales drawn pixel for pixel, a high-resolution picture standing in for its skin size.
#include <gtest/gtest.h>

#include <QPainter>
#include <climits>
#include <memory>

#include "app/qt/lcd_painter.h"
#include "app/qt/view.h"

namespace {

PictureRef Solid(int w, int h, uint32_t argb, int scale = 1) {
  auto p = std::make_shared<Picture>();
  p->width = w;
  p->height = h;
  p->scale = scale;
  p->pixels.assign(static_cast<size_t>(w) * h, argb);
  return p;
}

struct Window {
  Lcd lcd;
  View view;
  explicit Window(double scale) {
    Lcd_Init(lcd);
    for (auto &e : lcd.e) e.visible = false;
    lcd.window_color = 0x000000;
    view.scale = scale;
  }
  void Show(el::Id id, PictureRef pic, Rect r) {
    lcd.e[id].pic = std::move(pic);
    lcd.e[id].rect = r;
    lcd.e[id].visible = true;
  }
  QImage Paint(int w, int h) const {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    App_Paint_Scaled(p, lcd, view, QRegion(img.rect()));
    return img;
  }
};

}  // namespace

TEST(View, RectanglesNearTheEndOfTheRangeKeepTheirFarEdge) {
  for (const Rect &r : {Rect{INT32_MAX - 5, INT32_MAX - 5, 100, 100}, Rect{INT32_MIN, INT32_MIN, INT32_MAX, 10},
                        Rect{-100, -100, INT32_MAX, INT32_MAX}, Rect{INT32_MIN, 0, -7, 3}}) {
    const QRect q = Plat_QRect(r);
    EXPECT_GE(q.right() + 1, q.left()) << r.left << "," << r.top;
    EXPECT_GE(q.bottom() + 1, q.top()) << r.left << "," << r.top;
    if (r.Empty()) {
      EXPECT_TRUE(q.isEmpty()) << r.left << "," << r.top;
    }
  }
  EXPECT_EQ(Plat_QRect(Rect{-100, -100, INT32_MAX, INT32_MAX}).topLeft(), QPoint(-100, -100));
  // Painted: far off the window nothing shows; reaching over the window it covers it all.
  for (double scale : {1.0, 2.8125}) {
    Window w(scale);
    w.Show(el::im_heart_1, Solid(10, 10, 0xFFFFFFFF), Rect{INT32_MAX - 5, INT32_MAX - 5, 100, 100});
    w.Show(el::im_heart_2, Solid(10, 10, 0xFFFFFFFF), Rect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX});
    w.Show(el::sh_stage_start, nullptr, Rect{-100, -100, INT32_MAX, INT32_MAX});
    w.lcd.e[el::sh_stage_start].draw = DrawMode::FilledRect;
    const QImage img = w.Paint(40, 30);
    EXPECT_EQ(img.pixel(0, 0), 0xFF000000u) << scale;
    EXPECT_EQ(img.pixel(39, 29), 0xFF000000u) << scale;
  }
}

TEST(View, WholeScalesStaySharpAndHighResolutionPicturesKeepTheirSkinSize) {
  // A 2 x 1 picture, white then grey, at twice the size: two 2 x 2 blocks with a hard edge.
  Window w(2.0);
  auto two = std::make_shared<Picture>();
  two->width = 2;
  two->height = 1;
  two->pixels = {0xFFFFFFFF, 0xFF808080};
  w.Show(el::im_heart_1, two, Rect{1, 1, 2, 1});
  QImage img = w.Paint(8, 6);
  EXPECT_EQ(img.pixel(2, 2), 0xFFFFFFFFu);
  EXPECT_EQ(img.pixel(3, 3), 0xFFFFFFFFu);
  EXPECT_EQ(img.pixel(4, 2), 0xFF808080u);
  EXPECT_EQ(img.pixel(5, 3), 0xFF808080u);
  EXPECT_EQ(img.pixel(6, 2), 0xFF000000u);
  EXPECT_EQ(img.pixel(1, 2), 0xFF000000u);

  // A 3x picture of a 4 x 4 skin element covers exactly 4 x 4 window pixels at 1:1.
  Window hi(1.0);
  hi.Show(el::im_heart_1, Solid(12, 12, 0xFFFFFFFF, 3), Rect{2, 2, 4, 4});
  img = hi.Paint(10, 10);
  EXPECT_EQ(img.pixel(2, 2), 0xFFFFFFFFu);
  EXPECT_EQ(img.pixel(5, 5), 0xFFFFFFFFu);
  EXPECT_EQ(img.pixel(6, 5), 0xFF000000u);
  EXPECT_EQ(img.pixel(5, 6), 0xFF000000u);
}
