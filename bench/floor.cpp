// The start-up floor: the least a Qt program can do to put the game's picture on screen. It reads
// the default skin's background (the variant drawn for the screen's size, as the game picks it),
// shows one full-screen window and paints the picture fitted into it. With KT_STARTUP_LOG=<file>
// it writes the wall-clock time (nanoseconds since the epoch) of its first paint to that file,
// the way the game notes its first clock picture, so that both can be launched side by side
// (scripts/bench_floor_ab.sh).
//   kt_floor PROGRAM_FOLDER
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

class Floor : public QWidget {
 public:
  explicit Floor(QImage picture) : picture_(std::move(picture)) { setAttribute(Qt::WA_OpaquePaintEvent); }

 protected:
  void paintEvent(QPaintEvent *) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    QSize fitted = picture_.size().scaled(size(), Qt::KeepAspectRatio);
    QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(target, picture_);
    p.end();
    NoteFirstPaint();
  }

 private:
  static void NoteFirstPaint() {
    static const char *path = std::getenv("KT_STARTUP_LOG");
    if (!path) return;
    if (FILE *f = std::fopen(path, "w")) {
      const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
          std::chrono::system_clock::now().time_since_epoch());
      std::fprintf(f, "%lld\n", static_cast<long long>(ns.count()));
      std::fclose(f);
    }
    path = nullptr;
  }
  QImage picture_;
};

}  // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: kt_floor PROGRAM_FOLDER\n");
    return 2;
  }
  // The skin is drawn for 1024 x 768, with variants at two and three times that size.
  const QSize screen = QGuiApplication::primaryScreen()->size();
  const double fit = std::min(screen.width() / 1024.0, screen.height() / 768.0);
  const int scale = std::clamp(static_cast<int>(std::ceil(fit - 0.01)), 1, 3);
  const QString base = QString::fromLocal8Bit(argv[1]) + "/Resources/Level1/im_background";
  const QString file = scale == 1 ? base + ".png" : base + QString("@%1x.png").arg(scale);
  QImage picture(file);
  if (picture.isNull()) {
    std::fprintf(stderr, "kt_floor: cannot read %s\n", qPrintable(file));
    return 1;
  }
  Floor w(std::move(picture));
  w.showFullScreen();
  return app.exec();
}
