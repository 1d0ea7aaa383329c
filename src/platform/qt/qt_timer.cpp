#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/qt/qt_platform.h"
#include "platform/timer_log.h"

namespace {

class QtTimer : public Timer {
 public:
  QtTimer(const std::string &name, Handler h) : Timer(name, std::move(h)) {
    log_ = Timer_Lateness::For(Name());
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
    if (log_) log_->Armed(ms);
  }
  void Disarm() override { qt_.stop(); }

 private:
  void Deliver() {
    // Handlers never overlap: a timer that comes due while another handler runs (only possible
    // inside a nested event loop) is skipped; its next period delivers it.
    static bool running = false;
    if (running) return;
    if (log_) log_->Delivered(qt_.interval());
    running = true;
    Fire();
    running = false;
  }
  QTimer qt_;
  std::unique_ptr<Timer_Lateness> log_;
};

}  // namespace

std::unique_ptr<Timer> QtTimerDriver::Create(const std::string &name, Timer::Handler handler) {
  return std::make_unique<QtTimer>(name, std::move(handler));
}
