// The game window's keyboard and mouse: Qt key events become the key codes of the key table,
// auto-repeat reaches the press routines only, and a left-button press on a face captures the
// mouse until its release.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <memory>

#include "app/qt/form1.h"

namespace {

struct GameWindow {
  VirtualClock clock;  // outlives the game's timers
  FixedScreen screen{1024, 768};
  MemStore *store = nullptr;
  TForm1 form1;
  GameWindow() {
    auto s = std::make_unique<MemStore>();
    store = s.get();
    form1.store = std::move(s);
    form1.cfg.program_folder = "/nonexistent-ktusko/";
    form1.snd.store = store;
    Game &g = form1.game;
    g.cfg = &form1.cfg;
    g.snd = &form1.snd;
    g.store = store;
    g.screen = &screen;
    g.timers = &clock;
    Gam_Create(g);
    for (int i = 0; i < el::COUNT; ++i)
      if (std::string(Lcd_Name(static_cast<el::Id>(i))).rfind("btn_", 0) == 0)
        Lcd_Set_Picture(g.lcd, static_cast<el::Id>(i), std::make_shared<Picture>());
    g.game_mode = kModeClock;
    Gam_Set_Mode(g);
  }
  void Bindings() { Inp_Load_Bindings(form1.controls, *store); }
  void Key(QEvent::Type type, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, bool repeat = false,
           const QString &text = QString()) {
    QKeyEvent e(type, key, mods, text, repeat);
    QApplication::sendEvent(&form1, &e);
  }
  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(at), QPointF(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&form1, &e);
  }
  bool Pressed(el::Id face, el::Id pressed) const { return form1.game.lcd.e[face].pic == form1.game.lcd.e[pressed].pic; }
  int32_t Mode() const { return form1.game.game_mode; }
};

}  // namespace

TEST(GameWindowKeys, AutoRepeatGivesPressesButOnlyTheRealRelease) {
  GameWindow w;
  w.Bindings();
  w.Key(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, false, "1");
  EXPECT_EQ(w.Mode(), kModeGameAHeld);
  // The X server sends release + press for every repeat, both marked as auto-repeat.
  for (int i = 0; i < 5; ++i) {
    w.Key(QEvent::KeyRelease, Qt::Key_1, Qt::NoModifier, true, "1");
    EXPECT_EQ(w.Mode(), kModeGameAHeld) << "an auto-repeat release reached the game";
    w.Key(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, true, "1");
    EXPECT_TRUE(w.Pressed(el::btn_game_a_top, el::btn_game_a_pressed));
  }
  w.Key(QEvent::KeyRelease, Qt::Key_1, Qt::NoModifier, false, "1");
  EXPECT_EQ(w.Mode(), kModeGameA);
}

TEST(GameWindowKeys, KeysHeldFromAnotherWindowDoNotActHere) {
  GameWindow w;
  w.Bindings();
  // '1' went down in the splash window (pressing Play) and is held on: its repeats and its release
  // arrive here without a first press, and must not start a game.
  for (int i = 0; i < 3; ++i) {
    w.Key(QEvent::KeyRelease, Qt::Key_1, Qt::NoModifier, true, "1");
    w.Key(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, true, "1");
  }
  w.Key(QEvent::KeyRelease, Qt::Key_1, Qt::NoModifier, false, "1");
  EXPECT_EQ(w.Mode(), kModeClock);
  // Another window takes the keyboard: a held direction is let go; a held Game B stays held (its
  // release would start a game nobody watches) until its key comes up here.
  w.Key(QEvent::KeyPress, Qt::Key_2, Qt::NoModifier, false, "2");
  w.Key(QEvent::KeyPress, Qt::Key_Up);
  EXPECT_EQ(w.Mode(), kModeGameBHeld);
  ASSERT_TRUE(w.Pressed(el::btn_move_up_top, el::btn_move_up_pressed));
  QEvent deactivate(QEvent::WindowDeactivate);
  QApplication::sendEvent(&w.form1, &deactivate);
  EXPECT_TRUE(w.Pressed(el::btn_move_up_top, el::btn_move_up_released));
  EXPECT_EQ(w.Mode(), kModeGameBHeld);
  EXPECT_TRUE(w.Pressed(el::btn_game_b_top, el::btn_game_b_pressed));
  w.Key(QEvent::KeyRelease, Qt::Key_2, Qt::NoModifier, false, "2");
  EXPECT_EQ(w.Mode(), kModeGameB);
  // Time held while the keyboard goes elsewhere keeps the picture frozen: its release (the clock)
  // comes only with its key going up here.
  w.Key(QEvent::KeyPress, Qt::Key_3, Qt::NoModifier, false, "3");
  ASSERT_EQ(w.Mode(), kModeTimeHeld);
  QApplication::sendEvent(&w.form1, &deactivate);
  EXPECT_EQ(w.Mode(), kModeTimeHeld) << "losing the keyboard let go of Time";
  w.Key(QEvent::KeyRelease, Qt::Key_3, Qt::NoModifier, false, "3");
  EXPECT_EQ(w.Mode(), kModeClock);
}

TEST(GameWindowKeys, OnlyTheMainKeyboardDigitsAndLettersInAnyCase) {
  GameWindow w;
  w.store->values["Key4"] = "11";  // Up on 'A'
  w.Bindings();
  // The keypad's 1 is another key.
  w.Key(QEvent::KeyPress, Qt::Key_1, Qt::KeypadModifier, false, "1");
  EXPECT_EQ(w.Mode(), kModeClock);
  // The '1' key of a French layout types '&' and is still the '1' key (X key code 10, keysym '&').
  auto native = [&](QEvent::Type type, int key, quint32 keysym, const QString &text) {
    QKeyEvent e(type, key, Qt::NoModifier, 10, keysym, 0, text);
    QApplication::sendEvent(&w.form1, &e);
  };
  native(QEvent::KeyPress, Qt::Key_Ampersand, '&', "&");
  EXPECT_EQ(w.Mode(), kModeGameAHeld);
  native(QEvent::KeyRelease, Qt::Key_Ampersand, '&', "&");
  EXPECT_EQ(w.Mode(), kModeGameA);
  // A letter with or without shift (or caps lock) is the same key.
  w.Key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, false, "a");
  EXPECT_TRUE(w.Pressed(el::btn_move_up_top, el::btn_move_up_pressed));
  w.Key(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, false, "a");
  EXPECT_FALSE(w.Pressed(el::btn_move_up_top, el::btn_move_up_pressed));
  w.Key(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, false, "A");
  EXPECT_TRUE(w.Pressed(el::btn_move_up_top, el::btn_move_up_pressed));
  // Ctrl (Jump by default), whatever other modifier is down.
  w.Key(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_TRUE(w.Pressed(el::btn_jump_top, el::btn_jump_pressed));
}

TEST(GameWindowKeys, KeyCodesOfTheBindableKeys) {
  struct Case {
    int key;
    Qt::KeyboardModifiers mods;
    uint16_t vk;
  } cases[] = {
      {Qt::Key_0, Qt::NoModifier, 48},      {Qt::Key_9, Qt::NoModifier, 57},       {Qt::Key_Z, Qt::NoModifier, 90},
      {Qt::Key_Up, Qt::NoModifier, 38},     {Qt::Key_Down, Qt::NoModifier, 40},    {Qt::Key_Left, Qt::NoModifier, 37},
      {Qt::Key_Right, Qt::NoModifier, 39},  {Qt::Key_Alt, Qt::AltModifier, 18},    {Qt::Key_Control, Qt::NoModifier, 17},
      {Qt::Key_Shift, Qt::ShiftModifier, 16}, {Qt::Key_Space, Qt::NoModifier, 32}, {Qt::Key_Return, Qt::NoModifier, 13},
      {Qt::Key_Enter, Qt::KeypadModifier, 13}, {Qt::Key_Escape, Qt::NoModifier, 27},
      {Qt::Key_5, Qt::KeypadModifier, 0},   {Qt::Key_F1, Qt::NoModifier, 0},       {Qt::Key_Tab, Qt::NoModifier, 0},
  };
  for (const Case &c : cases) {
    QKeyEvent e(QEvent::KeyPress, c.key, c.mods);
    EXPECT_EQ(Plat_Virtual_Key(&e), c.vk) << "Qt key " << c.key;
  }
  // A keyboard with two layouts (X key code 24 carries q Q on the first and a A on the second,
  // French, layout; key code 40 d D and Cyrillic ve on a Russian second layout): the layout group
  // in the event's state picks the key's letter; Shift (bit 0) changes nothing.
  struct Grouped {
    uint32_t keycode, syms[4];
    int n;
    uint32_t state;
    uint16_t vk;
  } grouped[] = {
      {24, {'q', 'Q', 'a', 'A'}, 4, 0, 'Q'},        {24, {'q', 'Q', 'a', 'A'}, 4, 1u << 13, 'A'},
      {24, {'q', 'Q', 'a', 'A'}, 4, (1u << 13) | 1, 'A'}, {24, {'q', 'Q', 'a', 'A'}, 4, 1, 'Q'},
      {40, {'d', 'D', 0x6d7, 0x6f7}, 4, 1u << 13, 'D'},   // Cyrillic: the letter of the key's place
      {65, {' ', 0, 0, 0}, 1, 1u << 13, 32},          // one group: the same in every group
      {38, {'a', 'A', 0, 0}, 4, 1u << 13, 'A'},       // nothing in the second group: the first's
  };
  for (const Grouped &g : grouped)
    EXPECT_EQ(Inp_Native_Key_Code(g.keycode, Plat_Group_Keysym(g.syms, g.n, g.state)), g.vk)
        << "key code " << g.keycode << " state " << g.state;
}

TEST(GameWindowMouse, LeftPressCapturesUntilReleaseOtherButtonsDoNothing) {
  GameWindow w;
  w.Bindings();
  Lcd &lcd = w.form1.game.lcd;
  Lcd_Set_Rect(lcd, el::btn_jump_top, Rect{100, 100, 50, 40});
  Lcd_Set_Visible(lcd, el::btn_jump_top, true);
  Lcd_Set_Rect(lcd, el::btn_time_top, Rect{300, 100, 50, 40});
  Lcd_Set_Visible(lcd, el::btn_time_top, true);
  // Right and middle buttons on a face: nothing.
  for (Qt::MouseButton b : {Qt::RightButton, Qt::MiddleButton}) {
    w.Mouse(QEvent::MouseButtonPress, QPoint(110, 110), b);
    EXPECT_FALSE(w.Pressed(el::btn_jump_top, el::btn_jump_pressed));
    w.Mouse(QEvent::MouseButtonRelease, QPoint(110, 110), b);
  }
  // Pressed on Jump, released elsewhere (over Time): Jump's release routine.
  w.Mouse(QEvent::MouseButtonPress, QPoint(110, 110), Qt::LeftButton);
  EXPECT_TRUE(w.Pressed(el::btn_jump_top, el::btn_jump_pressed));
  w.Mouse(QEvent::MouseButtonRelease, QPoint(310, 110), Qt::LeftButton);
  EXPECT_FALSE(w.Pressed(el::btn_jump_top, el::btn_jump_pressed));
  EXPECT_EQ(w.Mode(), kModeClock);  // Time was not touched
  // A press beside every face does nothing.
  w.Mouse(QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
  w.Mouse(QEvent::MouseButtonRelease, QPoint(310, 110), Qt::LeftButton);
  EXPECT_EQ(w.Mode(), kModeClock);
  // Time by mouse: down freezes, up restarts the clock.
  w.Mouse(QEvent::MouseButtonPress, QPoint(320, 120), Qt::LeftButton);
  EXPECT_EQ(w.Mode(), kModeTimeHeld);
  w.Mouse(QEvent::MouseButtonRelease, QPoint(900, 700), Qt::LeftButton);
  EXPECT_EQ(w.Mode(), kModeClock);
}

namespace {

// A small window that notes whether the settings store was still there when it was closed.
class SmallWindow : public QWidget {
 public:
  explicit SmallWindow(const TForm1 &form1) : form1_(form1) {}
  bool closed_with_store = false;

 protected:
  void closeEvent(QCloseEvent *e) override {
    closed_with_store = form1_.game.store != nullptr;
    QWidget::closeEvent(e);
  }

 private:
  const TForm1 &form1_;
};

}  // namespace

TEST(GameWindowClose, StopsEveryTimerAndClosesTheSmallWindowsBeforeTheRelease) {
  GameWindow w;
  w.Bindings();
  w.form1.show();
  SmallWindow about(w.form1);
  about.show();
  w.form1.AddSmallWindow(&about);
  int ends = 0;
  w.form1.end_program = [&ends] { ++ends; };
  w.Key(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, false, "1");
  w.Key(QEvent::KeyRelease, Qt::Key_1, Qt::NoModifier, false, "1");
  w.clock.Advance(3000);
  ASSERT_EQ(w.Mode(), kModeGameA);
  ASSERT_NE(w.clock.NextDue(), -1);

  w.form1.close();
  EXPECT_EQ(w.clock.NextDue(), -1) << "a game timer is still running after the close";
  EXPECT_FALSE(about.isVisible());
  EXPECT_TRUE(about.closed_with_store);
  EXPECT_EQ(w.form1.game.store, nullptr);
  EXPECT_EQ(w.form1.store, nullptr);
  EXPECT_EQ(ends, 1);
  w.clock.Advance(600000);  // a game left running would reach its game over and write its score
}

TEST(GameWindowPlace, RememberedPlaceAndOriginalSizeInASmallWindow) {
  GameWindow w;
  FixedScreen desktop{1920, 1080};
  w.form1.desktop = &desktop;
  // A remembered place on the screen is where the window comes up; one off the screen is brought
  // to its middle.
  struct Case {
    const char *stored;
    QRect expected;
  } cases[] = {{"100,80,640,480", QRect(100, 80, 640, 480)},
               {"1700,900,1280,720", QRect(1700, 900, 1280, 720)},  // partly on the screen
               {"5000,4000,640,480", QRect(640, 300, 640, 480)}};
  for (const Case &c : cases) {
    GameWindow g;
    g.form1.desktop = &desktop;
    g.store->values["WindowGeometry"] = c.stored;
    g.form1.SetWindowMode(true);
    g.form1.CenterOnScreen();
    EXPECT_EQ(g.form1.geometry(), c.expected) << c.stored;
  }
  // The original size in a window smaller than the skin's 1024 x 768 shows the handheld whole,
  // reduced; in a window large enough it is pixel for pixel again.
  w.form1.SetFitToScreen(false);
  w.form1.show();
  w.form1.resize(1280, 720);
  QApplication::processEvents();
  EXPECT_DOUBLE_EQ(w.form1.view().scale, 720.0 / 768);
  w.form1.resize(1600, 1000);
  QApplication::processEvents();
  EXPECT_DOUBLE_EQ(w.form1.view().scale, 1.0);
  w.form1.SetFitToScreen(true);
  EXPECT_DOUBLE_EQ(w.form1.view().scale, 1000.0 / 768);
}

TEST(GameWindowFront, TheWindowThatTakesInputComesForward) {
  GameWindow w;
  QWidget about, keys;
  w.form1.AddSmallWindow(&about);
  w.form1.AddSmallWindow(&keys);
  w.form1.show();
  about.show();
  keys.show();
  // Key settings is open: the game window waits on it, disabled.
  w.form1.setEnabled(false);
  w.form1.activateWindow();
  QApplication::processEvents();
  w.form1.BringToFront();
  QApplication::processEvents();
  EXPECT_EQ(QApplication::activeWindow(), &keys);
  // Key settings closed: the game window, minimised, comes back and takes the keyboard.
  keys.hide();
  w.form1.setEnabled(true);
  w.form1.showMinimized();
  about.activateWindow();
  QApplication::processEvents();
  w.form1.BringToFront();
  QApplication::processEvents();
  EXPECT_FALSE(w.form1.isMinimized());
  EXPECT_EQ(QApplication::activeWindow(), &w.form1);
}
