#include "app/qt/ui_qt.h"

#include <QStringList>

QFont App_Ui_Font(const UiFont &u) {
  QFont f(QStringList{"Arial", "Liberation Sans"});
  f.setPixelSize(u.height);
  f.setBold(u.bold);
  f.setItalic(u.italic);
  f.setUnderline(u.underline);
  return f;
}

QColor App_Ui_Colour(const UiColor &c) { return QColor(c.r, c.g, c.b); }
