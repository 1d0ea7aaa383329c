// Clock mode: one second of the LCD test picture, then the still clock frame and the local time
// in 12-hour form, updated every second.
#include "display/vid.h"
#include "game/game.h"
#include "platform/screen.h"

void Timer_ClockTimer(Game &g) {
  Lcd &lcd = g.lcd;
  if (g.clock_phase == 1) {
    Vid_Show_All(lcd, true);
    g.clock_phase = 2;
    g.Timer_Clock->SetInterval(1000);
    return;
  }
  if (g.clock_phase == 2) {
    Vid_Show_All(lcd, false);
    for (el::Id id : {el::im_girder_1, el::im_crane_1, el::im_wire_1, el::im_wire_2, el::im_wire_3, el::im_wire_4,
                      el::im_panel_time_colon})
      Lcd_Set_Visible(lcd, id, true);
    g.clock_phase = 3;
    g.Timer_Clock->SetInterval(1);
    return;
  }
  int32_t h = 0, m = 0;
  g.screen->LocalTime(&h, &m);
  const bool pm = h >= 12;
  Lcd_Set_Visible(lcd, el::im_panel_time_am, !pm);
  Lcd_Set_Visible(lcd, el::im_panel_time_pm, pm);
  if (pm) h -= 12;
  if (h == 0) h = 12;
  Vid_Set_Digit(lcd, 1, h >= 10 ? h / 10 : -1);
  Vid_Set_Digit(lcd, 2, h % 10);
  Vid_Set_Digit(lcd, 3, m / 10);
  Vid_Set_Digit(lcd, 4, m % 10);
  Vid_Set_Digit(lcd, 5, -1);
  g.Timer_Clock->SetInterval(1000);
}
