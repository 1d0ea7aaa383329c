// The shared window descriptions' fonts and colours (app/ui) as Qt's.
#pragma once
#include <QColor>
#include <QFont>

#include "app/ui/ui.h"

// The windows' font (Arial, or the metric-compatible Liberation Sans) at its pixel height and style.
QFont App_Ui_Font(const UiFont &u);
QColor App_Ui_Colour(const UiColor &c);
