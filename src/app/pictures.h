// The windows' own pictures (splash, game menu, about), drawn as SVG in src/app/pictures,
// rendered to PNG at build time, compiled in and decoded with the program's PNG decoder.
#pragma once
#include "platform/types.h"

// The picture named by its drawing's file stem ("splash_background", ...); null when unknown.
PictureRef App_Picture(const char *name);
