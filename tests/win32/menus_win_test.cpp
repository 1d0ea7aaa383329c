// The Windows game menu and shortcut keys: what the game window's mouse and keys do through
// WinMenus, checked by what is stored, run and repainted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/studio.h"
#include "app/win32/small_windows_win.h"
#include "display/lcd.h"
#include "game/game.h"
#include "platform/store.h"

namespace {

class WinMenusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Lcd_Init(game.lcd);
    game.store = &store;
    hooks.end_program = [this] { ++exits; };
    hooks.shell_open = [this](const std::string &s) { opened.push_back(s); };
    hooks.invalidate = [this](const Rect &r) { repainted.push_back(r); };
    menus = std::make_unique<WinMenus>(store, game, hooks);
    Lcd_Set_Rect(game.lcd, el::im_logo, Rect{900, 0, 100, 50});
  }
  void Click(int32_t x, int32_t y) { Drag(x, y, x, y); }
  void Drag(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    menus->MouseDown(x0, y0);
    menus->MouseUp(x1, y1);
  }
  static int32_t RowY(int row) { return row * kGameMenuRowHeight + 5; }

  MemStore store;
  Game game;
  WinUiHooks hooks;
  std::unique_ptr<WinMenus> menus;
  int exits = 0;
  std::vector<std::string> opened;
  std::vector<Rect> repainted;
};

TEST_F(WinMenusTest, RowsRunTheirEntryOnlyWhenReleasedOnItAndTheMenuClosesAfter) {
  Click(10, 10);  // the three-line icon
  ASSERT_TRUE(game.menu_open);
  EXPECT_EQ(game.lcd.e[el::btn_game_menu_background].rect, kGameMenuOpen);

  // Separator, disabled entry and title bar: nothing runs and the menu stays open.
  for (int32_t y : {RowY(4), RowY(3), 20}) {
    Click(100, y);
    EXPECT_TRUE(game.menu_open) << y;
  }
  EXPECT_TRUE(store.values.empty());

  // Pressed on "Exit", released on another row: closed, nothing run.
  Drag(100, RowY(11), 100, RowY(7));
  EXPECT_FALSE(game.menu_open);
  EXPECT_EQ(exits, 0);
  EXPECT_TRUE(store.values.empty());
  EXPECT_EQ(game.lcd.e[el::btn_game_menu_background].rect, kGameMenuClosed);

  // "Reset Hiscores" clicked: both stored as 0 at once, and the menu closes.
  game.hiscore_a = 120;
  game.hiscore_b = 340;
  Click(10, 10);
  Click(100, RowY(7));
  EXPECT_FALSE(game.menu_open);
  EXPECT_EQ(store.values["HiScore1"], "0");
  EXPECT_EQ(store.values["HiScore2"], "0");
  EXPECT_EQ(game.hiscore_a + game.hiscore_b, 0);

  // The splash entry turns the preference off; the row then shows no mark.
  Click(10, 10);
  EXPECT_TRUE(menus->Checked(MenuCommand::SplashScreen));
  Click(100, RowY(9));
  EXPECT_EQ(store.values["SplashScreen"], "0");
  EXPECT_FALSE(menus->Checked(MenuCommand::SplashScreen));

  // Rows answer only while the menu is open: a click there now is the game's.
  EXPECT_FALSE(menus->MouseDown(100, RowY(11)));
  EXPECT_EQ(exits, 0);
}

TEST_F(WinMenusTest, HoverRepaintsTheRowsItEntersAndLeavesButNeverASeparator) {
  Click(10, 10);
  repainted.clear();
  menus->MouseMove(100, RowY(2));
  ASSERT_EQ(repainted.size(), 1u);
  EXPECT_EQ(repainted[0], Ui_Game_Menu_Row(2));
  EXPECT_TRUE(menus->HandCursorAt(100, RowY(2)));
  menus->MouseMove(100, RowY(4));  // the separator: row 2 goes light, nothing darkens
  ASSERT_EQ(repainted.size(), 2u);
  EXPECT_EQ(repainted[1], Ui_Game_Menu_Row(2));
  EXPECT_FALSE(menus->HandCursorAt(100, RowY(4)));
  EXPECT_FALSE(menus->HandCursorAt(100, RowY(3)));  // the disabled entry
}

TEST_F(WinMenusTest, ShortcutsAndTheLogo) {
  EXPECT_TRUE(menus->Shortcut(0x72));   // F3: taken, but its entry is never enabled
  EXPECT_FALSE(menus->Shortcut('A'));   // not a shortcut: left to the key bindings
  EXPECT_TRUE(menus->Shortcut(0x71));   // F2
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], "Readme.txt");
  EXPECT_TRUE(menus->Shortcut(27));     // Esc ends the program
  EXPECT_EQ(exits, 1);

  Click(950, 20);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[1], kStudioWebsite);
  Drag(950, 20, 500, 400);  // released elsewhere: no click
  EXPECT_EQ(opened.size(), 2u);
}

}  // namespace
