#include <QBuffer>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImageReader>
#include <QScreen>
#include <QTime>
#include <QUrl>
#include <algorithm>
#include <cstring>

#include "platform/files.h"
#include "platform/image.h"
#include "platform/types.h"
#include "platform/qt/qt_platform.h"

int32_t QtScreen::Width() {
  QScreen *s = QGuiApplication::primaryScreen();
  return s ? s->geometry().width() : 1024;
}

int32_t QtScreen::Height() {
  QScreen *s = QGuiApplication::primaryScreen();
  return s ? s->geometry().height() : 768;
}

QFont Plat_Font(Font font) {
  QFont f(QStringList{"Arial", "Liberation Sans"});
  f.setPixelSize(font == Font::StageTitle ? 43 : 27);
  f.setItalic(font == Font::StageName);
  return f;
}

void QtScreen::TextSize(Font font, const std::string &text, int32_t *w, int32_t *h) {
  const QFontMetrics fm(Plat_Font(font));
  *w = fm.horizontalAdvance(QString::fromStdString(text));
  *h = fm.height();
}

void QtScreen::LocalTime(int32_t *hour, int32_t *minute) {
  const QTime t = QTime::currentTime();
  *hour = t.hour();
  *minute = t.minute();
}

QRect Plat_QRect(const Rect &r) {
  static constexpr int64_t kLimit = int64_t{1} << 29;
  auto pin = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, -kLimit, kLimit)); };
  const int64_t left = r.left, top = r.top;
  const int64_t right = left + std::max<int64_t>(r.width, 0), bottom = top + std::max<int64_t>(r.height, 0);
  const int x1 = pin(left), y1 = pin(top);
  return QRect(x1, y1, pin(right) - x1, pin(bottom) - y1);
}

bool Plat_Shell_Open(const std::string &what) {
  const QString s = QString::fromStdString(what);
  const QUrl url = s.contains("://") || s.startsWith("mailto:") ? QUrl(s) : QUrl::fromLocalFile(s);
  return QDesktopServices::openUrl(url);
}

void Plat_Register_Image_Fallback() {
  Img_Set_Fallback([](const std::string &path, std::string *error) -> PictureRef {
    // The bytes are read by the program's own file reader, which refuses pipes and devices
    // without waiting on them; the extension is only a hint, the content decides.
    std::string bytes;
    if (!Sys_Read_File(path, bytes)) {
      *error = "cannot read the file";
      return nullptr;
    }
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, QFileInfo(QString::fromStdString(path)).suffix().toLatin1());
    const QSize size = reader.size();
    if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide ||
        int64_t{size.width()} * size.height() > kMaxPicturePixels) {
      *error = "picture too large";
      return nullptr;
    }
    QImage img = reader.read();
    if (img.isNull()) {
      *error = reader.errorString().toStdString();
      return nullptr;
    }
    img = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    auto pic = std::make_shared<Picture>();
    pic->width = img.width();
    pic->height = img.height();
    pic->pixels.resize(static_cast<size_t>(img.width()) * img.height());
    for (int y = 0; y < img.height(); ++y)
      std::memcpy(&pic->pixels[static_cast<size_t>(y) * img.width()], img.constScanLine(y), img.width() * 4u);
    return pic;
  });
}
