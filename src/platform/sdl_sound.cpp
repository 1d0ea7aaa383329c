// The sound library over SDL2_mixer. Init only records the mixing parameters and SetOutput the
// output; the device is opened at the first load, so the output handed over after Init is the
// one opened. Without a usable output the game plays on silently.
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/files.h"
#include "platform/soundlib.h"

namespace {

constexpr size_t kMaxWaveBytes = 64u << 20;
constexpr int kFramesPerBuffer = 512;  // about 23 ms at 22050 Hz

bool IsWave(const std::string &data) {
  return data.size() >= 12 && (data.compare(0, 4, "RIFF") == 0 || data.compare(0, 4, "RF64") == 0) &&
         data.compare(8, 4, "WAVE") == 0;
}

bool HasDriver(const char *name) {
  for (int i = 0; i < SDL_GetNumAudioDrivers(); ++i)
    if (std::strcmp(SDL_GetAudioDriver(i), name) == 0) return true;
  return false;
}

class SdlSoundLib : public SoundLib {
 public:
  ~SdlSoundLib() override { Close(); }

  bool Init(int rate, int channels) override {
    started_ = true;
    rate_ = rate;
    channels_ = channels;
    return true;
  }

  bool SetOutput(int output_type) override {
    if (output_type == output_) return true;
    output_ = output_type;
    tried_ = false;  // the new output gets its own attempt
    // Samples are decoded for the open device; with none loaded yet it can be reopened.
    if (open_ && chunks_.empty()) CloseDevice();
    return true;
  }

  SampleHandle SampleLoad(const std::string &file) override {
    too_large_.clear();
    ReleaseFinished();
    if (!Open()) return nullptr;
    std::string data;
    FileProblem problem;
    if (!Sys_Read_File(file, data, kMaxWaveBytes, &problem)) {
      if (problem.kind == FileProblem::TooLarge)
        too_large_ = std::to_string(problem.size) + " bytes, at most " + std::to_string(problem.limit);
      return nullptr;
    }
    if (!IsWave(data)) return nullptr;
    Mix_Chunk *chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(data.data(), static_cast<int>(data.size())), 1);
    if (chunk) chunks_.push_back(chunk);
    return chunk;
  }

  std::string LastLoadTooLarge() const override { return too_large_; }

  void Play(SampleHandle sample) override {
    if (!open_ || !Owned(sample)) return;
    // A free channel only: when all are busy the new sound is dropped, nothing is cut.
    Mix_PlayChannel(-1, static_cast<Mix_Chunk *>(sample), 0);
  }

  void StopAll() override {
    if (open_) Mix_HaltChannel(-1);
  }

  void SampleFree(SampleHandle sample) override {
    ReleaseFinished();
    auto *chunk = static_cast<Mix_Chunk *>(sample);
    if (!chunk || !Owned(chunk)) return;
    std::erase(chunks_, chunk);
    // A sample still sounding is released once it has finished, so freeing does not cut it.
    if (Playing(chunk))
      retired_.push_back(chunk);
    else
      Mix_FreeChunk(chunk);
  }

  void Close() override {
    CloseDevice();
    started_ = false;
    tried_ = false;
  }

 private:
  bool Owned(SampleHandle sample) const {
    for (Mix_Chunk *c : chunks_)
      if (c == sample) return true;
    return false;
  }

  bool Playing(Mix_Chunk *chunk) const {
    for (int ch = 0; ch < channels_; ++ch)
      if (Mix_Playing(ch) && Mix_GetChunk(ch) == chunk) return true;
    return false;
  }

  void ReleaseFinished() {
    std::erase_if(retired_, [this](Mix_Chunk *c) {
      if (Playing(c)) return false;
      Mix_FreeChunk(c);
      return true;
    });
  }

  // Opens the output once after Init; a failed attempt is not repeated at every load. Output 1
  // is ALSA when SDL has it; a driver named in SDL_AUDIODRIVER wins for both outputs. With no
  // output at all the mixer runs on SDL's dummy driver: nothing is heard, but the files are still
  // decoded, so a missing jingle stays distinguishable from a machine without sound hardware.
  bool Open() {
    if (open_) return true;
    if (!started_ || tried_) return false;
    tried_ = true;
    // The program handles its own signals; SDL must not turn them into events nobody reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    const char *forced = std::getenv("SDL_AUDIODRIVER");
    const bool want_alsa = output_ == 1 && (!forced || !*forced) && HasDriver("alsa");
    open_ = (want_alsa && OpenWith("alsa")) || OpenWith(nullptr) || OpenWith("dummy");
    if (open_) channels_ = Mix_AllocateChannels(channels_);
    return open_;
  }

  // Starts SDL audio with driver (null: SDL's choice) and opens the mixer on it.
  bool OpenWith(const char *driver) {
    if (driver) SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, driver, SDL_HINT_OVERRIDE);
    const bool started = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (driver) SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    if (!started) return false;
    if (Mix_OpenAudio(rate_, AUDIO_S16SYS, 2, kFramesPerBuffer) == 0) return true;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }

  void CloseDevice() {
    if (!open_) return;
    Mix_HaltChannel(-1);
    for (Mix_Chunk *c : chunks_) Mix_FreeChunk(c);
    for (Mix_Chunk *c : retired_) Mix_FreeChunk(c);
    chunks_.clear();
    retired_.clear();
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    open_ = false;
    tried_ = false;
  }

  bool started_ = false;  // Init called, Close not yet
  bool open_ = false;     // the output device is open
  bool tried_ = false;    // an open was attempted for this device
  int rate_ = 22050;
  int channels_ = 64;
  int output_ = 2;
  std::vector<Mix_Chunk *> chunks_;   // loaded and not freed
  std::vector<Mix_Chunk *> retired_;  // freed while sounding, released when finished
  std::string too_large_;             // see LastLoadTooLarge
};

}  // namespace

std::unique_ptr<SoundLib> Plat_Create_SoundLib() { return std::make_unique<SdlSoundLib>(); }
