// The sound library as the sound layer uses it: start, choose the output, load decoded samples,
// play each on a free channel, stop every channel, free samples, close.
#pragma once
#include <cstdint>
#include <string>

using SampleHandle = void *;  // null: no sample

class SoundLib {
 public:
  virtual ~SoundLib() = default;
  // Starts mixing at rate with channels channels.
  virtual bool Init(int rate, int channels) = 0;
  // Hands over the output: 2 the default system output, 1 the alternative one.
  virtual bool SetOutput(int output_type) = 0;
  // Loads and decodes a whole wave file of at most max_ms milliseconds; null when it cannot be
  // loaded, is longer, or the library is not started. The length is checked from the file's
  // header before decoding, so a long file costs neither the time nor the memory.
  virtual SampleHandle SampleLoad(const std::string &file, int32_t max_ms) = 0;
  // When the last SampleLoad refused its file only for its size or its length: how large or long
  // it is against the limit (for example "70000000 bytes, at most 67108864"); empty otherwise.
  virtual std::string LastLoadTooLarge() const { return {}; }
  // Starts sample on a free channel; sounds already playing go on.
  virtual void Play(SampleHandle sample) = 0;
  // Stops every channel.
  virtual void StopAll() = 0;
  // Releases sample; null is accepted.
  virtual void SampleFree(SampleHandle sample) = 0;

  // Loading while the game goes on: Decode runs on a loading thread (one call at a time) and does
  // the work of SampleLoad without touching the loaded samples or what is playing; Adopt, on the
  // playing thread, makes its result a sample; Discard drops a result nobody will adopt, on
  // either thread. Null means nothing was decoded. By default the file is only noted by Decode
  // and loaded by Adopt.
  using Decoded = void *;
  virtual Decoded Decode(const std::string &file, int32_t max_ms) { return new Noted{file, max_ms}; }
  virtual SampleHandle Adopt(Decoded decoded) {
    auto *noted = static_cast<Noted *>(decoded);
    if (!noted) return nullptr;
    const SampleHandle sample = SampleLoad(noted->file, noted->max_ms);
    delete noted;
    return sample;
  }
  virtual void Discard(Decoded decoded) { delete static_cast<Noted *>(decoded); }
  // Called on a loading thread as it ends, for what the library keeps per thread.
  virtual void LoadingThreadEnds() {}
  // Stops everything and releases what is left; closing twice is harmless.
  virtual void Close() = 0;

 private:
  struct Noted {
    std::string file;
    int32_t max_ms;
  };
};

// The sound library of this platform (SDL2_mixer).
#include <memory>
std::unique_ptr<SoundLib> Plat_Create_SoundLib();
