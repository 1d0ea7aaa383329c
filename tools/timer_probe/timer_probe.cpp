// Measuring tool: runs one periodic timer of the program's Qt timer driver for a while and prints
// how late each call came, against the timer's schedule (start + k * interval) and against the
// previous call (interval + lateness).
// Usage: timer_probe [seconds=60] [interval_ms=100]
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/qt/qt_platform.h"

namespace {

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t i = std::min(v.size() - 1, static_cast<size_t>(p / 100.0 * static_cast<double>(v.size())));
  return v[i];
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
  const int interval = argc > 2 ? std::atoi(argv[2]) : 100;
  using Clock = std::chrono::steady_clock;
  std::vector<Clock::time_point> fired;
  fired.reserve(static_cast<size_t>(seconds) * 1000 / interval + 16);

  QtTimerDriver driver;
  auto timer = driver.Create("probe", [&] { fired.push_back(Clock::now()); });
  timer->SetInterval(interval);
  const Clock::time_point start = Clock::now();
  timer->SetEnabled(true);
  QTimer::singleShot(seconds * 1000 + interval / 2, Qt::PreciseTimer, &app, &QCoreApplication::quit);
  app.exec();

  std::vector<double> vs_schedule, vs_previous;
  for (size_t k = 0; k < fired.size(); ++k) {
    const auto due = start + std::chrono::milliseconds(interval * static_cast<int64_t>(k + 1));
    vs_schedule.push_back(std::chrono::duration<double, std::milli>(fired[k] - due).count());
    const auto prev = k == 0 ? start : fired[k - 1];
    vs_previous.push_back(std::chrono::duration<double, std::milli>(fired[k] - prev).count() - interval);
  }
  std::printf("calls %zu (expected %d)\n", fired.size(), seconds * 1000 / interval);
  std::printf("ran %.1f ms\n", std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  std::printf("late vs schedule (ms): min %.3f  p50 %.3f  p99 %.3f  max %.3f\n", Percentile(vs_schedule, 0), Percentile(vs_schedule, 50),
              Percentile(vs_schedule, 99), Percentile(vs_schedule, 100));
  std::printf("late vs previous call (ms): p50 %.3f  p99 %.3f  max %.3f\n", Percentile(vs_previous, 50),
              Percentile(vs_previous, 99), Percentile(vs_previous, 100));
  return 0;
}
