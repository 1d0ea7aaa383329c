#include <QDesktopServices>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QScreen>
#include <QTime>
#include <QUrl>
#include <cstring>

#include "platform/image.h"
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

uint16_t Plat_Virtual_Key(const QKeyEvent *e) {
  const int k = e->key();
  // Digits count only from the main keyboard; the keypad's keys carry other codes.
  if (k >= Qt::Key_0 && k <= Qt::Key_9) return (e->modifiers() & Qt::KeypadModifier) ? 0 : static_cast<uint16_t>(k);
  if (k >= Qt::Key_A && k <= Qt::Key_Z) return static_cast<uint16_t>(k);
  switch (k) {
    case Qt::Key_Up: return 38;
    case Qt::Key_Down: return 40;
    case Qt::Key_Left: return 37;
    case Qt::Key_Right: return 39;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return 18;
    case Qt::Key_Control: return 17;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Space: return 32;
    // Enter (main keyboard or keypad) and Esc are not bindable; the splash window reads them.
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    default: break;
  }
  // With shift held a digit key reports its shifted symbol; the key is still the digit key
  // (the common desktop layout's symbols).
  if (e->modifiers() & Qt::KeypadModifier) return 0;
  static const int shifted[10] = {Qt::Key_ParenRight, Qt::Key_Exclam,     Qt::Key_At,       Qt::Key_NumberSign,
                                  Qt::Key_Dollar,     Qt::Key_Percent,    Qt::Key_AsciiCircum, Qt::Key_Ampersand,
                                  Qt::Key_Asterisk,   Qt::Key_ParenLeft};
  for (int d = 0; d < 10; ++d)
    if (k == shifted[d]) return static_cast<uint16_t>('0' + d);
  return 0;
}

void Plat_Shell_Open(const std::string &what) {
  const QString s = QString::fromStdString(what);
  const QUrl url = s.contains("://") || s.startsWith("mailto:") ? QUrl(s) : QUrl::fromLocalFile(s);
  QDesktopServices::openUrl(url);
}

void Plat_Register_Image_Fallback() {
  Img_Set_Fallback([](const std::string &path, std::string *error) -> PictureRef {
    QImageReader reader(QString::fromStdString(path));
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
