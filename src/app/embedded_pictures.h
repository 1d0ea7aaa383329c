// The windows' own pictures (splash, game menu, about) for every shell: drawn as SVG in
// src/app/pictures, rendered to PNG at build time, compiled into the program and decoded with the
// program's PNG decoder.
#pragma once

#include "platform/types.h"

// The picture named by its drawing's file stem ("splash_background", ...); null when unknown.
// Decoded once while anything holds it.
PictureRef App_Picture(const char *name);
// The same for a window drawn at pixel_scale device pixels per pixel: the picture rendered two or
// three times as large where there is one ("name@2x", "name@3x"; the nearest at or above the
// scale, else the largest), with its scale set.
PictureRef App_Picture(const char *name, double pixel_scale);
