#include "input/keys_form.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <string>

#include "app/qt/ui_qt.h"
#include "app/ui/ui.h"
#include "game/game.h"
#include "input/pad.h"
#include "platform/qt/qt_platform.h"
#include "platform/store.h"

namespace {



void SetTextColor(QWidget *w, const QColor &c) {
  QPalette pal = w->palette();
  pal.setColor(QPalette::WindowText, c);
  w->setPalette(pal);
}

QLabel *MakeLabel(QWidget *parent, const UiElement &e) {
  auto *la = new QLabel(QString::fromStdString(e.text), parent);
  la->setObjectName(e.name);
  la->setGeometry(Plat_QRect(e.rect));
  la->setFont(App_Ui_Font(e.font));
  if (e.align == UiAlign::Right) la->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  SetTextColor(la, App_Ui_Colour(e.color));
  return la;
}

std::string Numbered(const char *prefix, int i) { return prefix + std::to_string(i); }

}  // namespace

TKeysForm::TKeysForm(Controls &controls, Game &game, QWidget *game_window)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      controls_(controls),
      game_(game),
      game_window_(game_window) {
  const UiWindow &ui = Ui_Keys_Window();
  setObjectName("KeysForm");
  setWindowTitle(ui.caption);
  setFixedSize(ui.width, ui.height);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, App_Ui_Colour(ui.background));
  setPalette(pal);
  setAutoFillBackground(true);

  la_main = MakeLabel(this, ui["la_main"]);
  la_controls = MakeLabel(this, ui["la_controls"]);
  for (int i = 1; i <= kControls; ++i) {
    la[i] = MakeLabel(this, ui[Numbered("la_", i).c_str()]);
    const UiElement &list = ui[Numbered("cb_", i).c_str()];
    cb[i] = new QComboBox(this);
    cb[i]->setObjectName(list.name);
    cb[i]->setEditable(false);
    cb[i]->setFont(App_Ui_Font(list.font));
    cb[i]->setGeometry(Plat_QRect(list.rect));
    cb[i]->installEventFilter(this);
    pad[i] = MakeLabel(this, ui[Numbered("la_pad_", i).c_str()]);
  }

  const UiElement &accept = ui["btn_accept"];
  btn_accept = new QPushButton(QString::fromStdString(accept.text), this);
  btn_accept->setObjectName(accept.name);
  btn_accept->setGeometry(Plat_QRect(accept.rect));
  btn_accept->setFont(App_Ui_Font(accept.font));
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
  int32_t selected[kControls + 1] = {};
  for (int i = 1; i <= kControls; ++i) selected[i] = cb[i]->currentIndex() + 1;
  Ui_Keys_Clashes(selected, clash);
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
    SetTextColor(la[i], App_Ui_Colour(clash[i] ? kUiClashColor : Ui_Keys_Window()[la[i]->objectName().toUtf8().constData()].color));
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
