#include "platform/timer_log.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = Timer_Lateness::Clock;

struct Delivery {
  int64_t late_us, painting_us, paints;
};

class LatenessFile {
 public:
  static LatenessFile *Get() {
    static LatenessFile log;
    return log.path_ ? &log : nullptr;
  }
  void Add(const Delivery &d) { deliveries_.push_back(d); }
  // The recent paints: enough to cover any lateness worth recording.
  struct Paint {
    Clock::time_point start, end;
  };
  std::array<Paint, 64> paints{};
  size_t next_paint = 0;

 private:
  LatenessFile() : path_(std::getenv("KT_TIMER_LOG")) {
    if (path_ && !*path_) path_ = nullptr;
    if (path_) deliveries_.reserve(1 << 16);
  }
  ~LatenessFile() {
    if (!path_) return;
    if (FILE *f = std::fopen(path_, "w")) {
      for (const Delivery &d : deliveries_)
        std::fprintf(f, "%lld %lld %lld\n", static_cast<long long>(d.late_us),
                     static_cast<long long>(d.painting_us), static_cast<long long>(d.paints));
      std::fclose(f);
    }
  }
  const char *path_;
  std::vector<Delivery> deliveries_;
};

int64_t Us(Clock::duration d) { return std::chrono::duration_cast<std::chrono::microseconds>(d).count(); }

}  // namespace

std::unique_ptr<Timer_Lateness> Timer_Lateness::For(const std::string &timer_name) {
  if (timer_name != "Timer_Game" || !LatenessFile::Get()) return nullptr;
  return std::make_unique<Timer_Lateness>();
}

void Timer_Lateness::Armed(int32_t ms) { expected_ = Clock::now() + std::chrono::milliseconds(ms); }

void Timer_Lateness::Delivered(int32_t ms) {
  const Clock::time_point now = Clock::now();
  LatenessFile *log = LatenessFile::Get();
  Delivery d{Us(now - expected_), 0, 0};
  for (const LatenessFile::Paint &p : log->paints) {
    const Clock::time_point from = std::max(p.start, expected_), to = std::min(p.end, now);
    if (to <= from) continue;
    d.painting_us += Us(to - from);
    ++d.paints;
  }
  log->Add(d);
  const auto period = std::chrono::milliseconds(ms);
  expected_ += period;
  if (expected_ < now) expected_ = now + period;
}

void Timer_Lateness::Painted(Clock::time_point start, Clock::time_point end) {
  LatenessFile *log = LatenessFile::Get();
  if (!log) return;
  log->paints[log->next_paint++ % log->paints.size()] = {start, end};
}
