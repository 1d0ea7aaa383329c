// Pelko's movement and jumps: the four direction controls and the jump control, the step timer
// with its 90/330 ms repeat, the lever pull, the take-offs and the landing, the leap to the crane
// and the fall off the right end of the top girder, and Pelko's entry onto the playfield.
#include "display/vid.h"
#include "game/game.h"
#include "sound/snd.h"

namespace {

// move_dir values
enum : int32_t { kNone = 0, kRight = 1, kDown = 2, kLeft = 3, kUp = 4 };

constexpr int32_t kQuickMs = 90;   // first step after a press, and after a lever pull or a climb to the top
constexpr int32_t kRepeatMs = 330; // held direction

constexpr int kSoundJump = 5;
constexpr int kSoundStep = 8;

void Face(Game &g, el::Id face, el::Id picture) { Lcd_Set_Picture(g.lcd, face, g.lcd.e[picture].pic); }

void Play(Game &g, int n) { Snd_Play(*g.snd, g.snd->bank[n]); }

// Hide the old position, change the coordinates, light the new one.
void MoveTo(Game &g, int32_t col, int32_t row) {
  Vid_Show_Pelko(g.lcd, g.pelko_col, g.pelko_row, false);
  g.pelko_col = col;
  g.pelko_row = row;
  Vid_Show_Pelko(g.lcd, col, row, true);
}

void Hand(Game &g, int32_t pose) {
  g.pelko_hand = pose;
  Vid_Show_Pelko0107Hand(g.lcd, pose);
}

bool Lit(const Game &g, el::Id id) { return g.lcd.e[id].visible; }

bool Barrel(const Game &g, int32_t col, int32_t row) { return g.barrel_grid[col][row] != 0; }

void DirectionDown(Game &g, int32_t dir) {
  if (g.move_key_held) return;  // one direction at a time; the second is not even remembered
  g.move_key_held = true;
  g.move_dir = dir;
  if (g.in_play) {
    g.Timer_Pelko_Move->SetInterval(kQuickMs);
    g.Timer_Pelko_Move->SetEnabled(true);
  }
}

// Any release ends the held direction, whichever control was accepted.
void DirectionUp(Game &g) {
  g.move_key_held = false;
  g.move_dir = kNone;
}

// The lever at the top left: the pulling hand, and the hook swings out unless it already does.
void PullLever(Game &g) {
  Hand(g, 2);
  if (g.hook_step == 0 && !g.Timer_Hook->Enabled()) {
    g.hook_step = 1;
    Gam_Start_Sequence(*g.Timer_Hook);
  }
}

// Walking off the right end of the top girder.
void FallOff(Game &g) {
  Gam_Stop_All_Timers(g);
  g.in_play = false;
  Vid_Show_Pelko(g.lcd, 5, 7, false);
  Vid_Show_Panel_Score(g.lcd, g.score, true);
  g.score_multiplier = 1;
  g.miss_step = 2;  // straight to the falling pictures
  Gam_Start_Sequence(*g.Timer_Miss_Jump);
}

// The leap from (5,7) towards the hook.
void CraneJump(Game &g) {
  g.in_play = false;
  g.Timer_Game->SetEnabled(false);
  g.Timer_Hook->SetEnabled(false);
  g.Timer_Pelko_Move->SetEnabled(false);
  Vid_Show_Pelko(g.lcd, 5, 7, false);
  Lcd_Set_Visible(g.lcd, el::im_pelko_06_07a, true);
  Play(g, kSoundJump);
  if (Lit(g, el::im_hook_1)) {
    g.bonus_step = 1;
    Gam_Start_Sequence(*g.Timer_Bonus);
    return;
  }
  // Out of reach: the leap falls short. Only the play timers named above are stopped.
  g.Timer_Score_Blink->SetEnabled(false);
  Vid_Show_Panel_Score(g.lcd, g.score, true);
  g.score_multiplier = 1;
  g.miss_step = 1;
  Gam_Start_Sequence(*g.Timer_Miss_Jump);
}

struct StepResult {
  bool hit = false, stepped = false, quick = false, fell = false;
};

StepResult StepRight(Game &g) {
  StepResult s;
  const int32_t c = g.pelko_col, r = g.pelko_row;
  if ((r == 1 || r == 3) && c >= 1 && c <= 4) {
    if (Barrel(g, c + 1, r)) s.hit = true;
    else {
      MoveTo(g, c + 1, r);
      s.stepped = true;
    }
  } else if (r == 7 && c == 1) {
    Hand(g, 0);
    MoveTo(g, 3, 7);
    s.stepped = true;
    s.hit = Barrel(g, 4, 7);
  } else if (r == 7 && c == 3) {
    MoveTo(g, 5, 7);
    s.stepped = true;
    s.hit = Barrel(g, 6, 7);
  } else if (r == 7 && c == 5) {
    s.fell = true;
  }
  return s;
}

StepResult StepLeft(Game &g) {
  StepResult s;
  const int32_t c = g.pelko_col, r = g.pelko_row;
  if ((r == 1 || r == 3) && c >= 2 && c <= 5) {
    if (Barrel(g, c, r)) s.hit = true;
    else {
      MoveTo(g, c - 1, r);
      s.stepped = true;
    }
  } else if (r == 3 && c == 1) {
    s.hit = Barrel(g, 1, 3);  // Pelko stays; a barrel at his left still reaches him
  } else if (r == 7 && c == 5) {
    MoveTo(g, 3, 7);
    s.stepped = true;
  } else if (r == 7 && c == 3) {
    MoveTo(g, 1, 7);
    s.stepped = true;
    Hand(g, 1);
  } else if (r == 7 && c == 1) {
    PullLever(g);
    s.quick = true;
  }
  return s;
}

// iron: the step ended beside a lit iron (the iron miss comes after the step sound).
StepResult StepUp(Game &g, bool &iron) {
  StepResult s;
  const int32_t c = g.pelko_col, r = g.pelko_row;
  if (c == 5 && r == 1) {
    MoveTo(g, 5, 3);
    s.stepped = true;
  } else if (c == 1 && r == 3) {
    MoveTo(g, 1, 4);
    s.stepped = true;
    iron = Lit(g, el::im_iron_01_04);
  } else if (c == 1 && r == 4) {
    MoveTo(g, 1, 5);
    s.stepped = true;
  } else if (c == 1 && r == 5) {
    MoveTo(g, 1, 7);
    Hand(g, 1);
    s.stepped = true;
    s.quick = true;
    s.hit = Barrel(g, 2, 7);
  }
  return s;
}

StepResult StepDown(Game &g, bool &iron) {
  StepResult s;
  const int32_t c = g.pelko_col, r = g.pelko_row;
  if (c == 5 && r == 3) {
    MoveTo(g, 5, 1);
    s.stepped = true;
  } else if (c == 1 && r == 4) {
    MoveTo(g, 1, 3);
    s.stepped = true;
  } else if (c == 1 && r == 5) {
    MoveTo(g, 1, 4);
    s.stepped = true;
    iron = Lit(g, el::im_iron_01_04);
  } else if (c == 1 && r == 7) {
    Hand(g, 0);
    MoveTo(g, 1, 5);
    s.stepped = true;
    s.hit = Barrel(g, 2, 6);
  }
  return s;
}

}  // namespace

void Inp_move_up_down(Game &g) {
  Face(g, el::btn_move_up_top, el::btn_move_up_pressed);
  DirectionDown(g, kUp);
}

void Inp_move_up_up(Game &g) {
  Face(g, el::btn_move_up_top, el::btn_move_up_released);
  DirectionUp(g);
}

void Inp_move_left_down(Game &g) {
  Face(g, el::btn_move_left_top, el::btn_move_left_pressed);
  DirectionDown(g, kLeft);
}

void Inp_move_left_up(Game &g) {
  Face(g, el::btn_move_left_top, el::btn_move_left_released);
  DirectionUp(g);
  // Letting go of the lever: back to the resting hand.
  if (g.pelko_col == 1 && g.pelko_row == 7 && g.in_play) Hand(g, 1);
}

void Inp_move_right_down(Game &g) {
  Face(g, el::btn_move_right_top, el::btn_move_right_pressed);
  DirectionDown(g, kRight);
}

void Inp_move_right_up(Game &g) {
  Face(g, el::btn_move_right_top, el::btn_move_right_released);
  DirectionUp(g);
}

void Inp_move_down_down(Game &g) {
  Face(g, el::btn_move_down_top, el::btn_move_down_pressed);
  DirectionDown(g, kDown);
}

void Inp_move_down_up(Game &g) {
  Face(g, el::btn_move_down_top, el::btn_move_down_released);
  DirectionUp(g);
}

void Inp_jump_down(Game &g) {
  Face(g, el::btn_jump_top, el::btn_jump_pressed);
  if (g.jump_key_held) return;  // a new jump needs a release first
  g.jump_key_held = true;
  if (!g.in_play) return;
  const int32_t c = g.pelko_col, r = g.pelko_row;
  if (c == 0 && r == 0) {
    Gam_Pelko_Jumps_In(g);
    --g.lives;
    Vid_Show_Panel_Lives(g.lcd, g.lives);
    return;
  }
  const bool take_off = (r == 1 && (c == 1 || c == 4)) || (r == 3 && (c == 3 || c == 4));
  if (take_off) {
    g.in_play = false;
    MoveTo(g, c, r + 1);
    Play(g, kSoundJump);
    // Jumping up from the second girder lands Pelko in the iron row.
    if ((Lit(g, el::im_iron_03_04) && Lit(g, el::im_pelko_03_04)) ||
        (Lit(g, el::im_iron_04_04) && Lit(g, el::im_pelko_04_04)))
      Gam_Hit_Start(g);
    return;
  }
  if (c == 5 && r == 7) CraneJump(g);
}

void Inp_jump_up(Game &g) {
  Face(g, el::btn_jump_top, el::btn_jump_released);
  g.jump_key_held = false;
}

void Timer_Pelko_MoveTimer(Game &g) {
  StepResult s;
  bool iron = false;
  switch (g.move_dir) {
    case kRight: s = StepRight(g); break;
    case kLeft: s = StepLeft(g); break;
    case kUp: s = StepUp(g, iron); break;
    case kDown: s = StepDown(g, iron); break;
    default: break;
  }
  if (s.fell) {
    FallOff(g);  // stops every timer, this one included; no step sound
    return;
  }
  if (s.hit) Gam_Hit_Start(g);
  else if (s.stepped) Play(g, kSoundStep);
  if (iron) Gam_Hit_Start(g);  // after the move and its sound
  // A miss has already disabled this timer; a new interval leaves it disabled.
  if (s.quick) g.Timer_Pelko_Move->SetInterval(kQuickMs);
  else if (g.move_key_held) g.Timer_Pelko_Move->SetInterval(kRepeatMs);
  else g.Timer_Pelko_Move->SetEnabled(false);
}

void Gam_Pelko_Jumps_In(Game &g) {
  g.pelko_col = 1;
  g.pelko_row = 1;
  Vid_Show_Pelko(g.lcd, 1, 1, true);
  Play(g, kSoundJump);
  g.Timer_Pelko_Move->SetInterval(kRepeatMs);
  g.Timer_Pelko_Move->SetEnabled(g.move_key_held);
}

void Gam_Pelko_Land(Game &g) {
  const int32_t c = g.pelko_col, r = g.pelko_row;
  const bool airborne = (r == 2 && (c == 1 || c == 4)) || (r == 4 && (c == 3 || c == 4));
  if (!airborne) return;
  MoveTo(g, c, r - 1);
  g.in_play = true;
  g.Timer_Pelko_Move->SetInterval(kQuickMs);
  g.Timer_Pelko_Move->SetEnabled(g.move_key_held);
  // The barrel that has just rolled under Pelko: beside him on the left on the bottom girder
  // (rolling left), on the right on the second girder (rolling right).
  const int32_t row = g.pelko_row;
  const bool jumped_over = row == 1 ? Barrel(g, c, 1) : Barrel(g, c + 1, 3);
  if (!jumped_over) return;
  g.score += (row / 2 + 1) * g.score_multiplier;
  Vid_Show_Panel_Score(g.lcd, g.score, true);
  Gam_Extra_Life_Check(g, 1);
}
