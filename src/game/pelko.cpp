// Pelko's movement and jumps. (Being written: only the button faces change for now.)
#include "game/game.h"

namespace {
void Face(Game &g, el::Id face, el::Id picture) { Lcd_Set_Picture(g.lcd, face, g.lcd.e[picture].pic); }
}  // namespace

void Inp_move_up_down(Game &g) { Face(g, el::btn_move_up_top, el::btn_move_up_pressed); }
void Inp_move_up_up(Game &g) { Face(g, el::btn_move_up_top, el::btn_move_up_released); }
void Inp_move_left_down(Game &g) { Face(g, el::btn_move_left_top, el::btn_move_left_pressed); }
void Inp_move_left_up(Game &g) { Face(g, el::btn_move_left_top, el::btn_move_left_released); }
void Inp_move_right_down(Game &g) { Face(g, el::btn_move_right_top, el::btn_move_right_pressed); }
void Inp_move_right_up(Game &g) { Face(g, el::btn_move_right_top, el::btn_move_right_released); }
void Inp_move_down_down(Game &g) { Face(g, el::btn_move_down_top, el::btn_move_down_pressed); }
void Inp_move_down_up(Game &g) { Face(g, el::btn_move_down_top, el::btn_move_down_released); }
void Inp_jump_down(Game &g) { Face(g, el::btn_jump_top, el::btn_jump_pressed); }
void Inp_jump_up(Game &g) { Face(g, el::btn_jump_top, el::btn_jump_released); }
void Timer_Pelko_MoveTimer(Game &g) { g.Timer_Pelko_Move->SetEnabled(false); }
void Gam_Pelko_Jumps_In(Game &) {}
void Gam_Pelko_Land(Game &) {}
