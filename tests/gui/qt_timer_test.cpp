// The program's timers over Qt keep the timer model the game relies on. Real time is noisy on a
// shared machine, so every check compares against a margin of a few hundred milliseconds.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/qt/qt_platform.h"
#include "../timer_scenarios.h"

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
    bool restarted;  // the 1200 ms period starts again when the action runs
    std::unique_ptr<Timer> timer;
    std::vector<int64_t> fired;
    int64_t acted_at = 0;
  };
  Probe probes[] = {
      {"equal interval", [](Timer &t) { t.SetInterval(1200); }, false, nullptr, {}},
      {"new interval", [](Timer &t) { t.SetInterval(1250); }, true, nullptr, {}},
      {"enabled again", [](Timer &t) { t.SetEnabled(true); }, false, nullptr, {}},
      {"off and on",
       [](Timer &t) {
         t.SetEnabled(false);
         t.SetEnabled(true);
       },
       true, nullptr, {}},
  };
  std::vector<std::pair<int, std::function<void()>>> actions;
  for (Probe &p : probes) {
    p.timer = driver.Create(p.what, [&p, &since] { p.fired.push_back(since.elapsed()); });
    p.timer->SetInterval(1200);
    actions.emplace_back(600, [&p, &since] {
      p.acted_at = since.elapsed();
      p.at_600(*p.timer);
    });
  }
  // A disabled timer given an interval stays quiet; an enabled one repeats; a disabled one stops.
  std::vector<int64_t> idle_fired, repeat_fired, stopped_fired;
  auto idle = driver.Create("idle", [&] { idle_fired.push_back(since.elapsed()); });
  auto repeat = driver.Create("repeat", [&] { repeat_fired.push_back(since.elapsed()); });
  auto stopped = driver.Create("stopped", [&] { stopped_fired.push_back(since.elapsed()); });
  repeat->SetInterval(250);
  stopped->SetInterval(250);
  int64_t stopped_at = 0;
  actions.emplace_back(650, [&] {
    stopped_at = since.elapsed();
    stopped->SetEnabled(false);
  });

  since.start();
  for (Probe &p : probes) p.timer->SetEnabled(true);
  idle->SetInterval(100);
  repeat->SetEnabled(true);
  stopped->SetEnabled(true);
  RunFor(3000, actions);

  for (const Probe &p : probes) {
    ASSERT_FALSE(p.fired.empty()) << p.what;
    // A late action that came after the first period ended cannot tell the two apart.
    if (p.acted_at >= 1100) continue;
    // 1200 ms from the start, or a whole period after the action.
    if (p.restarted) EXPECT_GE(p.fired[0], p.acted_at + 1150) << p.what;
    else EXPECT_LT(p.fired[0], p.acted_at + 1150) << p.what;
    EXPECT_GE(p.fired[0], 1150) << p.what;
  }
  EXPECT_TRUE(idle_fired.empty());
  EXPECT_GE(repeat_fired.size(), 4u);
  EXPECT_FALSE(idle->Enabled());
  ASSERT_FALSE(stopped_fired.empty());
  EXPECT_LE(stopped_fired.back(), stopped_at);  // nothing after it was disabled
}

TEST(QtTimers, TimersDueTogetherFireInDueOrderAndARetimedOneWaits) {
  QtTimerDriver driver;
  EXPECT_EQ(Timers_Due_Together(driver, [](int ms) { RunFor(ms, {}); }), (std::vector<std::string>{"b", "a"}));
}
