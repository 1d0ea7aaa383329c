// The Windows timers: their timing thread posts what is due to the GUI thread's message queue.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win_platform.h"

namespace {

// The GUI thread's message loop for ms milliseconds.
void RunFor(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  MSG msg;
  while (std::chrono::steady_clock::now() < end) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace

TEST(WinTimers, TimersDueTogetherFireInDueOrderAndARetimedOneWaits) {
  // Three timers come due while the GUI thread is busy: their postings wait in its queue and fire
  // at its next look at its messages in the order they came due (b, a), not in the order they were
  // made, and c, re-timed by b's handler, has its posting already on its way made void: it waits
  // for its new period.
  WinTimerDriver driver;
  std::vector<std::string> fired;
  std::unique_ptr<Timer> a, b, c;
  a = driver.Create("a", [&] {
    fired.push_back("a");
    a->SetEnabled(false);
  });
  b = driver.Create("b", [&] {
    fired.push_back("b");
    b->SetEnabled(false);
    c->SetInterval(2000);
  });
  c = driver.Create("c", [&] {
    fired.push_back("c");
    c->SetEnabled(false);
  });
  for (Timer *t : {b.get(), a.get(), c.get()}) {
    t->SetInterval(10);
    t->SetEnabled(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  RunFor(300);
  EXPECT_EQ(fired, (std::vector<std::string>{"b", "a"}));
}
