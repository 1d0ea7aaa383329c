// Measuring aid: with KT_STARTUP_LOG=<file> in the environment, the wall-clock time (nanoseconds
// since the epoch) at which the first clock picture (the LCD test picture) has been painted is
// written to that file, once.
#pragma once

// Called after each paint; ready: the clock picture is on the screen.
void Plat_Note_Startup(bool ready);
