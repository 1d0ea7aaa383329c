// Painting the element model: the window colour, then every visible element in stacking order,
// limited to one dirty rectangle. Used by the game window and by the painting benchmark.
// The game window paints the bounding rectangle of what changed, with the painter clipped to the
// changed region: measured against painting each changed rectangle on its own, this is the
// cheaper of the two (scripts/bench.sh).
#pragma once
#include <QPainter>
#include <QRect>

#include "display/lcd.h"

// Paints the part of the LCD window inside dirty (the painter is clipped to it here).
void App_Paint_Lcd(QPainter &p, const Lcd &lcd, const QRect &dirty);
