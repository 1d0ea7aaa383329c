// The handheld's modes and its three buttons, and the clock, on the virtual clock.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "display/vid.h"
#include "test_support.h"

namespace {

// A game whose digit glyphs and button pictures are told apart by their picture objects, so that
// the digit shown in a position and the picture on a button face can be read back.
struct Handheld : TestGame {
  PictureRef glyph[10];
  Handheld() {
    for (int d = 0; d <= 9; ++d) {
      glyph[d] = std::make_shared<Picture>();
      Lcd_Set_Picture(g.lcd, g.lcd.panel_number_img[d], glyph[d]);
    }
    for (el::Id id : {el::btn_game_a_pressed, el::btn_game_a_released, el::btn_game_b_pressed,
                      el::btn_game_b_released, el::btn_time_pressed, el::btn_time_released})
      Lcd_Set_Picture(g.lcd, id, std::make_shared<Picture>());
  }
  // The glyph in digit position pos: 0..9, -1 blank, -2 something else.
  int Digit(int pos) const {
    const PictureRef &p = g.lcd.e[g.lcd.panel_digit_img[pos]].pic;
    if (!p) return -1;
    for (int d = 0; d <= 9; ++d)
      if (p == glyph[d]) return d;
    return -2;
  }
  // The five positions as text, blank as '_': "_12:00" style without the colon, e.g. "1200_".
  std::string Digits() const {
    std::string s;
    for (int pos = 1; pos <= 5; ++pos) {
      const int d = Digit(pos);
      s += d >= 0 ? static_cast<char>('0' + d) : d == -1 ? '_' : '?';
    }
    return s;
  }
  bool Face(el::Id face, el::Id picture) const { return g.lcd.e[face].pic == g.lcd.e[picture].pic; }
  void EnterClock() {
    g.game_mode = kModeClock;
    Gam_Set_Mode(g);
  }
  bool AnyTimerEnabled() const {
    for (const auto *t : {&g.Timer_Bonus, &g.Timer_Bonus_Chance, &g.Timer_Bonus_Complete, &g.Timer_Clock,
                          &g.Timer_Game, &g.Timer_Game_Over, &g.Timer_Hook, &g.Timer_Pelko_Move, &g.Timer_Miss,
                          &g.Timer_Miss_Jump, &g.Timer_Score_Blink, &g.Timer_Stage_New, &g.Timer_Stage_Start})
      if ((*t)->Enabled()) return true;
    return false;
  }
};

enum Button { A, B, T };
void Down(Game &g, Button b) { b == A ? Inp_game_a_down(g) : b == B ? Inp_game_b_down(g) : Inp_time_down(g); }
void Up(Game &g, Button b) { b == A ? Inp_game_a_up(g) : b == B ? Inp_game_b_up(g) : Inp_time_up(g); }

}  // namespace

TEST(Modes, ProgramStartIgnoresButtonsUntilTheClockRuns) {
  Handheld h;
  ASSERT_EQ(h.g.game_mode, kModeTimeHeld);
  Down(h.g, A);
  Up(h.g, A);
  Down(h.g, B);
  Up(h.g, B);
  EXPECT_EQ(h.g.game_mode, kModeTimeHeld);
  // The faces still follow every press and release.
  EXPECT_TRUE(h.Face(el::btn_game_b_top, el::btn_game_b_released));
  Down(h.g, T);
  EXPECT_TRUE(h.Face(el::btn_time_top, el::btn_time_pressed));
  EXPECT_EQ(h.g.game_mode, kModeTimeHeld);
  // A Time release in mode 0 starts the clock.
  Up(h.g, T);
  EXPECT_EQ(h.g.game_mode, kModeClock);
  EXPECT_TRUE(h.g.Timer_Clock->Enabled());
}

TEST(Modes, PressesTakeOverFromClockGamesAndGameOver) {
  const int32_t from[] = {kModeClock, kModeGameA, kModeGameB, kModeGameOver};
  const std::pair<Button, int32_t> press[] = {{A, kModeGameAHeld}, {B, kModeGameBHeld}, {T, kModeTimeHeld}};
  for (int32_t mode : from) {
    for (auto [button, held] : press) {
      Handheld h;
      h.g.game_mode = mode;
      h.g.in_play = true;
      h.snd.sound_on = true;
      for (auto *t : {&h.g.Timer_Bonus, &h.g.Timer_Bonus_Chance, &h.g.Timer_Bonus_Complete, &h.g.Timer_Clock,
                      &h.g.Timer_Game, &h.g.Timer_Game_Over, &h.g.Timer_Hook, &h.g.Timer_Pelko_Move, &h.g.Timer_Miss,
                      &h.g.Timer_Miss_Jump, &h.g.Timer_Score_Blink, &h.g.Timer_Stage_New, &h.g.Timer_Stage_Start})
        (*t)->SetEnabled(true);
      Down(h.g, button);
      EXPECT_EQ(h.g.game_mode, held) << "mode " << mode << " button " << button;
      EXPECT_FALSE(h.AnyTimerEnabled()) << "mode " << mode << " button " << button;
      EXPECT_FALSE(h.g.in_play);
      // Whatever was sounding stops.
      EXPECT_EQ(h.lib.calls, std::vector<std::string>{"stop"}) << "mode " << mode << " button " << button;
    }
  }
}

TEST(Modes, ReleasesStartGamesOrTheClock) {
  {
    Handheld h;
    h.EnterClock();
    Down(h.g, A);
    Up(h.g, A);
    EXPECT_EQ(h.g.game_mode, kModeGameA);
    EXPECT_EQ(h.g.stage_number, 1);
    EXPECT_EQ(h.g.stage_start_step, 1);
    EXPECT_TRUE(h.g.Timer_Stage_Start->Enabled());
    EXPECT_EQ(h.g.Timer_Stage_Start->Interval(), 1);
  }
  {
    Handheld h;
    h.EnterClock();
    h.g.stage_number = 3;
    Down(h.g, B);
    Up(h.g, B);
    EXPECT_EQ(h.g.game_mode, kModeGameB);
    EXPECT_EQ(h.g.stage_number, 1);
    EXPECT_TRUE(h.g.Timer_Stage_Start->Enabled());
  }
  {
    // Releases that do not match the held button change nothing.
    Handheld h;
    h.EnterClock();
    Up(h.g, A);
    Up(h.g, B);
    EXPECT_EQ(h.g.game_mode, kModeClock);
  }
}

TEST(Modes, WhileOneButtonIsHeldTheOtherTwoAreIgnored) {
  const std::pair<Button, int32_t> held[] = {{A, kModeGameAHeld}, {B, kModeGameBHeld}, {T, kModeTimeHeld}};
  for (auto [button, mode] : held) {
    Handheld h;
    h.EnterClock();
    Down(h.g, button);
    ASSERT_EQ(h.g.game_mode, mode);
    for (Button other : {A, B, T}) {
      if (other == button) continue;
      Down(h.g, other);
      Up(h.g, other);
      EXPECT_EQ(h.g.game_mode, mode) << "held " << button << " other " << other;
    }
    // Auto-repeat: further presses of the held button change nothing either.
    Down(h.g, button);
    Down(h.g, button);
    EXPECT_EQ(h.g.game_mode, mode);
  }
  // Game A held, Game B pressed and released, then Game A released: a Game A starts.
  Handheld h;
  h.EnterClock();
  Down(h.g, A);
  Down(h.g, B);
  Up(h.g, B);
  Up(h.g, A);
  EXPECT_EQ(h.g.game_mode, kModeGameA);
}

TEST(Modes, HeldGameButtonShowsItsHighScore) {
  struct Case {
    Button button;
    int32_t hiscore_a, hiscore_b;
    const char *digits;
  } cases[] = {
      {A, 0, 7, "____0"},     // a high score of 0 is the fixed last digit alone
      {A, 45, 0, "__450"},
      {B, 45, 999, "_9990"},
      {B, 0, 100, "_1000"},
  };
  for (const Case &c : cases) {
    Handheld h;
    h.g.hiscore_a = c.hiscore_a;
    h.g.hiscore_b = c.hiscore_b;
    h.EnterClock();
    h.clock.Advance(1);  // test picture: every segment lit
    Down(h.g, c.button);
    EXPECT_EQ(h.Digits(), c.digits);
    const el::Id mark = c.button == A ? el::im_panel_game_a : el::im_panel_game_b;
    const el::Id other = c.button == A ? el::im_panel_game_b : el::im_panel_game_a;
    EXPECT_TRUE(h.IsLit(mark));
    EXPECT_FALSE(h.IsLit(other));
    EXPECT_TRUE(h.IsLit(el::im_panel_hiscore));
    EXPECT_TRUE(h.IsLit(el::im_panel_score));
    // The rest of the picture is cleared.
    EXPECT_FALSE(h.IsLit(el::im_heart_1));
    EXPECT_FALSE(h.IsLit(el::im_panel_time_colon));
    EXPECT_FALSE(h.IsLit(el::im_girder_1));
    // Held for a long while, nothing moves.
    h.clock.Advance(10000);
    EXPECT_EQ(h.Digits(), c.digits);
  }
}

TEST(Modes, TimeFreezesThePictureAndItsReleaseRestartsTheClock) {
  Handheld h;
  h.screen.SetTime(9, 41);
  h.EnterClock();
  h.clock.Advance(500);  // halfway through the test picture
  ASSERT_TRUE(h.IsLit(el::im_heart_1));
  const auto frozen = h.Lit();
  Down(h.g, T);
  EXPECT_EQ(h.g.game_mode, kModeTimeHeld);
  EXPECT_FALSE(h.AnyTimerEnabled());
  h.clock.Advance(5000);
  EXPECT_EQ(h.Lit(), frozen);
  EXPECT_EQ(h.Digits(), "18888");
  Up(h.g, T);
  EXPECT_EQ(h.g.game_mode, kModeClock);
  h.clock.Advance(1);
  EXPECT_EQ(h.Digits(), "18888");
  h.clock.Advance(1000);
  EXPECT_FALSE(h.IsLit(el::im_heart_1));
  h.clock.Advance(1);
  EXPECT_EQ(h.Digits(), "_941_");
}

TEST(Clock, TestPictureForOneSecondThenTheClockFrame) {
  Handheld h;
  h.screen.SetTime(13, 7);
  h.EnterClock();
  EXPECT_EQ(h.g.clock_phase, 1);
  EXPECT_TRUE(h.Lit().empty());
  h.clock.Advance(1);
  // The test picture: every segment (of the flames only the first frame), 1 8 8 8 8 and all marks.
  EXPECT_EQ(h.Digits(), "18888");
  for (el::Id id : {el::im_panel_time_am, el::im_panel_time_pm, el::im_panel_time_colon, el::im_heart_1,
                    el::im_girder_2, el::im_tusko_7, el::im_flame_l_1})
    EXPECT_TRUE(h.IsLit(id)) << Lcd_Name(id);
  EXPECT_FALSE(h.IsLit(el::im_flame_l_2));
  h.clock.Advance(999);
  EXPECT_EQ(h.Digits(), "18888");
  EXPECT_TRUE(h.IsLit(el::im_heart_1));
  // At 1001 ms the clock frame: girder, crane, four wires, colon and the (blank) digit places.
  h.clock.Advance(1);
  EXPECT_EQ(h.Lit(), (std::vector<std::string>{"im_crane_1", "im_girder_1", "im_panel_digit_pos_1",
                                               "im_panel_digit_pos_2", "im_panel_digit_pos_3", "im_panel_digit_pos_4",
                                               "im_panel_digit_pos_5", "im_panel_time_colon", "im_wire_1",
                                               "im_wire_2", "im_wire_3", "im_wire_4"}));
  EXPECT_EQ(h.Digits(), "_____");
  // 1 ms later the time.
  h.clock.Advance(1);
  EXPECT_EQ(h.Digits(), "_107_");
  EXPECT_TRUE(h.IsLit(el::im_panel_time_pm));
  EXPECT_FALSE(h.IsLit(el::im_panel_time_am));
  EXPECT_TRUE(h.IsLit(el::im_panel_time_colon));
  EXPECT_EQ(h.g.Timer_Clock->Interval(), 1000);
}

TEST(Clock, TwelveHourTimeWithAmAndPm) {
  struct Case {
    int h, m;
    const char *digits;
    bool pm;
  } cases[] = {
      {0, 0, "1200_", false},  {0, 5, "1205_", false},  {9, 41, "_941_", false}, {10, 0, "1000_", false},
      {11, 59, "1159_", false}, {12, 0, "1200_", true},  {13, 7, "_107_", true},  {23, 59, "1159_", true},
  };
  for (const Case &c : cases) {
    Handheld h;
    h.screen.SetTime(c.h, c.m);
    h.EnterClock();
    h.clock.Advance(1002);
    EXPECT_EQ(h.Digits(), c.digits) << c.h << ":" << c.m;
    EXPECT_EQ(h.IsLit(el::im_panel_time_pm), c.pm) << c.h << ":" << c.m;
    EXPECT_EQ(h.IsLit(el::im_panel_time_am), !c.pm) << c.h << ":" << c.m;
  }
}

TEST(Clock, OneUpdateASecondShowsTheNewMinute) {
  Handheld h;
  h.screen.SetTime(11, 59);
  h.EnterClock();
  h.clock.Advance(1002);
  EXPECT_EQ(h.Digits(), "1159_");
  h.screen.SetTime(12, 0);
  h.clock.Advance(999);
  EXPECT_EQ(h.Digits(), "1159_");  // not yet: the next update is 1000 ms after the last
  h.clock.Advance(1);
  EXPECT_EQ(h.Digits(), "1200_");
  EXPECT_TRUE(h.IsLit(el::im_panel_time_pm));
  // The clock frame stays as it is; nothing else lights.
  EXPECT_FALSE(h.IsLit(el::im_heart_1));
  EXPECT_TRUE(h.IsLit(el::im_wire_4));
  EXPECT_EQ(h.g.clock_phase, 3);
}
