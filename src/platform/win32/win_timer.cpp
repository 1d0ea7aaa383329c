// The timing thread keeps every armed timer's due time. It sleeps on a high-resolution waitable
// timer until the earliest one (or until the GUI thread changes a timer), posts each due period to
// a message-only window of the GUI thread and moves that timer to its next period. A timer has at
// most one posting on its way: a period that comes due while the last one was not delivered yet is
// left out. Re-arming or stopping a timer makes a posting already on its way void.
#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/timer_log.h"
#include "platform/win32/win_platform.h"

#include <mmsystem.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr UINT kDueMessage = WM_APP + 1;
constexpr const wchar_t *kClass = L"KTuskoSE50.Timers";
// Windows 10 1803 and later (older headers lack the name).
constexpr DWORD kHighResolution = 0x00000002;

}  // namespace

class WinTimerDriver::Impl {
 public:
  struct Slot {
    Timer *timer = nullptr;  // null: free
    bool armed = false;
    bool posted = false;
    int32_t period_ms = 0;
    uint32_t generation = 0;
    Clock::time_point due{};
    uint64_t armed_at = 0;  // the order of arming, for timers due at the same time
  };

  Impl() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Impl::WndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    // A high-resolution timer where the system has one; otherwise an ordinary waitable timer with
    // the system's timer resolution raised to 1 ms while the program runs.
    waiter_ = CreateWaitableTimerExW(nullptr, nullptr, kHighResolution, TIMER_ALL_ACCESS);
    if (!waiter_) {
      waiter_ = CreateWaitableTimerW(nullptr, FALSE, nullptr);
      timeBeginPeriod(1);
      raised_period_ = true;
    }
    thread_ = std::thread([this] { Run(); });
  }

  ~Impl() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    SetEvent(wake_);
    thread_.join();
    if (raised_period_) timeEndPeriod(1);
    CloseHandle(waiter_);
    CloseHandle(wake_);
    DestroyWindow(hwnd_);
  }

  size_t Add(Timer *t) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t i = 0; i < slots_.size(); ++i)
      if (!slots_[i].timer) {
        slots_[i] = Slot{t, false, false, 0, slots_[i].generation + 1, {}};
        return i;
      }
    slots_.push_back(Slot{t});
    return slots_.size() - 1;
  }
  void Remove(size_t i) {
    std::lock_guard<std::mutex> lock(mutex_);
    slots_[i].timer = nullptr;
    slots_[i].armed = false;
    ++slots_[i].generation;
  }
  void Arm(size_t i, int32_t ms) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      Slot &s = slots_[i];
      s.armed = ms >= 1;
      s.posted = false;
      s.period_ms = ms;
      s.due = Clock::now() + std::chrono::milliseconds(ms);
      s.armed_at = ++arms_;
      ++s.generation;
    }
    SetEvent(wake_);
  }
  void Disarm(size_t i) {
    std::lock_guard<std::mutex> lock(mutex_);
    slots_[i].armed = false;
    ++slots_[i].generation;
  }

 private:
  void Run() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    for (;;) {
      Clock::time_point next = Clock::time_point::max();
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stop_) return;
        const Clock::time_point now = Clock::now();
        // Those due are posted in the order they came due (the GUI thread takes posted messages
        // in turn), timers due at the same time in the order they were armed.
        due_.clear();
        for (size_t i = 0; i < slots_.size(); ++i) {
          Slot &s = slots_[i];
          if (!s.timer || !s.armed || s.due > now) continue;
          if (!s.posted) due_.push_back(Due{s.due, s.armed_at, i});
          // The next period follows this one; one missed altogether runs on from now.
          s.due += std::chrono::milliseconds(s.period_ms);
          if (s.due <= now) s.due = now + std::chrono::milliseconds(s.period_ms);
        }
        std::sort(due_.begin(), due_.end(), [](const Due &a, const Due &b) {
          return a.at != b.at ? a.at < b.at : a.armed_at < b.armed_at;
        });
        for (const Due &d : due_)
          if (PostMessageW(hwnd_, kDueMessage, d.slot, slots_[d.slot].generation)) slots_[d.slot].posted = true;
        for (const Slot &s : slots_)
          if (s.timer && s.armed && !s.posted) next = std::min(next, s.due);
      }
      HANDLE handles[2] = {wake_, waiter_};
      if (next == Clock::time_point::max()) {
        WaitForSingleObject(wake_, INFINITE);
        continue;
      }
      const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(next - Clock::now()).count();
      if (wait <= 0) continue;
      LARGE_INTEGER rel;
      rel.QuadPart = -std::max<int64_t>(1, wait / 100);  // relative, in 100 ns units
      SetWaitableTimer(waiter_, &rel, 0, nullptr, nullptr, FALSE);
      WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    }
  }

  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != kDueMessage) return DefWindowProcW(hwnd, msg, wp, lp);
    auto *self = reinterpret_cast<Impl *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) self->Deliver(static_cast<size_t>(wp), static_cast<uint32_t>(lp));
    return 0;
  }

  void Deliver(size_t i, uint32_t generation);

  HWND hwnd_ = nullptr;
  HANDLE wake_ = nullptr, waiter_ = nullptr;
  bool raised_period_ = false;
  std::mutex mutex_;
  std::vector<Slot> slots_;
  struct Due {
    Clock::time_point at;
    uint64_t armed_at;
    size_t slot;
  };
  std::vector<Due> due_;  // the timing thread's list of those due at one wake-up
  uint64_t arms_ = 0;
  bool stop_ = false;
  std::thread thread_;
};

namespace {

class WinTimer : public Timer {
 public:
  WinTimer(WinTimerDriver::Impl &impl, const std::string &name, Handler h)
      : Timer(name, std::move(h)), impl_(impl), log_(Timer_Lateness::For(name)) {
    slot_ = impl_.Add(this);
  }
  ~WinTimer() override { impl_.Remove(slot_); }
  void Deliver() {
    // Handlers never overlap: a timer that comes due while another handler runs (only possible
    // inside a nested message loop, a message box's) is skipped; its next period delivers it.
    static bool running = false;
    if (running) return;
    if (log_) log_->Delivered(Interval());
    running = true;
    Fire();
    running = false;
  }

 protected:
  void Arm(int32_t ms) override {
    if (ms < 1) {
      impl_.Disarm(slot_);
      return;
    }
    impl_.Arm(slot_, ms);
    if (log_) log_->Armed(ms);
  }
  void Disarm() override { impl_.Disarm(slot_); }

 private:
  WinTimerDriver::Impl &impl_;
  size_t slot_ = 0;
  std::unique_ptr<Timer_Lateness> log_;
};

}  // namespace

void WinTimerDriver::Impl::Deliver(size_t i, uint32_t generation) {
  Timer *t = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (i >= slots_.size()) return;
    Slot &s = slots_[i];
    if (s.generation != generation) return;  // re-armed or stopped since: void
    s.posted = false;
    if (s.armed) t = s.timer;
  }
  SetEvent(wake_);  // the timing thread may post this timer again
  if (t) static_cast<WinTimer *>(t)->Deliver();
}

WinTimerDriver::WinTimerDriver() : impl_(std::make_unique<Impl>()) {}

WinTimerDriver::~WinTimerDriver() = default;

std::unique_ptr<Timer> WinTimerDriver::Create(const std::string &name, Timer::Handler handler) {
  return std::make_unique<WinTimer>(*impl_, name, std::move(handler));
}
