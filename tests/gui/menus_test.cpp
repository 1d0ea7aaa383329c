// The game window's menus: the context menu's entries, check mark and actions, the shortcut keys,
// and the on-screen game menu opening, hovering, choosing and closing with real mouse events.
#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QMouseEvent>
#include <fstream>
#include <memory>

#include "app/qt/about.h"
#include "app/qt/form1.h"
#include "app/qt/menus.h"
#include "app/qt/pictures.h"
#include "input/keys_form.h"

namespace {

void Mouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, held, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

void Click(QWidget *w, QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
  Mouse(w, QEvent::MouseButtonPress, pos, button);
  Mouse(w, QEvent::MouseButtonRelease, pos, button);
}

void Key(QWidget *w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, mods);
  QCoreApplication::sendEvent(w, &press);
}

void RunDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class MenusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto s = std::make_unique<MemStore>();
    store = s.get();
    form.store = std::move(s);
    form.game.store = store;
    folder = dir.path().toStdString() + "/";
    for (const char *name : {"Readme.txt", "Config.ini"}) std::ofstream(folder + name) << "text of " << name << "\n";
    form.cfg.program_folder = folder;
    Lcd_Init(form.game.lcd);
    Inp_Load_Bindings(form.controls, *store);
    form.resize(1024, 768);
    form.menus = std::make_unique<GameMenus>(form);
    m = form.menus.get();
    m->shell_open = [this](const std::string &what) {
      opened.push_back(what);
      return shell_works;
    };
    m->end_program = [this] { ++exits; };
    keys = std::make_unique<TKeysForm>(form.controls, form.game, &form);
    m->about_form = &about;
    m->keys_form = keys.get();
    form.show();
    store->writes = 0;
  }
  void TearDown() override { RunDeferredDeletes(); }

  QLabel *Row(int i) { return m->menu_labels.at(i - 1).data(); }
  void OpenGameMenu() {
    Click(&form, QPoint(10, 10));  // the three-line icon
    ASSERT_TRUE(form.game.menu_open);
  }

  QTemporaryDir dir;
  std::string folder;  // the program folder, holding Readme.txt and Config.ini
  bool shell_works = true;
  TForm1 form;
  MemStore *store = nullptr;
  GameMenus *m = nullptr;
  TAboutForm about;
  std::unique_ptr<TKeysForm> keys;
  std::vector<std::string> opened;
  int exits = 0;
};

TEST_F(MenusTest, ContextMenuHoldsTheElevenEntriesInOrder) {
  QList<QAction *> actions = m->pm_0_menu->actions();
  // Besides the eleven: the LCD effects submenu after the splash entry, and after Exit a separator
  // and the two screen entries.
  ASSERT_EQ(actions.size(), kMenuItems + 4);
  EXPECT_EQ(actions[9], m->pm_lcd_menu->menuAction());
  EXPECT_EQ(actions[9]->text().toStdString(), "LCD effects");
  EXPECT_TRUE(actions[kMenuItems + 1]->isSeparator());
  EXPECT_EQ(actions[kMenuItems + 2]->text().toStdString(), "Original size");
  EXPECT_EQ(actions[kMenuItems + 3]->text().toStdString(), "Play in a window\tF11");
  actions.removeAt(9);
  const char *texts[] = {"About...\tF1", "View 'Readme.txt'\tF2", "View 'Whatsnew.txt'\tF3", "",
                         "Edit configuration file", "Key settings", "Reset Hiscores", "",
                         "Display splash screen at startup", "", "Exit\tEsc"};
  for (int i = 0; i < kMenuItems; ++i) {
    EXPECT_EQ(actions[i], m->menu_items[i + 1]) << i;
    EXPECT_EQ(actions[i]->isSeparator(), texts[i][0] == 0) << i;
    if (!actions[i]->isSeparator()) {
      EXPECT_EQ(actions[i]->text().toStdString(), texts[i]);
    }
  }
  EXPECT_EQ(m->pm_0_menu->defaultAction(), m->pm_1_about);
  EXPECT_FALSE(m->pm_3_whatsnew->isEnabled());
  EXPECT_TRUE(m->pm_11_splashscreen->isCheckable());
}

TEST_F(MenusTest, LcdEffectsSubmenuStoresEachChoiceAndClassicOffersNoEffect) {
  m->pm_lcd_menu->popup(QPoint(10, 10));  // check marks from the window's settings (the defaults)
  EXPECT_FALSE(m->pm_lcd_classic->isChecked());
  EXPECT_TRUE(m->pm_lcd_shadow->isChecked() && m->pm_lcd_fade->isChecked());
  m->pm_lcd_menu->hide();

  m->pm_lcd_shadow->trigger();
  EXPECT_EQ(store->values["LcdShadow"], "0");
  m->pm_lcd_ghost.front()->trigger();  // "Off"
  EXPECT_EQ(m->pm_lcd_ghost.front()->text().toStdString(), "Off");
  EXPECT_EQ(store->values["LcdGhost"], "0");
  m->pm_lcd_ghost.back()->trigger();
  EXPECT_EQ(store->values["LcdGhost"], "30");
  EXPECT_EQ(form.Lcd_Effects().ghost, 30);

  m->pm_lcd_classic->trigger();
  EXPECT_EQ(store->values["LcdEffects"], "0");
  EXPECT_FALSE(form.Lcd_Effects().enabled);
  EXPECT_FALSE(m->pm_lcd_shadow->isEnabled());
  EXPECT_FALSE(m->pm_lcd_fade->isEnabled());
  EXPECT_FALSE(m->pm_lcd_ghost_menu->menuAction()->isEnabled());
  // Back from classic: the effects as they were set.
  m->pm_lcd_classic->trigger();
  EXPECT_EQ(store->values["LcdEffects"], "1");
  EXPECT_EQ(store->values["LcdGhost"], "30");
  EXPECT_EQ(store->values["LcdShadow"], "0");
  EXPECT_TRUE(m->pm_lcd_fade->isEnabled());
}

TEST_F(MenusTest, OpeningTheContextMenuTakesTheCheckMarkFromTheStoreAndClosesTheGameMenu) {
  store->values["SplashScreen"] = "0";
  OpenGameMenu();
  QContextMenuEvent right(QContextMenuEvent::Mouse, QPoint(500, 400), form.mapToGlobal(QPoint(500, 400)));
  QCoreApplication::sendEvent(&form, &right);
  EXPECT_TRUE(m->pm_0_menu->isVisible());
  EXPECT_FALSE(m->pm_11_splashscreen->isChecked());
  EXPECT_FALSE(form.game.menu_open);
  EXPECT_TRUE(m->menu_labels.empty());
  m->pm_0_menu->hide();

  store->values["SplashScreen"] = "1";
  m->Popup(QPoint(10, 10));
  EXPECT_TRUE(m->pm_11_splashscreen->isChecked());
  m->pm_0_menu->hide();

  // No stored value: the splash window's check box decides.
  store->values.erase("SplashScreen");
  m->splash_checkbox = [] { return false; };
  m->Popup(QPoint(10, 10));
  EXPECT_FALSE(m->pm_11_splashscreen->isChecked());
  m->pm_0_menu->hide();
  EXPECT_EQ(store->writes, 0);
}

TEST_F(MenusTest, ResetHiscoresWritesBothZerosAtOnce) {
  form.game.hiscore_a = 123;
  form.game.hiscore_b = 456;
  store->values["HiScore1"] = "123";
  store->values["HiScore2"] = "456";
  m->pm_8_hiscore->trigger();
  EXPECT_EQ(form.game.hiscore_a, 0);
  EXPECT_EQ(form.game.hiscore_b, 0);
  EXPECT_EQ(store->values["HiScore1"], "0");
  EXPECT_EQ(store->values["HiScore2"], "0");
  EXPECT_EQ(store->writes, 2);
}

TEST_F(MenusTest, ShortcutKeysComeBeforeTheBindings) {
  Key(&form, Qt::Key_F1);
  EXPECT_TRUE(about.isVisible());
  about.hide();
  Key(&form, Qt::Key_F1, Qt::ShiftModifier);  // shortcuts are plain keys
  EXPECT_FALSE(about.isVisible());
  Key(&form, Qt::Key_F2);
  EXPECT_EQ(opened, std::vector<std::string>{folder + "Readme.txt"});
  Key(&form, Qt::Key_F3);  // the disabled entry
  EXPECT_EQ(opened.size(), 1u);
  EXPECT_EQ(exits, 0);
  Key(&form, Qt::Key_Escape);
  EXPECT_EQ(exits, 1);
  m->pm_6_config->trigger();
  EXPECT_EQ(opened.back(), folder + "Config.ini");
}

// Without a program to open them, the documents are shown as text with their place; a missing one
// is named with the place it was looked for.
TEST_F(MenusTest, DocumentsNoProgramOpensAreShownOrNamed) {
  shell_works = false;
  Key(&form, Qt::Key_F2);
  auto *shown = form.findChild<QDialog *>("DocumentWindow");
  ASSERT_TRUE(shown && shown->isVisible());
  EXPECT_EQ(shown->findChild<QPlainTextEdit *>()->toPlainText(), "text of Readme.txt\n");
  EXPECT_TRUE(shown->findChild<QLabel *>("la_where")->text().contains(QString::fromStdString(folder + "Readme.txt")));
  shown->close();
  RunDeferredDeletes();

  QFile::remove(QString::fromStdString(folder + "Config.ini"));
  m->pm_6_config->trigger();
  auto *box = form.findChild<QMessageBox *>("DocumentMissing");
  ASSERT_TRUE(box && box->isVisible());
  EXPECT_TRUE(box->text().contains(QString::fromStdString(folder + "Config.ini")));
  EXPECT_EQ(form.findChild<QDialog *>("DocumentWindow"), nullptr);
  EXPECT_EQ(opened, std::vector<std::string>{folder + "Readme.txt"});  // nothing to hand to a program
  box->close();
}

TEST_F(MenusTest, KeySettingsEntryDisablesTheGameWindowUntilTheWindowCloses) {
  OpenGameMenu();
  Click(Row(6), QPoint(50, 16));  // "Key settings"
  EXPECT_TRUE(keys->isVisible());
  EXPECT_FALSE(form.isEnabled());
  EXPECT_FALSE(form.game.menu_open);
  Key(keys.get(), Qt::Key_Escape);
  EXPECT_FALSE(keys->isVisible());
  EXPECT_TRUE(form.isEnabled());
}

TEST_F(MenusTest, TheIconOpensAndClosesTheGameMenu) {
  const Element &bg = form.game.lcd.e[el::btn_game_menu_background];
  EXPECT_EQ(bg.rect, (Rect{0, 0, 36, 32}));
  EXPECT_EQ(form.game.lcd.e[el::btn_game_menu_top].rect, (Rect{0, 0, 36, 32}));
  EXPECT_TRUE(m->menu_labels.empty());

  store->values["SplashScreen"] = "1";
  m->Popup(QPoint(10, 10));  // the check mark as the store holds it
  m->pm_0_menu->hide();
  OpenGameMenu();
  EXPECT_EQ(bg.rect, (Rect{0, 0, 256, 384}));
  ASSERT_EQ(m->menu_labels.size(), 11u);
  for (int i = 1; i <= kMenuItems; ++i) {
    EXPECT_EQ(Row(i)->geometry(), QRect(0, 32 * i, 256, 32)) << i;
    EXPECT_TRUE(Row(i)->isVisible()) << i;
  }
  EXPECT_EQ(Row(1)->text(), "   About...");
  EXPECT_EQ(Row(2)->text(), "   View 'Readme.txt'");
  EXPECT_EQ(Row(9)->text(), "   Display splash screen at startup [V]");
  EXPECT_EQ(Row(11)->text(), "   Exit");
  for (int i : {4, 8, 10}) EXPECT_TRUE(Row(i)->text().isEmpty()) << i;
  EXPECT_FALSE(Row(3)->isEnabled());
  EXPECT_TRUE(Row(1)->isEnabled());

  QPointer<QLabel> first = Row(1);
  Click(&form, QPoint(10, 10));
  EXPECT_FALSE(form.game.menu_open);
  EXPECT_TRUE(m->menu_labels.empty());
  EXPECT_EQ(bg.rect, (Rect{0, 0, 36, 32}));
  RunDeferredDeletes();
  EXPECT_TRUE(first.isNull());
  EXPECT_TRUE(form.findChildren<QLabel *>().isEmpty());
}

TEST_F(MenusTest, HoverDarkensOnlyTheRowUnderThePointer) {
  OpenGameMenu();
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(Row(2), &enter);
  for (int i = 1; i <= kMenuItems; ++i) EXPECT_EQ(Row(i)->autoFillBackground(), i == 2) << i;
  EXPECT_EQ(Row(2)->palette().color(QPalette::Window), QColor(Qt::black));
  QCoreApplication::sendEvent(Row(2), &leave);
  EXPECT_FALSE(Row(2)->autoFillBackground());
  QCoreApplication::sendEvent(Row(4), &enter);  // a separator never darkens
  QCoreApplication::sendEvent(Row(3), &enter);  // nor does the greyed entry
  EXPECT_FALSE(Row(4)->autoFillBackground());
  EXPECT_FALSE(Row(3)->autoFillBackground());
}

TEST_F(MenusTest, ChoosingAnEntryRunsItThenClosesTheMenu) {
  store->values["SplashScreen"] = "1";
  m->Popup(QPoint(10, 10));
  m->pm_0_menu->hide();
  OpenGameMenu();
  QPointer<QLabel> row = Row(9);
  Click(row, QPoint(100, 16));
  EXPECT_EQ(store->values["SplashScreen"], "0");
  EXPECT_FALSE(form.game.menu_open);
  EXPECT_EQ(form.game.lcd.e[el::btn_game_menu_background].rect, (Rect{0, 0, 36, 32}));
  RunDeferredDeletes();
  EXPECT_TRUE(row.isNull());

  OpenGameMenu();
  EXPECT_EQ(Row(9)->text(), "   Display splash screen at startup");
  Click(Row(2), QPoint(100, 16));
  EXPECT_EQ(opened, std::vector<std::string>{folder + "Readme.txt"});
  OpenGameMenu();
  Click(Row(11), QPoint(20, 5));
  EXPECT_EQ(exits, 1);
  EXPECT_FALSE(form.game.menu_open);
}

TEST_F(MenusTest, MovingOffAnEntryBeforeReleaseClosesWithoutRunningIt) {
  OpenGameMenu();
  QLabel *readme = Row(2);
  Mouse(readme, QEvent::MouseButtonPress, QPoint(100, 16));
  EXPECT_TRUE(form.game.menu_open);
  // The press captured the mouse: the release comes to the row although the pointer is outside.
  Mouse(readme, QEvent::MouseButtonRelease, QPoint(300, 16));
  EXPECT_TRUE(opened.empty());
  EXPECT_FALSE(form.game.menu_open);
  EXPECT_TRUE(m->menu_labels.empty());
}

TEST_F(MenusTest, OtherClicksLeaveTheGameMenuOpen) {
  OpenGameMenu();
  Click(Row(2), QPoint(100, 16), Qt::MiddleButton);  // another button on an entry
  Click(Row(4), QPoint(100, 16));                    // a separator row
  Click(Row(3), QPoint(100, 16));                    // the greyed entry
  Click(&form, QPoint(150, 16));                     // the title bar beside the icon
  Click(&form, QPoint(600, 500));                    // the LCD picture outside the menu
  EXPECT_TRUE(form.game.menu_open);
  EXPECT_EQ(m->menu_labels.size(), 11u);
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(store->writes, 0);
}

TEST_F(MenusTest, RightClickOnAnEntryOpensTheContextMenuInstead) {
  OpenGameMenu();
  QContextMenuEvent right(QContextMenuEvent::Mouse, QPoint(10, 10), Row(5)->mapToGlobal(QPoint(10, 10)));
  QCoreApplication::sendEvent(Row(5), &right);
  EXPECT_TRUE(m->pm_0_menu->isVisible());
  EXPECT_FALSE(form.game.menu_open);
  m->pm_0_menu->hide();
  EXPECT_TRUE(opened.empty());
}

TEST_F(MenusTest, TheLogoOpensTheWebSite) {
  Lcd_Set_Rect(form.game.lcd, el::im_logo, Rect{900, 32, 92, 40});
  EXPECT_EQ(form.game.lcd.e[el::im_logo].hint, "Click to open website");
  Click(&form, QPoint(950, 50));
  EXPECT_EQ(opened, std::vector<std::string>{kStudioWebsite});
  // Pressed on the logo and released elsewhere: no click.
  Mouse(&form, QEvent::MouseButtonPress, QPoint(950, 50));
  Mouse(&form, QEvent::MouseButtonRelease, QPoint(500, 500));
  EXPECT_EQ(opened.size(), 1u);
}

TEST(GameMenuPicture, TitleBarIconAndDimmedPanel) {
  PictureRef pic = App_Picture("game_menu");
  ASSERT_TRUE(pic);
  ASSERT_EQ(pic->width, 256);
  ASSERT_EQ(pic->height, 512);
  auto at = [&](int x, int y) { return pic->pixels[static_cast<size_t>(y) * 256 + x]; };
  EXPECT_EQ(at(0, 0), 0xFF000000u);
  EXPECT_EQ(at(250, 16), 0xFF000000u);  // opaque black title bar
  EXPECT_EQ(at(15, 9), 0xFFFFFFFFu);    // a line of the white icon
  int white = 0;                        // the title beside the icon
  for (int y = 4; y < 30; ++y)
    for (int x = 36; x < 180; ++x) white += (at(x, y) & 0xFF) > 200;
  EXPECT_GT(white, 60);
  for (int y : {32, 100, 383, 511}) EXPECT_EQ(at(128, y), 0xCC000000u) << y;  // black at alpha 204

  // Drawn larger for a scaled window: the nearest rendering at or above the scale, standing for
  // the same 256 x 512 picture.
  const struct {
    double pixel_scale;
    int k;
  } scales[] = {{1.0, 1}, {1.40625, 2}, {2.0, 2}, {2.8125, 3}, {4.0, 3}};
  for (const auto &s : scales) {
    const PictureRef v = App_Picture("game_menu", s.pixel_scale);
    ASSERT_TRUE(v) << s.pixel_scale;
    EXPECT_EQ(v->scale, s.k) << s.pixel_scale;
    EXPECT_EQ(v->width, 256 * s.k) << s.pixel_scale;
    EXPECT_EQ(v->SkinHeight(), 512) << s.pixel_scale;
    EXPECT_EQ(v->pixels[static_cast<size_t>(16 * s.k) * v->width + 250 * s.k], 0xFF000000u) << s.pixel_scale;
  }
}

}  // namespace

// Fit to screen at twice the design size: faces, the menu icon, its rows and the screen entries
// all work in the enlarged picture, and "Original size" brings back one skin pixel a screen pixel.
TEST_F(MenusTest, FacesIconAndRowsWorkThroughTheScale) {
  Lcd &lcd = form.game.lcd;
  Lcd_Set_Picture(lcd, el::btn_jump_released, std::make_shared<Picture>());
  Lcd_Set_Picture(lcd, el::btn_jump_pressed, std::make_shared<Picture>());
  Lcd_Set_Rect(lcd, el::btn_jump_top, Rect{900, 600, 60, 60});
  form.game.game_mode = kModeClock;
  form.resize(2048, 1536);
  ASSERT_EQ(form.view().scale, 2.0);

  Mouse(&form, QEvent::MouseButtonPress, QPoint(930, 630));  // where the face lies at 1:1
  EXPECT_NE(lcd.e[el::btn_jump_top].pic, lcd.e[el::btn_jump_pressed].pic);
  Mouse(&form, QEvent::MouseButtonRelease, QPoint(930, 630));
  Mouse(&form, QEvent::MouseButtonPress, QPoint(1860, 1260));
  EXPECT_EQ(lcd.e[el::btn_jump_top].pic, lcd.e[el::btn_jump_pressed].pic);
  Mouse(&form, QEvent::MouseButtonRelease, QPoint(1860, 1260));
  EXPECT_EQ(lcd.e[el::btn_jump_top].pic, lcd.e[el::btn_jump_released].pic);

  Click(&form, QPoint(60, 50));  // inside the enlarged icon only
  ASSERT_TRUE(form.game.menu_open);
  ASSERT_TRUE(lcd.e[el::btn_game_menu_background].pic);
  EXPECT_EQ(lcd.e[el::btn_game_menu_background].pic->scale, 2);  // the menu's own picture drawn sharp
  EXPECT_EQ(Row(2)->geometry(), QRect(0, 128, 512, 64));
  EXPECT_EQ(Row(2)->font().pixelSize(), 28);

  Key(&form, Qt::Key_F11);  // before the play action: remembered, the window stays where it is
  EXPECT_EQ(store->values["WindowMode"], "1");
  EXPECT_TRUE(form.game.menu_open);
  form.resize(2048, 1536);  // a window the skin fits at its original size
  m->pm_16_original_size->trigger();
  EXPECT_EQ(store->values["ScreenScale"], "0");
  EXPECT_EQ(form.view().scale, 1.0);
  EXPECT_EQ(lcd.e[el::btn_game_menu_background].pic->scale, 1);
  m->pm_0_menuPopup();
  EXPECT_TRUE(m->pm_16_original_size->isChecked());
  EXPECT_TRUE(m->pm_17_window->isChecked());
}
