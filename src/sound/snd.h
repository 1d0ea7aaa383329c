// The sound layer: eight sounds per stage and two jingles, played through the sound library.
// With "(no sound)" the library is never started and playback does nothing.
#pragma once
#include <cstdint>
#include <string>

#include "platform/soundlib.h"

struct Config;
class Store;

struct Sample {
  SampleHandle handle = nullptr;
  int32_t length_ms = 0;
};

struct Sound {
  SoundLib *lib = nullptr;
  Store *store = nullptr;
  const Config *cfg = nullptr;
  bool sound_on = false;
  Sample stage_new_sound;      // stage jingle; length_ms 0 .. 3600000
  Sample game_start_sound;     // game-start jingle; length_ms 0 .. 3600000
  SampleHandle bank[9] = {};   // sound 1 .. 8 of the stage last loaded
};

// The three driver texts of the splash window's list, in list order.
extern const char *const kSoundDrivers[3];

// Starts output with the chosen driver text and loads the jingles; false exactly when a driver
// was chosen and the stage jingle could not be loaded. Then message (when given) receives the
// start-up message: the jingle is too large, or the sound folder is not properly installed.
bool Snd_Init(Sound &s, const std::string &driver, std::string *message = nullptr);
// Loads the eight sounds of stage n (whether or not sound is on) and frees the replaced ones.
void Snd_Load_Bank(Sound &s, int32_t stage_number);
// Plays sample once on a free channel when sound is on; a null sample plays nothing.
void Snd_Play(Sound &s, SampleHandle sample);
// Stops every playing sound when sound is on.
void Snd_Silence(Sound &s);
// Frees the jingles and the bank, closes the library and lets go of it.
void Snd_Shutdown(Sound &s);
