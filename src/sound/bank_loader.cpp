#include "sound/bank_loader.h"

#include <system_error>

#include <algorithm>

int Snd_First_Naming(const std::string (&files)[9], int m) {
  return static_cast<int>(std::find(files + 1, files + m, files[m]) - files);
}

bool BankLoader::Ask(const std::string (&names)[9], int32_t max_ms) {
  if (!thread_.joinable()) {
    try {
      thread_ = std::thread(&BankLoader::Run, this);
    } catch (const std::system_error &) {
      return false;
    }
  }
  std::vector<std::string> files;
  for (int m = 1; m <= 8; ++m) {
    first_[m] = Snd_First_Naming(names, m);
    if (first_[m] == m) files.push_back(names[m]);
  }
  pending_ = true;
  std::vector<SoundLib::Decoded> untaken;
  {
    const std::lock_guard<std::mutex> lock(m_);
    ++asked_;
    files_ = std::move(files);
    max_ms_ = max_ms;
    untaken.swap(decoded_);
  }
  wake_.notify_one();
  // A finished bank nobody took is let go before the new one is decoded.
  for (SoundLib::Decoded d : untaken) lib_->Discard(d);
  return true;
}

void BankLoader::Take(SampleHandle (&bank)[9]) {
  std::vector<SoundLib::Decoded> decoded;
  {
    const std::lock_guard<std::mutex> lock(m_);
    if (!pending_ || done_ != asked_) return;
    decoded.swap(decoded_);
  }
  pending_ = false;
  // One entry per file, in the order of the sounds that first name them.
  size_t next = 0;
  for (int m = 1; m <= 8; ++m)
    bank[m] = first_[m] < m ? bank[first_[m]] : next < decoded.size() ? lib_->Adopt(decoded[next++]) : nullptr;
}

void BankLoader::Stop() {
  {
    const std::lock_guard<std::mutex> lock(m_);
    stop_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();
  for (SoundLib::Decoded d : decoded_) lib_->Discard(d);
  decoded_.clear();
}

void BankLoader::Run() {
  std::unique_lock<std::mutex> lock(m_);
  uint64_t served = 0;
  for (;;) {
    wake_.wait(lock, [&] { return stop_ || asked_ != served; });
    if (stop_) break;
    const uint64_t request = served = asked_;
    const int32_t max_ms = max_ms_;
    // Nothing may escape this thread: running out of memory (or any other failure) while a file
    // is decoded refuses that file, whose sound stays silent, and the other files go on. A bank
    // whose list cannot even be held is handed over empty: all its sounds are silent.
    std::vector<std::string> files;
    std::vector<SoundLib::Decoded> out;
    try {
      files = files_;
      out.reserve(files.size());
    } catch (const std::exception &) {
      files.clear();
    }
    lock.unlock();
    // A newer request (or the end) makes the rest of this one pointless: it is checked between
    // files, so a switch waits for one file at most, and what was decoded is dropped.
    bool current = true;
    for (const std::string &file : files) {
      {
        const std::lock_guard<std::mutex> check(m_);
        current = !stop_ && asked_ == request;
      }
      if (!current) break;
      SoundLib::Decoded decoded = nullptr;
      try {
        decoded = lib_->Decode(file, max_ms);
      } catch (...) {
        decoded = nullptr;
      }
      out.push_back(decoded);  // reserved above
    }
    lock.lock();
    current = current && !stop_ && asked_ == request;
    if (current) {
      decoded_.swap(out);
      done_ = request;
    }
    lock.unlock();
    for (SoundLib::Decoded d : out) lib_->Discard(d);  // empty when handed over
    if (current && ready_) {
      try {
        ready_();
      } catch (...) {
        // Not told: the bank stays silent until the next one is asked for.
      }
    }
    lock.lock();
  }
  lock.unlock();
  lib_->LoadingThreadEnds();
}
