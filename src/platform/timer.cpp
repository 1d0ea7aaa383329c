#include "platform/timer.h"

void Timer::SetInterval(int32_t ms) {
  if (ms == interval_) return;
  interval_ = ms;
  if (enabled_) Arm(ms);
}

void Timer::SetEnabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  if (on) Arm(interval_);
  else Disarm();
}

void Timer::Fire() {
  if (enabled_ && handler_) handler_();
}

class VirtualClock::VTimer : public Timer {
 public:
  VTimer(VirtualClock *clock, size_t slot, std::string name, Handler h)
      : Timer(std::move(name), std::move(h)), clock_(clock), slot_(slot) {}
  ~VTimer() override { clock_->slots_[slot_].armed = false; clock_->slots_[slot_].timer = nullptr; }
  void Arm(int32_t ms) override {
    Slot &s = clock_->slots_[slot_];
    s.armed = ms >= 1;
    s.due = clock_->now_ + ms;
    s.seq = clock_->seq_++;
  }
  void Disarm() override { clock_->slots_[slot_].armed = false; }
  void Run() { Fire(); }

 private:
  VirtualClock *clock_;
  size_t slot_;
};

std::unique_ptr<Timer> VirtualClock::Create(const std::string &name, Timer::Handler handler) {
  slots_.push_back(Slot{nullptr, false, 0, 0});
  auto t = std::make_unique<VTimer>(this, slots_.size() - 1, name, std::move(handler));
  slots_.back().timer = t.get();
  return t;
}

VirtualClock::Slot *VirtualClock::Next() {
  Slot *best = nullptr;
  for (Slot &s : slots_) {
    if (!s.armed || !s.timer) continue;
    if (!best || s.due < best->due || (s.due == best->due && s.seq < best->seq)) best = &s;
  }
  return best;
}

int64_t VirtualClock::NextDue() const {
  int64_t best = -1;
  for (const Slot &s : slots_)
    if (s.armed && s.timer && (best < 0 || s.due - now_ < best)) best = s.due - now_;
  return best;
}

bool VirtualClock::Step(int64_t max_ms) {
  Slot *s = Next();
  if (!s || s->due > now_ + max_ms) return false;
  now_ = s->due;
  // The next period starts now; a handler that re-times or stops its timer overrides this.
  s->due = now_ + s->timer->Interval();
  s->seq = seq_++;
  s->timer->Run();
  return true;
}

void VirtualClock::Advance(int64_t ms) {
  const int64_t target = now_ + ms;
  while (Step(target - now_)) {
  }
  now_ = target;
}
