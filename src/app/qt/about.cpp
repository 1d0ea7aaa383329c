#include "app/qt/about.h"

#include <QFont>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>

#include "app/qt/pictures.h"
#include "app/qt/ui_qt.h"
#include "app/ui/ui.h"
#include "platform/qt/qt_platform.h"

namespace {


QLabel *MakeLabel(QWidget *parent, const UiElement &e) {
  auto *la = new QLabel(QString::fromStdString(e.text), parent);
  la->setObjectName(e.name);
  la->setGeometry(Plat_QRect(e.rect));
  la->setFont(App_Ui_Font(e.font));
  QPalette pal = la->palette();
  pal.setColor(QPalette::WindowText, App_Ui_Colour(e.color));
  la->setPalette(pal);
  la->setAutoFillBackground(false);
  la->setTextFormat(Qt::PlainText);
  // The place is kept; a label whose text is wider in the fonts at hand grows to the right so that
  // nothing is cut off ("Email:" would lose its colon).
  if (la->sizeHint().width() > e.rect.width) la->resize(la->sizeHint().width(), e.rect.height);
  return la;
}

}  // namespace

TAboutForm::TAboutForm()
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  const UiWindow &ui = Ui_About_Window();
  setObjectName("AboutForm");
  setWindowTitle(ui.caption);
  setFixedSize(ui.width, ui.height);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, App_Ui_Colour(ui.background));
  setPalette(pal);
  setAutoFillBackground(true);
  setFocusPolicy(Qt::StrongFocus);
  shell_open = Plat_Shell_Open;

  const UiElement &portrait = ui["im_picture"];
  im_picture = new QLabel(this);
  im_picture->setObjectName(portrait.name);
  im_picture->setGeometry(Plat_QRect(portrait.rect));
  im_picture->setPixmap(App_Picture_Pixmap(portrait.text.c_str(), devicePixelRatioF()));

  la_name_1 = MakeLabel(this, ui["la_name_1"]);
  la_birthplace_1 = MakeLabel(this, ui["la_birthplace_1"]);
  la_birthdate_1 = MakeLabel(this, ui["la_birthdate_1"]);
  la_job_1 = MakeLabel(this, ui["la_job_1"]);
  la_hobby_1 = MakeLabel(this, ui["la_hobby_1"]);
  la_website_1 = MakeLabel(this, ui["la_website_1"]);
  la_email_1 = MakeLabel(this, ui["la_email_1"]);
  la_name_2 = MakeLabel(this, ui["la_name_2"]);
  la_birthplace_2 = MakeLabel(this, ui["la_birthplace_2"]);
  la_birthdate_2 = MakeLabel(this, ui["la_birthdate_2"]);
  la_job_2 = MakeLabel(this, ui["la_job_2"]);
  la_hobby_2 = MakeLabel(this, ui["la_hobby_2"]);
  la_website_2 = MakeLabel(this, ui["la_website_2"]);
  la_email_2 = MakeLabel(this, ui["la_email_2"]);
  for (QLabel *la : {la_website_2, la_email_2}) {
    la->setCursor(Qt::PointingHandCursor);
    la->installEventFilter(this);
  }
  FormCreate();
}

void TAboutForm::FormCreate() {
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
  if (QScreen *s = QGuiApplication::primaryScreen()) {
    const QRect g = s->geometry();
    move(g.left() + (g.width() - width()) / 2, g.top() + (g.height() - height()) / 2);
  }
}

bool TAboutForm::FormKeyDown(int key) {
  if (key != Qt::Key_Escape) return false;
  close();
  return true;
}

void TAboutForm::keyPressEvent(QKeyEvent *e) {
  if (!FormKeyDown(e->key())) QWidget::keyPressEvent(e);
}

void TAboutForm::changeEvent(QEvent *e) {
  // Nothing brings a minimised about window back but the menu, which only shows it: a minimise
  // closes it instead, and the menu shows it again as usual.
  if (e->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    close();
  }
  QWidget::changeEvent(e);
}

void TAboutForm::la_website_2Click() {
  shell_open(kStudioWebsite);
  close();
}

void TAboutForm::la_email_2Click() {
  shell_open(std::string("mailto:") + kStudioEmail);
  close();
}

bool TAboutForm::eventFilter(QObject *watched, QEvent *e) {
  // A link is clicked when the left button goes down and comes up on it.
  if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonRelease) {
    auto *me = static_cast<QMouseEvent *>(e);
    auto *la = static_cast<QLabel *>(watched);
    if (me->button() != Qt::LeftButton) return false;
    if (e->type() == QEvent::MouseButtonPress) return true;
    if (!la->rect().contains(me->position().toPoint())) return true;
    if (la == la_website_2) la_website_2Click();
    else if (la == la_email_2) la_email_2Click();
    return true;
  }
  return QWidget::eventFilter(watched, e);
}
