// Stages: the intro screen, entering a stage, the game-start and new-stage sequences.
#include <vector>

#include "app/config.h"
#include "display/gfxinit.h"
#include "game/game.h"
#include "platform/screen.h"
#include "sound/snd.h"

void Gam_Load_Stage(Game &g) {
  SkinLayout layout{g.screen->Width(), g.screen->Height()};
  std::vector<std::string> problems;
  Gfx_Load_Skin(g.lcd, *g.cfg, layout, g.stage_number, &problems);
  Gfx_Place_Background_Logo(g.lcd, *g.cfg, layout);
  Gfx_Place_Buttons(g.lcd, *g.cfg, layout);
  if (g.report)
    for (const std::string &p : problems) g.report(g.report_ctx, p.c_str());
  Snd_Load_Bank(*g.snd, g.stage_number);
}

// Being written.
void Gam_Stage_Start_Phase_1(Game &) {}
void Gam_Stage_Start_Phase_2(Game &) {}
void Timer_Stage_StartTimer(Game &g) { g.Timer_Stage_Start->SetEnabled(false); }
void Timer_Stage_NewTimer(Game &g) { g.Timer_Stage_New->SetEnabled(false); }
