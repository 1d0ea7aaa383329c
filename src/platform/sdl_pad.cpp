#include <algorithm>
#include <cstdlib>

#include "platform/pad.h"
#include "platform/sdl_api.h"

namespace {

SDL_GameController *Pad(void *p) { return static_cast<SDL_GameController *>(p); }

// The pad buttons the mapping reads, by position.
const SDL_GameControllerButton kButtons[kPadButtons] = {
    SDL_CONTROLLER_BUTTON_A,         SDL_CONTROLLER_BUTTON_B,         SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,         SDL_CONTROLLER_BUTTON_BACK,      SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_DPAD_UP,   SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_BUTTON_DPAD_LEFT,
    SDL_CONTROLLER_BUTTON_DPAD_RIGHT};

}  // namespace

PadSource::~PadSource() { Close(); }

bool PadSource::Open() {
  if (open_) return true;
  if (!Sdl_Api()) return false;
  // SIGTERM, SIGINT and SIGHUP are the program's close requests (handled in src/app/quit_signals),
  // never events in SDL's queue.
  Sdl().SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // Buttons by their position on the pad, whatever the maker prints on them.
  Sdl().SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
  if (Sdl().SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;
  // The state is read, not the events: nothing piles up in SDL's event queue.
  Sdl().SDL_GameControllerEventState(SDL_IGNORE);
  Sdl().SDL_JoystickEventState(SDL_IGNORE);
  open_ = true;
  return true;
}

int PadSource::Read(PadState *s) {
  *s = PadState{};
  if (!open_) return 0;
  // Reads the devices and notices pads plugged in or out.
  Sdl().SDL_GameControllerUpdate();
  const size_t before = pads_.size();
  pads_.erase(std::remove_if(pads_.begin(), pads_.end(),
                             [](void *p) {
                               if (Sdl().SDL_GameControllerGetAttached(Pad(p))) return false;
                               Sdl().SDL_GameControllerClose(Pad(p));
                               return true;
                             }),
              pads_.end());
  const bool closed = pads_.size() != before;
  if (closed) ++generation_;
  // Plugging or unplugging changes the device count: only then are the devices looked through
  // (telling a game controller from another joystick costs more than reading a pad).
  const int n = Sdl().SDL_NumJoysticks();
  const bool look = n != devices_ || closed;
  devices_ = n;
  if (look)  // a dropped pad that SDL no longer lists is forgotten: its number is not used again
    std::erase_if(dropped_, [n](int id) {
      for (int i = 0; i < n; ++i)
        if (Sdl().SDL_JoystickGetDeviceInstanceID(i) == id) return false;
      return true;
    });
  for (int i = 0; look && i < n; ++i) {
    if (!Sdl().SDL_IsGameController(i)) continue;
    const SDL_JoystickID id = Sdl().SDL_JoystickGetDeviceInstanceID(i);
    if (std::find(dropped_.begin(), dropped_.end(), id) != dropped_.end()) continue;
    const bool known = std::any_of(pads_.begin(), pads_.end(), [id](void *p) {
      return Sdl().SDL_JoystickInstanceID(Sdl().SDL_GameControllerGetJoystick(Pad(p))) == id;
    });
    if (known) continue;
    if (SDL_GameController *pad = Sdl().SDL_GameControllerOpen(i)) {
      pads_.push_back(pad);
      ++generation_;
    }
  }
  int64_t reach = -1;
  for (void *p : pads_) {
    for (int b = 0; b < kPadButtons; ++b)
      if (Sdl().SDL_GameControllerGetButton(Pad(p), kButtons[b])) s->button[b] = true;
    const int32_t x = Sdl().SDL_GameControllerGetAxis(Pad(p), SDL_CONTROLLER_AXIS_LEFTX);
    const int32_t y = Sdl().SDL_GameControllerGetAxis(Pad(p), SDL_CONTROLLER_AXIS_LEFTY);
    const int64_t r = std::max(std::llabs(x), std::llabs(y));
    if (r > reach) {
      reach = r;
      s->stick_x = x;
      s->stick_y = y;
    }
  }
  return static_cast<int>(pads_.size());
}

std::vector<PadNode> PadSource::Nodes() const {
  std::vector<PadNode> nodes;
  for (void *p : pads_) {
    SDL_Joystick *js = Sdl().SDL_GameControllerGetJoystick(Pad(p));
    const char *path = Sdl().SDL_JoystickPath(js);
    nodes.push_back({Sdl().SDL_JoystickInstanceID(js), path ? path : ""});
  }
  return nodes;
}

void PadSource::Drop(int id) {
  for (auto it = pads_.begin(); it != pads_.end(); ++it)
    if (Sdl().SDL_JoystickInstanceID(Sdl().SDL_GameControllerGetJoystick(Pad(*it))) == id) {
      Sdl().SDL_GameControllerClose(Pad(*it));
      pads_.erase(it);
      dropped_.push_back(id);
      ++generation_;
      return;
    }
}

void PadSource::Close() {
  for (void *p : pads_) Sdl().SDL_GameControllerClose(Pad(p));
  pads_.clear();
  dropped_.clear();
  ++generation_;
  devices_ = -1;
  if (open_) Sdl().SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  open_ = false;
}

void PadSource::ThreadEnds() {
  if (const SdlApi *sdl = Sdl_Api()) sdl->SDL_TLSCleanup();
}
