// Misses, lives, game over and high scores: the blinking hit, the fall from the top girder,
// the restart of a turn, the game-over picture with the high-score update, and the blinking
// score of chance time.
#include "display/vid.h"
#include "game/game.h"
#include "platform/store.h"
#include "sound/snd.h"

namespace {

// Pelko's position segment; nothing when he is not on a position of the playfield.
void ShowPelkoHere(Game &g, bool shown) {
  if (g.pelko_col < 1 || g.pelko_col > 5 || g.pelko_row < 1 || g.pelko_row > 7) return;
  if (g.lcd.pelko_img[g.pelko_col][g.pelko_row] == el::NONE) return;
  Vid_Show_Pelko(g.lcd, g.pelko_col, g.pelko_row, shown);
}

// A new turn: Pelko waits off the playfield, the hazards go on where they were, and a swinging
// hook continues from its step.
void RestartTurn(Game &g) {
  g.pelko_col = 0;
  g.pelko_row = 0;
  g.tick_count = 1;
  Gam_Set_TimerGame_Interval(g);
  Gam_Resume_Play(g, 90);
  if (g.hook_step > 0) g.Timer_Hook->SetEnabled(true);
}

void StartGameOver(Game &g) {
  g.game_over_step = 1;
  Gam_Start_Sequence(*g.Timer_Game_Over);
}

void EndOfMiss(Game &g) {
  if (g.lives > 0) RestartTurn(g);
  else StartGameOver(g);
}

// The high score of the game just played; a score of 1000 or more keeps 998.
void SaveHiscore(Game &g, int32_t &hiscore, const char *value_name) {
  if (g.score > hiscore && g.score < 1000) hiscore = g.score;
  if (g.score > 999) hiscore = 998;
  if (g.store) g.store->WriteInteger(value_name, hiscore);  // none once the program has shut down
}

}  // namespace

void Timer_MissTimer(Game &g) {
  switch (g.miss_step) {
    case 1:
      Snd_Play(*g.snd, g.snd->bank[7]);
      g.Timer_Miss->SetInterval(150);
      break;
    case 2:
    case 4:
      g.Timer_Miss->SetInterval(230);
      ShowPelkoHere(g, false);
      Vid_Show_Pelko0107Hand(g.lcd, 0);
      break;
    case 3:
    case 5:
      g.Timer_Miss->SetInterval(210);
      ShowPelkoHere(g, true);
      Vid_Show_Pelko0107Hand(g.lcd, g.pelko_hand);
      break;
    case 6:
      ShowPelkoHere(g, false);
      g.pelko_hand = 0;
      Vid_Show_Pelko0107Hand(g.lcd, g.pelko_hand);
      EndOfMiss(g);
      g.Timer_Miss->SetEnabled(false);
      break;
    default:
      break;
  }
  g.miss_step += 1;
}

void Timer_Miss_JumpTimer(Game &g) {
  switch (g.miss_step) {
    case 1:
      g.Timer_Miss_Jump->SetInterval(400);
      break;
    case 2:
      Snd_Play(*g.snd, g.snd->bank[3]);
      Lcd_Set_Visible(g.lcd, el::im_pelko_06_07a, false);
      Lcd_Set_Visible(g.lcd, el::im_pelko_06_07c, true);
      g.Timer_Miss_Jump->SetInterval(500);
      break;
    case 3:
      Lcd_Set_Visible(g.lcd, el::im_pelko_06_07c, false);
      Lcd_Set_Visible(g.lcd, el::im_pelko_06_07d, true);
      g.Timer_Miss_Jump->SetInterval(800);
      break;
    case 4:
      if (g.lives > 0) {
        Lcd_Set_Visible(g.lcd, el::im_pelko_06_07d, false);
        RestartTurn(g);
      } else {
        // The last fall picture stays until the game-over sequence clears every Pelko segment.
        StartGameOver(g);
      }
      g.Timer_Miss_Jump->SetEnabled(false);
      break;
    default:
      break;
  }
  g.miss_step += 1;
}

void Timer_Game_OverTimer(Game &g) {
  switch (g.game_over_step) {
    case 1:
      g.Timer_Game_Over->SetInterval(200);
      break;
    case 2:
      Vid_Show_All_Pelko(g.lcd, false);
      Snd_Play(*g.snd, g.snd->bank[4]);
      g.Timer_Game_Over->SetInterval(500);
      break;
    case 3:
      if (g.game_mode == kModeGameA) SaveHiscore(g, g.hiscore_a, "HiScore1");
      else if (g.game_mode == kModeGameB) SaveHiscore(g, g.hiscore_b, "HiScore2");
      g.game_mode = kModeGameOver;
      Gam_Set_Mode(g);
      // The finished game's picture stays for five minutes.
      g.Timer_Game_Over->SetInterval(300000);
      break;
    case 4:
      Vid_Show_All(g.lcd, false);
      g.game_mode = kModeClock;
      Gam_Set_Mode(g);
      g.Timer_Game_Over->SetEnabled(false);
      break;
    default:
      break;
  }
  g.game_over_step += 1;
}

void Timer_Score_BlinkTimer(Game &g) {
  Vid_Show_Panel_Score(g.lcd, g.score, g.blink_phase % 2 == 1);
  g.blink_phase = g.blink_phase >= 3 ? 1 : g.blink_phase + 1;
}
