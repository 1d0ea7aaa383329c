// Measuring aid for the start-up: with KT_STARTUP_LOG=<file> in the environment, the wall-clock
// time (nanoseconds since the epoch) of the first clock picture is written to that file, and the
// phases before it to <file>.phases, one a line: name, the process's CPU time and the wall time
// since the first phase, in milliseconds. Nothing is recorded without the variable.
#pragma once

// Notes that a phase of the start-up has ended (kept in memory until the first clock picture).
void Plat_Startup_Phase(const char *name);
// Called after each paint; ready: the clock picture is on the screen (the marker and the phases
// are written once, at the first such paint).
void Plat_Note_Startup(bool ready);
