// The handheld's game unit: the game state, its thirteen timers and the routines that run the
// game. Everything happens in calls from the GUI thread: a control press or release, a timer
// handler, or the splash window's start action. The game never draws; it shows and hides
// segments of lcd through the Vid_ routines.
#pragma once
#include <cstdint>
#include <memory>

#include "display/lcd.h"
#include "platform/timer.h"

struct Config;
struct Sound;
class Store;
class Rng;
class Screen;

// game_mode values
enum : int32_t {
  kModeTimeHeld = 0,
  kModeClock = 1,
  kModeGameAHeld = 2,
  kModeGameA = 3,
  kModeGameBHeld = 4,
  kModeGameB = 5,
  kModeGameOver = 6,
};

struct Game {
  // What the game reaches outside itself; set before Gam_Create.
  Config *cfg = nullptr;
  Sound *snd = nullptr;
  Store *store = nullptr;
  Rng *rng = nullptr;
  Screen *screen = nullptr;
  TimerDriver *timers = nullptr;
  // Skin problems (undecodable pictures, bad colours) are handed here; may be empty.
  void (*report)(void *ctx, const char *what) = nullptr;
  void *report_ctx = nullptr;

  Lcd lcd;

  // Game state (zero at program start unless noted).
  int32_t game_mode = 0;
  int32_t score = 0;
  int32_t hiscore_a = 0, hiscore_b = 0;
  int32_t score_multiplier = 0;
  int32_t extra_life_score = 0;
  int32_t lives = 0;
  int32_t wires_left = 0;
  int32_t stage_number = 1;
  int32_t pelko_col = 0, pelko_row = 0;
  int32_t pelko_hand = 0;
  int32_t tusko_pos = 0, tusko_pose = 0;
  int32_t tick_count = 0, tick_phase = 0;
  int32_t iron_odds = 0, throw_odds = 0;
  bool in_play = false;
  int32_t move_dir = 0;
  bool move_key_held = false, jump_key_held = false;
  int32_t hook_step = 0;
  int32_t bonus_points_left = 0, finale_count = 0, extra_life_resume = 0;
  int32_t clock_phase = 0;
  bool menu_open = false;
  int32_t barrel_grid[7][9] = {};  // [col 1..6][row 1..8], 1 = barrel

  // Step counters of the timed sequences.
  int32_t miss_step = 0, game_over_step = 0, blink_phase = 0, bonus_step = 0, finale_step = 0;
  int32_t extra_life_step = 0, stage_start_step = 0, stage_new_step = 0;

  // The thirteen timers, all disabled with 1 ms after Gam_Create.
  std::unique_ptr<Timer> Timer_Bonus, Timer_Bonus_Chance, Timer_Bonus_Complete, Timer_Clock, Timer_Game,
      Timer_Game_Over, Timer_Hook, Timer_Pelko_Move, Timer_Miss, Timer_Miss_Jump, Timer_Score_Blink,
      Timer_Stage_New, Timer_Stage_Start;
};

// Creates the elements (hidden, empty) and the thirteen timers on g.timers.
void Gam_Create(Game &g);

// Modes and timers
void Gam_Set_Mode(Game &g);                  // entry actions of the mode now in game_mode
void Gam_Stop_All_Timers(Game &g);           // disables the thirteen timers in their fixed order
void Gam_Set_TimerGame_Interval(Game &g);    // Timer_Game interval by the speed rule
int32_t Gam_Speed_Interval(int32_t game_mode, int32_t tick_count, int32_t score);  // the speed rule itself
void Gam_Resume_Play(Game &g, int32_t move_ms);  // hazard ticks on, Pelko steerable, a held direction steps after move_ms

// Control press and release routines (keys and on-screen buttons end here).
void Inp_game_a_down(Game &g);
void Inp_game_a_up(Game &g);
void Inp_game_b_down(Game &g);
void Inp_game_b_up(Game &g);
void Inp_time_down(Game &g);
void Inp_time_up(Game &g);
void Inp_move_up_down(Game &g);
void Inp_move_up_up(Game &g);
void Inp_move_left_down(Game &g);
void Inp_move_left_up(Game &g);
void Inp_move_right_down(Game &g);
void Inp_move_right_up(Game &g);
void Inp_move_down_down(Game &g);
void Inp_move_down_up(Game &g);
void Inp_jump_down(Game &g);
void Inp_jump_up(Game &g);

// Stages
void Gam_Stage_Start_Phase_1(Game &g);       // raises the intro screen for stage_number
void Gam_Stage_Start_Phase_2(Game &g);       // hides the intro screen
void Gam_Load_Stage(Game &g);                // skin and sound bank of stage_number
void Gam_Relayout(Game &g);                  // the skin laid out again for a changed screen size

// Hazards
void Gam_Hit_Start(Game &g);                  // a barrel or iron hit Pelko: stop play, start the miss sequence

// Movement
void Gam_Pelko_Jumps_In(Game &g);             // Pelko enters the playfield at (1,1)
void Gam_Pelko_Land(Game &g);                 // the landing of a jump, carried out by the hazard tick

// Crane, hook and bonus
void Gam_Extra_Life_Check(Game &g, int32_t resume);  // after a score increase: start the extra-life sequence when due

// Misses, game over and high scores

// Timer handlers
void Timer_ClockTimer(Game &g);
void Timer_GameTimer(Game &g);
void Timer_Pelko_MoveTimer(Game &g);
void Timer_HookTimer(Game &g);
void Timer_MissTimer(Game &g);
void Timer_Miss_JumpTimer(Game &g);
void Timer_Game_OverTimer(Game &g);
void Timer_Score_BlinkTimer(Game &g);
void Timer_BonusTimer(Game &g);
void Timer_Bonus_CompleteTimer(Game &g);
void Timer_Bonus_ChanceTimer(Game &g);
void Timer_Stage_StartTimer(Game &g);
void Timer_Stage_NewTimer(Game &g);

// Starts a timed sequence: step counter to 1 is the caller's; interval 1 ms and enabled here.
void Gam_Start_Sequence(Timer &t);
