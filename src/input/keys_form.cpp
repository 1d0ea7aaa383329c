#include "input/keys_form.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <string>

#include "game/game.h"
#include "input/pad.h"
#include "platform/qt/qt_platform.h"
#include "platform/store.h"

namespace {

const char *const kNames[kControls + 1] = {"", "Game A", "Game B", "Time", "Up", "Left", "Right", "Down", "Jump"};

QFont Arial(int pixels, bool bold, bool underline = false) {
  QFont f(QStringList{"Arial", "Liberation Sans"});
  f.setPixelSize(pixels);
  f.setBold(bold);
  f.setUnderline(underline);
  return f;
}

void SetTextColor(QWidget *w, const QColor &c) {
  QPalette pal = w->palette();
  pal.setColor(QPalette::WindowText, c);
  w->setPalette(pal);
}

}  // namespace

TKeysForm::TKeysForm(Controls &controls, Game &game, QWidget *game_window)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      controls_(controls),
      game_(game),
      game_window_(game_window) {
  setObjectName("KeysForm");
  setWindowTitle("Key settings");
  setFixedSize(448, 227);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(170, 85, 30));
  setPalette(pal);
  setAutoFillBackground(true);

  const QColor white(255, 255, 255);
  la_main = new QLabel("Main operations", this);
  la_main->setObjectName("la_main");
  la_main->setGeometry(8, 8, 104, 13);
  la_controls = new QLabel("Game controls", this);
  la_controls->setObjectName("la_controls");
  la_controls->setGeometry(336, 8, 104, 13);
  la_controls->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  for (QLabel *h : {la_main, la_controls}) {
    h->setFont(Arial(11, true, true));
    SetTextColor(h, white);
  }

  for (int i = 1; i <= kControls; ++i) {
    la[i] = new QLabel(kNames[i], this);
    la[i]->setObjectName(QString("la_%1").arg(i));
    la[i]->setFont(Arial(11, true));
    cb[i] = new QComboBox(this);
    cb[i]->setObjectName(QString("cb_%1").arg(i));
    cb[i]->setEditable(false);
    cb[i]->setFont(Arial(11, false));
    if (i <= 3) {
      la[i]->setGeometry(136, 33 + (i - 1) * 32, 72, 14);
      cb[i]->setGeometry(8, 29 + (i - 1) * 32, 120, 21);
    } else {
      la[i]->setGeometry(216, 33 + (i - 4) * 32, 96, 14);
      la[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      cb[i]->setGeometry(320, 29 + (i - 4) * 32, 120, 21);
    }
    cb[i]->installEventFilter(this);
    // The gamepad button that works the control: under the names on the left, before them on
    // the right.
    pad[i] = new QLabel(Inp_Pad_Button_Name(i), this);
    pad[i]->setObjectName(QString("la_pad_%1").arg(i));
    pad[i]->setFont(Arial(9, false));
    SetTextColor(pad[i], QColor(255, 225, 190));
    if (i <= 3) pad[i]->setGeometry(136, 47 + (i - 1) * 32, 72, 12);
    else pad[i]->setGeometry(216, 34 + (i - 4) * 32, 60, 12);
  }

  btn_accept = new QPushButton("- ACCEPT -", this);
  btn_accept->setObjectName("btn_accept");
  btn_accept->setGeometry(183, 194, 82, 25);
  btn_accept->setFont(Arial(11, true));
  btn_accept->setCursor(Qt::PointingHandCursor);
  btn_accept->setAutoDefault(false);
  btn_accept->installEventFilter(this);

  for (int i = 1; i < kControls; ++i) setTabOrder(cb[i], cb[i + 1]);
  setTabOrder(cb[kControls], btn_accept);

  FormCreate();
  for (int i = 1; i <= kControls; ++i)
    connect(cb[i], &QComboBox::currentIndexChanged, this, [this] { cbChange(); });
  connect(btn_accept, &QPushButton::clicked, this, [this] { btn_acceptClick(); });
}

void TKeysForm::FormCreate() {
  for (int k = 1; k <= kKeys; ++k) cb[1]->addItem(Inp_Key_List_Text(k));
  for (int i = 2; i <= kControls; ++i)
    for (int k = 0; k < cb[1]->count(); ++k) cb[i]->addItem(cb[1]->itemText(k));
  for (int i = 1; i <= kControls; ++i) {
    const int32_t key = controls_.key_binding[i].key_index;
    // A key index outside the table (only by editing the store) leaves the list without a choice.
    cb[i]->setCurrentIndex(key >= 1 && key <= kKeys ? key - 1 : -1);
  }
  cbChange();
}

void TKeysForm::FindClashes(bool clash[kControls + 1]) const {
  for (int j = 1; j <= kControls; ++j) {
    // A list without a choice would store 0, which names no key: it counts as a clash too.
    clash[j] = cb[j]->currentIndex() < 0;
    for (int k = 1; k <= kControls; ++k)
      if (k != j && cb[j]->currentText() == cb[k]->currentText()) clash[j] = true;
  }
}

bool TKeysForm::CheckKeys() const {
  bool clash[kControls + 1];
  FindClashes(clash);
  for (int i = 1; i <= kControls; ++i)
    if (clash[i]) return true;
  return false;
}

void TKeysForm::cbChange() {
  bool clash[kControls + 1];
  FindClashes(clash);
  bool any = false;
  for (int i = 1; i <= kControls; ++i) {
    SetTextColor(la[i], clash[i] ? QColor(255, 0, 0) : QColor(255, 255, 255));
    any = any || clash[i];
  }
  btn_accept->setEnabled(!any);
}

void TKeysForm::btn_acceptClick() {
  if (CheckKeys()) return;
  for (int i = 1; i <= kControls; ++i) {
    KeyBinding &b = controls_.key_binding[i];
    b.key_index = cb[i]->currentIndex() + 1;
    if (game_.store) game_.store->WriteInteger("Key" + std::to_string(i), b.key_index);
    AssignWord(i, b);
  }
  Inp_Build_Hints(controls_, game_);
  CloseWindow();
}

void TKeysForm::CloseWindow() {
  if (game_window_) game_window_->setEnabled(true);
  hide();
  // A game window minimised together with this one (some window managers minimise a dialog with
  // the window it belongs to) stays minimised: activating it would bring it back.
  if (!game_window_ || !game_window_->isVisible() || (game_window_->windowState() & Qt::WindowMinimized)) return;
  game_window_->raise();
  game_window_->activateWindow();
}

void TKeysForm::Cancel() {
  if (isVisible()) CloseWindow();
}

void TKeysForm::closeEvent(QCloseEvent *e) {
  // The window asks for no title-bar buttons, but a window manager may still offer a close button
  // or Alt+F4: the window closes as Esc closes it.
  Cancel();
  QWidget::closeEvent(e);
}

void TKeysForm::changeEvent(QEvent *e) {
  // Minimised, the window would leave a disabled game window with nothing to enable it on the
  // screen: a minimise (of this window alone, or of the game window with it) puts the window away
  // as Esc does; its choices stay in the lists for the next time it opens.
  if (e->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
    // Back to normal first: on X11 leaving the minimised state maps the window, so the hiding
    // must come after it.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    Cancel();
  }
  QWidget::changeEvent(e);
}

bool TKeysForm::FormKeyDown(int key) {
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    if (btn_accept->isEnabled()) btn_acceptClick();
    return true;
  }
  if (key == Qt::Key_Escape) {
    CloseWindow();
    return true;
  }
  return false;
}

bool TKeysForm::event(QEvent *e) {
  if (e->type() == QEvent::WindowActivate) cb[1]->setFocus();
  if (e->type() == QEvent::KeyPress && FormKeyDown(static_cast<QKeyEvent *>(e)->key())) return true;
  return QWidget::event(e);
}

bool TKeysForm::eventFilter(QObject *watched, QEvent *e) {
  // The window sees Enter and Esc before the focused list or button does.
  if (e->type() == QEvent::KeyPress && FormKeyDown(static_cast<QKeyEvent *>(e)->key())) return true;
  // A digit or letter key picks its own entry in a focused list, by the same key code the game
  // window reads (not by the typed character, which depends on the layout and on Shift).
  if (e->type() == QEvent::KeyPress) {
    const uint16_t vk = Plat_Virtual_Key(static_cast<QKeyEvent *>(e));
    for (int i = 1; i <= kControls; ++i) {
      if (watched != cb[i]) continue;
      for (int k = 1; k <= 36; ++k)
        if (vk != 0 && Inp_Key_Code(k) == vk) {
          cb[i]->setCurrentIndex(k - 1);
          return true;
        }
    }
  }
  return QWidget::eventFilter(watched, e);
}
