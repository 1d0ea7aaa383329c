#include "app/pad_poller.h"

PadPoller::PadPoller(Handler handler) : handler_(std::move(handler)) {
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
}

bool PadPoller::Start() {
  if (!source_.Open()) return false;
  Poll();
  return true;
}

void PadPoller::Stop() {
  timer_.stop();
  source_.Close();
}

void PadPoller::Poll() {
  PadState s;
  const int pads = source_.Read(&s);
  const int interval = pads > 0 ? kFastMs : kSlowMs;
  if (!timer_.isActive() || timer_.interval() != interval) timer_.start(interval);
  handler_(s, pads);
}
