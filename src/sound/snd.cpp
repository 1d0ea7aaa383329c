// The sound layer over the sound library: the driver choice, the two jingles, the eight sounds
// of the current stage, playback and release.
#include "sound/snd.h"

#include <algorithm>

#include "config/config.h"
#include "platform/files.h"
#include "platform/ini.h"
#include "platform/store.h"
#include "sound/bank_loader.h"

const char *const kSoundDrivers[3] = {"Microsoft DirectSound", "Windows MultiMedia", "(no sound)"};

namespace {

constexpr int kMixRate = 22050;
constexpr int kChannels = 64;
// Jingle lengths become timer waits (length + 1000 ms); keep them where that sum cannot overflow.
constexpr int32_t kMaxJingleMs = 3600 * 1000;
// Longest sounds loaded, as played: a beeper sound accompanies a game step or tick (the longest of
// the default skin lasts a second), a jingle holds up play while it sounds. A longer file is
// refused like an unreadable one; decoded for output (22050 Hz, 16-bit stereo) the caps are
// 0.9 MB a sound and 5.3 MB a jingle, so a bank costs a few MB and decodes in milliseconds.
constexpr int32_t kMaxSoundMs = 10 * 1000;
constexpr int32_t kMaxJingleSoundMs = 60 * 1000;

// A configuration-built file name made usable here: "\" separators and letter case resolved
// against what is on disk. A name that matches nothing is passed on, and its load fails.
std::string DiskName(const std::string &name) {
  const std::string found = Sys_Find_Value_File(name);
  return found.empty() ? Sys_Native_Path(name) : found;
}

// Releases each sample of the bank once (sounds may share one) and empties it.
void FreeBank(Sound &s) {
  for (int m = 1; m <= 8; ++m)
    if (s.bank[m] && std::find(s.bank + 1, s.bank + m, s.bank[m]) == s.bank + m) s.lib->SampleFree(s.bank[m]);
  std::fill(std::begin(s.bank), std::end(s.bank), nullptr);
}

IniFile ReadIni(const std::string &path) {
  IniFile ini;
  const std::string found = Sys_Find_File(path);
  if (!found.empty()) ini.Load(found);
  return ini;
}

void LoadJingle(Sound &s, Sample &jingle, const std::string &file, int32_t length_ms) {
  if (jingle.handle) s.lib->SampleFree(jingle.handle);
  jingle.handle = s.lib->SampleLoad(DiskName(file), kMaxJingleSoundMs);
  jingle.length_ms = std::clamp<int32_t>(length_ms, 0, kMaxJingleMs);
}

}  // namespace

bool Snd_Init(Sound &s, const std::string &driver, std::string *message) {
  int output_type = 0;
  if (driver == kSoundDrivers[2]) {
    s.sound_on = false;
    if (s.store) s.store->WriteInteger("SoundMode", 2);
  } else if (driver == kSoundDrivers[1]) {
    s.sound_on = true;
    if (s.store) s.store->WriteInteger("SoundMode", 1);
    output_type = 1;
  } else if (driver == kSoundDrivers[0]) {
    s.sound_on = true;
    if (s.store) s.store->WriteInteger("SoundMode", 0);
    output_type = 2;
  } else {
    s.sound_on = false;  // not a driver of the list: stay silent, store nothing
  }
  if (!s.sound_on || !s.lib || !s.cfg) return true;

  s.lib->Init(kMixRate, kChannels);
  s.lib->SetOutput(output_type);

  const IniFile ini = ReadIni(s.cfg->MainIni());
  const std::string &res = s.cfg->resources_path;
  const std::string stage_file = ini.ReadString("Sound", res + "StageFileName", res + "snd_stage.wav");
  const std::string start_file = ini.ReadString("Sound", res + "StartFileName", res + "snd_start.wav");
  LoadJingle(s, s.stage_new_sound, stage_file, ini.ReadInteger("Sound", "StageDuration", 1000));
  const std::string too_large = s.lib->LastLoadTooLarge();
  LoadJingle(s, s.game_start_sound, start_file, ini.ReadInteger("Sound", "StartDuration", 1000));
  if (s.stage_new_sound.handle) return true;
  if (message) {
    *message = too_large.empty() ? "Sound folder unproperly installed. Please reinstall the game."
                                 : "Sound file " + stage_file + " is too large (" + too_large +
                                       "). Please reinstall the game.";
  }
  return false;
}

void Snd_Load_Bank(Sound &s, int32_t stage_number) {
  if (!s.lib || !s.cfg) return;
  const std::string &path = s.cfg->Stage(stage_number).path;
  const IniFile ini = ReadIni(s.cfg->InProgramFolder(path) + "Config.ini");
  // The replaced samples are never played again; they are released before the new ones are
  // decoded, so the two banks are never in memory together. (A sound still sounding is left to
  // finish by the library.)
  FreeBank(s);
  // A file named by several sounds (all eight are "beep.wav" by default) is decoded once.
  std::string files[9];
  for (int m = 1; m <= 8; ++m)
    files[m] = DiskName(path + ini.ReadString("Sound" + std::to_string(m), "Filename", "beep.wav"));
  // In the background the bank stays empty (its sounds silent) until Snd_Take_Bank puts the whole
  // of the newest one in place. Play needs it only seconds later, after the intro.
  if (s.bank_ready || s.loader) {
    if (!s.loader) s.loader = std::make_shared<BankLoader>(s.lib, s.bank_ready);
    if (s.loader->Ask(files, kMaxSoundMs)) return;
    s.loader.reset();  // no thread to be had: load here
  }
  for (int m = 1; m <= 8; ++m) {
    const int first = Snd_First_Naming(files, m);
    s.bank[m] = first < m ? s.bank[first] : s.lib->SampleLoad(files[m], kMaxSoundMs);
  }
}

bool Snd_Take_Bank(Sound &s) {
  if (!s.loader || !s.lib) return true;
  s.loader->Take(s.bank);
  return !s.loader->Pending();
}

void Snd_Play(Sound &s, SampleHandle sample) {
  if (s.sound_on && s.lib && sample) s.lib->Play(sample);
}

void Snd_Silence(Sound &s) {
  if (s.sound_on && s.lib) s.lib->StopAll();
}

void Snd_Shutdown(Sound &s) {
  if (!s.lib) return;
  if (s.loader) s.loader->Stop();  // what it has not handed over is dropped
  s.loader.reset();
  s.lib->SampleFree(s.stage_new_sound.handle);
  s.lib->SampleFree(s.game_start_sound.handle);
  // Null handles are passed on as they are; a sample shared by several sounds is freed once.
  for (int m = 1; m <= 8; ++m)
    if (!s.bank[m] || std::find(s.bank + 1, s.bank + m, s.bank[m]) == s.bank + m) s.lib->SampleFree(s.bank[m]);
  s.lib->Close();
  // Nothing reaches the closed library any more.
  s.stage_new_sound.handle = nullptr;
  s.game_start_sound.handle = nullptr;
  std::fill(std::begin(s.bank), std::end(s.bank), nullptr);
  s.sound_on = false;
  s.lib = nullptr;
}
