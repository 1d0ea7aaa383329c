#include "app/splash.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>

#include "app/form1.h"
#include "app/pictures.h"
#include "app/studio.h"
#include "platform/qt/qt_platform.h"

namespace {

const int kWidth = 460, kHeight = 420;

enum : uint16_t { kVkReturn = 13, kVkEscape = 27, kVkOne = 49 };

QFont Arial(int height, bool bold, bool underline = false) {
  QFont f(QStringList{"Arial", "Liberation Sans"});
  f.setPixelSize(height);
  f.setBold(bold);
  f.setUnderline(underline);
  return f;
}

QLabel *PictureLabel(QWidget *parent, const char *name, const QRect &r, Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop) {
  auto *l = new QLabel(parent);
  l->setObjectName(name);
  l->setGeometry(r);
  l->setAlignment(align);
  return l;
}

QLabel *Text(QWidget *parent, const char *name, const QRect &r, const QFont &font, Qt::Alignment align,
             const QString &text = QString()) {
  auto *l = new QLabel(text, parent);
  l->setObjectName(name);
  l->setGeometry(r);
  l->setFont(font);
  l->setAlignment(align | Qt::AlignTop);
  QPalette p = l->palette();
  p.setColor(QPalette::WindowText, Qt::black);
  l->setPalette(p);
  // The place is kept; a text wider in the fonts at hand than its box grows the box to the right.
  if (l->sizeHint().width() > r.width()) l->resize(l->sizeHint().width(), r.height());
  return l;
}

void Link(QLabel *l) {
  QPalette p = l->palette();
  p.setColor(QPalette::WindowText, QColor(24, 82, 148));
  l->setPalette(p);
  l->setCursor(Qt::PointingHandCursor);
}

}  // namespace

TSplashForm::TSplashForm(TForm1 &form1) : QWidget(&form1, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
                                          form1_(form1) {
  setObjectName("SplashForm");
  setWindowTitle("About this game...");
  setFixedSize(kWidth, kHeight);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);

  // Off the screen (the direct path) the box must not be placed over this window.
  error_box = [this](const QString &text) { App_Error_Box(isVisible() ? this : nullptr, text); };
  end_program = [] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); };
  shell_open = Plat_Shell_Open;

  const Qt::Alignment centre = Qt::AlignHCenter;
  im_background = PictureLabel(this, "im_background", QRect(0, 0, 460, 420));
  im_background->setPixmap(App_Picture_Pixmap("splash_background", devicePixelRatioF()));
  im_box_picture = PictureLabel(this, "im_box_picture", QRect(0, 0, 460, 220), Qt::AlignCenter);
  im_box_picture->setPixmap(App_Picture_Pixmap("splash_scene", devicePixelRatioF()));
  la_game_title = Text(this, "la_game_title", QRect(0, 8, 460, 20), Arial(16, true), centre);
  la_version = Text(this, "la_version", QRect(0, 32, 460, 15), Arial(12, true), centre);
  la_release_date = Text(this, "la_release_date", QRect(0, 236, 460, 15), Arial(12, false), centre);
  la_website_1 = Text(this, "la_website_1", QRect(118, 259, 56, 15), Arial(12, false), Qt::AlignLeft, "website:");
  la_website_2 = Text(this, "la_website_2", QRect(174, 259, 168, 15), Arial(12, true, true), Qt::AlignLeft,
                      kStudioWebsiteText);
  Link(la_website_2);
  la_email_1 = Text(this, "la_email_1", QRect(118, 282, 56, 15), Arial(12, false), Qt::AlignLeft, "email:");
  la_email_2 = Text(this, "la_email_2", QRect(174, 282, 168, 15), Arial(12, true, true), Qt::AlignLeft, kStudioEmail);
  Link(la_email_2);
  la_sound_select = Text(this, "la_sound_select", QRect(98, 308, 116, 15), Arial(12, false), Qt::AlignLeft,
                         "Select sound driver:");

  cb_sound = new QComboBox(this);
  cb_sound->setObjectName("cb_sound");
  cb_sound->setGeometry(217, 308, 144, 21);
  cb_sound->setEditable(false);
  cb_sound->setMaxVisibleItems(3);
  for (const char *driver : kSoundDrivers) cb_sound->addItem(driver);
  cb_sound->setCurrentIndex(-1);
  // Every driver name shows whole: the list keeps its place and grows to the right when needed.
  cb_sound->setFont(Arial(12, false));
  if (cb_sound->sizeHint().width() > cb_sound->width())
    cb_sound->resize(std::min(cb_sound->sizeHint().width(), kWidth - cb_sound->x() - 4), cb_sound->height());
  connect(cb_sound, &QComboBox::currentIndexChanged, this, [this] { cb_soundChange(); });

  btn_play = PictureLabel(this, "btn_play", QRect(116, 340, 107, 30));
  btn_play->setPixmap(App_Picture_Pixmap("splash_play", devicePixelRatioF()));
  btn_play->setCursor(Qt::PointingHandCursor);
  btn_play_disabled = PictureLabel(this, "btn_play_disabled", QRect(116, 340, 107, 30));
  btn_play_disabled->setPixmap(App_Picture_Pixmap("splash_play_grey", devicePixelRatioF()));
  btn_play_disabled->setCursor(Qt::WhatsThisCursor);
  btn_play_disabled->setToolTip("please select sound driver first");
  btn_play_disabled->hide();
  btn_paypal = PictureLabel(this, "btn_paypal", QRect(237, 340, 107, 30));
  btn_paypal->setPixmap(App_Picture_Pixmap("splash_donate", devicePixelRatioF()));
  btn_paypal->setCursor(Qt::PointingHandCursor);

  chb_splashscreen = new QCheckBox("Display this splash screen at startup", this);
  chb_splashscreen->setObjectName("chb_splashscreen");
  chb_splashscreen->setGeometry(12, 391, 444, 17);
  chb_splashscreen->setFont(Arial(12, true));
  chb_splashscreen->setChecked(true);
  chb_splashscreen->setAutoFillBackground(true);
  chb_splashscreen->setStyleSheet("QCheckBox { background-color: rgb(170, 85, 30); color: black; }");

  // Key preview: the window sees the keys of its elements first.
  cb_sound->installEventFilter(this);
  chb_splashscreen->installEventFilter(this);
  for (QLabel *clickable : {btn_play, btn_paypal, la_website_2, la_email_2}) clickable->installEventFilter(this);
}

void TSplashForm::FormCreate() {
  la_game_title->setText("Kellup Tusko Lumo Special Edition");
  la_version->setText("Version 5.00 * Final *");
  la_release_date->setText(QString("Released by ") + kStudioName + " on 24th December, 2017");

  Store &store = *form1_.store;
  const int32_t mode = store.ReadInteger("SoundMode", -1);
  cb_sound->setCurrentIndex(mode >= 0 && mode <= 2 ? mode : -1);
  chb_splashscreen->setChecked(store.ReadBool("SplashScreen", true));

  if (cb_sound->currentIndex() >= 0 && !chb_splashscreen->isChecked()) {
    move(-width(), -height());
    form1_.splash_pending = false;
    btn_playClick();
    return;
  }
  // Centred on the desktop's screen (not on the game's scaled screen, whose size is in skin pixels).
  QtScreen desktop;
  move((desktop.Width() - width()) / 2, (desktop.Height() - height()) / 2);
  UpdatePlayButton();
}

void TSplashForm::ShowSplash() {
  show();
  raise();
  activateWindow();
}

void TSplashForm::UpdatePlayButton() {
  const bool chosen = cb_sound->currentIndex() >= 0;
  btn_play->setEnabled(chosen);
  btn_play->setVisible(chosen);
  btn_play_disabled->setVisible(!chosen);
}

void TSplashForm::cb_soundChange() { UpdatePlayButton(); }

bool TSplashForm::SplashChecked() const { return chb_splashscreen->isChecked(); }

void TSplashForm::btn_playClick() {
  if (played_) return;
  played_ = true;
  Store &store = *form1_.store;
  std::string sound_message;
  if (!Snd_Init(form1_.snd, cb_sound->currentText().toStdString(), &sound_message)) {
    error_box(QString::fromStdString(sound_message));
    store.WriteInteger("SoundMode", -1);
    store.WriteBool("SplashScreen", true);
    end_program();
    return;
  }
  // The screen as the game will lay the skin out on it; a stored window size or the original
  // size chosen in the menu never refuses a start.
  if (!form1_.ScreenLargeEnough()) {
    error_box("Your screen resolution is below the minimum required 1024x768.\r\n\r\n"
              "Please increase your screen resolution and restart the game.");
    end_program();
    return;
  }
  const bool splash_on = chb_splashscreen->isChecked();
  store.WriteBool("SplashScreen", splash_on);
  emit SplashScreenStored(splash_on);
  // The game window comes on screen only now: before, nothing of it is mapped.
  form1_.CenterOnScreen();
  form1_.show();
  form1_.game.game_mode = kModeClock;
  Gam_Set_Mode(form1_.game);
  hide();
  form1_.raise();
  form1_.activateWindow();
}

bool TSplashForm::FormKeyDown(uint16_t vk) {
  if (vk == kVkReturn || vk == kVkOne) {
    if (!btn_play->isEnabled() || cb_sound->currentIndex() < 0) return false;
    btn_playClick();
    return true;
  }
  if (vk == kVkEscape) {
    end_program();
    return true;
  }
  return false;
}

void TSplashForm::btn_paypalClick() { shell_open(kStudioDonatePage); }
void TSplashForm::la_website_2Click() { shell_open(kStudioWebsite); }
void TSplashForm::la_email_2Click() { shell_open(std::string("mailto:") + kStudioEmail); }

bool TSplashForm::event(QEvent *e) {
  if (e->type() == QEvent::WindowActivate) cb_sound->setFocus();
  return QWidget::event(e);
}

void TSplashForm::closeEvent(QCloseEvent *e) {
  // The window has no close button of its own, but the desktop may still offer one: closing it
  // before playing would leave the game window off the screen, so it ends the program as Esc does.
  if (!played_) end_program();
  QWidget::closeEvent(e);
}

void TSplashForm::keyPressEvent(QKeyEvent *e) {
  if (!FormKeyDown(Plat_Virtual_Key(e))) QWidget::keyPressEvent(e);
}

bool TSplashForm::eventFilter(QObject *watched, QEvent *e) {
  if (e->type() == QEvent::KeyPress && (watched == cb_sound || watched == chb_splashscreen))
    return FormKeyDown(Plat_Virtual_Key(static_cast<QKeyEvent *>(e)));
  // A click: the left button goes down and comes up on the same element.
  if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick) {
    if (static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton) pressed_ = watched;
  } else if (e->type() == QEvent::MouseButtonRelease) {
    auto *me = static_cast<QMouseEvent *>(e);
    auto *w = qobject_cast<QWidget *>(watched);
    const bool click = me->button() == Qt::LeftButton && pressed_ == watched && w &&
                       w->rect().contains(me->position().toPoint());
    if (me->button() == Qt::LeftButton) pressed_ = nullptr;
    if (click) {
      if (watched == btn_play && btn_play->isEnabled()) btn_playClick();
      else if (watched == btn_paypal) btn_paypalClick();
      else if (watched == la_website_2) la_website_2Click();
      else if (watched == la_email_2) la_email_2Click();
    }
  }
  return QWidget::eventFilter(watched, e);
}
