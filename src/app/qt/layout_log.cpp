#include "app/qt/layout_log.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTextStream>
#include <QTimer>
#include <cstdlib>

namespace {

// One line: window, element, text, text width and height, room width and height, desktop scale.
void Write(QTextStream &out, const QWidget *window, const QWidget *w, const QString &text, const QSize &need,
           const QSize &room) {
  QString shown = text;
  shown.replace('\t', ' ').replace('\n', ' ');
  out << window->windowTitle() << '\t' << w->objectName() << '\t' << shown << '\t' << need.width() << '\t'
      << need.height() << '\t' << room.width() << '\t' << room.height() << '\t' << window->devicePixelRatioF()
      << '\n';
}

QSize TextSize(const QFontMetrics &fm, const QString &text) {
  int w = 0;
  const QStringList lines = text.split('\n');
  for (const QString &line : lines) w = std::max(w, fm.horizontalAdvance(line));
  return QSize(w, fm.height() * static_cast<int>(lines.size()));
}

void Report(QWidget *window, const QString &path) {
  QFile file(path);
  if (!file.open(QIODevice::Append | QIODevice::Text)) return;
  QTextStream out(&file);
  const QList<QWidget *> all = window->findChildren<QWidget *>();
  for (QWidget *w : all) {
    if (!w->isVisibleTo(window) || w->window() != window) continue;
    if (auto *l = qobject_cast<QLabel *>(w)) {
      // Word-wrapped and rich texts find their own lines; pictures have no text.
      if (l->text().isEmpty() || l->wordWrap() || l->textFormat() == Qt::RichText) continue;
      const int indent = std::max(0, l->indent());
      const QRect room = l->contentsRect().adjusted(l->margin() + indent, l->margin(), -l->margin(), -l->margin());
      Write(out, window, w, l->text(), TextSize(l->fontMetrics(), l->text()), room.size());
    } else if (auto *c = qobject_cast<QComboBox *>(w)) {
      QStyleOptionComboBox opt;
      opt.initFrom(c);
      opt.editable = c->isEditable();
      const QRect room = c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c);
      for (int i = 0; i < c->count(); ++i)
        Write(out, window, w, c->itemText(i), TextSize(c->fontMetrics(), c->itemText(i)), room.size());
    } else if (auto *b = qobject_cast<QAbstractButton *>(w)) {
      if (b->text().isEmpty()) continue;
      QStyleOptionButton opt;
      opt.initFrom(b);
      opt.text = b->text();
      const bool check = qobject_cast<QCheckBox *>(b) != nullptr;
      const QRect room =
          b->style()->subElementRect(check ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &opt, b);
      QString text = b->text();
      text.remove('&');
      Write(out, window, w, text, TextSize(b->fontMetrics(), text), room.size());
    }
  }
}

class LayoutLog : public QObject {
 public:
  explicit LayoutLog(QString path) : QObject(qApp), path_(std::move(path)) {}

 protected:
  bool eventFilter(QObject *o, QEvent *e) override {
    if (e->type() == QEvent::Show && o->isWidgetType()) {
      auto *w = static_cast<QWidget *>(o);
      // Once the window is laid out for the screen it shows on.
      if (w->isWindow())
        QTimer::singleShot(300, this, [this, p = QPointer<QWidget>(w)] {
          if (p && p->isVisible()) Report(p, path_);
        });
    }
    return false;
  }

 private:
  QString path_;
};

}  // namespace

void App_Start_Layout_Log() {
  const char *path = std::getenv("KT_LAYOUT_LOG");
  if (!path || !*path || !qApp) return;
  qApp->installEventFilter(new LayoutLog(QString::fromLocal8Bit(path)));
}
