// The program's timers over Qt keep the timer model the game relies on. Real time is noisy on a
// shared machine, so every check compares against a margin of a few hundred milliseconds.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/qt_platform.h"

namespace {

// Runs the event loop for ms milliseconds, calling each action at its time on the way.
void RunFor(int ms, const std::vector<std::pair<int, std::function<void()>>> &actions) {
  QEventLoop loop;
  for (const auto &[at, action] : actions) QTimer::singleShot(at, &loop, action);
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace

TEST(QtTimers, KeepTheTimerModel) {
  QtTimerDriver driver;
  QElapsedTimer since;
  struct Probe {
    const char *what;
    std::function<void(Timer &)> at_600;
    bool restarted;  // the 1200 ms period starts again at 600 ms
    std::unique_ptr<Timer> timer;
    std::vector<int64_t> fired;
  };
  Probe probes[] = {
      {"equal interval", [](Timer &t) { t.SetInterval(1200); }, false, nullptr, {}},
      {"new interval", [](Timer &t) { t.SetInterval(1250); }, true, nullptr, {}},
      {"enabled again", [](Timer &t) { t.SetEnabled(true); }, false, nullptr, {}},
      {"off and on", [](Timer &t) { t.SetEnabled(false); t.SetEnabled(true); }, true, nullptr, {}},
  };
  std::vector<std::pair<int, std::function<void()>>> actions;
  for (Probe &p : probes) {
    p.timer = driver.Create(p.what, [&p, &since] { p.fired.push_back(since.elapsed()); });
    p.timer->SetInterval(1200);
    actions.emplace_back(600, [&p] { p.at_600(*p.timer); });
  }
  // A disabled timer given an interval stays quiet; an enabled one repeats; a disabled one stops.
  std::vector<int64_t> idle_fired, repeat_fired, stopped_fired;
  auto idle = driver.Create("idle", [&] { idle_fired.push_back(since.elapsed()); });
  auto repeat = driver.Create("repeat", [&] { repeat_fired.push_back(since.elapsed()); });
  auto stopped = driver.Create("stopped", [&] { stopped_fired.push_back(since.elapsed()); });
  repeat->SetInterval(250);
  stopped->SetInterval(250);
  actions.emplace_back(650, [&] { stopped->SetEnabled(false); });

  since.start();
  for (Probe &p : probes) p.timer->SetEnabled(true);
  idle->SetInterval(100);
  repeat->SetEnabled(true);
  stopped->SetEnabled(true);
  RunFor(2300, actions);

  for (const Probe &p : probes) {
    ASSERT_FALSE(p.fired.empty()) << p.what;
    // 1200 ms from the start, or 1800 ms and more after a restart at 600 ms.
    if (p.restarted) EXPECT_GE(p.fired[0], 1500) << p.what;
    else EXPECT_LT(p.fired[0], 1500) << p.what;
    EXPECT_GE(p.fired[0], 1150) << p.what;
  }
  EXPECT_TRUE(idle_fired.empty());
  EXPECT_GE(repeat_fired.size(), 4u);
  EXPECT_FALSE(idle->Enabled());
  ASSERT_FALSE(stopped_fired.empty());
  EXPECT_LT(stopped_fired.back(), 900);  // nothing after it was disabled
}
