#include "platform/sdl_api.h"

// Linked in: the table points at the functions themselves.
const SdlApi *Sdl_Api() {
  static const SdlApi api = [] {
    SdlApi a;
#define KT_SDL_LINKED(name) a.name = &::name;
    KT_SDL_FUNCTIONS(KT_SDL_LINKED)
    KT_MIX_FUNCTIONS(KT_SDL_LINKED)
#undef KT_SDL_LINKED
    a.mixer = true;
    return a;
  }();
  return &api;
}
