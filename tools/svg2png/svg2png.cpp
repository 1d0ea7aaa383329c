// Build tool: renders an SVG drawing into a PNG file of the drawing's own size, a whole multiple of
// it ("2x") or a given size.
// Usage: svg2png in.svg out.png [width height | <k>x]
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "pngout.h"

int main(int argc, char **argv) {
  if (argc < 3 || argc > 5) {
    std::fprintf(stderr, "usage: svg2png in.svg out.png [width height | <k>x]\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
  if (!svg.isValid()) {
    std::fprintf(stderr, "svg2png: cannot read %s\n", argv[1]);
    return 1;
  }
  QSize size = svg.defaultSize();
  if (argc == 5) size = QSize(std::atoi(argv[3]), std::atoi(argv[4]));
  if (argc == 4) size *= std::max(1, std::atoi(argv[3]));
  QImage img(size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  svg.render(&p);
  p.end();
  if (!Tool_Save_Png(img, argv[2])) {
    std::fprintf(stderr, "svg2png: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
