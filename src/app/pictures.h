// The windows' own pictures (splash, game menu, about), drawn as SVG in src/app/pictures,
// rendered to PNG at build time, compiled in and decoded with the program's PNG decoder.
#pragma once
#include <QPixmap>

#include "platform/types.h"

// The picture named by its drawing's file stem ("splash_background", ...); null when unknown.
// Decoded once while anything holds it.
PictureRef App_Picture(const char *name);
// The same for a window drawn at pixel_scale device pixels per pixel: the picture rendered two or
// three times as large where there is one ("name@2x", "name@3x"; the nearest at or above the
// scale, else the largest), with its scale set.
PictureRef App_Picture(const char *name, double pixel_scale);
// The picture as a pixmap for a window drawn at device_pixel_ratio (its own copy of the pixels):
// a larger rendering where there is one, standing at the plain picture's size. Null when unknown.
QPixmap App_Picture_Pixmap(const char *name, double device_pixel_ratio);
