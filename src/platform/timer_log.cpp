#include "platform/timer_log.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class LatenessFile {
 public:
  static LatenessFile *Get() {
    static LatenessFile log;
    return log.path_ ? &log : nullptr;
  }
  void Add(int64_t late_us) { late_us_.push_back(late_us); }

 private:
  LatenessFile() : path_(std::getenv("KT_TIMER_LOG")) {
    if (path_ && !*path_) path_ = nullptr;
    if (path_) late_us_.reserve(1 << 16);
  }
  ~LatenessFile() {
    if (!path_) return;
    if (FILE *f = std::fopen(path_, "w")) {
      for (int64_t v : late_us_) std::fprintf(f, "%lld\n", static_cast<long long>(v));
      std::fclose(f);
    }
  }
  const char *path_;
  std::vector<int64_t> late_us_;
};

}  // namespace

std::unique_ptr<Timer_Lateness> Timer_Lateness::For(const std::string &timer_name) {
  if (timer_name != "Timer_Game" || !LatenessFile::Get()) return nullptr;
  return std::make_unique<Timer_Lateness>();
}

void Timer_Lateness::Armed(int32_t ms) { expected_ = Clock::now() + std::chrono::milliseconds(ms); }

void Timer_Lateness::Delivered(int32_t ms) {
  const Clock::time_point now = Clock::now();
  LatenessFile::Get()->Add(std::chrono::duration_cast<std::chrono::microseconds>(now - expected_).count());
  const auto period = std::chrono::milliseconds(ms);
  expected_ += period;
  if (expected_ < now) expected_ = now + period;
}
