// The sound layer: eight sounds per stage and two jingles, played through the sound library.
// With "(no sound)" the library is never started and playback does nothing.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/soundlib.h"

struct Config;
class Store;
struct BankLoader;

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
  SampleHandle bank[9] = {};   // sound 1 .. 8 of the stage last loaded; null while it loads
  // When set, banks are decoded on a loading thread while the game goes on, and this is called
  // there when one is ready: it must have Snd_Take_Bank run on the game's thread. Unset,
  // Snd_Load_Bank returns with the bank loaded.
  std::function<void()> bank_ready;
  std::shared_ptr<BankLoader> loader;  // the loading thread, once started
};

// The three driver texts of the splash window's list, in list order.
extern const char *const kSoundDrivers[3];

// Starts output with the chosen driver text and loads the jingles; false exactly when a driver
// was chosen and the stage jingle could not be loaded. Then message (when given) receives the
// start-up message: the jingle is too large, or the sound folder is not properly installed.
bool Snd_Init(Sound &s, const std::string &driver, std::string *message = nullptr);
// Frees the current bank and loads the eight sounds of stage n (whether or not sound is on); in
// the background when bank_ready is set, a newer call replacing an unfinished one.
void Snd_Load_Bank(Sound &s, int32_t stage_number);
// Puts a bank decoded in the background in place; true when the bank last asked for is in place.
bool Snd_Take_Bank(Sound &s);
// Plays sample once on a free channel when sound is on; a null sample plays nothing.
void Snd_Play(Sound &s, SampleHandle sample);
// Stops every playing sound when sound is on.
void Snd_Silence(Sound &s);
// Frees the jingles and the bank, closes the library and lets go of it.
void Snd_Shutdown(Sound &s);
