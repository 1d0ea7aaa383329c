// The hazard tick: Tusko walks and throws, the irons ride the conveyor, the barrels roll down
// their fixed path, and every tick tests them against Pelko. Four phases in turn: 1 Tusko and
// irons, 2 barrels, 3 Tusko's throw decision, 4 barrels again.
#include "display/vid.h"
#include "game/game.h"
#include "platform/random.h"
#include "sound/snd.h"

namespace {

bool IronLit(const Game &g, int k) { return g.lcd.e[g.lcd.iron_img[k]].visible; }

bool PelkoLitAt(const Game &g, int col, int row) { return g.lcd.e[g.lcd.pelko_img[col][row]].visible; }

// Tusko's walk along the top girder, or the opening tick that forgets his place.
void WalkTusko(Game &g) {
  if (g.tick_count == 1 && g.score == 0) {
    // The picture keeps him where he was drawn at game start.
    g.tusko_pos = 0;
    g.tusko_pose = 0;
    return;
  }
  switch (g.tusko_pos) {
    case 2: g.tusko_pos += 2 * g.rng->Random(2); break;
    case 4: g.tusko_pos += 2 * (g.rng->Random(3) - 1); break;
    case 6: g.tusko_pos += 2 * (g.rng->Random(2) - 1); break;
    default: break;
  }
  Vid_Show_Tusko(g.lcd, g.tusko_pos, g.tusko_pose);
}

// The range of the draw that puts a new iron on the conveyor: smaller near the iron row and
// with a higher score.
void UpdateIronOdds(Game &g) {
  if (g.game_mode == kModeGameA) {
    int32_t odds = g.pelko_row == 4 ? 5 : g.pelko_row == 3 ? 10 : 20;
    odds -= g.score / 100;
    g.iron_odds = odds < 5 ? 5 : odds;
  } else if (g.game_mode == kModeGameB) {
    int32_t odds = g.pelko_row == 4 ? 3 : g.pelko_row == 3 ? 6 : 12;
    odds -= g.score / 75;
    g.iron_odds = odds < 3 ? 3 : odds;
  }
}

// Irons move one place left; a new one may appear at the right end, never next to another.
void MoveIrons(Game &g) {
  for (int k = 1; k <= 4; ++k) Lcd_Set_Visible(g.lcd, g.lcd.iron_img[k], IronLit(g, k + 1));
  const bool spawn = g.rng->Random(g.iron_odds) == 0 && !IronLit(g, 4);
  Lcd_Set_Visible(g.lcd, g.lcd.iron_img[5], spawn);
}

bool IronHitsPelko(const Game &g) {
  return (IronLit(g, 1) && PelkoLitAt(g, 1, 4)) || (IronLit(g, 3) && PelkoLitAt(g, 3, 4)) ||
         (IronLit(g, 4) && PelkoLitAt(g, 4, 4));
}

// Phase 3: Tusko holds a barrel when the draw says so, and always while few barrels are out.
void DecideThrow(Game &g) {
  // The opening's third tick; also any tick that finds Tusko without a place (see DropBarrel).
  if ((g.tick_count == 3 && g.score == 0) || g.tusko_pos == 0) {
    g.tusko_pos = 4;
    g.tusko_pose = 3;
    Vid_Show_Tusko(g.lcd, g.tusko_pos, g.tusko_pose);
    return;
  }
  g.throw_odds = 9 - g.pelko_row;
  int32_t barrels = 0;
  for (int c = 1; c <= 6; ++c)
    for (int r = 1; r <= 8; ++r) barrels += g.barrel_grid[c][r];
  const int32_t draw = g.rng->Random(g.throw_odds);
  g.tusko_pose = (draw == 0 || barrels < 4) ? 3 : 2;
  Vid_Show_Tusko(g.lcd, g.tusko_pos, g.tusko_pose);
}

// A barrel next to Pelko on his girder is about to roll through him.
bool BarrelHitsBeforeMove(const Game &g) {
  const auto &b = g.barrel_grid;
  switch (g.pelko_row) {
    case 1: return b[g.pelko_col + 1][1] == 1;
    case 3: return b[g.pelko_col][3] == 1;
    case 5: return b[2][5] == 1;
    default: return false;
  }
}

// Every barrel one cell along its path. The order matters: each cell copies its neighbour's
// value before that neighbour is overwritten, and the drops merge into row 5.
void RollBarrels(Game &g) {
  auto &b = g.barrel_grid;
  for (int c = 1; c <= 5; ++c) b[c][1] = b[c + 1][1];
  b[6][1] = b[6][3];
  for (int c = 6; c >= 2; --c) b[c][3] = b[c - 1][3];
  b[1][3] = b[1][4];
  b[1][4] = b[1][5];
  for (int c = 1; c <= 5; ++c) b[c][5] = b[c + 1][5];
  b[2][5] = (b[2][5] == 1 || b[2][6] == 1) ? 1 : 0;
  b[4][5] = (b[4][5] == 1 || b[4][6] == 1) ? 1 : 0;
  b[6][5] = b[6][6];
  for (int c = 2; c <= 6; c += 2) {
    b[c][6] = b[c][7];
    b[c][7] = b[c][8];
  }
  b[2][8] = b[4][8] = b[6][8] = 0;
}

void DropBarrel(Game &g) {
  // The opening's second tick. It also brings back a Tusko whose place the first tick forgot when
  // the turn ended before this tick ran: the next turn then starts in another phase, misses the
  // opening ticks, and would be played without him.
  if ((g.tick_count == 2 && g.score == 0) || g.tusko_pos == 0) {
    g.tusko_pos = 4;
    g.tusko_pose = 3;
    Vid_Show_Tusko(g.lcd, g.tusko_pos, g.tusko_pose);
  } else if (g.tusko_pose == 3) {
    g.tusko_pose = 2;
    // Tusko is only ever at 2, 4 or 6 when he holds a barrel; a barrel outside the drop
    // columns would never move and would count against the throw rule forever.
    if (g.tusko_pos == 2 || g.tusko_pos == 4 || g.tusko_pos == 6) g.barrel_grid[g.tusko_pos][8] = 1;
    Vid_Show_Tusko(g.lcd, g.tusko_pos, g.tusko_pose);
  }
  Snd_Play(*g.snd, g.snd->bank[1]);
}

bool Airborne(const Game &g) {
  return (g.pelko_row == 2 && (g.pelko_col == 1 || g.pelko_col == 4)) ||
         (g.pelko_row == 4 && (g.pelko_col == 3 || g.pelko_col == 4));
}

void RedrawBarrels(Game &g) {
  auto show = [&g](int c, int r) { Lcd_Set_Visible(g.lcd, g.lcd.barrel_img[c][r], g.barrel_grid[c][r] == 1); };
  for (int c = 2; c <= 6; c += 2)
    for (int r = 6; r <= 8; ++r) show(c, r);
  for (int c = 1; c <= 6; ++c)
    for (int r = 1; r <= 5; r += 2) show(c, r);
  show(1, 4);
}

// Phases 2 and 4. Returns true when the tick hit Pelko.
bool BarrelStep(Game &g) {
  bool hit = false;
  if (BarrelHitsBeforeMove(g)) {
    hit = true;
  } else {
    RollBarrels(g);
    if (g.pelko_row == 7 && g.barrel_grid[g.pelko_col + 1][7] == 1) {
      hit = true;
    } else {
      DropBarrel(g);
      if (Airborne(g)) Gam_Pelko_Land(g);
    }
  }
  if (hit) Gam_Hit_Start(g);
  RedrawBarrels(g);
  return hit;
}

}  // namespace

void Gam_Hit_Start(Game &g) {
  Gam_Stop_All_Timers(g);
  g.in_play = false;
  Vid_Show_Panel_Score(g.lcd, g.score, true);
  g.score_multiplier = 1;
  g.miss_step = 1;
  Gam_Start_Sequence(*g.Timer_Miss);
}

void Timer_GameTimer(Game &g) {
  if (g.pelko_col == 0 && g.pelko_row == 0 && g.tick_count == 15) {
    Gam_Pelko_Jumps_In(g);
    g.lives -= 1;
    Vid_Show_Panel_Lives(g.lcd, g.lives);
  }
  bool hit = false;
  switch (g.tick_phase) {
    case 1:
      WalkTusko(g);
      UpdateIronOdds(g);
      MoveIrons(g);
      if (IronHitsPelko(g)) {
        hit = true;
        Gam_Hit_Start(g);
      }
      break;
    case 3:
      DecideThrow(g);
      break;
    case 2:
    case 4:
      hit = BarrelStep(g);
      break;
    default:
      break;
  }
  Gam_Set_TimerGame_Interval(g);
  if (!hit) g.tick_count += 1;
  Vid_Show_Flame(g.lcd, g.tick_phase);
  g.tick_phase = g.tick_phase >= 4 ? 1 : g.tick_phase + 1;
}
