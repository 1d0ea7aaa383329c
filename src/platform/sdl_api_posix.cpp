#include <dlfcn.h>

#include <cstdio>

#include "platform/sdl_api.h"

namespace {

// Opens soname and fills the functions it gives; false (with the reason on the standard error,
// naming what goes without it) when it cannot be opened or lacks one of them.
template <typename Fill>
bool Load(const char *soname, const char *without, Fill fill) {
  void *lib = dlopen(soname, RTLD_NOW | RTLD_GLOBAL);
  const char *missing = nullptr;
  if (lib) missing = fill(lib);
  if (lib && !missing) return true;
  std::fprintf(stderr, "ktusko: %s: cannot load %s: %s\n", without, soname, lib ? missing : dlerror());
  return false;
}

// Each function by its own name; the name of the first one missing, null when all are there.
#define KT_SDL_RESOLVE(name)                                               \
  api.name = reinterpret_cast<decltype(api.name)>(dlsym(lib, #name)); \
  if (!api.name) return #name;

SdlApi *LoadAll() {
  static SdlApi api;
  if (!Load(KT_SDL_SONAME, "no sound and no gamepads", [](void *lib) -> const char * {
        KT_SDL_FUNCTIONS(KT_SDL_RESOLVE)
        return nullptr;
      }))
    return nullptr;
  api.mixer = Load(KT_SDL_MIXER_SONAME, "no sound", [](void *lib) -> const char * {
    KT_MIX_FUNCTIONS(KT_SDL_RESOLVE)
    return nullptr;
  });
  return &api;
}

}  // namespace

const SdlApi *Sdl_Api() {
  static const SdlApi *const api = LoadAll();
  return api;
}
