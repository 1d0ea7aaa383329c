// The key settings window: lists filled from the bindings once, clashes painted red and refused,
// Enter and Esc seen before the lists, and acceptance storing Key1..Key8, the codes and the hints.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <memory>

#include "display/lcd.h"
#include "game/game.h"
#include "input/keys.h"
#include "input/keys_form.h"
#include "platform/store.h"

namespace {

void Key(QWidget *w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, mods);
  QCoreApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods);
  QCoreApplication::sendEvent(w, &release);
}

bool IsRed(const QLabel *la) { return la->palette().color(QPalette::WindowText) == QColor(255, 0, 0); }
bool IsWhite(const QLabel *la) { return la->palette().color(QPalette::WindowText) == QColor(255, 255, 255); }

class KeysFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game.store = &store;
    Lcd_Init(game.lcd);
    Inp_Load_Bindings(controls, store);  // defaults, written back
    Inp_Build_Hints(controls, game);
    store.writes = 0;
  }
  // The form is made after the test has set up the bindings it wants.
  TKeysForm &Form() {
    if (!form) form = std::make_unique<TKeysForm>(controls, game, &game_window);
    return *form;
  }
  // As the menu opens it: the game window disabled under the shown form.
  void Open() {
    game_window.setEnabled(false);
    Form().show();
  }

  Controls controls;
  Game game;
  MemStore store;
  QWidget game_window;
  std::unique_ptr<TKeysForm> form;
};

TEST_F(KeysFormTest, ShowsTheDefaultBindingsAllWhiteWithAcceptEnabled) {
  TKeysForm &f = Form();
  const char *expected[] = {"", "1", "2", "3", "<UP ARROW>", "<LEFT ARROW>", "<RIGHT ARROW>", "<DOWN ARROW>", "<CTRL>"};
  for (int i = 1; i <= kControls; ++i) {
    EXPECT_EQ(f.cb[i]->currentText().toStdString(), expected[i]) << "list " << i;
    ASSERT_EQ(f.cb[i]->count(), 44);
    EXPECT_EQ(f.cb[i]->itemText(43), "<SPACEBAR>");
    EXPECT_TRUE(IsWhite(f.la[i])) << "name " << i;
  }
  EXPECT_EQ(f.la[1]->text(), "Game A");
  EXPECT_EQ(f.la[8]->text(), "Jump");
  EXPECT_TRUE(f.btn_accept->isEnabled());
  EXPECT_FALSE(f.CheckKeys());
  EXPECT_EQ(f.cb[8]->geometry().topLeft(), QPoint(320, 157));
  EXPECT_EQ(store.writes, 0);  // showing the bindings stores nothing

  // Each activation gives the first list the focus.
  f.btn_accept->setFocus();
  QEvent activate(QEvent::WindowActivate);
  QCoreApplication::sendEvent(&f, &activate);
  EXPECT_EQ(f.focusWidget(), f.cb[1]);
}

TEST_F(KeysFormTest, OneClashPaintsBothNamesRedUntilResolved) {
  TKeysForm &f = Form();
  f.cb[1]->setCurrentIndex(10);  // "A"
  f.cb[8]->setCurrentIndex(10);
  EXPECT_TRUE(IsRed(f.la[1]));
  EXPECT_TRUE(IsRed(f.la[8]));
  for (int i = 2; i <= 7; ++i) EXPECT_TRUE(IsWhite(f.la[i])) << i;
  EXPECT_FALSE(f.btn_accept->isEnabled());
  EXPECT_TRUE(f.CheckKeys());

  f.cb[8]->setCurrentIndex(11);  // "B"
  for (int i = 1; i <= kControls; ++i) EXPECT_TRUE(IsWhite(f.la[i])) << i;
  EXPECT_TRUE(f.btn_accept->isEnabled());
}

TEST_F(KeysFormTest, ThreeControlsOnOneKeyAreAllRed) {
  TKeysForm &f = Form();
  for (int i : {2, 5, 7}) f.cb[i]->setCurrentIndex(43);  // "<SPACEBAR>"
  for (int i = 1; i <= kControls; ++i) EXPECT_EQ(IsRed(f.la[i]), i == 2 || i == 5 || i == 7) << i;
  EXPECT_FALSE(f.btn_accept->isEnabled());
  // Freeing one of the three still leaves a clash between the other two.
  f.cb[5]->setCurrentIndex(38);  // "<LEFT ARROW>"
  EXPECT_TRUE(IsRed(f.la[2]));
  EXPECT_TRUE(IsWhite(f.la[5]));
  EXPECT_TRUE(IsRed(f.la[7]));
  EXPECT_FALSE(f.btn_accept->isEnabled());
}

TEST_F(KeysFormTest, EnterAcceptsSpaceBarForGameA) {
  Open();
  TKeysForm &f = *form;
  f.cb[1]->setFocus();
  // The End key moves the focused list to its last key, the space bar.
  Key(f.cb[1], Qt::Key_End);
  ASSERT_EQ(f.cb[1]->currentText(), "<SPACEBAR>");
  Key(f.cb[1], Qt::Key_Return);  // seen by the window before the list

  EXPECT_EQ(store.values["Key1"], "44");
  const char *stored[] = {"", "44", "3", "4", "37", "39", "40", "38", "42"};
  for (int i = 1; i <= kControls; ++i) EXPECT_EQ(store.values["Key" + std::to_string(i)], stored[i]) << i;
  EXPECT_EQ(controls.key_binding[1].key_index, 44);
  EXPECT_EQ(controls.key_binding[1].virtual_key, 32);
  EXPECT_EQ(game.lcd.e[el::btn_game_a_top].hint,
            "click or press 'spacebar' to start game A (hold to view highscore)");
  // The space bar now works Game A (its face shows the pressed picture), the '1' key nothing.
  game.lcd.e[el::btn_game_a_pressed].pic = std::make_shared<Picture>();
  EXPECT_TRUE(Inp_Key_Down(controls, game, 32));
  EXPECT_EQ(game.lcd.e[el::btn_game_a_top].pic, game.lcd.e[el::btn_game_a_pressed].pic);
  EXPECT_FALSE(Inp_Key_Down(controls, game, 49));
  EXPECT_FALSE(f.isVisible());
  EXPECT_TRUE(game_window.isEnabled());
}

TEST_F(KeysFormTest, EscStoresNothingAndReopeningShowsTheUnacceptedChoice) {
  Open();
  TKeysForm &f = *form;
  f.cb[8]->setCurrentIndex(10);  // Jump on "A"
  Key(f.cb[8], Qt::Key_Escape);
  EXPECT_FALSE(f.isVisible());
  EXPECT_TRUE(game_window.isEnabled());
  EXPECT_EQ(store.writes, 0);
  EXPECT_EQ(controls.key_binding[8].key_index, 42);
  EXPECT_EQ(controls.key_binding[8].virtual_key, 17);
  EXPECT_EQ(game.lcd.e[el::btn_jump_top].hint, "click or press 'ctrl' key");

  Open();
  EXPECT_EQ(f.cb[8]->currentText(), "A");
  f.btn_accept->click();
  EXPECT_EQ(store.values["Key8"], "11");
  EXPECT_EQ(controls.key_binding[8].virtual_key, 'A');
  EXPECT_EQ(game.lcd.e[el::btn_jump_top].hint, "click or press 'A'");
}

TEST_F(KeysFormTest, EnterDoesNothingWhileAClashIsShown) {
  Open();
  TKeysForm &f = *form;
  f.cb[3]->setCurrentIndex(1);  // Time on "1", as Game A
  Key(f.cb[3], Qt::Key_Enter);
  Key(&f, Qt::Key_Return);
  f.btn_acceptClick();  // even a direct call is refused
  EXPECT_TRUE(f.isVisible());
  EXPECT_FALSE(game_window.isEnabled());
  EXPECT_EQ(store.writes, 0);
  EXPECT_EQ(controls.key_binding[3].key_index, 4);
}

// A key index outside the table (an edited store) leaves its list empty. Accepting that would
// store 0, a control without a key; the empty list counts as a clash until a key is chosen.
TEST_F(KeysFormTest, AListWithoutAKeyCannotBeAccepted) {
  controls.key_binding[5].key_index = 77;
  Open();
  TKeysForm &f = *form;
  EXPECT_EQ(f.cb[5]->currentIndex(), -1);
  EXPECT_TRUE(IsRed(f.la[5]));
  for (int i : {1, 2, 3, 4, 6, 7, 8}) EXPECT_TRUE(IsWhite(f.la[i])) << i;
  EXPECT_FALSE(f.btn_accept->isEnabled());
  Key(f.cb[1], Qt::Key_Return);
  EXPECT_EQ(store.writes, 0);
  EXPECT_TRUE(f.isVisible());

  f.cb[5]->setCurrentIndex(11);  // "B"
  ASSERT_TRUE(f.btn_accept->isEnabled());
  Key(f.cb[5], Qt::Key_Return);
  EXPECT_EQ(store.values["Key5"], "12");
  EXPECT_EQ(controls.key_binding[5].virtual_key, 'B');
}

}  // namespace
