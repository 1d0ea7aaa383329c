// Pelko's movement on the virtual clock: the held-direction repeat, the step table and its
// barrel and iron checks, the lever, the take-offs and landings, the entry, the leap to the crane
// and the fall off the top girder.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "display/vid.h"
#include "platform/image.h"
#include "test_support.h"

namespace {

#define EXPECT_SOUNDS(t, ...) EXPECT_EQ((t).Sounds(), (std::vector<int> __VA_ARGS__))

// A turn in progress with Pelko placed by the test. Timer_Game stays off so that only the
// timers under test run; the sound bank holds handle n for sound n.
struct PelkoPlay : InPlayGame {
  std::vector<std::string> PelkoLit() const {
    std::vector<std::string> out;
    for (const std::string &n : Lit())
      if (n.rfind("im_pelko_", 0) == 0) out.push_back(n);
    return out;
  }
  bool MissStarted() const { return g.Timer_Miss->Enabled() && g.miss_step == 1 && !g.in_play; }
  void Barrel(int32_t c, int32_t r) { g.barrel_grid[c][r] = 1; }
  void Iron(el::Id iron) { Lcd_Set_Visible(g.lcd, iron, true); }
};

using V = std::vector<std::string>;

TEST(PelkoMove, HeldRightWalksTheBottomGirderAt90Then330Ms) {
  PelkoPlay t;
  t.Place(1, 1);
  Inp_move_right_down(t.g);
  const struct {
    int64_t at;
    const char *seg;
  } walk[] = {{89, "im_pelko_01_01"}, {90, "im_pelko_02_01"}, {419, "im_pelko_02_01"}, {420, "im_pelko_03_01"},
              {750, "im_pelko_04_01"}, {1080, "im_pelko_05_01"}, {1500, "im_pelko_05_01"}};
  for (const auto &w : walk) {
    t.clock.Advance(w.at - t.clock.Now());
    EXPECT_EQ(t.PelkoLit(), V{w.seg}) << "at " << w.at;
  }
  EXPECT_SOUNDS(t, {8, 8, 8, 8});  // no sound once the girder ends
  // The timer keeps running while the key is held, and stops at its first expiry after release.
  EXPECT_TRUE(t.g.Timer_Pelko_Move->Enabled());
  EXPECT_EQ(t.g.Timer_Pelko_Move->Interval(), 330);
  Inp_move_right_up(t.g);
  EXPECT_TRUE(t.g.Timer_Pelko_Move->Enabled());
  t.clock.Advance(330);
  EXPECT_FALSE(t.g.Timer_Pelko_Move->Enabled());
}

TEST(PelkoMove, OnlyTheFirstDirectionCountsAndAnyReleaseEndsIt) {
  PelkoPlay t;
  const PictureRef pressed = Img_Placeholder();
  t.g.lcd.e[el::btn_move_left_pressed].pic = pressed;
  t.Place(1, 1);
  Inp_move_right_down(t.g);
  t.clock.Advance(50);
  Inp_move_left_down(t.g);
  EXPECT_EQ(t.g.lcd.e[el::btn_move_left_top].pic, pressed);  // the face reacts anyway
  EXPECT_EQ(t.g.move_dir, 1);
  t.clock.Advance(40);
  EXPECT_EQ(t.PelkoLit(), V{"im_pelko_02_01"});
  Inp_move_left_up(t.g);  // right is still held down, but the latch is gone
  EXPECT_FALSE(t.g.move_key_held);
  t.clock.Advance(1000);
  EXPECT_EQ(t.PelkoLit(), V{"im_pelko_02_01"});
  // A key-repeat press of a held direction does not restart the 90 ms wait.
  Inp_move_right_down(t.g);
  t.clock.Advance(60);
  Inp_move_right_down(t.g);
  t.clock.Advance(30);
  EXPECT_EQ(t.PelkoLit(), V{"im_pelko_03_01"});
}

TEST(PelkoMove, PressOutOfPlayIsRememberedUntilPelkoIsBackInPlay) {
  PelkoPlay t;
  t.g.in_play = false;
  Inp_move_right_down(t.g);
  t.clock.Advance(1000);
  EXPECT_FALSE(t.g.Timer_Pelko_Move->Enabled());
  EXPECT_TRUE(t.g.move_key_held);
  // The entry picks the held direction up after 330 ms.
  Gam_Pelko_Jumps_In(t.g);
  EXPECT_EQ(t.PelkoLit(), V{"im_pelko_01_01"});
  EXPECT_SOUNDS(t, {5});
  t.clock.Advance(329);
  EXPECT_EQ(t.PelkoLit(), V{"im_pelko_01_01"});
  t.clock.Advance(1);
  EXPECT_EQ(t.PelkoLit(), V{"im_pelko_02_01"});
  // Without a held direction the entry leaves the step timer off.
  PelkoPlay u;
  Gam_Pelko_Jumps_In(u.g);
  EXPECT_FALSE(u.g.Timer_Pelko_Move->Enabled());
  EXPECT_EQ(u.g.lives, 2);  // the callers take the life
}

TEST(PelkoMove, ButtonFacesFollowEveryPressAndRelease) {
  struct Face {
    void (*down)(Game &);
    void (*up)(Game &);
    el::Id top, pressed, released;
  } faces[] = {
      {Inp_move_up_down, Inp_move_up_up, el::btn_move_up_top, el::btn_move_up_pressed, el::btn_move_up_released},
      {Inp_move_left_down, Inp_move_left_up, el::btn_move_left_top, el::btn_move_left_pressed,
       el::btn_move_left_released},
      {Inp_move_right_down, Inp_move_right_up, el::btn_move_right_top, el::btn_move_right_pressed,
       el::btn_move_right_released},
      {Inp_move_down_down, Inp_move_down_up, el::btn_move_down_top, el::btn_move_down_pressed,
       el::btn_move_down_released},
      {Inp_jump_down, Inp_jump_up, el::btn_jump_top, el::btn_jump_pressed, el::btn_jump_released},
  };
  for (bool in_play : {true, false}) {
    PelkoPlay t;
    t.g.in_play = in_play;
    for (const Face &f : faces)
      for (el::Id id : {f.pressed, f.released}) t.g.lcd.e[id].pic = std::make_shared<Picture>();
    for (const Face &f : faces) {
      f.down(t.g);
      f.down(t.g);  // a repeat too
      EXPECT_EQ(t.g.lcd.e[f.top].pic, t.g.lcd.e[f.pressed].pic) << Lcd_Name(f.top);
      f.up(t.g);
      EXPECT_EQ(t.g.lcd.e[f.top].pic, t.g.lcd.e[f.released].pic) << Lcd_Name(f.top);
    }
  }
}

// One step in direction press from (c,r); returns the lit Pelko segments after 90 ms.
V StepFrom(PelkoPlay &t, int32_t c, int32_t r, void (*press)(Game &)) {
  t.Place(c, r);
  press(t.g);
  t.clock.Advance(90);
  return t.PelkoLit();
}

TEST(PelkoSteps, TheLaddersAndTheTopGirder) {
  struct Case {
    int32_t c, r;
    void (*press)(Game &);
    const char *to;
  } cases[] = {
      {5, 1, Inp_move_up_down, "im_pelko_05_03"},   {5, 3, Inp_move_down_down, "im_pelko_05_01"},
      {1, 3, Inp_move_up_down, "im_pelko_01_04"},   {1, 4, Inp_move_up_down, "im_pelko_01_05"},
      {1, 4, Inp_move_down_down, "im_pelko_01_03"}, {1, 5, Inp_move_down_down, "im_pelko_01_04"},
      {3, 7, Inp_move_right_down, "im_pelko_05_07"}, {5, 7, Inp_move_left_down, "im_pelko_03_07"},
      // Positions without the move stay put.
      {5, 1, Inp_move_right_down, "im_pelko_05_01"}, {5, 3, Inp_move_right_down, "im_pelko_05_03"},
      {1, 1, Inp_move_left_down, "im_pelko_01_01"},  {2, 1, Inp_move_up_down, "im_pelko_02_01"},
      {1, 3, Inp_move_down_down, "im_pelko_01_03"},  {1, 2, Inp_move_right_down, "im_pelko_01_02"},
  };
  for (const Case &k : cases) {
    PelkoPlay t;
    EXPECT_EQ(StepFrom(t, k.c, k.r, k.press), V{k.to}) << k.c << "," << k.r << " -> " << k.to;
    const bool moved = std::string(k.to) != Lcd_Name(t.g.lcd.pelko_img[k.c][k.r]);
    SCOPED_TRACE(testing::Message() << k.to);
    EXPECT_SOUNDS(t, (moved ? std::vector<int>{8} : std::vector<int>{}));
  }
  // Off the playfield nothing moves and nothing is lit.
  PelkoPlay off;
  Inp_move_right_down(off.g);
  off.clock.Advance(90);
  EXPECT_TRUE(off.PelkoLit().empty());
}

TEST(PelkoSteps, TopLeftHandPoses) {
  PelkoPlay t;
  // Arriving from the ladder lights the resting hand and hurries the next step.
  EXPECT_EQ(StepFrom(t, 1, 5, Inp_move_up_down), (V{"im_pelko_01_07a", "im_pelko_01_07b"}));
  EXPECT_EQ(t.g.pelko_hand, 1);
  EXPECT_EQ(t.g.Timer_Pelko_Move->Interval(), 90);
  Inp_move_up_up(t.g);
  t.clock.Advance(90);
  Inp_move_right_down(t.g);
  t.clock.Advance(90);
  EXPECT_EQ(t.PelkoLit(), V{"im_pelko_03_07"});
  EXPECT_EQ(t.g.pelko_hand, 0);
  Inp_move_right_up(t.g);
  t.clock.Advance(330);
  Inp_move_left_down(t.g);
  t.clock.Advance(90);
  EXPECT_EQ(t.PelkoLit(), (V{"im_pelko_01_07a", "im_pelko_01_07b"}));
  // Down the ladder again: both hand pictures go.
  Inp_move_left_up(t.g);
  t.clock.Advance(330);
  Inp_move_down_down(t.g);
  t.clock.Advance(90);
  EXPECT_EQ(t.PelkoLit(), V{"im_pelko_01_05"});
}

TEST(PelkoSteps, BarrelsBlockOnTheLowerGirdersAndHitAfterTheMoveOnTop) {
  struct Case {
    int32_t c, r;
    void (*press)(Game &);
    int32_t bc, br;     // the barrel
    const char *after;  // Pelko's segment after the step
    bool hit;
  } cases[] = {
      {2, 1, Inp_move_right_down, 3, 1, "im_pelko_02_01", true},
      {2, 1, Inp_move_left_down, 2, 1, "im_pelko_02_01", true},
      {2, 1, Inp_move_left_down, 1, 1, "im_pelko_01_01", false},  // the barrel is beyond the next place
      {3, 3, Inp_move_left_down, 3, 3, "im_pelko_03_03", true},
      {3, 3, Inp_move_right_down, 4, 3, "im_pelko_03_03", true},
      {3, 3, Inp_move_right_down, 5, 3, "im_pelko_04_03", false},
      {1, 3, Inp_move_left_down, 1, 3, "im_pelko_01_03", true},  // no move, still a hit
      {1, 1, Inp_move_left_down, 1, 1, "im_pelko_01_01", false},
      {1, 7, Inp_move_right_down, 4, 7, "im_pelko_03_07", true},
      {3, 7, Inp_move_right_down, 6, 7, "im_pelko_05_07", true},
      {1, 5, Inp_move_up_down, 2, 7, "im_pelko_01_07a", true},
      {1, 7, Inp_move_down_down, 2, 6, "im_pelko_01_05", true},
      {5, 7, Inp_move_left_down, 4, 7, "im_pelko_03_07", false},  // leftwards on top checks nothing
      {3, 7, Inp_move_left_down, 2, 7, "im_pelko_01_07a", false},
  };
  for (const Case &k : cases) {
    PelkoPlay t;
    t.Barrel(k.bc, k.br);
    t.Place(k.c, k.r);
    k.press(t.g);
    t.clock.Advance(90);
    const std::string where = std::to_string(k.c) + "," + std::to_string(k.r) + " barrel " +
                              std::to_string(k.bc) + "," + std::to_string(k.br);
    EXPECT_EQ(t.g.lcd.e[Lcd_Find(k.after)].visible, true) << where;
    EXPECT_EQ(t.MissStarted(), k.hit) << where;
    // A hit never plays the step sound; the step timer is stopped with all others.
    if (k.hit) {
      SCOPED_TRACE(where);
      EXPECT_SOUNDS(t, {});
      EXPECT_FALSE(t.g.Timer_Pelko_Move->Enabled()) << where;
    }
  }
}

TEST(PelkoSteps, StepIntoALitIronPlaysTheStepThenMisses) {
  using Press = void (*)(Game &);
  for (auto [r, press] : {std::pair<int32_t, Press>{3, Inp_move_up_down}, {5, Inp_move_down_down}}) {
    PelkoPlay t;
    t.Iron(el::im_iron_01_04);
    EXPECT_EQ(StepFrom(t, 1, r, press), V{"im_pelko_01_04"});
    EXPECT_SOUNDS(t, {8});
    EXPECT_TRUE(t.MissStarted()) << "from row " << r;
  }
  PelkoPlay safe;  // other irons do not touch the ladder
  safe.Iron(el::im_iron_02_04);
  StepFrom(safe, 1, 3, Inp_move_up_down);
  EXPECT_FALSE(safe.MissStarted());
}

TEST(PelkoLever, HoldingLeftAtTheTopPullsTheLeverEvery90Ms) {
  PelkoPlay t;
  t.Place(1, 7);
  Vid_Show_Pelko0107Hand(t.g.lcd, 1);
  t.g.pelko_hand = 1;
  Inp_move_left_down(t.g);
  t.clock.Advance(90);
  EXPECT_EQ(t.PelkoLit(), (V{"im_pelko_01_07a", "im_pelko_01_07c"}));
  EXPECT_EQ(t.g.pelko_hand, 2);
  EXPECT_SOUNDS(t, {});  // a pull is not a step
  EXPECT_EQ(t.g.Timer_Pelko_Move->Interval(), 90);
  // The hook sequence starts 1 ms later: lever pulled, hook out at place 1.
  t.clock.Advance(1);
  EXPECT_TRUE(t.IsLit(el::im_lever_2));
  EXPECT_TRUE(t.IsLit(el::im_hook_1));
  EXPECT_EQ(t.g.hook_step, 2);
  // Further pulls while it swings change nothing.
  t.clock.Advance(900);  // hook step 3 at 991
  EXPECT_EQ(t.g.hook_step, 4);
  EXPECT_TRUE(t.IsLit(el::im_hook_2));
  // Releasing left brings back the resting hand.
  Inp_move_left_up(t.g);
  EXPECT_EQ(t.PelkoLit(), (V{"im_pelko_01_07a", "im_pelko_01_07b"}));
  // Release elsewhere, or out of play, leaves the hand alone.
  PelkoPlay u;
  u.Place(1, 7);
  u.g.in_play = false;
  Inp_move_left_up(u.g);
  EXPECT_EQ(u.PelkoLit(), V{"im_pelko_01_07a"});
}

TEST(PelkoLever, AHeldLeverRestartsTheHookWithin90MsOfItsEnd) {
  PelkoPlay t;
  t.Place(1, 7);
  Inp_move_left_down(t.g);
  t.clock.Advance(91);  // pull at 90, hook step 1 at 91
  t.clock.Advance(6600);  // step 16 at 6691: the hook is at rest again
  EXPECT_EQ(t.g.hook_step, 0);
  EXPECT_FALSE(t.g.Timer_Hook->Enabled());
  EXPECT_TRUE(t.IsLit(el::im_lever_1));
  t.clock.Advance(58);
  EXPECT_FALSE(t.g.Timer_Hook->Enabled());
  t.clock.Advance(1);  // the next pull, at 6750, starts a new swing
  EXPECT_TRUE(t.g.Timer_Hook->Enabled());
  EXPECT_EQ(t.g.hook_step, 1);
  t.clock.Advance(1);
  EXPECT_TRUE(t.IsLit(el::im_hook_1));
  EXPECT_TRUE(t.IsLit(el::im_lever_2));
}

TEST(PelkoJump, TakeOffsLandingsAndTheJumpOverScore) {
  struct Case {
    int32_t c, r;
    const char *air, *land;
    int32_t bc, br;  // the barrel that rolled under him (0: none)
    int32_t points;
  } cases[] = {
      {1, 1, "im_pelko_01_02", "im_pelko_01_01", 1, 1, 1}, {4, 1, "im_pelko_04_02", "im_pelko_04_01", 4, 1, 1},
      {3, 3, "im_pelko_03_04", "im_pelko_03_03", 4, 3, 2}, {4, 3, "im_pelko_04_04", "im_pelko_04_03", 5, 3, 2},
      {1, 1, "im_pelko_01_02", "im_pelko_01_01", 2, 1, 0}, {4, 3, "im_pelko_04_04", "im_pelko_04_03", 4, 3, 0},
      {3, 3, "im_pelko_03_04", "im_pelko_03_03", 0, 0, 0},
  };
  for (int32_t mult : {1, 2}) {
    for (const Case &k : cases) {
      PelkoPlay t;
      t.g.score = 40;
      t.g.score_multiplier = mult;
      t.Place(k.c, k.r);
      Inp_jump_down(t.g);
      const std::string where = std::string(k.air) + " x" + std::to_string(mult);
      EXPECT_EQ(t.PelkoLit(), V{k.air}) << where;
      EXPECT_FALSE(t.g.in_play) << where;
      SCOPED_TRACE(where);
      EXPECT_SOUNDS(t, {5});
      if (k.bc) t.Barrel(k.bc, k.br);
      Gam_Pelko_Land(t.g);
      EXPECT_EQ(t.PelkoLit(), V{k.land}) << where;
      EXPECT_TRUE(t.g.in_play) << where;
      EXPECT_EQ(t.g.score, 40 + k.points * mult) << where;
    }
  }
  // Landing does nothing for a Pelko who is standing.
  PelkoPlay s;
  s.Place(1, 1);
  s.Barrel(1, 1);
  Gam_Pelko_Land(s.g);
  EXPECT_EQ(s.g.score, 0);
}

TEST(PelkoJump, OneJumpPerPressAndOnlyFromTheFourTakeOffPlaces) {
  for (auto [c, r] : {std::pair{2, 1}, {3, 1}, {5, 1}, {1, 3}, {2, 3}, {5, 3}, {1, 4}, {1, 5}, {1, 7}, {3, 7}}) {
    PelkoPlay t;
    t.Place(c, r);
    Inp_jump_down(t.g);
    EXPECT_EQ(t.PelkoLit().size(), 1u);
    EXPECT_TRUE(t.IsLit(t.g.lcd.pelko_img[c][r])) << c << "," << r;
    EXPECT_TRUE(t.g.in_play);
    EXPECT_TRUE(t.g.jump_key_held);
  }
  PelkoPlay t;
  t.Place(1, 1);
  t.g.jump_key_held = true;  // still held from an earlier press
  Inp_jump_down(t.g);
  EXPECT_TRUE(t.IsLit(el::im_pelko_01_01));
  Inp_jump_up(t.g);
  Inp_jump_down(t.g);
  EXPECT_TRUE(t.IsLit(el::im_pelko_01_02));
}

TEST(PelkoJump, JumpingUpIntoAnIronIsAHit) {
  // From the bottom girder the jump stays below the iron row.
  struct Case {
    int32_t c, r;
    el::Id iron;
    bool hit;
  } cases[] = {{3, 3, el::im_iron_03_04, true}, {4, 3, el::im_iron_04_04, true},
               {3, 3, el::im_iron_04_04, false}, {4, 1, el::im_iron_04_04, false}};
  for (const Case &k : cases) {
    SCOPED_TRACE(testing::Message() << k.c << "," << k.r << " " << Lcd_Name(k.iron));
    PelkoPlay t;
    t.Iron(k.iron);
    t.Place(k.c, k.r);
    Inp_jump_down(t.g);
    EXPECT_EQ(t.MissStarted(), k.hit);
    EXPECT_TRUE(t.IsLit(t.g.lcd.pelko_img[k.c][k.r + 1]));
    EXPECT_SOUNDS(t, {5});
  }
}

TEST(PelkoJump, HeldDirectionWaitsInTheAirAndSteps90MsAfterLanding) {
  PelkoPlay t;
  t.Place(1, 1);
  Inp_move_right_down(t.g);
  Inp_jump_down(t.g);  // airborne before the first step
  t.clock.Advance(1000);
  EXPECT_EQ(t.PelkoLit(), V{"im_pelko_01_02"});
  Gam_Pelko_Land(t.g);
  EXPECT_EQ(t.g.Timer_Pelko_Move->Interval(), 90);
  t.clock.Advance(89);
  EXPECT_EQ(t.PelkoLit(), V{"im_pelko_01_01"});
  t.clock.Advance(1);
  EXPECT_EQ(t.PelkoLit(), V{"im_pelko_02_01"});
}

TEST(PelkoJump, ALandingScoreThatReachesTheThresholdStartsTheExtraLife) {
  PelkoPlay t;
  t.g.score = 299;
  t.Place(1, 1);
  Inp_move_right_down(t.g);
  Inp_jump_down(t.g);
  t.Barrel(1, 1);
  Gam_Pelko_Land(t.g);
  EXPECT_EQ(t.g.score, 300);
  EXPECT_FALSE(t.g.in_play);
  EXPECT_FALSE(t.g.Timer_Pelko_Move->Enabled());
  EXPECT_TRUE(t.g.Timer_Bonus_Chance->Enabled());
  EXPECT_EQ(t.g.extra_life_resume, 1);
  EXPECT_EQ(t.g.extra_life_step, 1);
}

TEST(PelkoEntry, AJumpPressBringsPelkoInAndUsesALife) {
  PelkoPlay t;
  Inp_jump_down(t.g);
  EXPECT_EQ(t.PelkoLit(), V{"im_pelko_01_01"});
  EXPECT_EQ(t.g.lives, 1);
  EXPECT_TRUE(t.IsLit(el::im_panel_life_1));
  EXPECT_FALSE(t.IsLit(el::im_panel_life_2));
  EXPECT_SOUNDS(t, {5});
  EXPECT_TRUE(t.g.in_play);
  // Out of play the press only sets the latch.
  PelkoPlay u;
  u.g.in_play = false;
  Inp_jump_down(u.g);
  EXPECT_TRUE(u.PelkoLit().empty());
  EXPECT_EQ(u.g.lives, 2);
  EXPECT_TRUE(u.g.jump_key_held);
}

// Pelko at the right end of the top girder with play timers running.
struct AtTheCrane : PelkoPlay {
  AtTheCrane() {
    Place(5, 7);
    g.Timer_Game->SetInterval(100000);
    g.Timer_Game->SetEnabled(true);
    g.hook_step = 2;
    g.Timer_Hook->SetInterval(100000);
    g.Timer_Hook->SetEnabled(true);
    g.score = 57;
    g.score_multiplier = 2;
    g.Timer_Score_Blink->SetInterval(500);
    g.Timer_Score_Blink->SetEnabled(true);
    Vid_Show_Panel_Score(g.lcd, g.score, false);  // caught dark by the blink
  }
  bool ScoreLit() const { return g.lcd.e[el::im_panel_digit_pos_5].pic != nullptr; }
};

TEST(PelkoCraneJump, WithTheHookInReachTheBonusStarts) {
  AtTheCrane t;
  Lcd_Set_Visible(t.g.lcd, el::im_hook_1, true);
  t.lib.calls.clear();
  Inp_jump_down(t.g);
  EXPECT_EQ(t.PelkoLit(), V{"im_pelko_06_07a"});
  EXPECT_SOUNDS(t, {5});
  EXPECT_FALSE(t.g.in_play);
  EXPECT_FALSE(t.g.Timer_Game->Enabled());
  EXPECT_FALSE(t.g.Timer_Hook->Enabled());
  EXPECT_FALSE(t.g.Timer_Pelko_Move->Enabled());
  EXPECT_TRUE(t.g.Timer_Bonus->Enabled());
  EXPECT_EQ(t.g.bonus_step, 1);
  EXPECT_EQ(t.g.Timer_Bonus->Interval(), 1);
  // Chance time goes on through the bonus.
  EXPECT_TRUE(t.g.Timer_Score_Blink->Enabled());
  EXPECT_EQ(t.g.score_multiplier, 2);
  EXPECT_FALSE(t.g.Timer_Miss_Jump->Enabled());
}

TEST(PelkoCraneJump, OutOfReachTheLeapFallsAndEndsChanceTime) {
  AtTheCrane t;
  Lcd_Set_Visible(t.g.lcd, el::im_hook_2, true);
  Inp_jump_down(t.g);
  EXPECT_EQ(t.PelkoLit(), V{"im_pelko_06_07a"});
  EXPECT_FALSE(t.g.Timer_Bonus->Enabled());
  EXPECT_TRUE(t.g.Timer_Miss_Jump->Enabled());
  EXPECT_EQ(t.g.miss_step, 1);
  EXPECT_EQ(t.g.Timer_Miss_Jump->Interval(), 1);
  EXPECT_FALSE(t.g.Timer_Score_Blink->Enabled());
  EXPECT_EQ(t.g.score_multiplier, 1);
  EXPECT_TRUE(t.ScoreLit());
  EXPECT_EQ(t.g.hook_step, 2);  // the swing is only paused
  EXPECT_FALSE(t.g.Timer_Hook->Enabled());
}

TEST(PelkoCraneJump, WalkingOffTheRightEndIsAFall) {
  AtTheCrane t;
  Lcd_Set_Visible(t.g.lcd, el::im_hook_1, true);  // even with the hook in reach
  t.lib.calls.clear();
  Inp_move_right_down(t.g);
  t.clock.Advance(90);
  EXPECT_TRUE(t.PelkoLit().empty());
  EXPECT_SOUNDS(t, {});
  EXPECT_FALSE(t.g.in_play);
  EXPECT_TRUE(t.g.Timer_Miss_Jump->Enabled());
  EXPECT_EQ(t.g.miss_step, 2);
  EXPECT_EQ(t.g.Timer_Miss_Jump->Interval(), 1);
  for (Timer *other : {t.g.Timer_Game.get(), t.g.Timer_Hook.get(), t.g.Timer_Pelko_Move.get(),
                       t.g.Timer_Score_Blink.get(), t.g.Timer_Bonus.get()})
    EXPECT_FALSE(other->Enabled()) << other->Name();
  EXPECT_EQ(t.g.score_multiplier, 1);
  EXPECT_TRUE(t.ScoreLit());
}

}  // namespace
