// SDL2 and SDL2_mixer as the sound and gamepad adapters call them: a table of the functions they
// use. On Linux the libraries are loaded when the table is first asked for (the sound's first
// load, the gamepads' start, both after the first picture), so that starting the program does
// not wait for them and the many libraries they bring (codecs, synthesisers, audio servers). On
// Windows they are linked in and the table points at them.
#pragma once
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <SDL_mixer.h>

#define KT_SDL_FUNCTIONS(X)                                                                             \
  X(SDL_InitSubSystem) X(SDL_QuitSubSystem) X(SDL_SetHint) X(SDL_SetHintWithPriority) X(SDL_ResetHint) \
  X(SDL_GetNumAudioDrivers) X(SDL_GetAudioDriver) X(SDL_RWFromConstMem) X(SDL_realloc) X(SDL_TLSCleanup) \
  X(SDL_GameControllerEventState) X(SDL_JoystickEventState) X(SDL_GameControllerUpdate)                  \
  X(SDL_GameControllerGetAttached) X(SDL_GameControllerClose) X(SDL_NumJoysticks)                        \
  X(SDL_JoystickGetDeviceInstanceID) X(SDL_IsGameController) X(SDL_JoystickInstanceID)                   \
  X(SDL_GameControllerGetJoystick) X(SDL_GameControllerOpen) X(SDL_GameControllerGetButton)              \
  X(SDL_GameControllerGetAxis) X(SDL_JoystickPath) X(SDL_JoystickAttachVirtualEx) X(SDL_JoystickOpen)     \
  X(SDL_JoystickClose) X(SDL_JoystickSetVirtualButton)
#define KT_MIX_FUNCTIONS(X)                                                                             \
  X(Mix_OpenAudio) X(Mix_CloseAudio) X(Mix_AllocateChannels) X(Mix_LoadWAV_RW) X(Mix_FreeChunk)         \
  X(Mix_PlayChannel) X(Mix_HaltChannel) X(Mix_Playing) X(Mix_GetChunk) X(Mix_QuerySpec)

struct SdlApi {
#define KT_SDL_POINTER(name) decltype(&::name) name = nullptr;
  KT_SDL_FUNCTIONS(KT_SDL_POINTER)
  KT_MIX_FUNCTIONS(KT_SDL_POINTER)
#undef KT_SDL_POINTER
  bool mixer = false;  // the Mix_ functions are there
};

// The table, loaded at the first call (safe on any thread); null when SDL2 cannot be loaded, and
// without the mixer when SDL2_mixer cannot. What is missing is said once on the standard error:
// the game goes on silent, or without gamepads.
const SdlApi *Sdl_Api();
// The loaded table, for code that runs only once Sdl_Api() has given one.
inline const SdlApi &Sdl() { return *Sdl_Api(); }
