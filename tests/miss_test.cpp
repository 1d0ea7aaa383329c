#include <gtest/gtest.h>

#include "platform/store.h"
#include "sequence_fixture.h"

namespace {

// A game in play, Pelko at (col,row), empty board; the clock stands where the miss starts.
struct Miss : Play {
  Miss(int32_t col, int32_t row, int32_t lives_left) {
    StartPlaying();
    ClearBoard();
    g.tick_count = 40;
    PutPelko(col, row);
    g.lives = lives_left;
    Vid_Show_Panel_Lives(g.lcd, g.lives);
    store.writes = 0;
    t0 = clock.Now();
  }
  // The times (from t0) at which a segment changed, and its state after each change.
  std::vector<std::pair<int64_t, bool>> Watch(el::Id id, int64_t until) {
    std::vector<std::pair<int64_t, bool>> out;
    bool last = IsLit(id);
    while (clock.Step(t0 + until - clock.Now())) {
      if (IsLit(id) != last) out.emplace_back(clock.Now() - t0, IsLit(id));
      last = IsLit(id);
    }
    return out;
  }
  void StartJumpMiss(int32_t first_step) {
    Vid_Show_Pelko(g.lcd, 5, 7, false);
    if (first_step == 1) Lcd_Set_Visible(g.lcd, el::im_pelko_06_07a, true);
    for (Timer *t : {g.Timer_Game.get(), g.Timer_Hook.get(), g.Timer_Pelko_Move.get()}) t->SetEnabled(false);
    g.in_play = false;
    g.miss_step = first_step;
    Gam_Start_Sequence(*g.Timer_Miss_Jump);
  }
  void ExpectNewTurn() {
    EXPECT_EQ(g.pelko_col, 0);
    EXPECT_EQ(g.pelko_row, 0);
    EXPECT_EQ(g.tick_count, 1);
    EXPECT_TRUE(g.in_play);
    EXPECT_TRUE(g.Timer_Game->Enabled());
    EXPECT_EQ(g.Timer_Game->Interval(), Gam_Speed_Interval(g.game_mode, 1, g.score));
    EXPECT_FALSE(g.Timer_Game_Over->Enabled());
  }
  int64_t t0 = 0;
};

using Changes = std::vector<std::pair<int64_t, bool>>;

}  // namespace

TEST(HitSequence, PelkoBlinksTwiceAndTheTurnRestartsAfter1031ms) {
  Miss m(3, 3, 2);
  m.Barrel(5, 1);
  m.g.move_key_held = true;
  Gam_Hit_Start(m.g);
  EXPECT_EQ(m.Watch(el::im_pelko_03_03, 1031), (Changes{{151, false}, {381, true}, {591, false}, {821, true}, {1031, false}}));
  m.ExpectSounds({{m.t0 + 1, 7}});
  m.ExpectNewTurn();
  EXPECT_FALSE(m.g.Timer_Miss->Enabled());
  // A direction held through the miss moves Pelko again once he is in.
  EXPECT_TRUE(m.g.Timer_Pelko_Move->Enabled());
  EXPECT_EQ(m.g.Timer_Pelko_Move->Interval(), 90);
  // The miss uses no life; the hazards stay where they were.
  EXPECT_EQ(m.g.lives, 2);
  EXPECT_TRUE(m.IsLit(el::im_panel_life_2));
  EXPECT_EQ(m.Barrels(), std::vector<std::string>{"5,1"});
  // The hook was at rest and stays at rest.
  EXPECT_FALSE(m.g.Timer_Hook->Enabled());
}

TEST(HitSequence, HandPoseAtTheLeverBlinksWithPelkoAndEndsDark) {
  Miss m(1, 7, 1);
  m.g.pelko_hand = 2;
  Vid_Show_Pelko0107Hand(m.g.lcd, 2);
  Gam_Hit_Start(m.g);
  EXPECT_EQ(m.Watch(el::im_pelko_01_07c, 1031), (Changes{{151, false}, {381, true}, {591, false}, {821, true}, {1031, false}}));
  EXPECT_EQ(m.g.pelko_hand, 0);
  EXPECT_FALSE(m.IsLit(el::im_pelko_01_07b));
  EXPECT_FALSE(m.IsLit(el::im_pelko_01_07a));
}

TEST(HitSequence, SwingingHookContinuesWhenTheNewTurnStarts) {
  Miss m(1, 1, 1);
  m.g.hook_step = 7;
  m.g.Timer_Hook->SetEnabled(true);
  Gam_Hit_Start(m.g);
  EXPECT_FALSE(m.g.Timer_Hook->Enabled());
  m.clock.Advance(1031);
  EXPECT_TRUE(m.g.Timer_Hook->Enabled());
  EXPECT_EQ(m.g.hook_step, 7);
  EXPECT_FALSE(m.g.Timer_Pelko_Move->Enabled());
}

TEST(HitSequence, DoubledPointsEndWithTheMissAndTheScoreIsLeftLit) {
  Miss m(2, 1, 1);
  m.g.score = 512;
  m.g.score_multiplier = 2;
  m.g.blink_phase = 2;
  m.g.Timer_Score_Blink->SetInterval(500);
  m.g.Timer_Score_Blink->SetEnabled(true);
  Vid_Show_Panel_Score(m.g.lcd, m.g.score, false);
  Gam_Hit_Start(m.g);
  m.clock.Advance(5000);
  EXPECT_EQ(m.g.score_multiplier, 1);
  EXPECT_FALSE(m.g.Timer_Score_Blink->Enabled());
  EXPECT_EQ(m.Panel(), " 5120");
}

TEST(HitSequence, LastPelkoEndsTheGame) {
  Miss m(4, 3, 0);
  Gam_Hit_Start(m.g);
  m.clock.Advance(1031);
  EXPECT_FALSE(m.IsLit(el::im_pelko_04_03));
  EXPECT_FALSE(m.g.Timer_Game->Enabled());
  EXPECT_FALSE(m.g.in_play);
  EXPECT_TRUE(m.g.Timer_Game_Over->Enabled());
  EXPECT_EQ(m.g.game_over_step, 1);
}

TEST(HitSequence, LastReserveLeavesPanelAtOneAndTheNextEntryEmptiesIt) {
  Miss m(1, 1, 1);
  Gam_Hit_Start(m.g);
  m.clock.Advance(1031);
  EXPECT_TRUE(m.IsLit(el::im_panel_life_1));
  EXPECT_FALSE(m.IsLit(el::im_panel_life_2));
  // Pelko stays off the playfield until hazard tick 15 brings him in.
  while (m.g.lives == 1 && m.clock.Now() < m.t0 + 20000) m.clock.Step(1000);
  EXPECT_EQ(m.g.lives, 0);
  EXPECT_EQ(m.g.tick_count, 16);
  EXPECT_FALSE(m.IsLit(el::im_panel_life_1));
}

TEST(JumpMiss, MissedCraneJumpFallsFor1701msThenANewTurn) {
  Miss m(5, 7, 2);
  m.StartJumpMiss(1);
  EXPECT_EQ(m.Watch(el::im_pelko_06_07a, 1701), (Changes{{401, false}}));
  m.ExpectSounds({{m.t0 + 401, 3}});
  EXPECT_EQ(m.clock.Now(), m.t0 + 1701);
  EXPECT_FALSE(m.IsLit(el::im_pelko_06_07c));
  EXPECT_FALSE(m.IsLit(el::im_pelko_06_07d));
  m.ExpectNewTurn();
}

TEST(JumpMiss, FallPicturesAndTimes) {
  for (int first : {1, 2}) {
    Miss m(5, 7, 2);
    m.StartJumpMiss(first);
    const int64_t shift = first == 1 ? 400 : 0;
    auto c = m.Watch(el::im_pelko_06_07c, shift + 1301);
    EXPECT_EQ(c, (Changes{{shift + 1, true}, {shift + 501, false}})) << "first step " << first;
    EXPECT_FALSE(m.IsLit(el::im_pelko_06_07d));
    EXPECT_TRUE(m.g.Timer_Game->Enabled());
  }
  // The fall (from step 2) ends 1301 ms after it started; d is lit from 501 ms to the end.
  Miss m(5, 7, 1);
  m.StartJumpMiss(2);
  EXPECT_EQ(m.Watch(el::im_pelko_06_07d, 1301), (Changes{{501, true}, {1301, false}}));
  m.ExpectSounds({{m.t0 + 1, 3}});
  m.ExpectNewTurn();
}

TEST(JumpMiss, LastPelkoFallsAndStaysLitUntilGameOverClearsHim) {
  Miss m(5, 7, 0);
  m.StartJumpMiss(2);
  m.clock.Advance(1301);
  EXPECT_TRUE(m.IsLit(el::im_pelko_06_07d));
  EXPECT_FALSE(m.g.Timer_Game->Enabled());
  EXPECT_TRUE(m.g.Timer_Game_Over->Enabled());
  m.clock.Advance(1 + 200);
  EXPECT_FALSE(m.IsLit(el::im_pelko_06_07d));
}

TEST(GameOver, SequenceTimesHighScoreAndReturnToTheClock) {
  Miss m(3, 1, 0);
  m.g.score = 123;
  m.g.hiscore_a = 50;
  m.Barrel(4, 3);
  Gam_Hit_Start(m.g);
  m.clock.Advance(1031 + 1 + 200 - 1);
  EXPECT_EQ(m.g.game_mode, kModeGameA);
  Vid_Show_Pelko(m.g.lcd, 5, 7, true);  // any Pelko picture goes
  m.clock.Advance(1);
  for (el::Id id : {el::im_pelko_05_07, el::im_pelko_03_01, el::im_pelko_01_07b, el::im_pelko_06_07d})
    EXPECT_FALSE(m.IsLit(id)) << Lcd_Name(id);
  auto sounds = m.TakeSounds();
  ASSERT_FALSE(sounds.empty());
  EXPECT_EQ(sounds.back(), (std::pair<int64_t, int>{m.t0 + 1232, 4}));
  m.clock.Advance(499);
  EXPECT_EQ(m.store.writes, 0);
  m.clock.Advance(1);
  EXPECT_EQ(m.g.game_mode, kModeGameOver);
  EXPECT_EQ(m.g.hiscore_a, 123);
  EXPECT_EQ(m.store.values["HiScore1"], "123");
  EXPECT_EQ(m.store.writes, 1);
  // The finished game's picture stays for five minutes with nothing else running.
  m.clock.Advance(299999);
  EXPECT_EQ(m.g.game_mode, kModeGameOver);
  EXPECT_TRUE(m.IsLit(el::im_barrel_04_03));
  EXPECT_EQ(m.Panel(), " 1230");
  EXPECT_FALSE(m.g.Timer_Game->Enabled());
  m.clock.Advance(1);
  EXPECT_EQ(m.g.game_mode, kModeClock);
  EXPECT_FALSE(m.IsLit(el::im_barrel_04_03));
  EXPECT_FALSE(m.g.Timer_Game_Over->Enabled());
  EXPECT_EQ(m.store.writes, 1);
  // The clock takes over: the test picture, then the time.
  m.screen.SetTime(21, 5);
  m.clock.Advance(1);
  EXPECT_EQ(m.Panel(), "18888");
  m.clock.Advance(1001);
  EXPECT_EQ(m.Panel(), " 905 ");
  EXPECT_TRUE(m.IsLit(el::im_panel_time_pm));
}

TEST(GameOver, HighScoreRule) {
  struct Case {
    bool game_b;
    int32_t score, before, after;
  } cases[] = {{false, 999, 500, 999}, {false, 1000, 500, 998}, {false, 1500, 999, 998}, {false, 300, 600, 600},
               {false, 998, 999, 999}, {true, 250, 100, 250},   {true, 2000, 0, 998},    {false, 0, 0, 0}};
  for (const Case &c : cases) {
    SCOPED_TRACE(std::to_string(c.score) + " over " + std::to_string(c.before) + (c.game_b ? " B" : " A"));
    Play p;
    p.g.game_mode = c.game_b ? kModeGameB : kModeGameA;
    p.g.score = c.score;
    (c.game_b ? p.g.hiscore_b : p.g.hiscore_a) = c.before;
    p.g.game_over_step = 1;
    Gam_Start_Sequence(*p.g.Timer_Game_Over);
    p.clock.Advance(701);
    EXPECT_EQ(c.game_b ? p.g.hiscore_b : p.g.hiscore_a, c.after);
    // Written every time, changed or not, and only the played game's value.
    EXPECT_EQ(p.store.values[c.game_b ? "HiScore2" : "HiScore1"], std::to_string(c.after));
    EXPECT_EQ(p.store.values.count(c.game_b ? "HiScore1" : "HiScore2"), 0u);
    EXPECT_EQ(p.store.writes, 1);
  }
}

TEST(GameOver, AButtonDuringTheFirstTwoStepsAbandonsWithoutSaving) {
  for (int button = 0; button < 3; ++button) {
    Miss m(1, 1, 0);
    m.g.score = 77;
    Gam_Hit_Start(m.g);
    m.clock.Advance(1031 + 701 - 1);
    if (button == 0) Inp_game_a_down(m.g);
    if (button == 1) Inp_game_b_down(m.g);
    if (button == 2) Inp_time_down(m.g);
    m.clock.Advance(400000);
    EXPECT_EQ(m.store.writes, 0);
    EXPECT_EQ(m.g.hiscore_a, 0);
    EXPECT_FALSE(m.g.Timer_Game_Over->Enabled());
  }
}

TEST(GameOver, GameADuringTheFinalPictureShowsTheUpdatedHighScore) {
  Miss m(1, 1, 0);
  m.g.score = 45;
  Gam_Hit_Start(m.g);
  m.clock.Advance(1031 + 701 + 60000);
  ASSERT_EQ(m.g.game_mode, kModeGameOver);
  Inp_game_a_down(m.g);
  EXPECT_EQ(m.g.game_mode, kModeGameAHeld);
  EXPECT_EQ(m.Panel(), "  450");
  EXPECT_FALSE(m.g.Timer_Game_Over->Enabled());
  m.clock.Advance(300000);
  EXPECT_EQ(m.g.game_mode, kModeGameAHeld);
}

TEST(ScoreBlink, LitForOneSecondThenDarkForHalfASecond) {
  Play p;
  p.g.score = 12;
  p.g.blink_phase = 1;
  p.g.Timer_Score_Blink->SetInterval(500);
  p.g.Timer_Score_Blink->SetEnabled(true);
  std::string seen;
  for (int i = 0; i < 7; ++i) {
    p.clock.Advance(500);
    seen += p.Panel() == "  120" ? 'L' : p.Panel() == "     " ? 'D' : '?';
  }
  EXPECT_EQ(seen, "LDLLDLL");
}
