// The crane on the virtual clock: the hook's swing and its two reach windows, the leap bonus and
// its points, Pelko's return, the stage finale and the move to the next stage, and the extra life
// that pauses any of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "display/vid.h"
#include "platform/image.h"
#include "test_support.h"

namespace {

#define EXPECT_SOUNDS(t, ...) EXPECT_EQ((t).Sounds(), (std::vector<int> __VA_ARGS__))

struct CranePlay : InPlayGame {
  CranePlay() {
    g.tick_phase = 1;
    g.tick_count = 5;
    // The playfield at rest: lever, crane, girder, wires, Tusko.
    for (el::Id id : {el::im_lever_1, el::im_crane_1, el::im_girder_1}) Lcd_Set_Visible(g.lcd, id, true);
    g.wires_left = 4;
    Vid_Show_Wires(g.lcd, 4);
    g.tusko_pos = 4;
    g.tusko_pose = 2;
    Vid_Show_Tusko(g.lcd, 4, 2);
  }
  void StartHook() {
    g.hook_step = 1;
    Gam_Start_Sequence(*g.Timer_Hook);
  }
  // The hook in reach as at step 11 of its swing, with Pelko at the right end of the top girder.
  void HookInReach() {
    Place(5, 7);
    Lcd_Set_Visible(g.lcd, el::im_lever_1, false);
    Lcd_Set_Visible(g.lcd, el::im_lever_2, true);
    Lcd_Set_Visible(g.lcd, el::im_crane_1, false);
    Lcd_Set_Visible(g.lcd, el::im_crane_2, true);
    Vid_Show_Hook(g.lcd, 1);
    g.hook_step = 12;
  }
  int HookPlace() const {
    int place = 0;
    for (int i = 1; i <= 5; ++i)
      if (IsLit(g.lcd.hook_img[i])) place = place ? -1 : i;
    return place;
  }
  std::vector<int> Sounds() { return InPlayGame::Sounds(true); }
  int LivesShown() const {
    int n = 0;
    for (int i = 1; i <= 3; ++i) n += IsLit(g.lcd.panel_life_img[i]);
    return n;
  }
  // Runs the clock to the absolute time ms.
  void To(int64_t ms) { clock.Advance(ms - clock.Now()); }
};

TEST(CraneHook, SwingsOutAndBackWithTwo900MsReachWindows) {
  CranePlay t;
  t.StartHook();  // the lever pull; step 1 at 1 ms
  struct Change {
    int64_t at;
    int place;
  };
  std::vector<Change> changes;
  std::vector<std::pair<int64_t, int64_t>> in_reach;  // [from, to) with im_hook_1 lit
  int last = 0;
  for (int64_t ms = 1; ms <= 6700; ++ms) {
    t.To(ms);
    const int p = t.HookPlace();
    ASSERT_GE(p, 0) << "two hook places lit at " << ms;
    if (p != last) changes.push_back({ms, p});
    if (p == 1 && last != 1) in_reach.push_back({ms, 0});
    if (p != 1 && last == 1) in_reach.back().second = ms;
    last = p;
    // The lever and crane pictures follow the swing, exactly one of each lit.
    const bool out = ms < 6301;
    EXPECT_EQ(t.IsLit(el::im_lever_2), out) << ms;
    EXPECT_EQ(t.IsLit(el::im_lever_1), !out) << ms;
    EXPECT_EQ(t.IsLit(el::im_crane_2), out) << ms;
    EXPECT_EQ(t.IsLit(el::im_crane_1), !out) << ms;
  }
  const std::vector<std::pair<int64_t, int>> expected = {{1, 1},    {901, 2},  {1351, 3}, {1801, 4},
                                                          {2251, 5}, {3151, 4}, {3601, 3}, {4051, 2},
                                                          {4501, 1}, {5401, 2}, {5851, 3}, {6301, 0}};
  ASSERT_EQ(changes.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(changes[i].at, expected[i].first) << i;
    EXPECT_EQ(changes[i].place, expected[i].second) << i;
  }
  ASSERT_EQ(in_reach.size(), 2u);
  for (auto [from, to] : in_reach) EXPECT_EQ(to - from, 900);
  // At rest again from 6601: ready for the next pull.
  EXPECT_EQ(t.g.hook_step, 0);
  EXPECT_FALSE(t.g.Timer_Hook->Enabled());
}

TEST(CraneHook, ALeapAtStep2ReachesTheHookAndAtStep3Falls) {
  for (int64_t at : {450 + 1, 899 + 1, 4500 + 1, 5399 + 1}) {  // step 2, late step 2, steps 11 and 12
    CranePlay t;
    t.Place(5, 7);
    t.StartHook();
    t.To(at);
    Inp_jump_down(t.g);
    EXPECT_TRUE(t.g.Timer_Bonus->Enabled()) << at;
    EXPECT_FALSE(t.g.Timer_Miss_Jump->Enabled()) << at;
  }
  for (int64_t at : {900 + 1, 4499 + 1, 5400 + 1}) {
    CranePlay t;
    t.Place(5, 7);
    t.StartHook();
    t.To(at);
    const int32_t step = t.g.hook_step;
    Inp_jump_down(t.g);
    EXPECT_FALSE(t.g.Timer_Bonus->Enabled()) << at;
    EXPECT_TRUE(t.g.Timer_Miss_Jump->Enabled()) << at;
    // The swing is only paused: when play resumes it goes on from the same step.
    EXPECT_EQ(t.g.hook_step, step);
    EXPECT_FALSE(t.g.Timer_Hook->Enabled());
  }
}

// A leap that falls short and a walk off the right end both pause the swing; it goes on from
// where it stopped when the next turn starts.
TEST(CraneHook, AMissedLeapOrAFallPausesTheSwingUntilTheNextTurn) {
  for (bool fall : {false, true}) {
    SCOPED_TRACE(fall ? "fall" : "missed leap");
    CranePlay t;
    t.Place(1, 7);
    Inp_move_left_down(t.g);  // the lever at 90, the hook out at 91
    t.To(100);
    Inp_move_left_up(t.g);
    t.To(1000);
    Inp_move_right_down(t.g);  // (3,7) at 1090, (5,7) at 1420
    t.To(1500);
    ASSERT_TRUE(t.IsLit(el::im_pelko_05_07));
    ASSERT_EQ(t.HookPlace(), 3);  // out of reach
    if (fall) {
      t.To(1750);  // the held direction walks him off
    } else {
      Inp_move_right_up(t.g);
      Inp_jump_down(t.g);
    }
    ASSERT_FALSE(t.g.in_play);
    while (!t.g.in_play) ASSERT_TRUE(t.clock.Step(5000));
    const int64_t resumed = t.clock.Now();
    EXPECT_EQ(t.HookPlace(), 3);  // still where it stopped
    t.To(resumed + 449);
    EXPECT_EQ(t.HookPlace(), 3);
    t.To(resumed + 450);
    EXPECT_EQ(t.HookPlace(), 4);
    t.To(resumed + 4950);
    EXPECT_EQ(t.HookPlace(), 0);
    EXPECT_TRUE(t.IsLit(el::im_lever_1));
    EXPECT_FALSE(t.IsLit(el::im_lever_2));
  }
}

// A hit in the millisecond between the lever pull and the hook's first step: the swing still
// begins when the next turn starts.
TEST(CraneHook, APullJustBeforeAHitSwingsAfterTheMiss) {
  CranePlay t;
  t.Place(1, 7);
  t.g.barrel_grid[2][8] = 1;  // drops onto Pelko at the next barrel tick
  t.g.tick_phase = 2;
  t.g.Timer_Game->SetInterval(91);
  t.g.Timer_Game->SetEnabled(true);
  Inp_move_left_down(t.g);  // the pull at 90; the tick at 91 comes before the hook's first step
  t.To(91);
  Inp_move_left_up(t.g);
  ASSERT_TRUE(t.g.Timer_Miss->Enabled());
  EXPECT_TRUE(t.IsLit(el::im_lever_1));
  while (!t.g.in_play) ASSERT_TRUE(t.clock.Step(5000));
  t.clock.Advance(1);
  EXPECT_TRUE(t.IsLit(el::im_lever_2));
  EXPECT_EQ(t.HookPlace(), 1);
}

// A leap at the given tick of the turn, run until the bonus has ended; returns the points.
int32_t LeapPoints(int32_t tick_count, int32_t multiplier = 1) {
  CranePlay t;
  t.g.tick_count = tick_count;
  t.g.score_multiplier = multiplier;
  t.g.score = 100;
  t.HookInReach();
  Inp_jump_down(t.g);
  t.clock.Advance(20000);
  return t.g.score - 100;
}

TEST(CraneBonus, PointsFallWithTheTurnsTicksButNeverBelowFive) {
  EXPECT_EQ(LeapPoints(5), 19);
  EXPECT_EQ(LeapPoints(15), 19);
  EXPECT_EQ(LeapPoints(16), 18);
  EXPECT_EQ(LeapPoints(40), 17);
  EXPECT_EQ(LeapPoints(223), 6);
  EXPECT_EQ(LeapPoints(224), 5);
  EXPECT_EQ(LeapPoints(300), 5);
  EXPECT_EQ(LeapPoints(40, 2), 34);  // chance time doubles every counted point
}

TEST(CraneBonus, TakesAWireAndPutsPelkoBackAtTheStart) {
  CranePlay t;
  t.HookInReach();
  t.g.score = 100;
  t.g.tick_count = 40;  // 17 points
  t.g.tick_phase = 3;
  for (int c : {2, 3, 4, 6}) {
    t.g.barrel_grid[c][1] = 1;
    Lcd_Set_Visible(t.g.lcd, t.g.lcd.barrel_img[c][1], true);
  }
  Inp_move_right_down(t.g);  // held through the whole bonus
  t.Sounds();
  Inp_jump_down(t.g);
  EXPECT_SOUNDS(t, {5});
  t.To(400);
  EXPECT_TRUE(t.IsLit(el::im_pelko_06_07a));
  t.To(401);  // caught
  EXPECT_FALSE(t.IsLit(el::im_pelko_06_07a));
  EXPECT_TRUE(t.IsLit(el::im_pelko_06_07b));
  EXPECT_EQ(t.HookPlace(), 3);
  EXPECT_EQ(t.g.hook_step, 0);
  EXPECT_SOUNDS(t, {8});
  t.To(801);  // the crane lifts and a wire goes
  EXPECT_FALSE(t.IsLit(el::im_pelko_06_07b));
  EXPECT_EQ(t.HookPlace(), 0);
  EXPECT_TRUE(t.IsLit(el::im_crane_3));
  EXPECT_FALSE(t.IsLit(el::im_crane_2));
  EXPECT_EQ(t.g.wires_left, 3);
  EXPECT_FALSE(t.IsLit(el::im_wire_4));
  EXPECT_TRUE(t.IsLit(el::im_wire_3));
  EXPECT_SOUNDS(t, {8});
  // One point every 95 ms.
  for (int k = 1; k <= 17; ++k) {
    t.To(801 + 95 * k - 1);
    EXPECT_EQ(t.g.score, 100 + k - 1);
    t.To(801 + 95 * k);
    EXPECT_EQ(t.g.score, 100 + k);
    EXPECT_SOUNDS(t, {2});
  }
  const int64_t end = 801 + 95 * 18;  // the empty count
  t.To(end + 500);
  EXPECT_TRUE(t.IsLit(el::im_pelko_06_07b));
  EXPECT_EQ(t.HookPlace(), 3);
  EXPECT_TRUE(t.IsLit(el::im_crane_2));
  EXPECT_FALSE(t.IsLit(el::im_crane_3));
  t.To(end + 1000);
  EXPECT_TRUE(t.IsLit(el::im_pelko_06_07e));
  EXPECT_EQ(t.HookPlace(), 0);
  EXPECT_TRUE(t.IsLit(el::im_crane_1));
  EXPECT_TRUE(t.IsLit(el::im_lever_1));
  EXPECT_FALSE(t.IsLit(el::im_lever_2));
  t.To(end + 1500);
  EXPECT_FALSE(t.IsLit(el::im_pelko_06_07e));
  EXPECT_SOUNDS(t, {5});
  t.To(end + 2999);
  EXPECT_FALSE(t.g.in_play);
  EXPECT_FALSE(t.IsLit(el::im_pelko_01_01));
  t.To(end + 3000);  // back at (1,1), play goes on without using a life
  EXPECT_SOUNDS(t, {5});
  EXPECT_TRUE(t.IsLit(el::im_pelko_01_01));
  EXPECT_EQ(t.g.pelko_col, 1);
  EXPECT_EQ(t.g.pelko_row, 1);
  EXPECT_EQ(t.g.lives, 2);
  EXPECT_TRUE(t.g.in_play);
  EXPECT_EQ(t.g.tick_count, 1);
  EXPECT_EQ(t.g.tick_phase, 3);
  EXPECT_TRUE(t.g.Timer_Game->Enabled());
  EXPECT_EQ(t.g.Timer_Game->Interval(), Gam_Speed_Interval(kModeGameA, 1, 117));
  EXPECT_FALSE(t.g.Timer_Bonus->Enabled());
  // Only the two barrels next to the restart place are gone.
  EXPECT_EQ(t.g.barrel_grid[2][1] + t.g.barrel_grid[3][1], 0);
  EXPECT_FALSE(t.IsLit(el::im_barrel_02_01));
  EXPECT_FALSE(t.IsLit(el::im_barrel_03_01));
  EXPECT_EQ(t.g.barrel_grid[4][1] + t.g.barrel_grid[6][1], 2);
  // The held direction moves Pelko 330 ms later.
  EXPECT_TRUE(t.g.Timer_Pelko_Move->Enabled());
  EXPECT_EQ(t.g.Timer_Pelko_Move->Interval(), 330);
  t.To(end + 3330);
  EXPECT_TRUE(t.IsLit(el::im_pelko_02_01));
}

// The fourth wire: from the leap to the move into the next stage.
struct LastWire : CranePlay {
  LastWire() {
    g.wires_left = 1;
    Vid_Show_Wires(g.lcd, 1);
    HookInReach();
    g.score = 200;
    g.tick_count = 5;  // 19 points
    Inp_jump_down(g);
    Sounds();
  }
  static constexpr int64_t kFinaleStart = 801 + 95 * 20;  // the empty count at 2701
};

TEST(CraneFinale, GirderBlinksTuskoFallsAndTwentyPointsAreCounted) {
  LastWire t;
  t.To(LastWire::kFinaleStart);
  EXPECT_EQ(t.g.score, 219);
  EXPECT_EQ(t.g.wires_left, 0);
  EXPECT_FALSE(t.g.Timer_Bonus->Enabled());  // no return to (1,1) from the leap bonus
  EXPECT_TRUE(t.g.Timer_Bonus_Complete->Enabled());
  EXPECT_TRUE(t.IsLit(el::im_crane_3));
  t.Sounds();
  const int64_t s1 = LastWire::kFinaleStart + 1;  // finale step 1
  // Steps 2..7: off, on, off, on, off, on at 500 ms spacing, a sound with each going out.
  const int64_t blink[] = {s1 + 95, s1 + 595, s1 + 1095, s1 + 1595, s1 + 2095, s1 + 2595};
  for (int i = 0; i < 6; ++i) {
    t.To(blink[i] - 1);
    EXPECT_EQ(t.IsLit(el::im_girder_1), i % 2 == 0) << i;
    t.To(blink[i]);
    EXPECT_EQ(t.IsLit(el::im_girder_1), i % 2 == 1) << i;
    SCOPED_TRACE(testing::Message() << i);
    EXPECT_SOUNDS(t, (i % 2 == 0 ? std::vector<int>{5} : std::vector<int>{}));
  }
  const int64_t fall = s1 + 3095;
  t.To(fall);
  EXPECT_TRUE(t.IsLit(el::im_girder_2));
  EXPECT_FALSE(t.IsLit(el::im_girder_1));
  EXPECT_TRUE(t.IsLit(el::im_tusko_7));
  for (el::Id id : {el::im_tusko_4a, el::im_tusko_4b, el::im_tusko_4c}) EXPECT_FALSE(t.IsLit(id));
  EXPECT_EQ(t.g.tusko_pos, 0);
  EXPECT_SOUNDS(t, {6});
  t.To(fall + 150);
  EXPECT_FALSE(t.IsLit(el::im_girder_2));
  // The count: a point every 95 ms, the two hearts taking turns every three points.
  const std::string hearts = "11122211122211122211";
  for (int k = 1; k <= 20; ++k) {
    t.To(fall + 150 + 95 * k);
    EXPECT_EQ(t.g.score, 219 + k);
    const bool one = hearts[k - 1] == '1';
    EXPECT_EQ(t.IsLit(el::im_heart_1), one) << k;
    EXPECT_EQ(t.IsLit(el::im_heart_2), !one) << k;
    EXPECT_SOUNDS(t, {2});
  }
  const int64_t counted = fall + 150 + 95 * 21;
  t.To(counted);
  EXPECT_FALSE(t.IsLit(el::im_heart_1));
  EXPECT_FALSE(t.IsLit(el::im_heart_2));
  EXPECT_EQ(t.g.score, 239);
  // Pelko appears on the hook, lets go, and drops.
  t.To(counted + 500);
  EXPECT_TRUE(t.IsLit(el::im_pelko_06_07b));
  EXPECT_TRUE(t.IsLit(el::im_crane_2));
  t.To(counted + 1000);
  EXPECT_TRUE(t.IsLit(el::im_pelko_06_07e));
  EXPECT_TRUE(t.IsLit(el::im_crane_1));
  EXPECT_TRUE(t.IsLit(el::im_lever_1));
  t.To(counted + 1500);
  EXPECT_FALSE(t.IsLit(el::im_pelko_06_07e));
  EXPECT_SOUNDS(t, {5});
  t.To(counted + 2200);
  EXPECT_FALSE(t.IsLit(el::im_tusko_7));
  EXPECT_EQ(t.g.stage_number, 1);
  t.To(counted + 2900);  // the next stage
  EXPECT_EQ(t.g.stage_number, 2);
  EXPECT_FALSE(t.g.Timer_Bonus_Complete->Enabled());
}

TEST(CraneFinale, ChanceTimeGoesOnThroughTheStageBonusIntoTheNextStage) {
  LastWire t;
  // Chance time began before the leap; the next extra life is due at 1300.
  t.g.score_multiplier = 2;
  t.g.blink_phase = 1;
  t.g.Timer_Score_Blink->SetInterval(500);
  t.g.Timer_Score_Blink->SetEnabled(true);
  t.g.extra_life_score = 1300;
  t.clock.Advance(20000);
  EXPECT_EQ(t.g.stage_number, 2);
  ASSERT_TRUE(t.g.Timer_Game->Enabled());
  EXPECT_EQ(t.g.score, 200 + 38 + 40);
  EXPECT_EQ(t.g.score_multiplier, 2);
  EXPECT_EQ(t.g.extra_life_score, 1300);
  // The score still blinks in the new stage.
  bool lit = false, dark = false;
  for (int i = 0; i < 4; ++i) {
    t.clock.Advance(500);
    (t.g.lcd.e[el::im_panel_digit_pos_5].pic ? lit : dark) = true;
  }
  EXPECT_TRUE(lit && dark);
}

TEST(CraneFinale, TheNextStageIsSetUpBehindTheIntroCover) {
  TempDir dir;
  for (int n : {1, 4}) {
    dir.Write("Level" + std::to_string(n) + "/Config.ini",
              "[Image52]\nLeft=" + std::to_string(n * 111) + "\nTop=7\nWidth=10\nHeight=10\n");
  }
  auto make = [&](int32_t tick_phase) {
    auto t = std::make_unique<LastWire>();
    for (int n = 1; n <= 4; ++n) t->cfg.stage_table[n].path = dir.path + "Level" + std::to_string(n) + "\\";
    t->g.stage_number = 4;
    Gam_Load_Stage(t->g);
    t->g.tick_phase = tick_phase;
    t->g.barrel_grid[2][1] = t->g.barrel_grid[5][3] = 1;
    Lcd_Set_Visible(t->g.lcd, el::im_barrel_02_01, true);
    return t;
  };
  // The finale: blinks from 2797, the fall at 5797, the count to 7942, the next stage 2900 ms later.
  const int64_t next_stage = 7942 + 2900;
  auto t = make(4);
  EXPECT_EQ(t->g.lcd.e[el::im_girder_1].rect.left, 444);
  t->To(next_stage - 1);
  EXPECT_EQ(t->g.stage_number, 4);
  t->To(next_stage);
  // Stage 5 of four configured stages: stage 1's skin and sounds again.
  EXPECT_EQ(t->g.stage_number, 5);
  EXPECT_EQ(t->g.lcd.e[el::im_girder_1].rect.left, 111);
  EXPECT_EQ(std::count_if(t->lib.calls.begin(), t->lib.calls.end(),
                          [](const std::string &call) { return call.find("load ") == 0 && call.find("Level1") != std::string::npos; }),
            1);  // the eight sounds are all beep.wav, decoded once
  EXPECT_TRUE(t->g.lcd.e[el::sh_stage_start].visible);  // the cover is up
  EXPECT_EQ(t->g.lcd.e[el::la_stage_start].text, "Stage 5");
  EXPECT_EQ(t->g.lcd.e[el::la_stage_start_name].text, "Stage name 1");
  EXPECT_TRUE(t->g.Timer_Stage_New->Enabled());
  EXPECT_EQ(t->g.stage_new_step, 1);
  EXPECT_FALSE(t->g.in_play);
  EXPECT_FALSE(t->g.Timer_Game->Enabled());
  // The new stage's start picture.
  EXPECT_TRUE(t->IsLit(el::im_girder_1));
  EXPECT_EQ(t->g.wires_left, 4);
  EXPECT_TRUE(t->IsLit(el::im_wire_4));
  EXPECT_TRUE(t->IsLit(el::im_tusko_6c));  // holding a barrel: the finale ended on phase 4
  EXPECT_TRUE(t->IsLit(el::im_pelko_01_01));
  EXPECT_EQ(t->g.lives, 2);
  EXPECT_EQ(t->g.barrel_grid[2][1], 0);
  EXPECT_FALSE(t->IsLit(el::im_barrel_02_01));
  EXPECT_EQ(t->g.barrel_grid[5][3], 1);  // the rest of the barrels carry over
  auto u = make(2);
  u->To(next_stage);
  EXPECT_TRUE(u->IsLit(el::im_tusko_6b));
  EXPECT_EQ(u->g.tusko_pose, 2);
}

TEST(CraneExtraLife, ThirdLifeBlinksTwiceAndStartsChanceTime) {
  CranePlay t;
  t.g.lives = 3;
  t.g.score = 300;
  t.g.hook_step = 7;  // the hook was swinging
  Vid_Show_Panel_Lives(t.g.lcd, 3);
  Inp_move_up_down(t.g);
  Gam_Extra_Life_Check(t.g, 1);
  EXPECT_FALSE(t.g.in_play);
  EXPECT_SOUNDS(t, {0});  // silenced
  const int shown[] = {3, 2, 3, 2, 3};
  for (int step = 2; step <= 6; ++step) {
    t.To(1 + 500 * (step - 1));
    EXPECT_EQ(t.LivesShown(), shown[step - 2]) << step;
    SCOPED_TRACE(testing::Message() << step);
    EXPECT_SOUNDS(t, (step % 2 == 0 ? std::vector<int>{2} : std::vector<int>{}));
  }
  EXPECT_FALSE(t.g.Timer_Game->Enabled());
  t.To(3001);
  EXPECT_EQ(t.g.lives, 3);
  EXPECT_EQ(t.g.score_multiplier, 2);
  EXPECT_TRUE(t.g.Timer_Score_Blink->Enabled());
  EXPECT_EQ(t.g.Timer_Score_Blink->Interval(), 500);
  EXPECT_EQ(t.g.blink_phase, 1);
  EXPECT_TRUE(t.g.Timer_Game->Enabled());
  EXPECT_TRUE(t.g.in_play);
  EXPECT_TRUE(t.g.Timer_Pelko_Move->Enabled());
  EXPECT_EQ(t.g.Timer_Pelko_Move->Interval(), 90);
  EXPECT_TRUE(t.g.Timer_Hook->Enabled());
  EXPECT_EQ(t.g.extra_life_score, 1300);
  EXPECT_FALSE(t.g.Timer_Bonus_Chance->Enabled());
}

TEST(CraneExtraLife, BelowTheThresholdOrWithFewerLivesNoChanceTime) {
  CranePlay t;
  t.g.score = 299;
  Gam_Extra_Life_Check(t.g, 1);
  EXPECT_FALSE(t.g.Timer_Bonus_Chance->Enabled());
  EXPECT_TRUE(t.g.in_play);
  t.g.lives = 0;
  t.g.score = 300;
  Gam_Extra_Life_Check(t.g, 1);
  t.clock.Advance(3001);
  EXPECT_EQ(t.g.lives, 1);
  EXPECT_EQ(t.LivesShown(), 1);
  EXPECT_EQ(t.g.score_multiplier, 1);
  EXPECT_FALSE(t.g.Timer_Score_Blink->Enabled());
  EXPECT_FALSE(t.g.Timer_Hook->Enabled());     // the hook was at rest
  EXPECT_FALSE(t.g.Timer_Pelko_Move->Enabled());  // no direction held
}

TEST(CraneExtraLife, ABonusCountPausesAndGoesOnFromTheSameStep) {
  for (int32_t lives : {1, 2}) {
    CranePlay t;
    t.g.lives = lives;
    t.g.score = 295;
    t.g.tick_count = 5;  // 19 points
    t.HookInReach();
    Inp_jump_down(t.g);
    const int64_t fifth = 801 + 95 * 5;
    t.To(fifth);
    EXPECT_EQ(t.g.score, 300);
    EXPECT_FALSE(t.g.Timer_Bonus->Enabled());
    EXPECT_TRUE(t.g.Timer_Bonus_Chance->Enabled());
    EXPECT_EQ(t.g.extra_life_resume, 2);
    EXPECT_EQ(t.g.bonus_step, 4);
    EXPECT_EQ(t.g.bonus_points_left, 14);
    t.To(fifth + 3001);  // the extra life is over; the count has not moved
    EXPECT_EQ(t.g.score, 300);
    EXPECT_TRUE(t.g.Timer_Bonus->Enabled());
    EXPECT_EQ(t.g.extra_life_score, 1300);
    t.To(fifth + 3001 + 95);
    const int32_t mult = lives == 2 ? 2 : 1;  // three lives now: the rest counts double
    EXPECT_EQ(t.g.score, 300 + mult);
    t.To(fifth + 3001 + 95 * 15 + 3000);
    EXPECT_EQ(t.g.score, 300 + 14 * mult);
    EXPECT_EQ(t.g.lives, lives + 1);
    EXPECT_TRUE(t.IsLit(el::im_pelko_01_01));  // the bonus still ends with Pelko's return
    EXPECT_TRUE(t.g.in_play);
  }
}

TEST(CraneExtraLife, AStageCountPausesAndGoesOnFromTheSameStep) {
  LastWire t;
  t.g.score = 290 - 19;  // the leap brings it to 290; the tenth stage point reaches 300
  t.g.lives = 3;
  const int64_t counting = LastWire::kFinaleStart + 1 + 3095 + 150;
  t.To(counting + 95 * 10);
  EXPECT_EQ(t.g.score, 300);
  EXPECT_EQ(t.g.finale_count, 10);
  EXPECT_TRUE(t.IsLit(el::im_heart_2));
  EXPECT_TRUE(t.g.Timer_Bonus_Chance->Enabled());
  EXPECT_FALSE(t.g.Timer_Bonus_Complete->Enabled());
  EXPECT_EQ(t.g.extra_life_resume, 3);
  t.To(counting + 95 * 10 + 3001 + 95);
  EXPECT_EQ(t.g.finale_count, 11);
  EXPECT_EQ(t.g.score, 302);  // chance time from here on
  t.clock.Advance(20000);
  EXPECT_EQ(t.g.score, 300 + 2 * 10);
  EXPECT_EQ(t.g.stage_number, 2);
}

}  // namespace
