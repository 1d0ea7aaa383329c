#include <gtest/gtest.h>

#include <vector>

#include "platform/timer.h"

namespace {

struct Log {
  VirtualClock clock;
  std::vector<std::pair<int64_t, std::string>> fired;
  std::unique_ptr<Timer> Make(const std::string &name, std::function<void()> extra = nullptr) {
    return clock.Create(name, [this, name, extra] {
      fired.emplace_back(clock.Now(), name);
      if (extra) extra();
    });
  }
};

}  // namespace

TEST(TimerModel, NewTimerIsDisabledWithOneMillisecond) {
  Log l;
  auto t = l.Make("a");
  EXPECT_FALSE(t->Enabled());
  EXPECT_EQ(t->Interval(), 1);
  l.clock.Advance(100);
  EXPECT_TRUE(l.fired.empty());
}

TEST(TimerModel, PeriodicFiringAndIntervalChanges) {
  Log l;
  auto t = l.Make("a");
  t->SetInterval(100);
  l.clock.Advance(50);
  // Setting the interval of a disabled timer does not enable it.
  EXPECT_FALSE(t->Enabled());
  t->SetEnabled(true);  // fresh period from 50
  l.clock.Advance(200);
  ASSERT_EQ(l.fired.size(), 2u);
  EXPECT_EQ(l.fired[0].first, 150);
  EXPECT_EQ(l.fired[1].first, 250);
  // An equal interval changes nothing: the period running since 250 goes on.
  l.clock.Advance(30);
  t->SetInterval(100);
  l.clock.Advance(70);
  EXPECT_EQ(l.fired.back().first, 350);
  // A different interval restarts the period from that moment.
  l.clock.Advance(40);  // 390
  t->SetInterval(60);
  l.clock.Advance(60);
  EXPECT_EQ(l.fired.back().first, 450);
  // Enabling an enabled timer does nothing.
  l.clock.Advance(30);  // 480
  t->SetEnabled(true);
  l.clock.Advance(30);
  EXPECT_EQ(l.fired.back().first, 510);
}

TEST(TimerModel, DisableStopsAndReenableStartsFreshPeriod) {
  Log l;
  auto t = l.Make("a");
  t->SetInterval(100);
  t->SetEnabled(true);
  l.clock.Advance(90);
  t->SetEnabled(false);
  l.clock.Advance(500);
  EXPECT_TRUE(l.fired.empty());
  t->SetEnabled(true);  // at 590
  l.clock.Advance(100);
  ASSERT_EQ(l.fired.size(), 1u);
  EXPECT_EQ(l.fired[0].first, 690);
}

TEST(TimerModel, HandlersRunOneAtATimeInTimeOrder) {
  Log l;
  std::unique_ptr<Timer> b;
  auto a = l.Make("a", [&] {
    // A handler that re-times another timer: the change holds at once.
    b->SetInterval(5);
  });
  b = l.Make("b");
  a->SetInterval(30);
  b->SetInterval(100);
  a->SetEnabled(true);
  b->SetEnabled(true);
  l.clock.Advance(41);
  // a at 30 restarts b's period with 5 ms: b at 35 and 40.
  ASSERT_EQ(l.fired.size(), 3u);
  EXPECT_EQ(l.fired[0], std::make_pair<int64_t>(30, std::string("a")));
  EXPECT_EQ(l.fired[1], std::make_pair<int64_t>(35, std::string("b")));
  EXPECT_EQ(l.fired[2], std::make_pair<int64_t>(40, std::string("b")));
}

TEST(TimerModel, HandlerThatDisablesItselfNeverFiresAgain) {
  Log l;
  std::unique_ptr<Timer> t;
  t = l.Make("a", [&] { t->SetEnabled(false); });
  t->SetEnabled(true);
  l.clock.Advance(1000);
  EXPECT_EQ(l.fired.size(), 1u);
}

TEST(TimerModel, SequenceStepsAtOneMillisecondThenSetIntervals) {
  // A timed sequence: starts at 1 ms, each step sets the pause to the next.
  Log l;
  int step = 1;
  std::unique_ptr<Timer> t;
  const int pauses[] = {0, 150, 230, 210};
  t = l.Make("seq", [&] {
    if (step < 4) t->SetInterval(pauses[step]);
    else t->SetEnabled(false);
    ++step;
  });
  t->SetEnabled(true);
  l.clock.Advance(10000);
  ASSERT_EQ(l.fired.size(), 4u);
  EXPECT_EQ(l.fired[0].first, 1);
  EXPECT_EQ(l.fired[1].first, 151);
  EXPECT_EQ(l.fired[2].first, 381);
  EXPECT_EQ(l.fired[3].first, 591);
}
