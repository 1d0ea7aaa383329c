#include <QTimer>

#include "platform/qt/qt_platform.h"

namespace {

class QtTimer : public Timer {
 public:
  QtTimer(const std::string &name, Handler h) : Timer(name, std::move(h)) {
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
  }
  void Disarm() override { qt_.stop(); }

 private:
  void Deliver() {
    // Handlers never overlap: a timer that comes due while another handler runs (only possible
    // inside a nested event loop) is skipped; its next period delivers it.
    static bool running = false;
    if (running) return;
    running = true;
    Fire();
    running = false;
  }
  QTimer qt_;
};

}  // namespace

std::unique_ptr<Timer> QtTimerDriver::Create(const std::string &name, Timer::Handler handler) {
  return std::make_unique<QtTimer>(name, std::move(handler));
}
