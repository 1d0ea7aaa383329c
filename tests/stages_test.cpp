#include <gtest/gtest.h>

#include <algorithm>

#include "platform/image.h"
#include "sequence_fixture.h"

namespace {

Rect RectOf(const Play &p, el::Id id) { return p.g.lcd.e[id].rect; }

bool IntroShown(const Play &p) {
  return p.IsLit(el::sh_stage_start) && p.IsLit(el::la_stage_start) && p.IsLit(el::la_stage_start_name);
}

bool IntroHidden(const Play &p) {
  for (el::Id id : {el::sh_stage_start, el::la_stage_start, el::la_stage_start_name, el::im_stage_start})
    if (p.IsLit(id)) return false;
  return true;
}

// Four stage folders with their own background colour (red 1 .. 4) and an intro picture for
// stage 1 in the resources folder.
struct Stages : Play {
  TempDir dir;
  Stages() {
    cfg.resources_path = dir.path + "Res\\";
    dir.Write("Res/Intro1.png", Tiny_Png());
    const char *names[] = {"", "Alpha", "Beta", "Gamma", "Delta"};
    for (int n = 1; n <= 4; ++n) {
      const std::string folder = "Level" + std::to_string(n) + "/";
      dir.Write(folder + "Config.ini", "[Common]\nBgColor=" + std::to_string(n) + "\n");
      cfg.stage_table[n].path = dir.path + folder;
      cfg.stage_table[n].name = names[n];
      cfg.stage_table[n].image = n == 1 ? "intro1.PNG" : "nil";
    }
  }
};

}  // namespace

TEST(StageIntro, TextsAreSizedAndCentred) {
  Play p;
  p.g.stage_number = 1;
  Gam_Stage_Start_Phase_1(p.g);
  EXPECT_TRUE(IntroShown(p));
  EXPECT_FALSE(p.IsLit(el::im_stage_start));
  EXPECT_EQ(RectOf(p, el::sh_stage_start), (Rect{0, 0, 1024, 768}));
  // Test screen: title characters 49 x 49/2 pixels, name characters 31 x 31/2.
  EXPECT_EQ(p.g.lcd.e[el::la_stage_start].text, "Stage 1");
  EXPECT_EQ(RectOf(p, el::la_stage_start), (Rect{426, 359, 171, 49}));
  EXPECT_EQ(p.g.lcd.e[el::la_stage_start_name].text, "Stage name 1");
  EXPECT_EQ(RectOf(p, el::la_stage_start_name), (Rect{419, 359 + 49 + 16, 186, 31}));
  Gam_Stage_Start_Phase_2(p.g);
  EXPECT_TRUE(IntroHidden(p));
}

TEST(StageIntro, LongNameOverflowsBothEdgesAndStaysCentred) {
  Play p(800, 600);
  p.cfg.stage_table[1].name = std::string(100, 'W');
  Gam_Stage_Start_Phase_1(p.g);
  const Rect r = RectOf(p, el::la_stage_start_name);
  EXPECT_EQ(r.width, 1550);
  EXPECT_EQ(r.left, (800 - 1550) / 2);
  EXPECT_EQ(r.left, -375);
  EXPECT_EQ(r.top, (600 - 49) / 2 + 49 + 16);
}

TEST(StageIntro, PictureBelowTheNameFoundWhateverTheLetterCase) {
  Stages s;
  s.g.stage_number = 1;
  Gam_Stage_Start_Phase_1(s.g);
  ASSERT_TRUE(s.IsLit(el::im_stage_start));
  const PictureRef pic = s.g.lcd.e[el::im_stage_start].pic;
  ASSERT_TRUE(pic);
  // The 1 x 1 picture, or the placeholder while PNG decoding is not available.
  std::string error;
  const std::string png = Tiny_Png();
  if (Img_Decode_Png(png.data(), png.size(), &error)) {
    EXPECT_EQ(pic->width, 1);
  } else {
    EXPECT_EQ(pic, Img_Placeholder());
  }
  EXPECT_EQ(RectOf(s, el::im_stage_start), (Rect{(1024 - pic->width) / 2, 424 + 31 + 100, pic->width, pic->height}));
  // A stage without a picture ("nil", empty, or no such file) shows the texts only.
  for (const std::string image : {"nil", "", "missing.png", "../Res"}) {
    s.cfg.stage_table[2].image = image;
    s.g.stage_number = 2;
    Gam_Stage_Start_Phase_1(s.g);
    EXPECT_TRUE(IntroShown(s)) << image;
    EXPECT_FALSE(s.IsLit(el::im_stage_start)) << image;
  }
}

TEST(StageIntro, FifthStageOfFourCountsOnWithStageOnesLook) {
  Stages s;
  s.StartPlaying();
  EXPECT_EQ(s.g.lcd.window_color, 0x010000u);
  // What the stage-complete sequence does when stage 4 is done.
  s.g.stage_number = 4;
  Gam_Stop_All_Timers(s.g);
  s.g.stage_number += 1;
  Gam_Stage_Start_Phase_1(s.g);
  Gam_Load_Stage(s.g);
  EXPECT_EQ(s.g.lcd.e[el::la_stage_start].text, "Stage 5");
  EXPECT_EQ(s.g.lcd.e[el::la_stage_start_name].text, "Alpha");
  EXPECT_TRUE(s.IsLit(el::im_stage_start));
  EXPECT_EQ(s.g.lcd.window_color, 0x010000u);
  s.g.stage_number = 7;
  Gam_Stage_Start_Phase_1(s.g);
  Gam_Load_Stage(s.g);
  EXPECT_EQ(s.g.lcd.e[el::la_stage_start].text, "Stage 7");
  EXPECT_EQ(s.g.lcd.e[el::la_stage_start_name].text, "Gamma");
  EXPECT_FALSE(s.IsLit(el::im_stage_start));
  EXPECT_EQ(s.g.lcd.window_color, 0x030000u);
}

TEST(GameStart, StepsAndJingleWaits) {
  struct Case {
    bool sound_on;
    int32_t jingle_ms;
    int64_t step3, step4;
  } cases[] = {{false, 0, 2001, 3001}, {true, 1500, 3501, 4501}};
  for (const Case &c : cases) {
    Play p;
    p.InstallSounds(c.jingle_ms);
    p.PressGame();
    p.snd.sound_on = c.sound_on;
    // The sound bank of stage 1 is loaded, sound on or off (its eight sounds share one file).
    EXPECT_EQ(std::count_if(p.timed.calls.begin(), p.timed.calls.end(),
                            [](const std::string &call) { return call.find("load ") == 0 && call.find("Level1") != std::string::npos; }),
              1);
    EXPECT_TRUE(IntroShown(p));
    EXPECT_EQ(p.g.game_mode, kModeGameA);
    EXPECT_EQ(p.g.stage_number, 1);
    p.clock.Advance(1001);
    p.ExpectSounds(c.sound_on ? std::vector<std::pair<int64_t, int>>{{1001, kGameStartJingle}}
                              : std::vector<std::pair<int64_t, int>>{});
    p.clock.Advance(c.step3 - 1 - 1001);
    EXPECT_TRUE(IntroShown(p));
    EXPECT_EQ(p.g.lives, 0);
    p.clock.Advance(1);
    EXPECT_TRUE(IntroHidden(p));
    EXPECT_EQ(p.g.lives, 3);
    EXPECT_FALSE(p.g.in_play);
    EXPECT_FALSE(p.g.Timer_Game->Enabled());
    p.clock.Advance(c.step4 - c.step3);
    EXPECT_TRUE(p.g.in_play);
    EXPECT_TRUE(p.g.Timer_Game->Enabled());
    EXPECT_EQ(p.g.Timer_Game->Interval(), 499);
    EXPECT_EQ(p.g.tick_count, 1);
    EXPECT_EQ(p.g.tick_phase, 1);
    EXPECT_FALSE(p.g.Timer_Stage_Start->Enabled());
    EXPECT_FALSE(p.g.Timer_Pelko_Move->Enabled());
  }
}

TEST(GameStart, PlayfieldOfANewGame) {
  Play p;
  // Leftovers of a finished game, including the ladder cell the grid reset does not name.
  p.g.game_mode = kModeGameOver;
  for (auto [c, r] : {std::pair{1, 4}, {3, 5}, {2, 7}, {6, 8}, {5, 1}}) p.Barrel(c, r);
  p.g.score = 640;
  p.g.hook_step = 9;
  p.g.score_multiplier = 2;
  p.g.extra_life_score = 1300;
  p.g.tusko_pos = 2;
  p.g.pelko_col = 3;
  p.g.pelko_row = 3;
  p.g.pelko_hand = 1;
  p.g.wires_left = 2;
  p.PressGame(true);
  p.clock.Advance(2001);
  EXPECT_EQ(p.Barrels(), (std::vector<std::string>{"4,3", "4,6", "6,1"}));
  std::vector<std::string> expected = {
      "im_barrel_04_03", "im_barrel_04_06", "im_barrel_06_01", "im_crane_1", "im_girder_1",
      "im_lever_1", "im_panel_digit_pos_1", "im_panel_digit_pos_2", "im_panel_digit_pos_3",
      "im_panel_digit_pos_4", "im_panel_digit_pos_5", "im_panel_game_b", "im_panel_life_1",
      "im_panel_life_2", "im_panel_life_3", "im_panel_score", "im_tusko_6a", "im_tusko_6c",
      "im_wire_1", "im_wire_2", "im_wire_3", "im_wire_4"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(p.Lit(), expected);
  EXPECT_EQ(p.Panel(), "    0");
  EXPECT_EQ(p.g.score, 0);
  EXPECT_EQ(p.g.hook_step, 0);
  EXPECT_EQ(p.g.score_multiplier, 1);
  EXPECT_EQ(p.g.extra_life_score, 300);
  EXPECT_EQ(p.g.wires_left, 4);
  EXPECT_EQ(p.g.tusko_pos, 6);
  EXPECT_EQ(p.g.tusko_pose, 3);
  EXPECT_EQ(p.g.pelko_col, 0);
  EXPECT_EQ(p.g.pelko_row, 0);
  EXPECT_EQ(p.g.pelko_hand, 0);
}

TEST(NewStage, StepsCarryScoreOverAndStartPlayWithTheOldCount) {
  for (bool held : {false, true}) {
    Play p;
    p.StartPlaying();
    p.g.tick_count = 300;
    p.g.score = 0;
    p.g.lives = 1;
    p.g.score_multiplier = 2;
    p.g.tick_phase = 3;
    p.g.move_key_held = held;
    // The stage-complete sequence has stopped play and raises the next stage.
    Gam_Stop_All_Timers(p.g);
    p.g.in_play = false;
    p.g.stage_number += 1;
    Gam_Stage_Start_Phase_1(p.g);
    Gam_Load_Stage(p.g);
    p.InstallSounds(0, 0);
    p.snd.sound_on = false;
    Vid_Show_Panel_Lives(p.g.lcd, 0);
    p.g.stage_new_step = 1;
    const int64_t t0 = p.clock.Now();
    Gam_Start_Sequence(*p.g.Timer_Stage_New);
    EXPECT_EQ(p.g.lcd.e[el::la_stage_start].text, "Stage 2");
    p.clock.Advance(2000);
    EXPECT_TRUE(IntroShown(p));
    EXPECT_FALSE(p.IsLit(el::im_panel_life_1));
    p.clock.Advance(1);
    EXPECT_TRUE(IntroHidden(p));
    EXPECT_TRUE(p.IsLit(el::im_panel_life_1));
    EXPECT_FALSE(p.g.Timer_Game->Enabled());
    p.clock.Advance(1000);
    ASSERT_EQ(p.clock.Now(), t0 + 3001);
    EXPECT_TRUE(p.g.Timer_Game->Enabled());
    EXPECT_EQ(p.g.Timer_Game->Interval(), 200);  // tick 300 of the last turn
    EXPECT_EQ(p.g.tick_count, 1);
    EXPECT_EQ(p.g.tick_phase, 3);
    EXPECT_EQ(p.g.score_multiplier, 2);
    EXPECT_TRUE(p.g.in_play);
    EXPECT_EQ(p.g.Timer_Pelko_Move->Enabled(), held);
    EXPECT_EQ(p.g.Timer_Pelko_Move->Interval(), 330);
    EXPECT_FALSE(p.g.Timer_Stage_New->Enabled());
    // The first tick comes after that pause, the next by the new count.
    p.clock.Advance(199);
    EXPECT_EQ(p.g.tick_count, 1);
    p.clock.Advance(1);
    EXPECT_EQ(p.g.tick_count, 2);
    EXPECT_EQ(p.g.Timer_Game->Interval(), 499);
  }
}

TEST(NewStage, JingleWaitFollowsItsLength) {
  Play p;
  p.g.game_mode = kModeGameA;
  p.InstallSounds(0, 2500);
  p.g.stage_new_step = 1;
  Gam_Start_Sequence(*p.g.Timer_Stage_New);
  p.clock.Advance(1001);
  p.ExpectSounds({{1001, kStageJingle}});
  p.clock.Advance(3499);
  EXPECT_EQ(p.Panel(), "     ");
  p.clock.Advance(1);
  EXPECT_EQ(p.Panel(), "    0");
  p.clock.Advance(1000);
  EXPECT_TRUE(p.g.Timer_Game->Enabled());
}

TEST(Abandon, ButtonsDuringTheIntroStopTheSequence) {
  for (int button = 0; button < 3; ++button) {
    Play p;
    p.PressGame();
    p.clock.Advance(1500);
    ASSERT_TRUE(IntroShown(p));
    if (button == 0) Inp_time_down(p.g);
    if (button == 1) Inp_game_a_down(p.g);
    if (button == 2) Inp_game_b_down(p.g);
    EXPECT_TRUE(IntroHidden(p));
    EXPECT_FALSE(p.g.Timer_Stage_Start->Enabled());
    p.clock.Advance(10000);
    EXPECT_FALSE(p.g.Timer_Game->Enabled());
    EXPECT_FALSE(p.g.in_play);
    EXPECT_EQ(p.g.lives, 0);
    if (button == 1) {
      // Released, a new game starts from the first step.
      Inp_game_a_up(p.g);
      EXPECT_TRUE(IntroShown(p));
      p.clock.Advance(3000);
      EXPECT_FALSE(p.g.Timer_Game->Enabled());
      p.clock.Advance(1);
      EXPECT_TRUE(p.g.Timer_Game->Enabled());
    }
  }
}

TEST(Abandon, TimeDuringTheNewStageIntro) {
  Play p;
  p.StartPlaying();
  Gam_Stop_All_Timers(p.g);
  p.g.stage_number = 2;
  Gam_Stage_Start_Phase_1(p.g);
  p.g.stage_new_step = 1;
  Gam_Start_Sequence(*p.g.Timer_Stage_New);
  p.clock.Advance(1200);
  Inp_time_down(p.g);
  EXPECT_TRUE(IntroHidden(p));
  p.clock.Advance(10000);
  EXPECT_FALSE(p.g.Timer_Game->Enabled());
  EXPECT_FALSE(p.g.Timer_Stage_New->Enabled());
}
