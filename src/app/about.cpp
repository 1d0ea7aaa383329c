#include "app/about.h"

#include <QFont>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>

#include "app/pictures.h"
#include "platform/qt/qt_platform.h"

namespace {

// The studio's own details.
const char *const kBirthplace = "Zandrel Harbour";
const char *const kBirthdate = "1st April, 2009";
const char *const kJob = "Handheld game makers";
const char *const kHobby = "Old LCD games";

QFont LabelFont(int pixels, bool bold, bool italic = false, bool underline = false) {
  QFont f(QStringList{"Arial", "Liberation Sans"});
  f.setPixelSize(pixels);
  f.setBold(bold);
  f.setItalic(italic);
  f.setUnderline(underline);
  return f;
}

QLabel *MakeLabel(QWidget *parent, const char *name, const QString &text, int l, int t, int w, int h,
                  const QFont &font, const QColor &color) {
  auto *la = new QLabel(text, parent);
  la->setObjectName(name);
  la->setGeometry(l, t, w, h);
  la->setFont(font);
  QPalette pal = la->palette();
  pal.setColor(QPalette::WindowText, color);
  la->setPalette(pal);
  la->setAutoFillBackground(false);
  la->setTextFormat(Qt::PlainText);
  // The place is kept; a label whose text is wider in the fonts at hand grows to the right so that
  // nothing is cut off ("Email:" would lose its colon).
  if (la->sizeHint().width() > w) la->resize(la->sizeHint().width(), h);
  return la;
}

}  // namespace

TAboutForm::TAboutForm()
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setObjectName("AboutForm");
  setWindowTitle("About the author...");
  setFixedSize(397, 176);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(170, 85, 30));
  setPalette(pal);
  setAutoFillBackground(true);
  setFocusPolicy(Qt::StrongFocus);
  shell_open = Plat_Shell_Open;

  im_picture = new QLabel(this);
  im_picture->setObjectName("im_picture");
  im_picture->setGeometry(8, 8, 116, 160);
  im_picture->setPixmap(App_Picture_Pixmap("about_portrait", devicePixelRatioF()));

  const QFont plain = LabelFont(11, false);
  const QColor white(255, 255, 255), yellow(255, 255, 0);
  la_name_1 = MakeLabel(this, "la_name_1", "Name:", 132, 8, 72, 14, plain, white);
  la_birthplace_1 = MakeLabel(this, "la_birthplace_1", "Birthplace:", 132, 32, 72, 14, plain, white);
  la_birthdate_1 = MakeLabel(this, "la_birthdate_1", "Birth date:", 132, 56, 72, 14, plain, white);
  la_job_1 = MakeLabel(this, "la_job_1", "Occupation:", 132, 80, 72, 14, plain, white);
  la_hobby_1 = MakeLabel(this, "la_hobby_1", "Hobby:", 132, 104, 34, 14, plain, white);
  la_website_1 = MakeLabel(this, "la_website_1", "Website:", 132, 128, 42, 14, plain, white);
  la_email_1 = MakeLabel(this, "la_email_1", "Email:", 132, 152, 27, 14, plain, white);

  const QFont bold = LabelFont(11, true);
  la_name_2 = MakeLabel(this, "la_name_2", kStudioName, 212, 8, 147, 14, bold, white);
  la_birthplace_2 = MakeLabel(this, "la_birthplace_2", kBirthplace, 212, 32, 101, 14, bold, white);
  la_birthdate_2 = MakeLabel(this, "la_birthdate_2", kBirthdate, 212, 56, 101, 14, bold, white);
  la_job_2 = MakeLabel(this, "la_job_2", kJob, 212, 80, 149, 14, bold, white);
  la_hobby_2 = MakeLabel(this, "la_hobby_2", kHobby, 212, 104, 93, 14, LabelFont(11, true, true), white);

  const QFont link = LabelFont(12, true, false, true);
  la_website_2 = MakeLabel(this, "la_website_2", kStudioWebsiteText, 212, 128, 168, 15, link, yellow);
  la_email_2 = MakeLabel(this, "la_email_2", kStudioEmail, 212, 152, 168, 15, link, yellow);
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
