// Stages: the intro screen, entering a stage, the game-start and new-stage sequences.
#include <string>
#include <vector>

#include "config/config.h"
#include "display/gfxinit.h"
#include "display/vid.h"
#include "game/game.h"
#include "platform/files.h"
#include "platform/image.h"
#include "platform/screen.h"
#include "sound/snd.h"

void Gam_Load_Stage(Game &g) {
  const SkinLayout layout{g.screen->Width(), g.screen->Height(), g.screen->PixelScale()};
  std::vector<std::string> problems;
  Gfx_Load_Skin(g.lcd, *g.cfg, layout, g.stage_number, &problems);
  Gfx_Place_Background_Logo(g.lcd, *g.cfg, layout);
  Gfx_Place_Buttons(g.lcd, *g.cfg, layout);
  if (g.report)
    for (const std::string &p : problems)
      g.report(g.report_ctx, ("skin of stage " + std::to_string(g.stage_number) + ": " + p).c_str());
  Snd_Load_Bank(*g.snd, g.stage_number);
}

namespace {

// A label sized to its text in font.
Rect SizedLabel(Game &g, el::Id id, Font font, const std::string &text) {
  Lcd_Set_Text(g.lcd, id, text);
  Rect r;
  g.screen->TextSize(font, text, &r.width, &r.height);
  return r;
}

// The stage's intro picture from the resources folder; null when the stage has none or the
// file does not exist. A file that cannot be decoded shows the placeholder, as in the skins.
PictureRef IntroPicture(const Game &g, const std::string &image) {
  if (image.empty() || image == "nil") return nullptr;
  const std::string file = Sys_Find_File(g.cfg->InProgramFolder(g.cfg->resources_path + image));
  if (file.empty() || !Sys_File_Exists(file)) return nullptr;
  std::string error;
  PictureRef pic = Img_Load(file, &error);
  if (pic && pic->width > 0 && pic->height > 0) return pic;
  if (g.report)
    g.report(g.report_ctx, ("intro picture of stage " + std::to_string(g.stage_number) + ": " + file + ": " + error).c_str());
  return Img_Placeholder();
}

// Empties the barrel grid and puts the three barrels of a new game on the playfield. The ladder
// cell (1,4) is emptied too, so that a barrel from the last game cannot roll into this one.
void SetUpBarrels(Game &g) {
  auto &b = g.barrel_grid;
  for (int c = 1; c <= 6; ++c) {
    b[c][1] = 0;
    b[c][3] = 0;
    b[c][5] = 0;
  }
  for (int c = 2; c <= 6; c += 2) b[c][6] = b[c][7] = b[c][8] = 0;
  b[1][4] = 0;
  Lcd_Set_Visible(g.lcd, el::im_barrel_01_04, false);
  b[6][1] = b[4][3] = b[4][6] = 1;
  for (el::Id id : {el::im_barrel_06_01, el::im_barrel_04_03, el::im_barrel_04_06}) Lcd_Set_Visible(g.lcd, id, true);
}

// Game-start step 3: score, lives, barrels, crane and Tusko of a new game; Pelko not yet in.
void SetUpPlayfield(Game &g) {
  Lcd_Set_Visible(g.lcd, el::im_panel_hiscore, false);
  Lcd_Set_Visible(g.lcd, el::im_panel_score, true);
  g.score = 0;
  Vid_Show_Panel_Score(g.lcd, g.score, true);
  g.lives = 3;
  Vid_Show_Panel_Lives(g.lcd, g.lives);
  SetUpBarrels(g);
  for (el::Id id : {el::im_girder_1, el::im_lever_1, el::im_crane_1}) Lcd_Set_Visible(g.lcd, id, true);
  g.hook_step = 0;
  g.score_multiplier = 1;
  g.extra_life_score = 300;
  g.wires_left = 4;
  Vid_Show_Wires(g.lcd, g.wires_left);
  g.tusko_pos = 6;
  g.tusko_pose = 3;
  Vid_Show_Tusko(g.lcd, g.tusko_pos, g.tusko_pose);
  g.pelko_col = 0;
  g.pelko_row = 0;
  g.pelko_hand = 0;
}


// The intro screen's cover, labels and picture placed for the current screen size.
void PlaceStageStart(Game &g) {
  const int32_t SW = g.screen->Width(), SH = g.screen->Height();
  Lcd_Set_Rect(g.lcd, el::sh_stage_start, Rect{0, 0, SW, SH});
  Rect title = g.lcd.e[el::la_stage_start].rect;
  title.left = (SW - title.width) / 2;
  title.top = (SH - title.height) / 2;
  Lcd_Set_Rect(g.lcd, el::la_stage_start, title);
  // A name wider than the screen stays centred and overflows both edges.
  Rect name = g.lcd.e[el::la_stage_start_name].rect;
  name.left = (SW - name.width) / 2;
  name.top = title.top + title.height + 16;
  Lcd_Set_Rect(g.lcd, el::la_stage_start_name, name);
  if (const PictureRef &pic = g.lcd.e[el::im_stage_start].pic)
    Lcd_Set_Rect(g.lcd, el::im_stage_start,
                 Rect{(SW - pic->width) / 2, name.top + name.height + 100, pic->width, pic->height});
}

}  // namespace

void Gam_Relayout(Game &g) {
  const SkinLayout layout{g.screen->Width(), g.screen->Height(), g.screen->PixelScale()};
  Gfx_Relayout(g.lcd, *g.cfg, layout, g.stage_number);
  std::vector<std::string> problems;
  Gfx_Reload_Pictures(g.lcd, *g.cfg, layout, g.stage_number, &problems);
  if (g.report)
    for (const std::string &p : problems)
      g.report(g.report_ctx, ("skin of stage " + std::to_string(g.stage_number) + ": " + p).c_str());
  if (g.lcd.e[el::sh_stage_start].visible) PlaceStageStart(g);
}

void Gam_Stage_Start_Phase_1(Game &g) {
  const StageEntry &stage = g.cfg->Stage(g.stage_number);
  // The running stage number: with four stages configured the fifth reads "Stage 5".
  Lcd_Set_Rect(g.lcd, el::la_stage_start,
               SizedLabel(g, el::la_stage_start, Font::StageTitle, "Stage " + std::to_string(g.stage_number)));
  Lcd_Set_Rect(g.lcd, el::la_stage_start_name, SizedLabel(g, el::la_stage_start_name, Font::StageName, stage.name));
  PictureRef pic = IntroPicture(g, stage.image);
  const bool has_picture = pic != nullptr;
  if (has_picture) Lcd_Set_Picture(g.lcd, el::im_stage_start, std::move(pic));
  PlaceStageStart(g);
  for (el::Id id : {el::sh_stage_start, el::la_stage_start, el::la_stage_start_name})
    Lcd_Set_Visible(g.lcd, id, true);
  Lcd_Set_Visible(g.lcd, el::im_stage_start, has_picture);
}

void Gam_Stage_Start_Phase_2(Game &g) {
  for (el::Id id : {el::sh_stage_start, el::la_stage_start, el::la_stage_start_name, el::im_stage_start})
    Lcd_Set_Visible(g.lcd, id, false);
}

void Timer_Stage_StartTimer(Game &g) {
  Timer &t = *g.Timer_Stage_Start;
  switch (g.stage_start_step) {
    case 1:
      t.SetInterval(1000);
      break;
    case 2:
      Snd_Play(*g.snd, g.snd->game_start_sound.handle);
      t.SetInterval(g.snd->game_start_sound.length_ms + 1000);
      break;
    case 3:
      SetUpPlayfield(g);
      Gam_Stage_Start_Phase_2(g);
      t.SetInterval(1000);
      break;
    case 4:
      g.tick_phase = 1;
      g.tick_count = 1;
      Gam_Set_TimerGame_Interval(g);
      g.Timer_Game->SetEnabled(true);
      g.in_play = true;
      t.SetEnabled(false);
      break;
    default:
      break;
  }
  g.stage_start_step += 1;
}

void Timer_Stage_NewTimer(Game &g) {
  Timer &t = *g.Timer_Stage_New;
  switch (g.stage_new_step) {
    case 1:
      t.SetInterval(1000);
      break;
    case 2:
      Snd_Play(*g.snd, g.snd->stage_new_sound.handle);
      t.SetInterval(g.snd->stage_new_sound.length_ms + 1000);
      break;
    case 3:
      Vid_Show_Panel_Score(g.lcd, g.score, true);
      Vid_Show_Panel_Lives(g.lcd, g.lives);
      Gam_Stage_Start_Phase_2(g);
      t.SetInterval(1000);
      break;
    case 4:
      // The wait before the first tick still uses the count of the last turn; the reset follows.
      Gam_Set_TimerGame_Interval(g);
      g.tick_count = 1;
      Gam_Resume_Play(g, 330);
      t.SetEnabled(false);
      break;
    default:
      break;
  }
  g.stage_new_step += 1;
}
