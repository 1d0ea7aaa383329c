// Misses, game over and high scores. (Being written.)
#include "game/game.h"

void Timer_MissTimer(Game &g) { g.Timer_Miss->SetEnabled(false); }
void Timer_Miss_JumpTimer(Game &g) { g.Timer_Miss_Jump->SetEnabled(false); }
void Timer_Game_OverTimer(Game &g) { g.Timer_Game_Over->SetEnabled(false); }
void Timer_Score_BlinkTimer(Game &g) { g.Timer_Score_Blink->SetEnabled(false); }
