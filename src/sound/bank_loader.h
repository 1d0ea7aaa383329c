// The sound layer's loading thread: decodes the files of the newest bank asked for while the game
// goes on and keeps the result until the game's thread takes it. Private to the sound layer.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/soundlib.h"

// The first of sounds 1 .. m that names the same file as sound m (m itself when none before it
// does): a file named by several sounds is decoded once, for the first.
int Snd_First_Naming(const std::string (&files)[9], int m);

struct BankLoader {
  BankLoader(SoundLib *lib, std::function<void()> ready) : lib_(lib), ready_(std::move(ready)) {}
  ~BankLoader() { Stop(); }

  // Game's thread: replaces any unfinished or untaken bank with the files of sounds 1 .. 8 (a file
  // named by several sounds is decoded once, each at most max_ms long); false when the thread
  // cannot be started (nothing is then asked for).
  bool Ask(const std::string (&files)[9], int32_t max_ms);
  // Game's thread: when the newest bank is decoded, makes its sounds samples in bank[1 .. 8].
  void Take(SampleHandle (&bank)[9]);
  // True from Ask until its bank has been taken.
  bool Pending() const { return pending_; }
  // Ends the thread, dropping whatever it has not handed over.
  void Stop();

 private:
  void Run();
  SoundLib *lib_;
  std::function<void()> ready_;
  std::mutex m_;
  std::condition_variable wake_;
  std::thread thread_;
  bool stop_ = false;
  uint64_t asked_ = 0;                    // the newest request
  std::vector<std::string> files_;        // its files
  int32_t max_ms_ = 0;
  uint64_t done_ = 0;                     // the request whose sounds are in decoded_
  std::vector<SoundLib::Decoded> decoded_;
  // The game's thread only: the sound that first names each sound's file, and whether the newest
  // bank is still to be taken.
  int first_[9] = {};
  bool pending_ = false;
};
