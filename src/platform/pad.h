// Gamepads through SDL's game-controller interface (its mapping database covers the common pads):
// pads plugged in at any time are opened, unplugged ones closed, and the connected pads' buttons
// and left sticks are read into one pad state. Without the subsystem no pad is ever found.
#pragma once
#include <vector>

#include "input/pad.h"

class PadSource {
 public:
  PadSource() = default;
  ~PadSource();
  PadSource(const PadSource &) = delete;
  PadSource &operator=(const PadSource &) = delete;

  // Starts SDL's game-controller subsystem; false when it cannot be started.
  bool Open();
  // Looks for pads plugged in or out, then merges the connected pads' state into *s (a button is
  // down when it is down on any pad; the stick of the pad pushed furthest). Returns the number of
  // connected pads.
  int Read(PadState *s);
  // Closes the pads and the subsystem; closing twice is harmless.
  void Close();

 private:
  bool open_ = false;
  int devices_ = -1;  // joystick devices at the last look for new pads
  std::vector<void *> pads_;  // SDL_GameController handles
};
