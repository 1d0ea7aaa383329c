// Modes of the unit, the three handheld buttons and the speed rule of the hazard timer.
#include "display/vid.h"
#include "game/game.h"
#include "sound/snd.h"

void Gam_Start_Sequence(Timer &t) {
  t.SetInterval(1);
  t.SetEnabled(true);
}

void Gam_Create(Game &g) {
  Lcd_Init(g.lcd);
  TimerDriver &d = *g.timers;
  auto make = [&](const char *name, void (*handler)(Game &)) {
    Game *gp = &g;
    return d.Create(name, [gp, handler] { handler(*gp); });
  };
  g.Timer_Bonus = make("Timer_Bonus", Timer_BonusTimer);
  g.Timer_Bonus_Chance = make("Timer_Bonus_Chance", Timer_Bonus_ChanceTimer);
  g.Timer_Bonus_Complete = make("Timer_Bonus_Complete", Timer_Bonus_CompleteTimer);
  g.Timer_Clock = make("Timer_Clock", Timer_ClockTimer);
  g.Timer_Game = make("Timer_Game", Timer_GameTimer);
  g.Timer_Game_Over = make("Timer_Game_Over", Timer_Game_OverTimer);
  g.Timer_Hook = make("Timer_Hook", Timer_HookTimer);
  g.Timer_Pelko_Move = make("Timer_Pelko_Move", Timer_Pelko_MoveTimer);
  g.Timer_Miss = make("Timer_Miss", Timer_MissTimer);
  g.Timer_Miss_Jump = make("Timer_Miss_Jump", Timer_Miss_JumpTimer);
  g.Timer_Score_Blink = make("Timer_Score_Blink", Timer_Score_BlinkTimer);
  g.Timer_Stage_New = make("Timer_Stage_New", Timer_Stage_NewTimer);
  g.Timer_Stage_Start = make("Timer_Stage_Start", Timer_Stage_StartTimer);
}

void Gam_Stop_All_Timers(Game &g) {
  for (Timer *t : {g.Timer_Bonus.get(), g.Timer_Bonus_Chance.get(), g.Timer_Bonus_Complete.get(),
                   g.Timer_Clock.get(), g.Timer_Game.get(), g.Timer_Game_Over.get(), g.Timer_Hook.get(),
                   g.Timer_Pelko_Move.get(), g.Timer_Miss.get(), g.Timer_Miss_Jump.get(),
                   g.Timer_Score_Blink.get(), g.Timer_Stage_New.get(), g.Timer_Stage_Start.get()})
    t->SetEnabled(false);
}

int32_t Gam_Speed_Interval(int32_t game_mode, int32_t tick_count, int32_t score) {
  // Worked in 64 bits: a turn of many million ticks must not wrap round to a slow game.
  int64_t interval = 0;
  if (game_mode == kModeGameA) interval = 500 - int64_t{tick_count} - score / 3;
  else if (game_mode == kModeGameB) interval = 500 - (int64_t{tick_count} * 13) / 10 - score / 3;
  return interval < 100 ? 100 : static_cast<int32_t>(interval);
}

void Gam_Set_TimerGame_Interval(Game &g) {
  g.Timer_Game->SetInterval(Gam_Speed_Interval(g.game_mode, g.tick_count, g.score));
}

void Gam_Resume_Play(Game &g, int32_t move_ms) {
  g.Timer_Game->SetEnabled(true);
  g.in_play = true;
  g.Timer_Pelko_Move->SetInterval(move_ms);
  g.Timer_Pelko_Move->SetEnabled(g.move_key_held);
}

namespace {

// Modes 2 and 4: the held button shows its game's high score on a cleared LCD.
void ShowHeldHiscore(Game &g, el::Id game_mark, int32_t hiscore) {
  Gam_Stop_All_Timers(g);
  Snd_Silence(*g.snd);
  Gam_Stage_Start_Phase_2(g);
  Vid_Show_All(g.lcd, false);
  Lcd_Set_Visible(g.lcd, el::im_panel_hiscore, true);
  Lcd_Set_Visible(g.lcd, el::im_panel_score, true);
  Lcd_Set_Visible(g.lcd, game_mark, true);
  Vid_Show_Panel_Score(g.lcd, hiscore, true);
  g.in_play = false;
}

bool CanTakeOver(int32_t mode) {
  return mode == kModeClock || mode == kModeGameA || mode == kModeGameB || mode == kModeGameOver;
}

void Face(Game &g, el::Id face, el::Id picture) { Lcd_Set_Picture(g.lcd, face, g.lcd.e[picture].pic); }

}  // namespace

void Gam_Set_Mode(Game &g) {
  switch (g.game_mode) {
    case kModeTimeHeld:
      Gam_Stop_All_Timers(g);
      Snd_Silence(*g.snd);
      Gam_Stage_Start_Phase_2(g);
      g.in_play = false;
      break;
    case kModeClock:
      g.clock_phase = 1;
      Gam_Start_Sequence(*g.Timer_Clock);
      break;
    case kModeGameAHeld:
      ShowHeldHiscore(g, el::im_panel_game_a, g.hiscore_a);
      break;
    case kModeGameBHeld:
      ShowHeldHiscore(g, el::im_panel_game_b, g.hiscore_b);
      break;
    case kModeGameA:
    case kModeGameB:
      g.stage_number = 1;
      Gam_Stage_Start_Phase_1(g);
      Gam_Load_Stage(g);
      g.stage_start_step = 1;
      Gam_Start_Sequence(*g.Timer_Stage_Start);
      break;
    default:
      break;
  }
}

void Inp_game_a_down(Game &g) {
  Face(g, el::btn_game_a_top, el::btn_game_a_pressed);
  if (CanTakeOver(g.game_mode)) {
    g.game_mode = kModeGameAHeld;
    Gam_Set_Mode(g);
  }
}

void Inp_game_a_up(Game &g) {
  Face(g, el::btn_game_a_top, el::btn_game_a_released);
  if (g.game_mode == kModeGameAHeld) {
    g.game_mode = kModeGameA;
    Gam_Set_Mode(g);
  }
}

void Inp_game_b_down(Game &g) {
  Face(g, el::btn_game_b_top, el::btn_game_b_pressed);
  if (CanTakeOver(g.game_mode)) {
    g.game_mode = kModeGameBHeld;
    Gam_Set_Mode(g);
  }
}

void Inp_game_b_up(Game &g) {
  Face(g, el::btn_game_b_top, el::btn_game_b_released);
  if (g.game_mode == kModeGameBHeld) {
    g.game_mode = kModeGameB;
    Gam_Set_Mode(g);
  }
}

void Inp_time_down(Game &g) {
  Face(g, el::btn_time_top, el::btn_time_pressed);
  if (CanTakeOver(g.game_mode)) {
    g.game_mode = kModeTimeHeld;
    Gam_Set_Mode(g);
  }
}

void Inp_time_up(Game &g) {
  Face(g, el::btn_time_top, el::btn_time_released);
  if (g.game_mode == kModeTimeHeld) {
    g.game_mode = kModeClock;
    Gam_Set_Mode(g);
  }
}
