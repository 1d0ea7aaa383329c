// The sound layer over the sound library. (Being written: silent for now.)
#include "sound/snd.h"

const char *const kSoundDrivers[3] = {"Microsoft DirectSound", "Windows MultiMedia", "(no sound)"};

bool Snd_Init(Sound &, const std::string &) { return true; }
void Snd_Load_Bank(Sound &, int32_t) {}
void Snd_Play(Sound &, SampleHandle) {}
void Snd_Silence(Sound &) {}
void Snd_Shutdown(Sound &) {}
