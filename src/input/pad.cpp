#include "input/pad.h"

#include <cstdlib>

namespace {

constexpr int kGameA = 1, kGameB = 2, kTime = 3, kUp = 4, kLeft = 5, kRight = 6, kDown = 7, kJump = 8;

// A held direction gives way to the other axis only when that axis is this much stronger
// (in quarters), so that a stick resting near a diagonal does not flicker between two directions.
constexpr int64_t kKeepQuarters = 5;

}  // namespace

int Inp_Pad_Stick_Direction(int32_t x, int32_t y, int current) {
  const int64_t ax = std::llabs(x), ay = std::llabs(y);
  if (ax < kPadDeadZone && ay < kPadDeadZone) return 0;
  const int h = x < 0 ? kLeft : kRight, v = y < 0 ? kUp : kDown;
  if (current == h && ax >= kPadDeadZone && ay * 4 < ax * kKeepQuarters) return h;
  if (current == v && ay >= kPadDeadZone && ax * 4 < ay * kKeepQuarters) return v;
  return ax > ay ? h : v;
}

PadHeld Inp_Pad_Map(const PadState &s, int current) {
  PadHeld h;
  h.control[kJump] = s.button[kPadSouth] || s.button[kPadEast];
  h.control[kGameA] = s.button[kPadStart];
  h.control[kGameB] = s.button[kPadBack];
  h.control[kTime] = s.button[kPadNorth];
  // The D-pad: the direction already held stays while its button is down; otherwise the first
  // pressed of up, down, left, right.
  const struct {
    PadButton b;
    int d;
  } dpad[] = {{kPadUp, kUp}, {kPadDown, kDown}, {kPadLeft, kLeft}, {kPadRight, kRight}};
  int d = 0;
  for (const auto &p : dpad)
    if (s.button[p.b] && p.d == current) d = current;
  for (const auto &p : dpad)
    if (!d && s.button[p.b]) d = p.d;
  if (!d) d = Inp_Pad_Stick_Direction(s.stick_x, s.stick_y, current);
  h.direction = d;
  if (d) h.control[d] = true;
  return h;
}

const char *Inp_Pad_Button_Name(int control) {
  static const char *const names[kControls + 1] = {"",          "pad: Start", "pad: Back", "pad: Y (top)", "pad: up",
                                                   "pad: left", "pad: right", "pad: down", "pad: A / B"};
  return control >= 1 && control <= kControls ? names[control] : "";
}

void Inp_Pad_Update(PadHeld &held, Game &g, const PadState &s, bool presses_allowed) {
  PadHeld want = Inp_Pad_Map(s, held.direction);
  for (int c = 1; c <= kControls; ++c)
    if (held.control[c] && !want.control[c]) {
      held.control[c] = false;
      if (c == held.direction) held.direction = 0;
      Inp_Control_Up(g, c);
    }
  if (!presses_allowed) return;
  for (int c = 1; c <= kControls; ++c)
    if (want.control[c] && !held.control[c]) {
      held.control[c] = true;
      Inp_Control_Down(g, c);
    }
  held.direction = want.direction;
}

void Inp_Pad_Release_All(PadHeld &held, Game &g) { Inp_Pad_Update(held, g, PadState{}, false); }

bool Inp_Pad_Same_Controls(const PadState &a, const PadState &b) {
  for (int held : {0, 4, 5, 6, 7})
    if (!(Inp_Pad_Map(a, held) == Inp_Pad_Map(b, held))) return false;
  return true;
}
