// The hazard tick. (Being written.)
#include "game/game.h"

void Timer_GameTimer(Game &g) { g.Timer_Game->SetEnabled(false); }
void Gam_Hit_Start(Game &) {}
