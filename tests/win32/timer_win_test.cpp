// The Windows timers: their timing thread posts what is due to the GUI thread's message queue.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win_platform.h"
#include "../timer_scenarios.h"

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
  // The timing thread posts each as it comes due; the postings wait in the GUI thread's queue, and
  // c's, made void when b's handler re-times it, is dropped.
  WinTimerDriver driver;
  EXPECT_EQ(Timers_Due_Together(driver, RunFor), (std::vector<std::string>{"b", "a"}));
}
