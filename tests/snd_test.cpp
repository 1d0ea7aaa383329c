// The sound layer against a recording sound library: the order of library calls for each
// driver, the stored driver choice, the jingles and the stage banks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

using Calls = std::vector<std::string>;

// A program folder in a temporary directory with two stage folders; all folders are absolute so
// nothing depends on the working directory.
struct SndTest : ::testing::Test {
  TempDir dir;
  Config cfg;
  MemStore store;
  RecordingSoundLib lib;
  Sound s;

  void SetUp() override {
    cfg.program_folder = dir.path;
    cfg.resources_path = dir.path + "Res\\";
    cfg.stage_count = 2;
    for (int n = 1; n <= 2; ++n) cfg.stage_table[n].path = dir.path + "Level" + std::to_string(n) + "\\";
    s.lib = &lib;
    s.store = &store;
    s.cfg = &cfg;
  }
  std::string Res(const std::string &file) const { return dir.path + "Res/" + file; }
  std::string Level(int n, const std::string &file) const {
    return dir.path + "Level" + std::to_string(n) + "/" + file;
  }
  static Calls Loads(const std::vector<std::string> &files) {
    Calls out;
    for (const std::string &f : files) out.push_back("load " + f);
    return out;
  }
};

TEST_F(SndTest, EachDriverTextStartsTheLibraryInOrderAndStoresItsListPosition) {
  struct Case {
    const char *text;
    const char *mode;
    Calls calls;
  };
  const Case cases[] = {
      {"Microsoft DirectSound", "0",
       {"init 22050 64", "output 2", "load " + Res("snd_stage.wav"), "load " + Res("snd_start.wav")}},
      {"Windows MultiMedia", "1",
       {"init 22050 64", "output 1", "load " + Res("snd_stage.wav"), "load " + Res("snd_start.wav")}},
      {"(no sound)", "2", {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    RecordingSoundLib fresh;
    MemStore st;
    Sound snd;
    snd.lib = &fresh;
    snd.store = &st;
    snd.cfg = &cfg;
    EXPECT_TRUE(Snd_Init(snd, c.text));
    EXPECT_EQ(fresh.calls, c.calls);
    EXPECT_EQ(st.values["SoundMode"], c.mode);
    const bool on = std::string(c.mode) != "2";
    EXPECT_EQ(snd.sound_on, on);
    // With sound off nothing is loaded and the jingle waits get no extra length.
    EXPECT_EQ(snd.stage_new_sound.length_ms, on ? 1000 : 0);
    EXPECT_EQ(snd.game_start_sound.length_ms, on ? 1000 : 0);
  }
  EXPECT_EQ(std::string(kSoundDrivers[0]), "Microsoft DirectSound");
  EXPECT_EQ(std::string(kSoundDrivers[1]), "Windows MultiMedia");
  EXPECT_EQ(std::string(kSoundDrivers[2]), "(no sound)");
}

TEST_F(SndTest, TextsAreComparedExactly) {
  EXPECT_TRUE(Snd_Init(s, "microsoft directsound"));
  EXPECT_FALSE(s.sound_on);
  EXPECT_TRUE(lib.calls.empty());
  EXPECT_TRUE(store.values.empty());
}

TEST_F(SndTest, JingleKeysCarryTheResourcesFolderAndNamesAreUsedAsRead) {
  dir.Write("Config.ini",
            "[Sound]\n" + cfg.resources_path + "StageFileName=" + dir.path + "Jingles\\Stage.wav\n" +
                "StartFileName=" + dir.path + "bare-key-is-not-read.wav\n"
                "StageDuration=2500\nStartDuration=abc\n");
  // On disk with other letter case, as a skin made on a case-insensitive file system.
  dir.Write("jingles/stage.WAV", "x");
  ASSERT_TRUE(Snd_Init(s, "Microsoft DirectSound"));
  EXPECT_EQ(lib.calls, (Calls{"init 22050 64", "output 2", "load " + dir.path + "jingles/stage.WAV",
                              "load " + Res("snd_start.wav")}));
  EXPECT_EQ(s.stage_new_sound.length_ms, 2500);
  EXPECT_EQ(s.game_start_sound.length_ms, 1000);  // not a number: the default
  EXPECT_NE(s.stage_new_sound.handle, nullptr);
}

TEST_F(SndTest, OnlyAMissingStageJingleIsAFailure) {
  lib.missing = {Res("snd_start.wav")};
  EXPECT_TRUE(Snd_Init(s, "Windows MultiMedia"));
  EXPECT_EQ(s.game_start_sound.handle, nullptr);

  RecordingSoundLib lib2;
  lib2.missing = {Res("snd_stage.wav")};
  Sound s2;
  s2.lib = &lib2;
  s2.store = &store;
  s2.cfg = &cfg;
  EXPECT_FALSE(Snd_Init(s2, "Microsoft DirectSound"));
  EXPECT_EQ(store.values["SoundMode"], "0");  // written before the failure; the caller replaces it

  // Without sound the jingle is never looked for.
  Sound s3;
  s3.lib = &lib2;
  s3.store = &store;
  s3.cfg = &cfg;
  lib2.calls.clear();
  EXPECT_TRUE(Snd_Init(s3, "(no sound)"));
  EXPECT_TRUE(lib2.calls.empty());
}

TEST_F(SndTest, JingleLengthsStayUsableAsTimerWaits) {
  dir.Write("Config.ini", "[Sound]\nStageDuration=-5000\nStartDuration=2147483647\n");
  Snd_Init(s, "Microsoft DirectSound");
  EXPECT_EQ(s.stage_new_sound.length_ms, 0);
  EXPECT_EQ(s.game_start_sound.length_ms, 3600000);
}

TEST_F(SndTest, WithoutSoundPlayAndSilenceNeverReachTheLibraryButLoadsAndReleasesDo) {
  Snd_Init(s, "(no sound)");
  Snd_Load_Bank(s, 1);
  EXPECT_EQ(lib.calls.size(), 1u);  // all eight sounds are beep.wav, loaded once
  Snd_Play(s, s.bank[1]);
  Snd_Silence(s);
  EXPECT_EQ(lib.calls.size(), 1u);
  Snd_Shutdown(s);
  EXPECT_EQ(lib.calls, (Calls{"load " + Level(1, "beep.wav"), "free 0", "free 0", "free 1", "close"}));
}

TEST_F(SndTest, PlayAndSilenceReachTheLibraryWithSoundOn) {
  Snd_Init(s, "Microsoft DirectSound");
  Snd_Load_Bank(s, 1);
  lib.calls.clear();
  Snd_Play(s, s.bank[8]);
  Snd_Play(s, s.bank[8]);  // twice in a row: both start, on channels of their own
  Snd_Play(s, s.stage_new_sound.handle);
  Snd_Play(s, nullptr);
  Snd_Silence(s);
  EXPECT_EQ(lib.calls, (Calls{"play 3", "play 3", "play 1", "stop"}));
}

TEST_F(SndTest, BankReadsFileNamesOfTheStageAndDefaultsToBeep) {
  dir.Write("Level1/config.ini", "[Sound3]\nFilename=Jump.WAV\n[sound8]\nfilename=step.wav\n");
  dir.Write("Level1/jump.wav", "x");
  dir.Write("Level2/Config.ini", "[Common]\nBgColor=$00000000\n");
  Snd_Load_Bank(s, 1);
  // Each file once, in the order the sounds first name it; the sounds share its sample.
  EXPECT_EQ(lib.calls, Loads({Level(1, "beep.wav"), Level(1, "jump.wav"), Level(1, "step.wav")}));
  for (int m : {2, 4, 5, 6, 7}) EXPECT_EQ(s.bank[m], s.bank[1]) << m;
  EXPECT_NE(s.bank[3], s.bank[1]);
  lib.calls.clear();
  // The old bank is released before the new one is decoded.
  Snd_Load_Bank(s, 2);
  EXPECT_EQ(lib.calls, (Calls{"free 1", "free 2", "free 3", "load " + Level(2, "beep.wav")}));
}

TEST_F(SndTest, StagesRepeatInACycleAndAReplacedBankIsReleased) {
  Snd_Load_Bank(s, 1);
  lib.missing = {Level(1, "beep.wav")};
  Snd_Load_Bank(s, 3);  // two stages: stage 3 is stage 1 again; this time its sounds fail to load
  EXPECT_EQ(Calls(lib.calls.begin() + 1, lib.calls.end()), (Calls{"free 1", "load " + Level(1, "beep.wav")}));
  for (int m = 1; m <= 8; ++m) EXPECT_EQ(s.bank[m], nullptr) << m;
  lib.calls.clear();
  Snd_Load_Bank(s, 4);  // nothing was loaded last time, so nothing to release
  EXPECT_EQ(lib.calls, Loads({Level(2, "beep.wav")}));
}

TEST_F(SndTest, ShutdownFreesJinglesThenTheBankInOrderThenCloses) {
  dir.Write("Level1/Config.ini", "[Sound2]\nFilename=two.wav\n");
  lib.missing = {Res("snd_start.wav"), Level(1, "two.wav")};
  Snd_Init(s, "Microsoft DirectSound");  // stage jingle 1, start jingle null
  Snd_Load_Bank(s, 1);                   // handle 2, sound 2 null
  lib.calls.clear();
  Snd_Shutdown(s);
  // Sounds 3 .. 8 share the sample of sound 1 (beep.wav), freed once.
  EXPECT_EQ(lib.calls, (Calls{"free 1", "free 0", "free 2", "free 0", "close"}));
  // Later calls reach nothing.
  lib.calls.clear();
  Snd_Play(s, reinterpret_cast<SampleHandle>(3));
  Snd_Silence(s);
  EXPECT_TRUE(lib.calls.empty());
}

}  // namespace
