// The SDL2_mixer sound library on SDL's disk audio driver: what is played reaches the output
// file, stop-all silences it, bad files give null handles, and a missing output is survived.
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "config/config.h"
#include "platform/soundlib.h"
#include "sound/snd.h"
#include "test_support.h"

namespace {

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void Put16(std::string &s, uint16_t v) {
  s += static_cast<char>(v & 0xff);
  s += static_cast<char>(v >> 8);
}
void Put32(std::string &s, uint32_t v) {
  Put16(s, static_cast<uint16_t>(v & 0xffff));
  Put16(s, static_cast<uint16_t>(v >> 16));
}

// A mono 8-bit wave file at 8000 Hz of seconds seconds, silence: 8 kB a second on disk, eleven
// times that once decoded for output.
std::string Slow_Wave(uint32_t seconds) {
  std::string w = "RIFF";
  Put32(w, 36 + 8000 * seconds);
  w += "WAVEfmt ";
  Put32(w, 16);
  Put16(w, 1);
  Put16(w, 1);
  Put32(w, 8000);
  Put32(w, 8000);
  Put16(w, 1);
  Put16(w, 8);
  w += "data";
  Put32(w, 8000 * seconds);
  return w + std::string(8000 * seconds, '\x80');
}

// A 16-bit wave file of frames frames of silence at rate in channels channels.
std::string Pcm_Wave(uint32_t rate, uint16_t channels, uint32_t frames) {
  const uint32_t bytes = frames * 2u * channels;
  std::string w = "RIFF";
  Put32(w, 36 + bytes);
  w += "WAVEfmt ";
  Put32(w, 16);
  Put16(w, 1);
  Put16(w, channels);
  Put32(w, rate);
  Put32(w, rate * 2u * channels);
  Put16(w, static_cast<uint16_t>(2 * channels));
  Put16(w, 16);
  w += "data";
  Put32(w, bytes);
  return w + std::string(bytes, '\0');
}

// A mono 16-bit wave file at 22050 Hz holding a square wave of ms milliseconds.
std::string Square_Wave(int ms, uint16_t channels = 1) {
  const uint32_t frames = 22050u * static_cast<uint32_t>(ms) / 1000u;
  std::string pcm;
  for (uint32_t i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) Put16(pcm, static_cast<uint16_t>((i / 25) % 2 ? 12000 : -12000));
  std::string w = "RIFF";
  Put32(w, static_cast<uint32_t>(36 + pcm.size()));
  w += "WAVEfmt ";
  Put32(w, 16);
  Put16(w, 1);  // PCM
  Put16(w, channels);
  Put32(w, 22050);
  Put32(w, 22050u * 2u * channels);
  Put16(w, static_cast<uint16_t>(2 * channels));
  Put16(w, 16);
  w += "data";
  Put32(w, static_cast<uint32_t>(pcm.size()));
  return w + pcm;
}

// A wave file of 32-bit float noise in eight channels at 192 kHz: 6 MB a second on disk, a tenth
// of a MB once decoded for output.
std::string Wide_Wave(uint32_t seconds) {
  const uint32_t bytes = 192000u * 8u * 4u * seconds;
  std::string w = "RIFF";
  Put32(w, 36 + bytes);
  w += "WAVEfmt ";
  Put32(w, 16);
  Put16(w, 3);  // float
  Put16(w, 8);
  Put32(w, 192000);
  Put32(w, 192000u * 32u);
  Put16(w, 32);
  Put16(w, 32);
  w += "data";
  Put32(w, bytes);
  uint32_t seed = 1;
  for (uint32_t i = 0; i < bytes / 4; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const float f = static_cast<float>(static_cast<int32_t>(seed)) / 4.3e9f;
    uint32_t u;
    std::memcpy(&u, &f, 4);
    Put32(w, u);
  }
  return w;
}

struct SdlSoundTest : ::testing::Test {
  TempDir dir;
  std::string out_file;
  std::unique_ptr<SoundLib> lib;

  void SetUp() override {
    out_file = dir.path + "out.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", out_file.c_str(), 1);
    lib = Plat_Create_SoundLib();
  }
  void TearDown() override {
    lib.reset();
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
  }
  // A program folder of one stage: the common sounds under common, the stage's under level (both
  // relative to the test's folder, ending in a backslash as read from the program's INI).
  Config OneStage(const std::string &common, const std::string &level) const {
    Config cfg;
    cfg.program_folder = dir.path;
    cfg.resources_path = dir.path + common;
    cfg.stage_count = 1;
    cfg.stage_table[1].path = dir.path + level;
    return cfg;
  }
  // The sound layer on this library.
  void Attach(Sound &snd, Store &store, const Config &cfg) const {
    snd.lib = lib.get();
    snd.store = &store;
    snd.cfg = &cfg;
  }
  std::string File(const std::string &name, const std::string &content) {
    dir.Write(name, content);
    return dir.path + name;
  }
  SampleHandle Start_With(const std::string &wave, int output_type = 2) {
    lib->Init(22050, 64);
    lib->SetOutput(output_type);
    return lib->SampleLoad(File("s.wav", wave), 60000);
  }
  // Waits until every channel has been mixed to its end, and a little more for the writing.
  static void Wait_Until_Quiet() {
    for (int i = 0; i < 500 && Mix_Playing(-1) > 0; ++i) Sleep(10);
    Sleep(100);
  }
  // The output written so far as 16-bit samples, after closing so that all of it is on disk.
  std::vector<int16_t> Output() {
    lib->Close();
    std::ifstream in(out_file, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string raw = ss.str();
    std::vector<int16_t> v(raw.size() / 2);
    std::memcpy(v.data(), raw.data(), v.size() * 2);
    return v;
  }
};

// Output is 16-bit stereo at 22050 Hz: 44100 samples a second.
constexpr size_t kSamplesPerSecond = 44100;

TEST_F(SdlSoundTest, APlayedSampleIsHeard) {
  SampleHandle s = Start_With(Square_Wave(250));
  ASSERT_NE(s, nullptr);
  int freq = 0, channels = 0;
  Uint16 format = 0;
  ASSERT_EQ(Mix_QuerySpec(&freq, &format, &channels), 1);
  EXPECT_EQ(freq, 22050);
  EXPECT_EQ(format, AUDIO_S16SYS);
  EXPECT_EQ(channels, 2);
  lib->Play(s);
  Wait_Until_Quiet();
  const std::vector<int16_t> out = Output();
  size_t loud = 0;
  for (int16_t v : out) loud += (v > 6000 || v < -6000);
  // About a quarter of a second of the square wave, on both output channels.
  EXPECT_GT(loud, kSamplesPerSecond / 8) << "samples written: " << out.size();
}

TEST_F(SdlSoundTest, StopAllSilencesEverySoundAndOutputGoesOn) {
  SampleHandle s = Start_With(Square_Wave(10000));
  ASSERT_NE(s, nullptr);
  lib->Play(s);
  lib->Play(s);
  Sleep(300);
  lib->StopAll();
  Sleep(800);
  const std::vector<int16_t> out = Output();
  size_t first = out.size(), last = 0;
  for (size_t i = 0; i < out.size(); ++i)
    if (out[i] != 0) {
      if (first == out.size()) first = i;
      last = i;
    }
  ASSERT_LT(first, out.size()) << "nothing was heard";
  // The ten-second sound ended early, and silence followed it.
  EXPECT_LT(last - first, 5 * kSamplesPerSecond);
  EXPECT_GT(out.size() - last, kSamplesPerSecond / 10);
}

TEST_F(SdlSoundTest, PlaysGoToFreeChannelsAndAreDroppedWhenAllAreBusy) {
  SampleHandle s = Start_With(Square_Wave(3000));
  ASSERT_NE(s, nullptr);
  for (int i = 0; i < 70; ++i) lib->Play(s);
  EXPECT_EQ(Mix_Playing(-1), 64);
  EXPECT_EQ(Mix_Playing(0), 1);  // the first sound was not cut for a later one
}

TEST_F(SdlSoundTest, FreeingASoundingSampleLetsItFinish) {
  SampleHandle s = Start_With(Square_Wave(3000));
  ASSERT_NE(s, nullptr);
  lib->Play(s);
  lib->SampleFree(s);
  EXPECT_EQ(Mix_Playing(-1), 1);
  lib->Play(s);  // a freed handle is never played
  EXPECT_EQ(Mix_Playing(-1), 1);
}

TEST_F(SdlSoundTest, BadFilesGiveNullWithoutHarm) {
  lib->Init(22050, 64);
  lib->SetOutput(1);  // the environment's driver wins over the alternative output
  ASSERT_NE(lib->SampleLoad(File("good.wav", Square_Wave(50, 2)), 60000), nullptr);

  std::string zero_channels = Square_Wave(50);
  zero_channels[22] = 0;  // fmt channel count
  std::string bad_rate = Square_Wave(50);
  bad_rate.replace(24, 4, std::string(4, '\0'));  // fmt sample rate 0
  std::string random(4000, '\0');
  for (size_t i = 0; i < random.size(); ++i) random[i] = static_cast<char>((i * 7919u) >> 3);
  std::string not_wave = Square_Wave(50);
  not_wave.replace(0, 4, "OggS");

  const std::vector<std::string> bad = {
      File("empty.wav", ""),
      File("text.wav", "[Sound1]\nFilename=beep.wav\n"),
      File("header-only.wav", Square_Wave(50).substr(0, 12)),
      File("zero-channels.wav", zero_channels),
      File("zero-rate.wav", bad_rate),
      File("random.wav", random),
      File("other-format.wav", not_wave),
      dir.path + "missing.wav",
      dir.path,  // a folder
  };
  for (const std::string &f : bad) {
    SampleHandle h = lib->SampleLoad(f, 60000);
    EXPECT_EQ(h, nullptr) << f;
    lib->Play(h);
    lib->SampleFree(h);
  }
  lib->Close();
  lib->Close();
}

TEST_F(SdlSoundTest, WithoutAnOutputTheGameGoesOnSilentlyAndFilesAreStillChecked) {
  // Never started, as with sound switched off: loads give null and nothing else happens.
  const std::string good = File("a.wav", Square_Wave(50));
  EXPECT_EQ(lib->SampleLoad(good, 60000), nullptr);
  lib->Play(nullptr);
  lib->StopAll();
  lib->SampleFree(nullptr);
  lib->Close();

  // Started on a machine where no output can be opened.
  setenv("SDL_AUDIODRIVER", "no-such-output", 1);
  lib->Init(22050, 64);
  lib->SetOutput(2);
  SampleHandle h = lib->SampleLoad(good, 60000);
  EXPECT_NE(h, nullptr);  // a good jingle is not reported as missing
  EXPECT_EQ(lib->SampleLoad(dir.path + "missing.wav", 60000), nullptr);
  lib->Play(h);
  lib->StopAll();
  lib->Close();
  EXPECT_FALSE(std::ifstream(out_file).good());  // nothing went to the disk output

  // A later start with an output is heard again.
  setenv("SDL_AUDIODRIVER", "disk", 1);
  SampleHandle s = Start_With(Square_Wave(200));
  ASSERT_NE(s, nullptr);
  lib->Play(s);
  Wait_Until_Quiet();
  size_t loud = 0;
  for (int16_t v : Output()) loud += (v != 0);
  EXPECT_GT(loud, kSamplesPerSecond / 10);
}

// A stage jingle that is a good wave file but larger than a sound may be is reported as too
// large, not as a badly installed sound folder.
TEST_F(SdlSoundTest, AStageJingleOverTheSizeLimitIsReportedAsTooLarge) {
  Config cfg;
  cfg.program_folder = dir.path;
  cfg.resources_path = dir.path + "Resources\\Common\\";
  // 70 MB of silence after a proper header, written as a sparse file.
  const uint32_t pcm_bytes = 70u << 20;
  std::string header = Square_Wave(0);
  std::string size_le;
  Put32(size_le, 36 + pcm_bytes);
  header.replace(4, 4, size_le);
  size_le.clear();
  Put32(size_le, pcm_bytes);
  header.replace(40, 4, size_le);
  const std::string jingle = File("Resources/Common/snd_stage.wav", header);
  ASSERT_EQ(truncate(jingle.c_str(), static_cast<off_t>(header.size() + pcm_bytes)), 0);
  MemStore store;
  Sound snd;
  Attach(snd, store, cfg);
  std::string message;
  EXPECT_FALSE(Snd_Init(snd, "Microsoft DirectSound", &message));
  EXPECT_EQ(message, "Sound file " + cfg.resources_path + "snd_stage.wav is too large (" +
                         std::to_string(header.size() + pcm_bytes) + " bytes, at most 67108864). Please reinstall the game.");
  // A missing one keeps the usual message.
  std::remove(jingle.c_str());
  EXPECT_FALSE(Snd_Init(snd, "Microsoft DirectSound", &message));
  EXPECT_EQ(message, "Sound folder unproperly installed. Please reinstall the game.");
  Snd_Shutdown(snd);
}

// The sound layer and this library together, on a program folder written by the test.
TEST_F(SdlSoundTest, TheSoundLayerPlaysAStageThroughTheLibrary) {
  const Config cfg = OneStage("Resources\\Common\\", "Resources\\Level1\\");
  dir.Write("Resources/common/Snd_Stage.WAV", Square_Wave(100));
  dir.Write("Resources/Level1/Config.ini", "[Sound1]\nFilename=tick.wav\n[Sound2]\nFilename=broken.wav\n");
  dir.Write("Resources/Level1/tick.wav", Square_Wave(150));
  dir.Write("Resources/Level1/broken.wav", "RIFF....WAVEjunk");
  MemStore store;
  Sound snd;
  Attach(snd, store, cfg);
  ASSERT_TRUE(Snd_Init(snd, "Microsoft DirectSound"));  // the start jingle is missing: not reported
  EXPECT_EQ(snd.game_start_sound.handle, nullptr);
  Snd_Load_Bank(snd, 1);
  ASSERT_NE(snd.bank[1], nullptr);
  EXPECT_EQ(snd.bank[2], nullptr);
  EXPECT_EQ(snd.bank[3], nullptr);  // beep.wav is not there
  Snd_Play(snd, snd.bank[1]);
  Snd_Play(snd, snd.bank[2]);
  Snd_Play(snd, snd.stage_new_sound.handle);
  EXPECT_EQ(Mix_Playing(-1), 2);
  Snd_Silence(snd);
  EXPECT_EQ(Mix_Playing(-1), 0);
  Snd_Shutdown(snd);
}

// Sounds are capped by their played length, not by their size on disk: a 20 MB file of 8-bit
// 8 kHz samples (42 minutes, 440 MB once decoded for output) is refused before it is decoded, as
// is a sound of 11 s; a jingle may be longer. A file named by several sounds is decoded once.
TEST_F(SdlSoundTest, LongSoundsAreRefusedBeforeDecodingAndSharedFilesDecodedOnce) {
  const Config cfg = OneStage("Common\\", "Level1\\");
  dir.Write("Common/snd_stage.wav", Slow_Wave(20));
  dir.Write("Level1/Config.ini", "[Sound1]\nFilename=huge.wav\n[Sound2]\nFilename=long.wav\n[Sound3]\nFilename=ok.wav\n");
  dir.Write("Level1/huge.wav", Slow_Wave(2600));
  dir.Write("Level1/long.wav", Slow_Wave(11));
  dir.Write("Level1/ok.wav", Slow_Wave(9));
  dir.Write("Level1/beep.wav", Slow_Wave(1));
  const ChildCost c = Run_In_Child(
      [&] {
        MemStore store;
        Sound snd;
        Attach(snd, store, cfg);
        const bool jingle = Snd_Init(snd, "Microsoft DirectSound");
        Snd_Load_Bank(snd, 1);
        bool ok = jingle && !snd.bank[1] && !snd.bank[2] && snd.bank[3] && snd.bank[4];
        for (int m = 5; m <= 8; ++m) ok = ok && snd.bank[m] == snd.bank[4];
        Snd_Shutdown(snd);
        return ok ? 0 : 1;
      },
      60, 0);
  EXPECT_TRUE(c.exited) << "ended by signal " << c.status;
  EXPECT_EQ(c.status, 0);
  EXPECT_LT(c.peak_mb, 150 * kPeakMemoryFactor);
  EXPECT_LT(c.cpu, 2.0);
}

// A sound may last up to its cap inclusive, counted exactly from its frames and rate, at any rate
// (the mixer converts to 22050 Hz); a frame more is refused. Lengths are shown with their tenths.
TEST_F(SdlSoundTest, SoundsUpToTheirCapInclusiveAreAccepted) {
  lib->Init(22050, 64);
  lib->SetOutput(2);
  struct Case {
    uint32_t rate;
    uint16_t channels;
    uint32_t frames;
    int32_t cap_ms;
    const char *refused;  // the reason given, or null when the sound is accepted
  } const cases[] = {
      {22050, 1, 220500, 10000, nullptr},  // exactly 10.0 s
      {22050, 2, 220059, 10000, nullptr},  // 9.98 s
      {44100, 2, 441000, 10000, nullptr},
      {48000, 1, 480000, 10000, nullptr},
      {11025, 1, 110250, 10000, nullptr},
      {22050, 1, 1323000, 60000, nullptr},  // a jingle of exactly 60.0 s
      {22050, 1, 220501, 10000, "10.1 s long, at most 10.0 s"},
      {48000, 2, 484800, 10000, "10.1 s long, at most 10.0 s"},
      {22050, 1, 1324103, 60000, "60.1 s long, at most 60.0 s"},
      {8000, 1, 96000, 10000, "12.0 s long, at most 10.0 s"},
  };
  for (const Case &c : cases) {
    const std::string what = std::to_string(c.frames) + " frames at " + std::to_string(c.rate) + " Hz";
    const SampleHandle h = lib->SampleLoad(File("s.wav", Pcm_Wave(c.rate, c.channels, c.frames)), c.cap_ms);
    EXPECT_EQ(h != nullptr, c.refused == nullptr) << what;
    EXPECT_EQ(lib->LastLoadTooLarge(), c.refused ? c.refused : "") << what;
    lib->SampleFree(h);
  }
}

// A bank decoded on the loading thread is put in place whole and plays; each sound keeps only
// what it plays, not the mixer's conversion buffer (for these files about 15 MB each).
TEST_F(SdlSoundTest, ABankDecodedInTheBackgroundPlaysAndKeepsOnlyItsSound) {
  const Config cfg = OneStage("Common\\", "Level1\\");
  dir.Write("Common/snd_stage.wav", Square_Wave(100));
  std::string ini;
  const std::string wave = Wide_Wave(2);
  for (int m = 1; m <= 8; ++m) {
    ini += "[Sound" + std::to_string(m) + "]\nFilename=w" + std::to_string(m) + ".wav\n";
    dir.Write("Level1/w" + std::to_string(m) + ".wav", wave);
  }
  dir.Write("Level1/Config.ini", ini);
  MemStore store;
  Sound snd;
  Attach(snd, store, cfg);
  std::mutex m;
  std::condition_variable cv;
  bool ready = false;
  snd.bank_ready = [&] {
    const std::lock_guard<std::mutex> lock(m);
    ready = true;
    cv.notify_all();
  };
  ASSERT_TRUE(Snd_Init(snd, "Microsoft DirectSound"));
  const long before = Resident_Mb();
  Snd_Load_Bank(snd, 1);
  {
    std::unique_lock<std::mutex> lock(m);
    ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(60), [&] { return ready; })) << "no bank after 60 s";
  }
  ASSERT_TRUE(Snd_Take_Bank(snd));
  for (int i = 1; i <= 8; ++i) ASSERT_NE(snd.bank[i], nullptr) << i;
  // (The address sanitizer keeps freed memory resident in its quarantine: no bound there.)
  if (kPeakMemoryFactor == 1) {
    EXPECT_LT(Resident_Mb() - before, 40);
  }
  Snd_Play(snd, snd.bank[8]);
  EXPECT_EQ(Mix_Playing(-1), 1);
  Snd_Shutdown(snd);
}

}  // namespace
