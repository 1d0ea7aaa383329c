// Gamepads: the fixed mapping of pad buttons and the left stick to the eight controls, and the
// dispatch of pad changes to the same press and release routines the keys use.
#pragma once
#include <cstdint>

#include "input/keys.h"

struct Game;

// The pad buttons the mapping reads, by their position on the pad.
enum PadButton { kPadSouth, kPadEast, kPadWest, kPadNorth, kPadBack, kPadStart, kPadUp, kPadDown, kPadLeft, kPadRight, kPadButtons };

// A pad's state (several pads are merged into one before the mapping).
struct PadState {
  bool button[kPadButtons] = {};
  int32_t stick_x = 0, stick_y = 0;  // left stick, -32768 .. 32767; y grows downwards
  bool operator==(const PadState &) const = default;
};

// What the pad holds: each control held or not, the one direction among them.
struct PadHeld {
  bool control[kControls + 1] = {};
  int direction = 0;  // 4 Up, 5 Left, 6 Right, 7 Down, 0 none
  bool operator==(const PadHeld &) const = default;
};

// Stick deflection below which the stick counts as centred.
constexpr int32_t kPadDeadZone = 12000;

// Direction control (4 Up, 5 Left, 6 Right, 7 Down) of a stick position, or 0 inside the dead
// zone. A diagonal counts as one of its two directions: the stronger axis, except that a direction
// already held (`current`) stays until the other axis is clearly stronger.
int Inp_Pad_Stick_Direction(int32_t x, int32_t y, int current);
// The controls a pad state holds, given the direction held before: one direction at a time
// (the D-pad before the stick), south and east Jump, Start Game A, Back Game B, north Time.
PadHeld Inp_Pad_Map(const PadState &s, int current_direction);
// Short name of the pad button that works control c (1..8), shown in the key settings window.
const char *Inp_Pad_Button_Name(int control);
// Whether two states hold the same controls whatever direction is held before (the mapping keeps
// a held direction near a diagonal, so each is tried): a change worth handing to the game.
bool Inp_Pad_Same_Controls(const PadState &a, const PadState &b);
// Applies a new pad state: releases the controls it no longer holds, then presses the ones it
// newly holds, through the controls' press and release routines. With presses_allowed false
// (the game window does not have the keyboard) only releases happen.
void Inp_Pad_Update(PadHeld &held, Game &g, const PadState &s, bool presses_allowed);
// Releases every control the pad holds (the last pad was unplugged).
void Inp_Pad_Release_All(PadHeld &held, Game &g);
