#include "app/qt/splash.h"
#include "platform/startup_log.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>

#include "app/qt/form1.h"
#include "app/qt/pictures.h"
#include "app/studio.h"
#include "app/qt/ui_qt.h"
#include "app/ui/ui.h"
#include "platform/qt/qt_platform.h"

namespace {

enum : uint16_t { kVkReturn = 13, kVkEscape = 27, kVkOne = 49 };



Qt::Alignment Align(UiAlign a) {
  return a == UiAlign::Centre ? Qt::AlignHCenter : a == UiAlign::Right ? Qt::AlignRight : Qt::AlignLeft;
}

QLabel *PictureLabel(QWidget *parent, const UiElement &e) {
  auto *l = new QLabel(parent);
  l->setObjectName(e.name);
  l->setGeometry(Plat_QRect(e.rect));
  l->setAlignment(e.align == UiAlign::Centre ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop);
  l->setPixmap(App_Picture_Pixmap(e.text.c_str(), parent->devicePixelRatioF()));
  if (e.hint) l->setToolTip(e.hint);
  return l;
}

// A text element; with_text false leaves the text to be set at creation (FormCreate).
QLabel *Text(QWidget *parent, const UiElement &e, bool with_text = true) {
  auto *l = new QLabel(with_text ? QString::fromStdString(e.text) : QString(), parent);
  l->setObjectName(e.name);
  l->setGeometry(Plat_QRect(e.rect));
  l->setFont(App_Ui_Font(e.font));
  l->setAlignment(Align(e.align) | Qt::AlignTop);
  QPalette p = l->palette();
  p.setColor(QPalette::WindowText, App_Ui_Colour(e.color));
  l->setPalette(p);
  if (e.kind == UiKind::Link) l->setCursor(Qt::PointingHandCursor);
  return l;
}

}  // namespace

TSplashForm::TSplashForm(TForm1 &form1) : QWidget(&form1, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
                                          form1_(form1) {
  setObjectName("SplashForm");
  setWindowTitle(Ui_Splash_Window().caption);
  setFixedSize(Ui_Splash_Window().width, Ui_Splash_Window().height);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, App_Ui_Colour(Ui_Splash_Window().background));
  setPalette(pal);

  // Off the screen (the direct path) the box must not be placed over this window.
  error_box = [this](const QString &text) { App_Error_Box(isVisible() ? this : nullptr, text); };
  end_program = [] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); };
  shell_open = Plat_Shell_Open;

  const UiWindow &ui = Ui_Splash_Window();
  im_background = PictureLabel(this, ui["im_background"]);
  im_box_picture = PictureLabel(this, ui["im_box_picture"]);
  la_game_title = Text(this, ui["la_game_title"], false);
  la_version = Text(this, ui["la_version"], false);
  la_release_date = Text(this, ui["la_release_date"], false);
  la_website_1 = Text(this, ui["la_website_1"]);
  la_website_2 = Text(this, ui["la_website_2"]);
  la_email_1 = Text(this, ui["la_email_1"]);
  la_email_2 = Text(this, ui["la_email_2"]);
  la_sound_select = Text(this, ui["la_sound_select"]);
  fitted_ = {la_website_1, la_website_2, la_email_1, la_email_2, la_sound_select};

  const UiElement &drivers = ui["cb_sound"];
  cb_sound = new QComboBox(this);
  cb_sound->setObjectName(drivers.name);
  cb_sound->setGeometry(Plat_QRect(drivers.rect));
  cb_sound->setEditable(false);
  cb_sound->setMaxVisibleItems(3);
  // The font before the items: set after them it would lay the list out (and load the fonts).
  cb_sound->setFont(App_Ui_Font(drivers.font));
  for (const QString &driver : QString::fromStdString(drivers.text).split('\n', Qt::SkipEmptyParts))
    cb_sound->addItem(driver);
  cb_sound->setCurrentIndex(-1);
  connect(cb_sound, &QComboBox::currentIndexChanged, this, [this] { cb_soundChange(); });

  btn_play = PictureLabel(this, ui["btn_play"]);
  btn_play->setCursor(Qt::PointingHandCursor);
  btn_play_disabled = PictureLabel(this, ui["btn_play_disabled"]);
  btn_play_disabled->setCursor(Qt::WhatsThisCursor);
  btn_play_disabled->hide();
  btn_paypal = PictureLabel(this, ui["btn_paypal"]);
  btn_paypal->setCursor(Qt::PointingHandCursor);

  const UiElement &check = ui["chb_splashscreen"];
  chb_splashscreen = new QCheckBox(QString::fromStdString(check.text), this);
  chb_splashscreen->setObjectName(check.name);
  chb_splashscreen->setGeometry(Plat_QRect(check.rect));
  chb_splashscreen->setFont(App_Ui_Font(check.font));
  chb_splashscreen->setChecked(true);
  chb_splashscreen->setAutoFillBackground(true);
  chb_splashscreen->setStyleSheet(QString("QCheckBox { background-color: rgb(%1, %2, %3); color: black; }")
                                      .arg(check.color.r).arg(check.color.g).arg(check.color.b));

  // Key preview: the window sees the keys of its elements first.
  cb_sound->installEventFilter(this);
  chb_splashscreen->installEventFilter(this);
  for (QLabel *clickable : {btn_play, btn_paypal, la_website_2, la_email_2}) clickable->installEventFilter(this);
}

void TSplashForm::FormCreate() {
  const UiWindow &ui = Ui_Splash_Window();
  for (QLabel *la : {la_game_title, la_version, la_release_date})
    la->setText(QString::fromStdString(ui[la->objectName().toUtf8().constData()].text));

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
  FitTexts();
  UpdatePlayButton();
}

void TSplashForm::FitTexts() {
  // The places are kept; a text wider than its box grows the box to the right.
  for (QLabel *l : fitted_)
    if (l->sizeHint().width() > l->width()) l->resize(l->sizeHint().width(), l->height());
  // Every driver name shows whole: the list grows to the right when needed, within the window.
  if (cb_sound->sizeHint().width() > cb_sound->width())
    cb_sound->resize(std::min(cb_sound->sizeHint().width(), width() - cb_sound->x() - 4), cb_sound->height());
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
    error_box(kUiResolutionMessage);
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
  Plat_Startup_Phase("clock started");
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
