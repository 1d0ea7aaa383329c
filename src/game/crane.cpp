// The crane: the hook's swing after a lever pull, the bonus of a leap onto the hook, the stage
// finale when the last wire goes, and the extra life (with chance time) that can interrupt any
// of them and hands back to the sequence it paused.
#include <algorithm>

#include "display/vid.h"
#include "game/game.h"
#include "sound/snd.h"

namespace {

constexpr int kSoundPoint = 2;     // every counted point, every extra-life beat
constexpr int kSoundReturn = 5;      // girder blinks, Pelko's return
constexpr int kSoundTuskoFalls = 6;
constexpr int kSoundCrane = 8;     // Pelko catches the hook, the crane lifts

// extra_life_resume values: what the extra-life sequence hands back to.
enum : int32_t { kResumePlay = 1, kResumeBonus = 2, kResumeFinale = 3 };

constexpr int32_t kFinalePoints = 20;

void Play(Game &g, int n) { Snd_Play(*g.snd, g.snd->bank[n]); }
void Show(Game &g, el::Id id, bool on) { Lcd_Set_Visible(g.lcd, id, on); }

void ShowScore(Game &g) { Vid_Show_Panel_Score(g.lcd, g.score, true); }

// The two barrel cells beside Pelko's restart place are cleared so he is not hit at once.
void PutPelkoBackAtStart(Game &g) {
  for (int32_t c = 2; c <= 3; ++c) {
    g.barrel_grid[c][1] = 0;
    Show(g, g.lcd.barrel_img[c][1], false);
  }
  g.pelko_col = 1;
  g.pelko_row = 1;
  Vid_Show_Pelko(g.lcd, 1, 1, true);
}

// Pelko back on the hook, then dropping off it, the crane and lever at rest again.
void PelkoOnHook(Game &g) {
  Show(g, el::im_pelko_06_07b, true);
  Show(g, el::im_hook_3, true);
  Show(g, el::im_crane_3, false);
  Show(g, el::im_crane_2, true);
}
void PelkoLetsGo(Game &g) {
  Show(g, el::im_pelko_06_07b, false);
  Show(g, el::im_pelko_06_07e, true);
  Show(g, el::im_hook_3, false);
  Show(g, el::im_crane_2, false);
  Show(g, el::im_crane_1, true);
  Show(g, el::im_lever_2, false);
  Show(g, el::im_lever_1, true);
}

// Points for taking a wire: the earlier in the turn, the more.
int32_t LeapBonus(int32_t tick_count) {
  if (tick_count < 11) return 19;
  return std::max(19 - tick_count / 16, 5);
}

void NextStage(Game &g) {
  Show(g, el::im_girder_1, true);
  g.wires_left = 4;
  Vid_Show_Wires(g.lcd, g.wires_left);
  g.tusko_pos = 6;
  g.tusko_pose = g.tick_phase == 4 ? 3 : 2;
  Vid_Show_Tusko(g.lcd, g.tusko_pos, g.tusko_pose);
  PutPelkoBackAtStart(g);
  ++g.stage_number;
  // The intro cover goes up first; the new skin and sounds load behind it.
  Gam_Stage_Start_Phase_1(g);
  Gam_Load_Stage(g);
  g.stage_new_step = 1;
  Gam_Start_Sequence(*g.Timer_Stage_New);
}

void EndExtraLife(Game &g) {
  if (g.lives >= 3) {  // chance time: double points while the score blinks
    g.score_multiplier = 2;
    g.blink_phase = 1;
    g.Timer_Score_Blink->SetInterval(500);
    g.Timer_Score_Blink->SetEnabled(true);
  }
  switch (g.extra_life_resume) {
    case kResumePlay:
      Gam_Resume_Play(g, 90);
      break;
    case kResumeBonus: g.Timer_Bonus->SetEnabled(true); break;
    case kResumeFinale: g.Timer_Bonus_Complete->SetEnabled(true); break;
    default: break;
  }
  if (g.hook_step != 0) g.Timer_Hook->SetEnabled(true);
  g.extra_life_score += 1000;
}

}  // namespace

void Timer_HookTimer(Game &g) {
  Timer &t = *g.Timer_Hook;
  switch (g.hook_step) {
    case 1:
      Show(g, el::im_lever_1, false);
      Show(g, el::im_lever_2, true);
      Show(g, el::im_crane_1, false);
      Show(g, el::im_crane_2, true);
      Vid_Show_Hook(g.lcd, 1);
      t.SetInterval(450);
      break;
    // Out to the far end and back, then once more towards the girder.
    case 3: Vid_Show_Hook(g.lcd, 2); break;
    case 4: Vid_Show_Hook(g.lcd, 3); break;
    case 5: Vid_Show_Hook(g.lcd, 4); break;
    case 6: Vid_Show_Hook(g.lcd, 5); break;
    case 8: Vid_Show_Hook(g.lcd, 4); break;
    case 9: Vid_Show_Hook(g.lcd, 3); break;
    case 10: Vid_Show_Hook(g.lcd, 2); break;
    case 11: Vid_Show_Hook(g.lcd, 1); break;
    case 13: Vid_Show_Hook(g.lcd, 2); break;
    case 14: Vid_Show_Hook(g.lcd, 3); break;
    case 15:
      Vid_Show_Hook(g.lcd, 0);
      Show(g, el::im_lever_2, false);
      Show(g, el::im_lever_1, true);
      Show(g, el::im_crane_2, false);
      Show(g, el::im_crane_1, true);
      t.SetInterval(300);
      break;
    case 16:
      // At rest again: the counter stays at 0 so that the next lever pull can start a swing.
      g.hook_step = 0;
      t.SetEnabled(false);
      return;
    default: break;  // 2, 7, 12: the hook lingers
  }
  ++g.hook_step;
}

void Timer_BonusTimer(Game &g) {
  Timer &t = *g.Timer_Bonus;
  switch (g.bonus_step) {
    case 1: t.SetInterval(400); break;  // the leap picture stays
    case 2:  // Pelko catches the hook, which swings to its middle place
      g.hook_step = 0;
      Show(g, el::im_pelko_06_07a, false);
      Show(g, el::im_pelko_06_07b, true);
      Show(g, el::im_hook_1, false);
      Show(g, el::im_hook_3, true);
      Play(g, kSoundCrane);
      break;
    case 3:  // the crane lifts and takes a wire
      Show(g, el::im_pelko_06_07b, false);
      Show(g, el::im_hook_3, false);
      Show(g, el::im_crane_2, false);
      Show(g, el::im_crane_3, true);
      Play(g, kSoundCrane);
      --g.wires_left;
      Vid_Show_Wires(g.lcd, g.wires_left);
      g.bonus_points_left = LeapBonus(g.tick_count);
      t.SetInterval(95);
      break;
    case 4:
      if (g.bonus_points_left > 0) {
        --g.bonus_points_left;
        g.score += g.score_multiplier;
        ShowScore(g);
        Play(g, kSoundPoint);
        g.bonus_step = 3;  // this step again in 95 ms
        Gam_Extra_Life_Check(g, kResumeBonus);
        break;
      }
      if (g.wires_left == 0) {
        g.finale_step = 1;
        Gam_Start_Sequence(*g.Timer_Bonus_Complete);
        t.SetEnabled(false);
      } else {
        t.SetInterval(500);
      }
      break;
    case 5: PelkoOnHook(g); break;
    case 6: PelkoLetsGo(g); break;
    case 7:
      Show(g, el::im_pelko_06_07e, false);
      Play(g, kSoundReturn);
      t.SetInterval(1500);
      break;
    case 8:  // Pelko is back at the start; a new turn begins without using a life
      PutPelkoBackAtStart(g);
      Play(g, kSoundReturn);
      g.tick_count = 1;
      Gam_Set_TimerGame_Interval(g);
      Gam_Resume_Play(g, 330);
      t.SetEnabled(false);
      break;
    default: break;
  }
  ++g.bonus_step;
}

void Timer_Bonus_CompleteTimer(Game &g) {
  Timer &t = *g.Timer_Bonus_Complete;
  switch (g.finale_step) {
    case 1: t.SetInterval(95); break;
    case 2:  // the girder blinks three times
    case 4:
    case 6:
      Show(g, el::im_girder_1, false);
      Play(g, kSoundReturn);
      if (g.finale_step == 2) t.SetInterval(500);
      break;
    case 3:
    case 5:
    case 7: Show(g, el::im_girder_1, true); break;
    case 8:  // the girder gives way and Tusko falls
      Show(g, el::im_girder_1, false);
      Show(g, el::im_girder_2, true);
      g.tusko_pos = 0;
      g.tusko_pose = 0;
      Vid_Show_Tusko(g.lcd, 0, 0);
      Show(g, el::im_tusko_7, true);
      Play(g, kSoundTuskoFalls);
      t.SetInterval(150);
      break;
    case 9:
      Show(g, el::im_girder_2, false);
      g.finale_count = 0;
      t.SetInterval(95);
      break;
    case 10:
      if (g.finale_count < kFinalePoints) {
        ++g.finale_count;
        g.score += g.score_multiplier;
        ShowScore(g);
        switch (g.finale_count) {
          case 1: case 7: case 13: case 19:
            Show(g, el::im_heart_1, true);
            Show(g, el::im_heart_2, false);
            break;
          case 4: case 10: case 16:
            Show(g, el::im_heart_2, true);
            Show(g, el::im_heart_1, false);
            break;
          default: break;
        }
        Play(g, kSoundPoint);
        g.finale_step = 9;  // this step again in 95 ms
        Gam_Extra_Life_Check(g, kResumeFinale);
        break;
      }
      Show(g, el::im_heart_1, false);
      Show(g, el::im_heart_2, false);
      t.SetInterval(500);
      break;
    case 11: PelkoOnHook(g); break;
    case 12: PelkoLetsGo(g); break;
    case 13:
      Show(g, el::im_pelko_06_07e, false);
      Play(g, kSoundReturn);
      t.SetInterval(700);
      break;
    case 14: Show(g, el::im_tusko_7, false); break;
    case 15:
      t.SetEnabled(false);
      NextStage(g);
      break;
    default: break;
  }
  ++g.finale_step;
}

void Gam_Extra_Life_Check(Game &g, int32_t resume) {
  if (g.score < g.extra_life_score) return;
  // The interrupted sequence keeps its step and carries on after the extra life.
  Gam_Stop_All_Timers(g);
  ShowScore(g);
  Snd_Silence(*g.snd);
  g.in_play = false;
  g.extra_life_resume = resume;
  g.extra_life_step = 1;
  Gam_Start_Sequence(*g.Timer_Bonus_Chance);
}

void Timer_Bonus_ChanceTimer(Game &g) {
  Timer &t = *g.Timer_Bonus_Chance;
  switch (g.extra_life_step) {
    case 1: t.SetInterval(500); break;
    case 2:
      g.lives = std::min(g.lives + 1, 3);
      Vid_Show_Panel_Lives(g.lcd, g.lives);
      Play(g, kSoundPoint);
      break;
    case 3:
    case 5: Vid_Show_Panel_Lives(g.lcd, g.lives - 1); break;
    case 4:
    case 6:
      Vid_Show_Panel_Lives(g.lcd, g.lives);
      Play(g, kSoundPoint);
      break;
    case 7:
      t.SetEnabled(false);
      EndExtraLife(g);
      break;
    default: break;
  }
  ++g.extra_life_step;
}
