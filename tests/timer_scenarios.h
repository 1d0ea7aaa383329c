// Timed sequences every timer driver of the program must keep, run on a real clock by each
// driver's own test with its own way of running the GUI thread's event loop.
#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/timer.h"

// Three timers come due while the GUI thread is busy (made a, b, c; armed b, a, c, 10 ms each):
// they must fire at its next look at its events in the order they came due, b then a, and c,
// re-timed by b's handler before its turn, must wait for its new period. Returns the names in the
// order they fired; run_for(ms) runs the event loop for ms milliseconds.
inline std::vector<std::string> Timers_Due_Together(TimerDriver &driver, const std::function<void(int)> &run_for) {
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
  run_for(300);
  return fired;
}
