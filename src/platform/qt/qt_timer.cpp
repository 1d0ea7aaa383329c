#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/qt/qt_platform.h"

namespace {

using Clock = std::chrono::steady_clock;

// Measuring aid: with KT_TIMER_LOG=<file> in the environment, each delivery of the hazard timer
// "Timer_Game" has its lateness against its expected time (the time it was armed, or its previous
// expected time, plus the interval) kept in memory; the list is written to the file, one figure
// in microseconds a line, when the program ends. Without the variable nothing is recorded.
class LatenessLog {
 public:
  static LatenessLog *Get() {
    static LatenessLog log;
    return log.path_ ? &log : nullptr;
  }
  void Add(int64_t late_us) { late_us_.push_back(late_us); }

 private:
  LatenessLog() : path_(std::getenv("KT_TIMER_LOG")) {
    if (path_ && !*path_) path_ = nullptr;
    if (path_) late_us_.reserve(1 << 16);
  }
  ~LatenessLog() {
    if (!path_) return;
    if (FILE *f = std::fopen(path_, "w")) {
      for (int64_t v : late_us_) std::fprintf(f, "%lld\n", static_cast<long long>(v));
      std::fclose(f);
    }
  }
  const char *path_;
  std::vector<int64_t> late_us_;
};

class QtTimer : public Timer {
 public:
  QtTimer(const std::string &name, Handler h) : Timer(name, std::move(h)) {
    if (Name() == "Timer_Game") log_ = LatenessLog::Get();
    qt_.setTimerType(Qt::PreciseTimer);
    qt_.setSingleShot(false);
    QObject::connect(&qt_, &QTimer::timeout, [this] { Deliver(); });
  }

 protected:
  void Arm(int32_t ms) override {
    if (ms < 1) {
      qt_.stop();
      return;
    }
    qt_.start(ms);  // restarts the period when already running
    if (log_) expected_ = Clock::now() + std::chrono::milliseconds(ms);
  }
  void Disarm() override { qt_.stop(); }

 private:
  void Deliver() {
    // Handlers never overlap: a timer that comes due while another handler runs (only possible
    // inside a nested event loop) is skipped; its next period delivers it.
    static bool running = false;
    if (running) return;
    if (log_) Note();
    running = true;
    Fire();
    running = false;
  }
  // Records this delivery's lateness; the next one is due a period after this one was (a handler
  // that changes the interval re-arms, which sets a fresh expected time).
  void Note() {
    const Clock::time_point now = Clock::now();
    log_->Add(std::chrono::duration_cast<std::chrono::microseconds>(now - expected_).count());
    const auto period = std::chrono::milliseconds(qt_.interval());
    expected_ += period;
    if (expected_ < now) expected_ = now + period;  // a missed period: the timer runs on from now
  }
  QTimer qt_;
  LatenessLog *log_ = nullptr;
  Clock::time_point expected_{};
};

}  // namespace

std::unique_ptr<Timer> QtTimerDriver::Create(const std::string &name, Timer::Handler handler) {
  return std::make_unique<QtTimer>(name, std::move(handler));
}
