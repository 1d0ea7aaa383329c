// The on-screen game menu's rows as a shell without row widgets of its own finds them: the row
// under a point of the skin's screen, by the same table the rows are drawn from.
#include <gtest/gtest.h>

#include "app/ui/ui.h"

TEST(GameMenuRows, APointFindsTheRowDrawnThereAndNothingOutsideTheRows) {
  struct Case {
    int32_t x, y;
    int row;
  } cases[] = {
      {10, 10, 0},                                            // the title bar (and icon) is no row
      {0, 31, 0},   {0, 32, 1},    {255, 63, 1},  {255, 64, 2},  // row edges
      {100, 32 * 4 + 5, 4},                                   // a separator row is still a row
      {100, 32 * 11, 11}, {100, 32 * 12 - 1, 11},             // the last entry, "Exit"
      {100, 32 * 12, 0},                                      // below the menu
      {256, 40, 0}, {-1, 40, 0},                              // beside it
  };
  for (const Case &c : cases) {
    EXPECT_EQ(Ui_Game_Menu_Row_At(c.x, c.y), c.row) << c.x << "," << c.y;
    // Every row found lies where that row is drawn.
    if (c.row) {
      const Rect r = Ui_Game_Menu_Row(c.row);
      EXPECT_TRUE(c.x >= r.left && c.x < r.left + r.width && c.y >= r.top && c.y < r.top + r.height);
    }
  }
  EXPECT_EQ(Ui_Menu_Entries()[Ui_Game_Menu_Row_At(5, 32 * 11) - 1].command, MenuCommand::Exit);
}
