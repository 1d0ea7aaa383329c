// Measuring aid shared by the timer drivers: with KT_TIMER_LOG=<file> in the environment, each
// delivery of the hazard timer "Timer_Game" has its lateness against its expected time (the time it
// was armed, or its previous expected time, plus the interval) kept in memory; the list is written
// to the file, one delivery a line, when the program ends. Without the variable nothing is
// recorded. A line holds the lateness in microseconds, then the time the window spent painting
// between the expected time and the delivery (microseconds) and the number of those paints.
#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

class Timer_Lateness {
 public:
  using Clock = std::chrono::steady_clock;
  // The record for a timer of this name: only "Timer_Game" is recorded, and only with the variable set.
  static std::unique_ptr<Timer_Lateness> For(const std::string &timer_name);
  // A fresh period of ms starts now.
  void Armed(int32_t ms);
  // A delivery now of a timer whose period is ms: its lateness is kept and the next period is due
  // a period after this one was (a missed period: the timer runs on from now).
  void Delivered(int32_t ms);
  // The window painted from start to end (kept only while recording).
  static void Painted(Clock::time_point start, Clock::time_point end);

 private:
  Clock::time_point expected_{};
};
