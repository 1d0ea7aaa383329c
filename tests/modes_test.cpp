#include <gtest/gtest.h>

#include "sequence_fixture.h"

TEST(SpeedRule, WorkedExamples) {
  struct Case {
    int32_t tick, score, a, b;
  } cases[] = {{1, 0, 499, 499},   {10, 0, 490, 487},    {100, 0, 400, 370}, {300, 0, 200, 110},
               {1, 300, 399, 399}, {50, 600, 250, 235},  {400, 0, 100, 100}, {1, 1200, 100, 100},
               {7, 2, 493, 491},   {200000000, 0, 100, 100}};
  for (const Case &c : cases) {
    EXPECT_EQ(Gam_Speed_Interval(kModeGameA, c.tick, c.score), c.a) << c.tick << " " << c.score;
    EXPECT_EQ(Gam_Speed_Interval(kModeGameB, c.tick, c.score), c.b) << c.tick << " " << c.score;
  }
  // Outside a game the rule gives its floor.
  for (int32_t mode : {kModeTimeHeld, kModeClock, kModeGameAHeld, kModeGameBHeld, kModeGameOver})
    EXPECT_EQ(Gam_Speed_Interval(mode, 1, 0), 100);
}

TEST(Modes, ButtonsAreIgnoredUntilTheClockRuns) {
  Play p;
  Inp_game_a_down(p.g);
  Inp_game_b_down(p.g);
  Inp_game_a_up(p.g);
  EXPECT_EQ(p.g.game_mode, kModeTimeHeld);
  EXPECT_FALSE(p.g.Timer_Stage_Start->Enabled());
  // A TIME release in mode 0 enters the clock.
  Inp_time_up(p.g);
  EXPECT_EQ(p.g.game_mode, kModeClock);
  EXPECT_TRUE(p.g.Timer_Clock->Enabled());
}

TEST(Modes, HeldButtonShowsItsHighScoreAndTheOthersAreIgnored) {
  Play p;
  p.g.game_mode = kModeClock;
  p.g.hiscore_a = 45;
  p.g.hiscore_b = 0;
  Inp_game_a_down(p.g);
  EXPECT_EQ(p.Panel(), "  450");
  EXPECT_TRUE(p.IsLit(el::im_panel_game_a));
  EXPECT_TRUE(p.IsLit(el::im_panel_hiscore));
  Inp_game_b_down(p.g);
  Inp_game_b_up(p.g);
  Inp_time_down(p.g);
  EXPECT_EQ(p.g.game_mode, kModeGameAHeld);
  EXPECT_FALSE(p.IsLit(el::im_panel_game_b));
  Inp_game_a_up(p.g);
  EXPECT_EQ(p.g.game_mode, kModeGameA);
  EXPECT_TRUE(p.g.Timer_Stage_Start->Enabled());
  // A high score of 0 reads as a single 0.
  Inp_game_b_down(p.g);
  EXPECT_EQ(p.Panel(), "    0");
  EXPECT_FALSE(p.IsLit(el::im_panel_game_a));
  EXPECT_TRUE(p.IsLit(el::im_panel_game_b));
}

TEST(Modes, AnotherGameButtonAbandonsTheRunningGame) {
  Play p;
  p.StartPlaying(true);
  p.clock.Advance(5000);
  ASSERT_TRUE(p.g.Timer_Game->Enabled());
  p.g.score = 321;
  Inp_game_a_down(p.g);
  EXPECT_EQ(p.g.game_mode, kModeGameAHeld);
  EXPECT_FALSE(p.g.in_play);
  EXPECT_FALSE(p.g.Timer_Game->Enabled());
  EXPECT_FALSE(p.IsLit(el::im_tusko_4a) || p.IsLit(el::im_tusko_6a) || p.IsLit(el::im_tusko_2a));
  EXPECT_FALSE(p.IsLit(el::im_panel_game_b));
  EXPECT_EQ(p.store.writes, 0);
  Inp_game_a_up(p.g);
  p.clock.Advance(3001);
  EXPECT_EQ(p.g.score, 0);
  EXPECT_TRUE(p.g.Timer_Game->Enabled());
}

TEST(Modes, TimeFreezesThePictureAndItsReleaseShowsTheClock) {
  Play p;
  p.StartPlaying();
  p.clock.Advance(4000);
  const auto before = p.Lit();
  Inp_time_down(p.g);
  EXPECT_EQ(p.g.game_mode, kModeTimeHeld);
  p.clock.Advance(10000);
  EXPECT_EQ(p.Lit(), before);
  EXPECT_FALSE(p.g.in_play);
  for (Timer *t : {p.g.Timer_Game.get(), p.g.Timer_Clock.get(), p.g.Timer_Pelko_Move.get()})
    EXPECT_FALSE(t->Enabled()) << t->Name();
  Inp_time_up(p.g);
  EXPECT_EQ(p.g.clock_phase, 1);
  p.clock.Advance(1);
  EXPECT_TRUE(p.IsLit(el::im_panel_time_colon));
  EXPECT_TRUE(p.IsLit(el::im_barrel_01_04));  // the whole-LCD test picture
}

TEST(Modes, ButtonFacesFollowEveryPressAndRelease) {
  Play p;
  struct Face {
    void (*down)(Game &);
    void (*up)(Game &);
    el::Id top, pressed, released;
  } faces[] = {{Inp_game_a_down, Inp_game_a_up, el::btn_game_a_top, el::btn_game_a_pressed, el::btn_game_a_released},
               {Inp_game_b_down, Inp_game_b_up, el::btn_game_b_top, el::btn_game_b_pressed, el::btn_game_b_released},
               {Inp_time_down, Inp_time_up, el::btn_time_top, el::btn_time_pressed, el::btn_time_released}};
  int n = 0;
  for (const Face &f : faces)
    for (el::Id id : {f.pressed, f.released}) {
      auto pic = std::make_shared<Picture>();
      pic->width = ++n;
      Lcd_Set_Picture(p.g.lcd, id, pic);
    }
  // In mode 0 the presses change nothing else, but the faces still follow.
  for (const Face &f : faces) {
    f.down(p.g);
    EXPECT_EQ(p.g.lcd.e[f.top].pic, p.g.lcd.e[f.pressed].pic);
    f.up(p.g);
    EXPECT_EQ(p.g.lcd.e[f.top].pic, p.g.lcd.e[f.released].pic);
  }
}
