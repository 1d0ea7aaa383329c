// The sound library over SDL2_mixer. (Being written: silent for now.)
#include "platform/soundlib.h"

namespace {
class SilentLib : public SoundLib {
 public:
  bool Init(int, int) override { return true; }
  bool SetOutput(int) override { return true; }
  SampleHandle SampleLoad(const std::string &) override { return nullptr; }
  void Play(SampleHandle) override {}
  void StopAll() override {}
  void SampleFree(SampleHandle) override {}
  void Close() override {}
};
}  // namespace

std::unique_ptr<SoundLib> Plat_Create_SoundLib() { return std::make_unique<SilentLib>(); }
