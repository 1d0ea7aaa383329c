// Measuring aid for the start-up: with KT_STARTUP_LOG=<file> in the environment, the wall-clock
// time (nanoseconds since the epoch) of the first clock picture is written to that file, and the
// phases before it to <file>.phases, one a line: name, the process's CPU time and the wall time
// since the first phase, in milliseconds. Nothing is recorded without the variable.
#pragma once

// Notes that a phase of the start-up has ended (kept in memory until the first clock picture).
void App_Startup_Phase(const char *name);
// Notes the first clock picture painted: writes the marker and the phases, once.
void App_Startup_First_Picture();
