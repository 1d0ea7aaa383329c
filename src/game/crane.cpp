// Crane, hook and bonus sequences. (Being written.)
#include "game/game.h"

void Timer_HookTimer(Game &g) { g.Timer_Hook->SetEnabled(false); }
void Timer_BonusTimer(Game &g) { g.Timer_Bonus->SetEnabled(false); }
void Timer_Bonus_CompleteTimer(Game &g) { g.Timer_Bonus_Complete->SetEnabled(false); }
void Timer_Bonus_ChanceTimer(Game &g) { g.Timer_Bonus_Chance->SetEnabled(false); }
void Gam_Extra_Life_Check(Game &, int32_t) {}
