// The sound library over SDL2_mixer. Init only records the mixing parameters and SetOutput the
// output; the libraries are loaded and the device opened at the first load, so the output handed
// over after Init is the one opened. Without a usable output, or without the libraries, the game
// plays on silently.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/files.h"
#include "platform/sdl_api.h"
#include "platform/soundlib.h"

namespace {

constexpr size_t kMaxWaveBytes = 64u << 20;
constexpr int kFramesPerBuffer = 512;  // about 23 ms at 22050 Hz

bool IsWave(const std::string &data) {
  return data.size() >= 12 && (data.compare(0, 4, "RIFF") == 0 || data.compare(0, 4, "RF64") == 0) &&
         data.compare(8, 4, "WAVE") == 0;
}

uint32_t Le(const std::string &d, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(d[at + i]);
  return v;
}

// A playing time as frames at a rate; compared and shown exactly, never through rounded
// milliseconds.
struct Length {
  uint64_t frames = 0;
  uint64_t rate = 0;  // 0: unknown
  bool Over(int64_t max_ms) const { return frames * 1000 > static_cast<uint64_t>(max_ms) * rate; }
};

// The playing time of a wave file from its format and data chunks: frames are the data bytes over
// the bits a frame takes (exact for plain samples, an upper bound for the 4-bit compressed
// formats). Rate 0 when the header does not say (the decoded length decides then).
Length WaveLength(const std::string &d) {
  uint32_t rate = 0, channels = 0, bits = 0;
  for (size_t pos = 12; pos + 8 <= d.size();) {
    const uint32_t length = Le(d, pos + 4, 4);
    const size_t body = pos + 8;
    if (d.compare(pos, 4, "fmt ") == 0 && body + 16 <= d.size()) {
      channels = Le(d, body + 2, 2);
      rate = Le(d, body + 4, 4);
      bits = Le(d, body + 14, 2);
    } else if (d.compare(pos, 4, "data") == 0) {
      if (rate == 0 || channels == 0 || bits == 0) return {};
      const uint64_t bytes = std::min<uint64_t>(length, d.size() - body);
      return {bytes * 8 / (uint64_t{bits} * channels), rate};
    }
    if (length > d.size() - body) break;
    pos = body + length + (length & 1);
  }
  return {};
}

// Seconds with their tenths, rounded up, so that a length just over a limit never reads as it.
std::string Seconds(uint64_t frames, uint64_t rate) {
  const uint64_t tenths = (frames * 10 + rate - 1) / rate;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " s";
}

std::string LengthProblem(const Length &length, int32_t max_ms) {
  return Seconds(length.frames, length.rate) + " long, at most " + Seconds(static_cast<uint64_t>(max_ms), 1000);
}

bool HasDriver(const char *name) {
  for (int i = 0; i < Sdl().SDL_GetNumAudioDrivers(); ++i)
    if (std::strcmp(Sdl().SDL_GetAudioDriver(i), name) == 0) return true;
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

  SampleHandle SampleLoad(const std::string &file, int32_t max_ms) override {
    too_large_.clear();
    ReleaseFinished();
    if (!Open()) return nullptr;
    Mix_Chunk *chunk = DecodeFile(file, max_ms, &too_large_);
    if (chunk) chunks_.push_back(chunk);
    return chunk;
  }

  Decoded Decode(const std::string &file, int32_t max_ms) override {
    // The device stays as it is while a file is decoded for it.
    const std::lock_guard<std::mutex> lock(device_mutex_);
    return open_ ? DecodeFile(file, max_ms, nullptr) : nullptr;
  }

  SampleHandle Adopt(Decoded decoded) override {
    auto *chunk = static_cast<Mix_Chunk *>(decoded);
    if (!chunk) return nullptr;
    if (!open_) {  // decoded for a device that has closed since
      Sdl().Mix_FreeChunk(chunk);
      return nullptr;
    }
    chunks_.push_back(chunk);
    return chunk;
  }

  void Discard(Decoded decoded) override {
    // Never played, so no channel holds it.
    if (decoded) Sdl().Mix_FreeChunk(static_cast<Mix_Chunk *>(decoded));
  }

  void LoadingThreadEnds() override {
    if (const SdlApi *sdl = Sdl_Api()) sdl->SDL_TLSCleanup();
  }

  std::string LastLoadTooLarge() const override { return too_large_; }

  void Play(SampleHandle sample) override {
    if (!open_ || !Owned(sample)) return;
    // A free channel only: when all are busy the new sound is dropped, nothing is cut.
    Sdl().Mix_PlayChannel(-1, static_cast<Mix_Chunk *>(sample), 0);
  }

  void StopAll() override {
    if (open_) Sdl().Mix_HaltChannel(-1);
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
      Sdl().Mix_FreeChunk(chunk);
  }

  void Close() override {
    CloseDevice();
    started_ = false;
    tried_ = false;
  }

 private:
  // Reads, checks and decodes a wave file for the open output; safe on any thread. too_large
  // (when given) receives the reason when the file is refused for its size or length.
  static Mix_Chunk *DecodeFile(const std::string &file, int32_t max_ms, std::string *too_large) {
    std::string data;
    FileProblem problem;
    if (!Sys_Read_File(file, data, kMaxWaveBytes, &problem)) {
      if (problem.kind == FileProblem::TooLarge && too_large)
        *too_large = std::to_string(problem.size) + " bytes, at most " + std::to_string(problem.limit);
      return nullptr;
    }
    if (!IsWave(data)) return nullptr;
    if (const Length length = WaveLength(data); length.rate != 0 && length.Over(max_ms)) {
      if (too_large) *too_large = LengthProblem(length, max_ms);
      return nullptr;
    }
    Mix_Chunk *chunk = Sdl().Mix_LoadWAV_RW(Sdl().SDL_RWFromConstMem(data.data(), static_cast<int>(data.size())), 1);
    if (!chunk) return nullptr;
    // The decoded length is what counts (a header may not tell, or tell wrongly).
    int freq = 0, channels = 0;
    Uint16 format = 0;
    if (Sdl().Mix_QuerySpec(&freq, &format, &channels) == 0 || freq <= 0 || channels <= 0) channels = 0;
    const uint64_t frame_bytes = static_cast<uint64_t>(channels) * (SDL_AUDIO_BITSIZE(format) / 8);
    // Converting the rate may add a few frames to the exact length (a file of exactly the limit
    // at another rate): up to a millisecond more is still the length the header gave.
    const Length decoded{frame_bytes == 0 ? 0 : chunk->alen / frame_bytes, static_cast<uint64_t>(freq)};
    if (frame_bytes == 0 || decoded.Over(int64_t{max_ms} + 1)) {
      if (frame_bytes != 0 && too_large) *too_large = LengthProblem(decoded, max_ms);
      Sdl().Mix_FreeChunk(chunk);
      return nullptr;
    }
    // The mixer leaves the converted sound in its conversion buffer, sized for the widest step
    // of the conversion: for a many-channel file at a high rate, tens of MB around one MB of
    // sound. Only the sound is kept.
    if (chunk->allocated && chunk->alen > 0)
      if (void *fitted = Sdl().SDL_realloc(chunk->abuf, chunk->alen)) chunk->abuf = static_cast<Uint8 *>(fitted);
    return chunk;
  }

  bool Owned(SampleHandle sample) const {
    for (Mix_Chunk *c : chunks_)
      if (c == sample) return true;
    return false;
  }

  bool Playing(Mix_Chunk *chunk) const {
    for (int ch = 0; ch < channels_; ++ch)
      if (Sdl().Mix_Playing(ch) && Sdl().Mix_GetChunk(ch) == chunk) return true;
    return false;
  }

  void ReleaseFinished() {
    std::erase_if(retired_, [this](Mix_Chunk *c) {
      if (Playing(c)) return false;
      Sdl().Mix_FreeChunk(c);
      return true;
    });
  }

  // Opens the output once after Init; a failed attempt is not repeated at every load. Output 1
  // is ALSA when SDL has it (on Windows: output 0 DirectSound, output 1 the multimedia driver);
  // a driver named in SDL_AUDIODRIVER wins for both outputs. With no output at all the mixer
  // runs on SDL's dummy driver: nothing is heard, but the files are still decoded, so a missing
  // jingle stays distinguishable from a machine without sound hardware.
  bool Open() {
    if (open_) return true;
    if (!started_ || tried_) return false;
    tried_ = true;
    // Without the libraries the game plays on silent (the loading said why).
    if (const SdlApi *sdl = Sdl_Api(); !sdl || !sdl->mixer) return false;
    // SIGTERM, SIGINT and SIGHUP are the program's close requests (handled in src/app/quit_signals);
    // SDL must not take them over and turn them into events nobody reads.
    Sdl().SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    const std::lock_guard<std::mutex> lock(device_mutex_);
    const char *forced = std::getenv("SDL_AUDIODRIVER");
#ifdef _WIN32
    // On Windows the two outputs are the drivers the list names.
    const char *wanted = output_ == 1 ? "winmm" : "directsound";
#else
    const char *wanted = output_ == 1 ? "alsa" : nullptr;
#endif
    const bool want = wanted && (!forced || !*forced) && HasDriver(wanted);
    open_ = (want && OpenWith(wanted)) || OpenWith(nullptr) || OpenWith("dummy");
    if (open_) channels_ = Sdl().Mix_AllocateChannels(channels_);
    return open_;
  }

  // Starts SDL audio with driver (null: SDL's choice) and opens the mixer on it.
  bool OpenWith(const char *driver) {
    if (driver) Sdl().SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, driver, SDL_HINT_OVERRIDE);
    const bool started = Sdl().SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (driver) Sdl().SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    if (!started) return false;
    if (Sdl().Mix_OpenAudio(rate_, AUDIO_S16SYS, 2, kFramesPerBuffer) == 0) return true;
    Sdl().SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }

  void CloseDevice() {
    if (!open_) return;
    const std::lock_guard<std::mutex> lock(device_mutex_);  // waits for a file being decoded
    Sdl().Mix_HaltChannel(-1);
    for (Mix_Chunk *c : chunks_) Sdl().Mix_FreeChunk(c);
    for (Mix_Chunk *c : retired_) Sdl().Mix_FreeChunk(c);
    chunks_.clear();
    retired_.clear();
    Sdl().Mix_CloseAudio();
    Sdl().SDL_QuitSubSystem(SDL_INIT_AUDIO);
    open_ = false;
    tried_ = false;
  }

  bool started_ = false;  // Init called, Close not yet
  std::atomic<bool> open_ = false;  // the output device is open
  std::mutex device_mutex_;         // held while the device opens or closes, and by Decode
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
