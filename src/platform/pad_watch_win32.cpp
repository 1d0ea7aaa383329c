// The pad watcher on Windows: pads have no device node to wait on here (XInput and the HID pads
// are read on request), so connected pads are read every kPollMs and, with none, the thread looks
// for new ones every kLookMs. An event stops the thread at once.
#include <windows.h>

#include <algorithm>
#include <chrono>

#include "platform/pad.h"

int PadWatch::OpenEventNode(const PadNode &) { return -1; }

bool PadWatch::Start(Changed changed, NodeOpener open) {
  if (thread_.joinable()) return true;
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!stop_) return false;
  if (!source_.Open()) {
    CloseHandle(stop_);
    stop_ = nullptr;
    return false;
  }
  changed_ = std::move(changed);
  open_ = std::move(open);
  thread_ = std::thread([this] { Run(); });
  return true;
}

void PadWatch::Stop() {
  if (!thread_.joinable()) return;
  SetEvent(stop_);
  thread_.join();
  CloseHandle(stop_);
  stop_ = nullptr;
  source_.Close();
}

void PadWatch::Run() {
  using Clock = std::chrono::steady_clock;
  PadState last;
  int last_pads = 0;
  Clock::time_point next = Clock::now();
  for (;;) {
    const Clock::time_point now = Clock::now();
    if (now >= next) {
      PadState s;
      const int pads = source_.Read(&s);
      if (pads != last_pads || !(s == last)) {
        last = s;
        last_pads = pads;
        changed_(s, pads);
      }
      const auto step = std::chrono::milliseconds(pads > 0 ? kPollMs : kLookMs);
      if ((next += step) <= now) next = now + step;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(std::max(Clock::duration::zero(), next - Clock::now()));
    if (WaitForSingleObject(stop_, static_cast<DWORD>(wait.count())) == WAIT_OBJECT_0) break;
  }
  PadSource::ThreadEnds();
}
