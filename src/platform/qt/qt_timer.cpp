// The driver keeps every armed timer's due time and one wake-up for the earliest of them: a
// timerfd watched by the GUI thread's event loop, which wakes the thread at that time to the
// microsecond (Qt's own timers wait in whole milliseconds, rounded up, and were a millisecond late
// on average). Where no timerfd can be made, a precise QTimer wakes it instead. At each wake-up the
// timers due by then are moved on to their next periods and delivered in the order of their due
// times (equal ones in the order they were armed). Re-arming or stopping a timer before its
// delivery cancels it.
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <vector>

#ifdef __linux__
#include <sys/timerfd.h>
#include <unistd.h>
#endif

#include "platform/qt/qt_platform.h"
#include "platform/timer_log.h"

namespace {

using Clock = std::chrono::steady_clock;
class QtTimer;

}  // namespace

class QtTimerDriver::Impl {
 public:
  Impl() {
#ifdef __linux__
    // steady_clock is CLOCK_MONOTONIC here.
    fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0) {
      notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
      QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        uint64_t expirations;
        if (read(fd_, &expirations, sizeof expirations) < 0) {
        }
        DeliverDue();
      });
      return;
    }
#endif
    fallback_.setTimerType(Qt::PreciseTimer);
    fallback_.setSingleShot(true);
    QObject::connect(&fallback_, &QTimer::timeout, [this] { DeliverDue(); });
  }
  ~Impl() {
    notifier_.reset();
#ifdef __linux__
    if (fd_ >= 0) close(fd_);
#endif
  }

  size_t Add(QtTimer *t) {
    for (size_t i = 0; i < slots_.size(); ++i)
      if (!slots_[i].timer) {
        slots_[i] = Slot{t, false, 0, slots_[i].generation + 1, 0, {}};
        return i;
      }
    slots_.push_back(Slot{t});
    return slots_.size() - 1;
  }
  void Remove(size_t i) {
    slots_[i].timer = nullptr;
    Disarm(i);
  }
  void Arm(size_t i, int32_t ms) {
    Slot &s = slots_[i];
    s.armed = true;
    s.period_ms = ms;
    s.due = Clock::now() + std::chrono::milliseconds(ms);
    s.seq = seq_++;
    ++s.generation;
    Schedule();
  }
  void Disarm(size_t i) {
    slots_[i].armed = false;
    ++slots_[i].generation;
  }
  // Nothing fires any more.
  void Stop() {
    stopped_ = true;
    for (Slot &s : slots_) s.armed = false;
    Schedule();
  }

 private:
  struct Slot {
    QtTimer *timer = nullptr;  // null: free
    bool armed = false;
    int32_t period_ms = 0;
    uint32_t generation = 0;
    uint64_t seq = 0;  // arming order, for equal due times
    Clock::time_point due{};
  };
  struct Due {
    size_t slot;
    uint32_t generation;
    Clock::time_point due;
    uint64_t seq;
  };

  // Sets the wake-up to the earliest due time (none when no timer is armed).
  void Schedule() {
    Clock::time_point next = Clock::time_point::max();
    for (const Slot &s : slots_)
      if (s.timer && s.armed) next = std::min(next, s.due);
    if (next == woken_for_) return;
    woken_for_ = next;
#ifdef __linux__
    if (fd_ >= 0) {
      itimerspec at{};  // all zero: disarmed
      if (next != Clock::time_point::max()) {
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(next.time_since_epoch()).count();
        at.it_value.tv_sec = std::max<int64_t>(0, ns / 1000000000);
        at.it_value.tv_nsec = std::max<int64_t>(1, ns % 1000000000);
      }
      timerfd_settime(fd_, TFD_TIMER_ABSTIME, &at, nullptr);
      return;
    }
#endif
    if (next == Clock::time_point::max()) {
      fallback_.stop();
      return;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now()).count();
    fallback_.start(static_cast<int>(std::max<int64_t>(0, wait)));
  }

  void DeliverDue();

  std::vector<Slot> slots_;
  uint64_t seq_ = 0;
  bool stopped_ = false;
  bool delivering_ = false;  // a handler runs
  Clock::time_point woken_for_ = Clock::time_point::max();
  int fd_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
  QTimer fallback_;
};

namespace {

class QtTimer : public Timer {
 public:
  QtTimer(std::shared_ptr<QtTimerDriver::Impl> impl, const std::string &name, Handler h)
      : Timer(name, std::move(h)), impl_(std::move(impl)), log_(Timer_Lateness::For(Name())) {
    slot_ = impl_->Add(this);
  }
  ~QtTimer() override { impl_->Remove(slot_); }
  void Deliver() {
    if (log_) log_->Delivered(Interval());
    Fire();
  }

 protected:
  void Arm(int32_t ms) override {
    if (ms < 1) {
      impl_->Disarm(slot_);
      return;
    }
    impl_->Arm(slot_, ms);
    if (log_) log_->Armed(ms);
  }
  void Disarm() override { impl_->Disarm(slot_); }

 private:
  std::shared_ptr<QtTimerDriver::Impl> impl_;
  size_t slot_ = 0;
  std::unique_ptr<Timer_Lateness> log_;
};

}  // namespace

void QtTimerDriver::Impl::DeliverDue() {
  woken_for_ = Clock::time_point::max();
  if (stopped_) return;
  std::vector<Due> due;
  const Clock::time_point now = Clock::now();
  for (size_t i = 0; i < slots_.size(); ++i) {
    const Slot &s = slots_[i];
    if (s.timer && s.armed && s.due <= now) due.push_back({i, s.generation, s.due, s.seq});
  }
  std::sort(due.begin(), due.end(),
            [](const Due &a, const Due &b) { return a.due != b.due ? a.due < b.due : a.seq < b.seq; });
  // Each goes on to its next period (one missed altogether runs on from now), after the others
  // due at the same time.
  for (const Due &d : due) {
    Slot &s = slots_[d.slot];
    s.due += std::chrono::milliseconds(s.period_ms);
    if (s.due <= now) s.due = now + std::chrono::milliseconds(s.period_ms);
    s.seq = seq_++;
  }
  // Handlers never overlap: periods that come due while a handler runs (only possible inside a
  // nested event loop, a message box's) are skipped; their next periods deliver them.
  if (!delivering_) {
    delivering_ = true;
    for (const Due &d : due) {
      const Slot &s = slots_[d.slot];
      if (s.generation == d.generation && s.armed && !stopped_) s.timer->Deliver();
    }
    delivering_ = false;
  }
  Schedule();
}

QtTimerDriver::QtTimerDriver() : impl_(std::make_shared<Impl>()) {}

QtTimerDriver::~QtTimerDriver() { impl_->Stop(); }

std::unique_ptr<Timer> QtTimerDriver::Create(const std::string &name, Timer::Handler handler) {
  return std::make_unique<QtTimer>(impl_, name, std::move(handler));
}
