// Stage banks decoded on the loading thread: the game's timers go on while a slow bank loads, its
// sounds stay silent until the whole bank is in place, a newer bank replaces an unfinished one,
// and nothing decoded is left over. Every wait on the other thread is bounded, so a fault fails
// the test instead of hanging it.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "game/game.h"
#include "sound/snd.h"
#include "test_support.h"

namespace {

constexpr auto kBound = std::chrono::seconds(10);

// Decodes only while its gate is open; adopted sounds get handles 1000 + n, where n counts the
// adopted files from 1.
class GatedSoundLib : public RecordingSoundLib {
 public:
  Decoded Decode(const std::string &file, int32_t) override {
    std::unique_lock<std::mutex> lock(m_);
    ++arrived;
    arrival_.notify_all();
    if (!gate_.wait_for(lock, kBound, [this] { return open_; })) stuck = true;
    ++decoded;
    return new std::string(file);
  }
  SampleHandle Adopt(Decoded d) override {
    auto *file = static_cast<std::string *>(d);
    if (!file) return nullptr;
    adopted.push_back(*file);
    delete file;
    return Handle(adopted.size());
  }
  void Discard(Decoded d) override {
    delete static_cast<std::string *>(d);
    ++discarded;
  }
  // Waits until n decodes have begun.
  bool Arrived(int n) {
    std::unique_lock<std::mutex> lock(m_);
    return arrival_.wait_for(lock, kBound, [&] { return arrived >= n; });
  }
  void Open() {
    {
      const std::lock_guard<std::mutex> lock(m_);
      open_ = true;
    }
    gate_.notify_all();
  }
  void Close() override {
    {
      const std::lock_guard<std::mutex> lock(m_);
      open_ = false;
    }
    RecordingSoundLib::Close();
  }
  static SampleHandle Handle(size_t n) { return reinterpret_cast<SampleHandle>(1000 + n); }

  std::atomic<bool> stuck = false;   // a decode waited out its bound
  std::atomic<int> decoded = 0, discarded = 0;
  std::vector<std::string> adopted;  // in adoption order

 private:
  std::mutex m_;
  std::condition_variable gate_, arrival_;
  bool open_ = false;
  int arrived = 0;
};

// Tells when the loading thread has a bank ready.
struct ReadySignal {
  std::mutex m;
  std::condition_variable cv;
  int count = 0;
  std::function<void()> Hook() {
    return [this] {
      const std::lock_guard<std::mutex> lock(m);
      ++count;
      cv.notify_all();
    };
  }
  bool Wait(int n) {
    std::unique_lock<std::mutex> lock(m);
    return cv.wait_for(lock, kBound, [&] { return count >= n; });
  }
};

// The files stage 2 names for its sounds 1 .. 8: five files, three of them shared.
constexpr int kStage2Files[9] = {0, 1, 2, 1, 3, 2, 4, 5, 1};

// Two stage folders: stage 1 names eight different sound files, stage 2 those of kStage2Files.
void WriteStages(const TempDir &dir, Config &cfg) {
  cfg.stage_count = 2;
  for (int n = 1; n <= 2; ++n) {
    std::string ini;
    for (int m = 1; m <= 8; ++m)
      ini += "[Sound" + std::to_string(m) + "]\nFilename=s" + std::to_string(n == 1 ? m : kStage2Files[m]) + ".wav\n";
    dir.Write("Level" + std::to_string(n) + "/Config.ini", ini);
    cfg.stage_table[n].path = dir.path + "Level" + std::to_string(n) + "/";
  }
}

// Bank handles among the sounds played since the last call (jingles and stops left out).
std::vector<std::string> BankPlays(RecordingSoundLib &lib) {
  std::vector<std::string> out;
  for (const std::string &c : lib.calls)
    if (c.starts_with("play ") && c != "play 201") out.push_back(c);
  lib.calls.clear();
  return out;
}

TEST(SoundBankInBackground, TheGameRunsOnTimeWhileASlowBankLoadsAndItsSoundsWaitForTheWholeBank) {
  TestGame t;
  TempDir dir;
  WriteStages(dir, t.cfg);
  GatedSoundLib lib;
  ReadySignal ready;
  t.snd.lib = &lib;
  t.snd.sound_on = true;
  t.snd.bank_ready = ready.Hook();
  t.snd.game_start_sound = Sample{reinterpret_cast<SampleHandle>(201), 1000};
  // The bank of a game played before: it must never sound in the new one.
  for (int m = 1; m <= 8; ++m) t.snd.bank[m] = reinterpret_cast<SampleHandle>(777);

  t.g.game_mode = kModeClock;
  Inp_game_a_down(t.g);
  Inp_game_a_up(t.g);  // the intro is up and the bank of stage 1 is asked for; its decoding waits
  // The game-start sequence keeps its times: jingle at 1001 ms, play from 4001 ms on.
  t.clock.Advance(1001);
  EXPECT_NE(std::find(lib.calls.begin(), lib.calls.end(), "play 201"), lib.calls.end());
  t.clock.Advance(2999);
  EXPECT_FALSE(t.g.in_play);
  t.clock.Advance(1);
  EXPECT_TRUE(t.g.in_play);
  EXPECT_TRUE(t.g.Timer_Game->Enabled());
  // Ten seconds of play with the bank still loading: its sounds are silent, the old ones too.
  t.clock.Advance(10000);
  EXPECT_EQ(BankPlays(lib), std::vector<std::string>{});
  EXPECT_FALSE(Snd_Take_Bank(t.snd));

  lib.Open();
  ASSERT_TRUE(ready.Wait(1)) << "the bank was not decoded";
  EXPECT_FALSE(lib.stuck);
  ASSERT_TRUE(Snd_Take_Bank(t.snd));
  EXPECT_EQ(lib.adopted.size(), 8u);
  // From now on the hazard ticks sound with the new bank's sound 1.
  t.clock.Advance(5000);
  const std::vector<std::string> plays = BankPlays(lib);
  ASSERT_FALSE(plays.empty());
  for (const std::string &p : plays) {
    const size_t n = std::stoul(p.substr(5)) - 1000;
    ASSERT_GE(n, 1u);
    ASSERT_LE(n, lib.adopted.size()) << p;
    EXPECT_NE(lib.adopted[n - 1].find("Level1/s"), std::string::npos) << lib.adopted[n - 1];
  }
  EXPECT_NE(std::find(plays.begin(), plays.end(), "play " + std::to_string(1000 + 1)), plays.end());
  Snd_Shutdown(t.snd);
  EXPECT_EQ(lib.decoded, 8);
  EXPECT_EQ(lib.discarded, 0);
}

TEST(SoundBankInBackground, ANewerBankReplacesAnUnfinishedOneAndNothingDecodedIsLeft) {
  TempDir dir;
  Config cfg;
  WriteStages(dir, cfg);
  GatedSoundLib lib;
  ReadySignal ready;
  Sound s;
  s.lib = &lib;
  s.cfg = &cfg;
  s.bank_ready = ready.Hook();

  Snd_Load_Bank(s, 1);
  ASSERT_TRUE(lib.Arrived(1));  // its first file is being decoded
  Snd_Load_Bank(s, 2);  // asked for before stage 1 is done
  lib.Open();
  ASSERT_TRUE(ready.Wait(1));
  ASSERT_TRUE(Snd_Take_Bank(s));
  // Each of stage 2's five files was decoded once, and every sound plays its own file.
  ASSERT_EQ(lib.adopted.size(), 5u);
  for (int f = 1; f <= 5; ++f) EXPECT_EQ(lib.adopted[f - 1], dir.path + "Level2/s" + std::to_string(f) + ".wav");
  for (int m = 1; m <= 8; ++m) EXPECT_EQ(s.bank[m], GatedSoundLib::Handle(kStage2Files[m])) << m;
  // What stage 1 had decoded before it was replaced was dropped, not kept.
  EXPECT_EQ(lib.decoded, 5 + lib.discarded);
  EXPECT_GE(lib.discarded, 1);

  // Asking again frees the bank in place at once (each shared sample once), before anything new
  // is decoded.
  lib.calls.clear();
  Snd_Load_Bank(s, 1);
  std::vector<std::string> freed(lib.calls.begin(), lib.calls.end());
  EXPECT_EQ(freed.size(), 5u);
  for (int m = 1; m <= 8; ++m) EXPECT_EQ(s.bank[m], nullptr);
  // The end of the program while a bank loads: the thread ends and its work is dropped.
  Snd_Shutdown(s);
  EXPECT_EQ(lib.decoded, static_cast<int>(lib.adopted.size()) + lib.discarded);
  EXPECT_FALSE(lib.stuck);
}

// Running out of memory while one file decodes on the loading thread refuses that file: its
// sound stays silent, the bank's other sounds play, and the program goes on.
TEST(SoundBankInBackground, AFailureWhileDecodingRefusesOnlyThatFile) {
  struct FailingLib : GatedSoundLib {
    Decoded Decode(const std::string &file, int32_t max_ms) override {
      if (file.ends_with("s3.wav")) throw std::bad_alloc();
      return GatedSoundLib::Decode(file, max_ms);
    }
  };
  const ChildCost c = Run_In_Child(
      [] {
        TempDir dir;
        Config cfg;
        WriteStages(dir, cfg);
        FailingLib lib;
        ReadySignal ready;
        Sound s;
        s.lib = &lib;
        s.cfg = &cfg;
        s.sound_on = true;
        s.bank_ready = ready.Hook();
        lib.Open();
        Snd_Load_Bank(s, 1);
        if (!ready.Wait(1) || !Snd_Take_Bank(s)) return 2;
        bool ok = s.bank[3] == nullptr && lib.adopted.size() == 7;
        for (int m = 1; m <= 8; ++m)
          if (m != 3) ok = ok && s.bank[m] == GatedSoundLib::Handle(m < 3 ? m : m - 1);
        Snd_Play(s, s.bank[4]);
        ok = ok && lib.calls.back() == "play " + std::to_string(1000 + 3);
        Snd_Shutdown(s);
        return ok ? 0 : 1;
      },
      20, 0);
  EXPECT_TRUE(c.exited) << "ended by signal " << c.status;
  EXPECT_EQ(c.status, 0);
}

}  // namespace
