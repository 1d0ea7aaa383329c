// SDL's virtual game controller, for the gamepad tests and the latency benchmark.
#pragma once
#include <SDL.h>

// Attaches a virtual pad with every standard axis and button and opens it; null (with SDL's error
// set) when the joystick subsystem cannot make one.
inline SDL_Joystick *Test_Attach_Virtual_Pad(const char *name) {
  SDL_VirtualJoystickDesc d{};
  d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  d.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  d.naxes = SDL_CONTROLLER_AXIS_MAX;
  d.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  d.name = name;
  const int device = SDL_JoystickAttachVirtualEx(&d);
  return device >= 0 ? SDL_JoystickOpen(device) : nullptr;
}

// Closes a pad made by Test_Attach_Virtual_Pad and unplugs it.
inline void Test_Detach_Virtual_Pad(SDL_Joystick *js) {
  const SDL_JoystickID id = SDL_JoystickInstanceID(js);
  SDL_JoystickClose(js);
  for (int i = 0; i < SDL_NumJoysticks(); ++i)
    if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
}
