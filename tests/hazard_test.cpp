#include <gtest/gtest.h>

#include "sequence_fixture.h"

namespace {

using Cells = std::vector<std::string>;

// A game in play with an empty board, past the opening and the automatic entry.
struct Board : Play {
  Board() {
    StartPlaying();
    ClearBoard();
    g.tick_count = 20;
    g.tusko_pose = 2;
    rng.draws.clear();
  }
  void Tick(int32_t phase) {
    g.tick_phase = phase;
    Timer_GameTimer(g);
  }
  bool MissStarted() const { return g.Timer_Miss->Enabled(); }
};

}  // namespace

TEST(BarrelPath, OneBarrelFollowsThePathFromTuskoToTheEndOfTheBottomGirder) {
  Board b;
  b.Barrel(6, 8);
  const Cells path = {"6,7", "6,6", "6,5", "5,5", "4,5", "3,5", "2,5", "1,5", "1,4", "1,3", "2,3",
                      "3,3", "4,3", "5,3", "6,3", "6,1", "5,1", "4,1", "3,1", "2,1", "1,1"};
  int32_t phase = 2;
  for (const std::string &cell : path) {
    b.Tick(phase);
    EXPECT_EQ(b.Barrels(), Cells{cell});
    EXPECT_EQ(b.LitBarrels(), Cells{cell});
    phase = phase == 2 ? 4 : 2;
  }
  b.Tick(2);
  EXPECT_TRUE(b.Barrels().empty());
  EXPECT_TRUE(b.LitBarrels().empty());
  // Every barrel step without a hit plays sound 1.
  auto sounds = b.TakeSounds();
  EXPECT_EQ(sounds.size(), path.size() + 1);
  for (auto &s : sounds) EXPECT_EQ(s.second, 1);
}

TEST(BarrelPath, DropsMergeIntoRowFiveAtColumnsTwoAndFour) {
  {
    Board b;
    b.Barrel(3, 5);
    b.Barrel(2, 6);
    b.Tick(2);
    EXPECT_EQ(b.Barrels(), Cells{"2,5"});
  }
  {
    Board b;
    b.Barrel(5, 5);
    b.Barrel(4, 6);
    b.Tick(4);
    EXPECT_EQ(b.Barrels(), Cells{"4,5"});
  }
  {
    // At column 6 nothing merges: the row-5 barrel has already moved on.
    Board b;
    b.Barrel(6, 5);
    b.Barrel(6, 6);
    b.Tick(2);
    EXPECT_EQ(b.Barrels(), (Cells{"5,5", "6,5"}));
    EXPECT_EQ(b.LitBarrels(), b.Barrels());
  }
}

TEST(BarrelPath, OddPhasesDoNotMoveBarrels) {
  Board b;
  b.Barrel(3, 3);
  b.Barrel(4, 7);
  b.g.tusko_pos = 0;
  b.Tick(1);
  b.Tick(3);
  EXPECT_EQ(b.Barrels(), (Cells{"3,3", "4,7"}));
  EXPECT_TRUE(b.TakeSounds().empty());
}

// Hit tests: (Pelko position, barrel cell before the tick, hit?).
TEST(BarrelHits, BarrelAgainstPelkoPositionTable) {
  struct Case {
    int pc, pr, bc, br;
    bool hit;
  } cases[] = {
      {1, 1, 2, 1, true},  {1, 1, 1, 1, false}, {5, 1, 6, 1, true},  {3, 1, 3, 1, false},
      {3, 3, 3, 3, true},  {3, 3, 4, 3, false}, {1, 3, 1, 4, false}, {5, 3, 5, 3, true},
      {1, 5, 2, 5, true},  {1, 5, 1, 5, false}, {1, 5, 3, 5, false}, {1, 4, 1, 4, false},
      {1, 4, 1, 5, false}, {1, 7, 2, 8, true},  {3, 7, 4, 8, true},  {5, 7, 6, 8, true},
      {3, 7, 4, 7, false}, {1, 7, 2, 6, false}, {4, 2, 5, 1, false}, {3, 4, 3, 3, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE("Pelko " + std::to_string(c.pc) + "," + std::to_string(c.pr) + " barrel " +
                 std::to_string(c.bc) + "," + std::to_string(c.br));
    Board b;
    b.PutPelko(c.pc, c.pr);
    b.Barrel(c.bc, c.br);
    b.Tick(2);
    EXPECT_EQ(b.MissStarted(), c.hit);
    EXPECT_EQ(b.g.tick_count, c.hit ? 20 : 21);
  }
}

TEST(BarrelHits, HitBeforeTheMoveFreezesTheBarrelsAndStartsTheMiss) {
  Board b;
  b.PutPelko(1, 1);
  b.Barrel(2, 1);
  b.Barrel(4, 3);
  b.g.score = 37;
  b.g.score_multiplier = 2;
  b.g.Timer_Score_Blink->SetEnabled(true);
  Vid_Show_Panel_Score(b.g.lcd, b.g.score, false);
  b.Tick(4);
  EXPECT_EQ(b.Barrels(), (Cells{"2,1", "4,3"}));
  EXPECT_EQ(b.LitBarrels(), b.Barrels());
  EXPECT_FALSE(b.g.in_play);
  EXPECT_EQ(b.g.score_multiplier, 1);
  EXPECT_EQ(b.g.miss_step, 1);
  EXPECT_EQ(b.g.Timer_Miss->Interval(), 1);
  EXPECT_TRUE(b.g.Timer_Miss->Enabled());
  for (Timer *t : {b.g.Timer_Game.get(), b.g.Timer_Score_Blink.get(), b.g.Timer_Pelko_Move.get()})
    EXPECT_FALSE(t->Enabled()) << t->Name();
  // The score is shown lit again (it may have been blinking).
  EXPECT_EQ(b.Panel(), "  370");
  // A hit tick keeps its count but still advances the phase and the flames.
  EXPECT_EQ(b.g.tick_count, 20);
  EXPECT_EQ(b.g.tick_phase, 1);
  EXPECT_TRUE(b.IsLit(el::im_flame_l_4));
  EXPECT_TRUE(b.IsLit(el::im_flame_r_4));
  EXPECT_TRUE(b.TakeSounds().empty());
}

TEST(BarrelHits, ABarrelDroppingOntoPelkoIsDrawnWhereItHitsHim) {
  Board b;
  b.PutPelko(3, 7);
  b.Barrel(4, 8);
  b.Tick(2);
  EXPECT_TRUE(b.MissStarted());
  EXPECT_EQ(b.LitBarrels(), Cells{"4,7"});
  EXPECT_TRUE(b.TakeSounds().empty());
}

TEST(Tusko, OpeningOfAGameOnTheClock) {
  Play p;
  p.StartPlaying();
  ASSERT_EQ(p.clock.Now(), 3001);
  p.rng.draws.clear();
  // Tick 1: Tusko's place is forgotten, his picture stays at 6 with a barrel.
  p.clock.Advance(499);
  EXPECT_EQ(p.g.tusko_pos, 0);
  EXPECT_TRUE(p.IsLit(el::im_tusko_6c));
  EXPECT_EQ(p.rng.draws, std::vector<int32_t>{20});
  // Tick 2: he stands at 4 with a barrel; the three starting barrels roll.
  p.clock.Advance(499);
  EXPECT_TRUE(p.IsLit(el::im_tusko_4c));
  EXPECT_FALSE(p.IsLit(el::im_tusko_6c));
  EXPECT_EQ(p.LitBarrels(), (Cells{"4,5", "5,1", "5,3"}));
  p.ExpectSounds({{3999, 1}});
  // Tick 3 confirms it without a draw; tick 4 drops the first barrel into (4,8).
  p.clock.Advance(498);
  EXPECT_TRUE(p.IsLit(el::im_tusko_4c));
  p.clock.Advance(497);
  EXPECT_TRUE(p.IsLit(el::im_tusko_4b));
  EXPECT_EQ(p.LitBarrels(), (Cells{"3,5", "4,1", "4,8", "6,3"}));
  EXPECT_EQ(p.rng.draws, std::vector<int32_t>{20});
  p.ExpectSounds({{4994, 1}});
  // Tick 5 is the first walk: a third each way from place 4.
  p.rng.script = {2, 5};
  p.clock.Advance(496);
  EXPECT_EQ(p.g.tusko_pos, 6);
  EXPECT_TRUE(p.IsLit(el::im_tusko_6b));
  EXPECT_EQ(p.rng.draws, (std::vector<int32_t>{20, 3, 20}));
}

// Tusko's lit segments as "<place><pose letter>", "-" when none is lit.
std::string TuskoShown(const Play &p) {
  std::string out;
  for (int c = 2; c <= 6; c += 2)
    for (int pose = 2; pose <= 3; ++pose)
      if (p.IsLit(p.g.lcd.tusko_img[c][pose])) out += std::to_string(c) + (pose == 2 ? "b" : "c");
  return out.empty() ? "-" : out;
}

// A turn that ends between the opening's first and second tick leaves the next turn starting in
// another phase: Tusko must still be on the girder on every tick of it, and throw barrels.
TEST(Tusko, ReturnsInATurnThatStartsOutsideTheOpeningPhases) {
  for (bool step_into_barrel : {true, false}) {
    SCOPED_TRACE(step_into_barrel ? "step into a barrel after tick 1" : "hit by the tick-2 barrel check");
    Play p;
    p.StartPlaying();
    Inp_jump_down(p.g);  // Pelko enters at (1,1)
    Inp_jump_up(p.g);
    p.Barrel(2, 1);
    p.clock.Advance(499);  // tick 1 (phase 1) forgets Tusko's place
    ASSERT_EQ(p.g.tick_count, 2);
    if (step_into_barrel) {
      Inp_move_right_down(p.g);
      p.clock.Advance(90);
      Inp_move_right_up(p.g);
    } else {
      p.clock.Advance(499);
    }
    ASSERT_TRUE(p.g.Timer_Miss->Enabled());
    p.clock.Advance(1031);  // the miss; then a new turn with the score still 0
    ASSERT_EQ(p.g.tick_count, 1);
    ASSERT_EQ(p.g.tick_phase, step_into_barrel ? 2 : 3);
    bool dropped = false;
    p.clock.Step(1000);  // the first tick puts him back at once
    EXPECT_EQ(TuskoShown(p), "4c");
    while (p.g.tick_count < 14) {
      const int32_t before = p.g.tick_count;
      p.clock.Step(1000);
      if (p.g.tick_count == before) continue;
      EXPECT_TRUE(p.IsLit(el::im_tusko_2a) || p.IsLit(el::im_tusko_4a) || p.IsLit(el::im_tusko_6a))
          << "tick " << before;
      for (el::Id drop : {el::im_barrel_02_08, el::im_barrel_04_08, el::im_barrel_06_08}) dropped |= p.IsLit(drop);
    }
    EXPECT_TRUE(dropped);
  }
}

// A turn after a miss starts in whatever phase the last one stopped; the opening ticks apply only
// while the score is 0 and only where the tick's phase matches (tick 1 in phase 1, tick 2 in an
// even phase, tick 3 in phase 3). Every draw is 0 here: Tusko takes a barrel whenever he decides.
TEST(Tusko, OpeningOfALaterTurnByScoreAndStartingPhase) {
  struct Case {
    int32_t score, phase;
    const char *shown[4];  // Tusko after each of the first four ticks
    const char *dropped;   // the row-8 barrel after them
  } cases[] = {
      {0, 1, {"2b", "4c", "4c", "4b"}, "4,8"},
      {7, 1, {"2b", "2b", "2c", "2b"}, "2,8"},
      {0, 2, {"2b", "2c", "2b", "2b"}, "2,8"},
      {0, 3, {"2c", "4c", "2c", "2b"}, "2,8"},
      {0, 4, {"2b", "2b", "2b", "2c"}, ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "score " << c.score << " phase " << c.phase);
    Board b;
    b.g.score = c.score;
    b.g.tusko_pos = 2;
    b.g.tusko_pose = 2;
    Vid_Show_Tusko(b.g.lcd, 2, 2);
    b.g.tick_phase = c.phase;
    // Pelko walks into a barrel: the miss ends the turn, and the next turn follows it.
    b.PutPelko(2, 1);
    b.Barrel(3, 1);
    Inp_move_right_down(b.g);
    b.clock.Advance(90);
    Inp_move_right_up(b.g);
    b.clock.Advance(1031);
    ASSERT_EQ(b.g.tick_count, 1);
    b.rng.script.assign(40, 0);
    for (const char *expected : c.shown) {
      const int32_t before = b.g.tick_count;
      while (b.g.tick_count == before) b.clock.Step(1000);
      EXPECT_EQ(TuskoShown(b), expected) << "tick " << before;
    }
    Cells row8;
    for (const std::string &cell : b.LitBarrels())
      if (cell.back() == '8') row8.push_back(cell);
    EXPECT_EQ(row8, *c.dropped ? Cells{c.dropped} : Cells{});
  }
}

TEST(Tusko, WalkDrawsByPlace) {
  struct Case {
    int from, draw, to, n;
  } cases[] = {{2, 0, 2, 2}, {2, 1, 4, 2}, {4, 0, 2, 3}, {4, 1, 4, 3},
               {4, 2, 6, 3}, {6, 0, 4, 2}, {6, 1, 6, 2}};
  for (const Case &c : cases) {
    Board b;
    b.g.tusko_pos = c.from;
    b.rng.script = {c.draw, 1};
    b.Tick(1);
    EXPECT_EQ(b.g.tusko_pos, c.to) << c.from << " draw " << c.draw;
    EXPECT_TRUE(b.IsLit(b.g.lcd.tusko_img[c.to][2]));
    ASSERT_EQ(b.rng.draws.size(), 2u);
    EXPECT_EQ(b.rng.draws[0], c.n);
  }
  // Without a place he draws nothing and stays.
  Board b;
  b.g.tusko_pos = 0;
  b.Tick(1);
  EXPECT_EQ(b.g.tusko_pos, 0);
  EXPECT_EQ(b.rng.draws, std::vector<int32_t>{20});
}

TEST(Tusko, ThrowDecision) {
  // Fewer than four barrels: he takes one whatever the draw; the draw still happens.
  {
    Board b;
    b.g.tusko_pos = 2;
    b.Barrel(1, 1);
    b.Barrel(1, 3);
    b.Barrel(1, 5);
    b.rng.script = {5};
    b.Tick(3);
    EXPECT_EQ(b.g.tusko_pose, 3);
    EXPECT_TRUE(b.IsLit(el::im_tusko_2c));
    EXPECT_EQ(b.rng.draws, std::vector<int32_t>{9});
  }
  // Every barrel on the board counts, the drops below Tusko and the ladder cell included.
  for (auto [c, r] : {std::pair{1, 4}, {2, 6}, {4, 7}, {6, 8}}) {
    Board b;
    b.g.tusko_pos = 2;
    for (int col = 1; col <= 3; ++col) b.Barrel(col, 1);
    b.Barrel(c, r);
    b.rng.script = {1};
    b.Tick(3);
    EXPECT_TRUE(b.IsLit(el::im_tusko_2b)) << c << "," << r;
    EXPECT_FALSE(b.IsLit(el::im_tusko_2c)) << c << "," << r;
  }
  // Four barrels: only a draw of 0 gives him one; the range shrinks as Pelko climbs.
  for (int draw : {0, 1}) {
    Board b;
    b.g.tusko_pos = 6;
    for (int c = 1; c <= 4; ++c) b.Barrel(c, 1);
    b.PutPelko(5, 7);
    b.rng.script = {draw};
    b.Tick(3);
    EXPECT_EQ(b.g.throw_odds, 2);
    EXPECT_EQ(b.g.tusko_pose, draw == 0 ? 3 : 2);
    EXPECT_EQ(b.rng.draws, std::vector<int32_t>{2});
  }
}

TEST(Tusko, HeldBarrelIsDroppedAndDrawnInTheSameTick) {
  Board b;
  b.g.tusko_pos = 4;
  b.g.tusko_pose = 3;
  b.Tick(4);
  EXPECT_EQ(b.Barrels(), Cells{"4,8"});
  EXPECT_TRUE(b.IsLit(el::im_barrel_04_08));
  EXPECT_TRUE(b.IsLit(el::im_tusko_4b));
  EXPECT_FALSE(b.IsLit(el::im_tusko_4c));
}

TEST(Irons, OddsByModeRowAndScore) {
  struct Case {
    bool game_b;
    int row, score, odds;
  } cases[] = {{false, 4, 0, 5},    {false, 3, 0, 10},  {false, 1, 0, 20},  {false, 0, 150, 19},
               {false, 1, 1500, 5}, {false, 4, 1500, 5}, {false, 3, 700, 5}, {true, 4, 0, 3},
               {true, 3, 0, 6},     {true, 7, 0, 12},    {true, 1, 900, 3},  {true, 3, 150, 4}};
  for (const Case &c : cases) {
    Board b;
    b.g.game_mode = c.game_b ? kModeGameB : kModeGameA;
    b.g.pelko_row = c.row;
    b.g.pelko_col = 1;
    b.g.score = c.score;
    b.g.tusko_pos = 0;
    b.Tick(1);
    EXPECT_EQ(b.g.iron_odds, c.odds) << c.game_b << " row " << c.row << " score " << c.score;
    EXPECT_EQ(b.rng.draws, std::vector<int32_t>{c.odds});
  }
}

TEST(Irons, ConveyorMovesLeftAndNeverLightsNeighbours) {
  Board b;
  b.g.tusko_pos = 0;
  auto lit = [&b] {
    std::string s;
    for (int k = 1; k <= 5; ++k) s += b.IsLit(b.g.lcd.iron_img[k]) ? '#' : '.';
    return s;
  };
  Lcd_Set_Visible(b.g.lcd, el::im_iron_02_04, true);
  Lcd_Set_Visible(b.g.lcd, el::im_iron_05_04, true);
  b.rng.script = {0};
  b.Tick(1);
  EXPECT_EQ(lit(), "#..#.");  // iron 4 lit blocks a new one at 5
  EXPECT_EQ(b.rng.draws, std::vector<int32_t>{20});  // the draw is made all the same
  b.rng.script = {0};
  b.Tick(1);
  EXPECT_EQ(lit(), "..#.#");  // iron 1 has left
  b.rng.script = {1};
  b.Tick(1);
  EXPECT_EQ(lit(), ".#.#.");
  // With every draw 0 a new iron comes at most every other tick.
  for (int i = 0; i < 40; ++i) {
    b.rng.script = {0};
    b.Tick(1);
    const std::string s = lit();
    EXPECT_EQ(s.find("##"), std::string::npos) << s;
  }
}

TEST(Irons, IronHitsPelkoOnlyWhereHisSegmentIsLit) {
  struct Case {
    int pc, pr, iron_before;
    bool hit;
  } cases[] = {{1, 4, 2, true}, {3, 4, 4, true}, {4, 4, 5, true}, {1, 4, 1, false},
               {1, 4, 3, false}, {1, 3, 2, false}, {1, 5, 2, false}};
  for (const Case &c : cases) {
    Board b;
    b.g.tusko_pos = 0;
    b.PutPelko(c.pc, c.pr);
    Lcd_Set_Visible(b.g.lcd, b.g.lcd.iron_img[c.iron_before], true);
    b.rng.script = {1};
    b.Tick(1);
    EXPECT_EQ(b.MissStarted(), c.hit) << c.pc << "," << c.pr << " iron " << c.iron_before;
    EXPECT_EQ(b.g.tick_count, c.hit ? 20 : 21);
  }
}

TEST(TickTiming, SpeedRuleUsesTheCountOfTheTickJustRun) {
  for (bool game_b : {false, true}) {
    Play p;
    p.StartPlaying(game_b);
    std::vector<int64_t> times;
    int64_t last_count = p.g.tick_count;
    while (times.size() < 5) {
      p.clock.Step(1000);
      if (p.g.tick_count != last_count) times.push_back(p.clock.Now());
      last_count = p.g.tick_count;
    }
    const std::vector<int64_t> a = {3500, 3999, 4497, 4994, 5490};
    const std::vector<int64_t> bb = {3500, 3999, 4497, 4994, 5489};
    EXPECT_EQ(times, game_b ? bb : a);
    EXPECT_EQ(p.g.Timer_Game->Interval(), game_b ? 494 : 495);  // set by tick 5 for the pause after it
  }
}

TEST(TickTiming, FlamesFollowThePhase) {
  Board b;
  for (int phase = 1; phase <= 4; ++phase) {
    b.g.tusko_pos = 0;
    b.Tick(phase);
    for (int f = 1; f <= 4; ++f) {
      EXPECT_EQ(b.IsLit(b.g.lcd.flame_img[1][f]), f == phase);
      EXPECT_EQ(b.IsLit(b.g.lcd.flame_img[2][f]), f == phase);
    }
    EXPECT_EQ(b.g.tick_phase, phase == 4 ? 1 : phase + 1);
  }
}

TEST(Entry, PelkoOffThePlayfieldEntersAtTickFifteenAndUsesALife) {
  Board b;
  b.g.tick_count = 15;
  b.Barrel(2, 1);
  b.Tick(2);
  EXPECT_EQ(b.g.lives, 2);
  EXPECT_TRUE(b.IsLit(el::im_panel_life_2));
  EXPECT_FALSE(b.IsLit(el::im_panel_life_3));
  // He stands at (1,1) for the rest of the tick: the barrel beside him hits at once.
  EXPECT_EQ(b.g.pelko_col, 1);
  EXPECT_TRUE(b.IsLit(el::im_pelko_01_01));
  EXPECT_TRUE(b.MissStarted());
}

TEST(Entry, NoEntryWhenPelkoIsAlreadyOnThePlayfieldOrBeforeTickFifteen) {
  {
    Board b;
    b.PutPelko(1, 1);
    b.g.lives = 2;
    b.g.tick_count = 15;
    b.Tick(1);
    EXPECT_EQ(b.g.lives, 2);
  }
  {
    // Only the count of exactly 15 brings him in, once.
    Board b;
    b.g.tick_count = 14;
    b.Tick(1);
    EXPECT_EQ(b.g.lives, 3);
    b.Tick(2);
    EXPECT_EQ(b.g.lives, 2);
    b.PutPelko(0, 0);
    b.Tick(3);
    EXPECT_EQ(b.g.lives, 2);
  }
}

TEST(Landing, JumpOverScoresAfterTheBarrelHasRolledUnderPelko) {
  {
    Board b;
    b.PutPelko(1, 2);
    b.g.in_play = false;
    b.Barrel(2, 1);
    b.Tick(2);
    EXPECT_EQ(b.g.pelko_row, 1);
    EXPECT_TRUE(b.IsLit(el::im_pelko_01_01));
    EXPECT_FALSE(b.IsLit(el::im_pelko_01_02));
    EXPECT_TRUE(b.g.in_play);
    EXPECT_EQ(b.g.score, 1);
    EXPECT_EQ(b.Panel(), "   10");
  }
  {
    Board b;
    b.PutPelko(4, 4);
    b.Barrel(4, 3);
    b.g.score_multiplier = 2;
    b.Tick(4);
    EXPECT_EQ(b.g.pelko_row, 3);
    EXPECT_EQ(b.g.score, 4);
  }
  {
    // Landing after a hit-free tick with no barrel passing scores nothing.
    Board b;
    b.PutPelko(3, 4);
    b.Tick(2);
    EXPECT_EQ(b.g.pelko_row, 3);
    EXPECT_EQ(b.g.score, 0);
  }
}

// A jump lasts through the odd-phase tick that follows it; the next even-phase tick lands Pelko,
// and a direction held through the jump takes its first step 90 ms after the landing.
TEST(Landing, OnlyABarrelTickLandsAndAHeldDirectionSteps90MsLater) {
  struct Case {
    int64_t jump_at, odd_tick, even_tick;
  } cases[] = {{3001, 3500, 3999}, {4000, 4497, 4994}};
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "jump at " << c.jump_at);
    Play p;
    p.StartPlaying();
    p.ClearBoard();
    Inp_jump_down(p.g);  // Pelko enters at (1,1)
    Inp_jump_up(p.g);
    p.clock.Advance(c.jump_at - p.clock.Now());
    Inp_move_right_down(p.g);
    Inp_jump_down(p.g);
    p.clock.Advance(c.odd_tick - p.clock.Now());
    EXPECT_TRUE(p.IsLit(el::im_pelko_01_02));
    p.clock.Advance(c.even_tick - p.clock.Now());
    EXPECT_TRUE(p.IsLit(el::im_pelko_01_01));
    EXPECT_FALSE(p.IsLit(el::im_pelko_01_02));
    p.clock.Advance(89);
    EXPECT_TRUE(p.IsLit(el::im_pelko_01_01));
    p.clock.Advance(1);
    EXPECT_TRUE(p.IsLit(el::im_pelko_02_01));
  }
}

// The next threshold reached in chance time: the blinking score is held lit through the extra
// life, and chance time starts over afterwards with the next threshold 1000 points on.
TEST(Landing, ExtraLifeDuringChanceTime) {
  Board b;
  b.g.lives = 3;
  Vid_Show_Panel_Lives(b.g.lcd, 3);
  b.g.score = 1298;
  b.g.extra_life_score = 1300;
  b.g.score_multiplier = 2;
  b.g.blink_phase = 1;
  b.g.Timer_Score_Blink->SetInterval(500);
  b.g.Timer_Score_Blink->SetEnabled(true);
  b.PutPelko(1, 1);
  b.Barrel(2, 1);
  Inp_jump_down(b.g);
  while (!b.g.Timer_Bonus_Chance->Enabled()) ASSERT_TRUE(b.clock.Step(1000));
  const int64_t start = b.clock.Now();
  EXPECT_EQ(b.g.score, 1300);
  for (int64_t at : {0, 600, 1100, 2900}) {
    b.clock.Advance(start + at - b.clock.Now());
    EXPECT_EQ(b.Panel(), " 3000") << at;
  }
  b.clock.Advance(start + 3001 - b.clock.Now());
  EXPECT_EQ(b.g.lives, 3);
  EXPECT_EQ(b.g.score_multiplier, 2);
  EXPECT_EQ(b.g.extra_life_score, 2300);
  EXPECT_TRUE(b.g.in_play);
  b.clock.Advance(1000);
  EXPECT_EQ(b.Panel(), "     ");  // blinking again
}

TEST(Landing, ScoreReachingTheExtraLifeStopsPlayButBarrelsAreStillDrawn) {
  Board b;
  b.PutPelko(1, 2);
  b.Barrel(2, 1);
  b.Barrel(3, 3);
  b.g.score = 299;
  b.g.extra_life_score = 300;
  b.timed.calls.clear();
  b.Tick(2);
  EXPECT_EQ(b.g.score, 300);
  // The barrel step sounds before the extra life silences everything.
  EXPECT_EQ(b.timed.calls, (std::vector<std::string>{"play 101", "stop"}));
  EXPECT_FALSE(b.g.Timer_Game->Enabled());
  EXPECT_TRUE(b.g.Timer_Bonus_Chance->Enabled());
  EXPECT_EQ(b.g.extra_life_resume, 1);
  EXPECT_EQ(b.LitBarrels(), (Cells{"1,1", "4,3"}));
  EXPECT_EQ(b.g.tick_count, 21);
}
