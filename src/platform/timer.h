// Periodic timers with the semantics the game's timed sequences rely on:
//  - setting an equal interval does nothing; a different one restarts an enabled timer's period;
//  - enabling an enabled timer does nothing; enabling starts a fresh period;
//  - setting the interval of a disabled timer does not enable it;
//  - at most one pending call per timer, and handlers never overlap.
// An interval below 1 ms never fires.
// Two drivers exist: Qt timers for the program (platform/qt) and the VirtualClock below for tests.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class Timer {
 public:
  using Handler = std::function<void()>;
  virtual ~Timer() = default;

  void SetInterval(int32_t ms);
  void SetEnabled(bool on);
  int32_t Interval() const { return interval_; }
  bool Enabled() const { return enabled_; }
  const std::string &Name() const { return name_; }

 protected:
  Timer(std::string name, Handler h) : name_(std::move(name)), handler_(std::move(h)) {}
  // Driver hooks: start a fresh period of ms from now / stop delivering.
  virtual void Arm(int32_t ms) = 0;
  virtual void Disarm() = 0;
  // Called by the driver when a period has elapsed.
  void Fire();

 private:
  std::string name_;
  Handler handler_;
  int32_t interval_ = 1;
  bool enabled_ = false;
};

class TimerDriver {
 public:
  virtual ~TimerDriver() = default;
  // A new timer, disabled, with an interval of 1 ms.
  virtual std::unique_ptr<Timer> Create(const std::string &name, Timer::Handler handler) = 0;
};

// Simulated time for tests and headless play: Advance() fires the due handlers one at a time in
// time order (equal due times in the order the timers were armed), each at its exact millisecond.
class VirtualClock : public TimerDriver {
 public:
  std::unique_ptr<Timer> Create(const std::string &name, Timer::Handler handler) override;
  // Runs every handler due up to now + ms and leaves the clock at now + ms.
  void Advance(int64_t ms);
  // Runs only the next due handler if it is due within max_ms; returns false when none is.
  bool Step(int64_t max_ms);
  // Milliseconds until the next due handler, or -1 when no timer is enabled.
  int64_t NextDue() const;
  int64_t Now() const { return now_; }

 private:
  class VTimer;
  friend class VTimer;
  struct Slot {
    VTimer *timer;
    bool armed;
    int64_t due;
    uint64_t seq;
  };
  Slot *Next();
  std::vector<Slot> slots_;
  int64_t now_ = 0;
  uint64_t seq_ = 0;
};
