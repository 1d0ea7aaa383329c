// Gamepad latency and cost, three ways side by side in one run, on SDL's virtual pad:
//   former  - the GUI thread reads the pads on a 4 ms timer (the design before the watcher);
//   polled  - the program's watcher with a pad that has no device node (read every 4 ms);
//   event   - the watcher with a pipe standing in for the pad's device node: each change of the
//             virtual pad is followed by a byte on the pipe, as the system copies an event to
//             every open file of a real node.
// Each run lets the connected pad sit idle (the cost added to clock mode), then presses its south
// button at random moments and records the time until the handler on the GUI thread holds Jump.
// Prints every run, then per way the medians over the rounds.
// Usage: kt_pad_latency [presses] [rounds] [idle seconds] [ways, comma-separated]
#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/qt/pad_poller.h"
#include "virtual_pad.h"

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

// Waits on the GUI thread's event loop.
void Wait(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

struct Result {
  double idle_cpu = 0, press_cpu = 0, median = 0, p90 = 0, p99 = 0, worst = 0;
  size_t presses = 0;
};

// The design before the watcher: a precise 4 ms timer on the GUI thread reads the pads and calls
// the handler after every read.
class FormerPoller : public QObject {
 public:
  explicit FormerPoller(PadPoller::Handler h) : handler_(std::move(h)) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
      PadState s;
      const int pads = source_.Read(&s);
      handler_(s, pads);
    });
  }
  bool Start() {
    if (!source_.Open()) return false;
    timer_.start(4);
    return true;
  }
  void Stop() {
    timer_.stop();
    source_.Close();
  }

 private:
  PadSource source_;
  QTimer timer_;
  PadPoller::Handler handler_;
};

bool Run(const std::string &way, int presses, int idle_s, std::mt19937 &rng, Result *r) {
  Clock::time_point pressed_at{};
  bool waiting = false, jump_held = false;
  std::vector<double> ms;
  auto handler = [&](const PadState &s, int) {
    const bool jump = Inp_Pad_Map(s, 0).control[8];
    if (jump && !jump_held && waiting) {
      ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - pressed_at).count());
      waiting = false;
    }
    jump_held = jump;
  };
  int node[2] = {-1, -1};
  if (way == "event" && pipe2(node, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  FormerPoller former(handler);
  PadPoller poller(handler, [&](const PadNode &) { return way == "event" ? fcntl(node[0], F_DUPFD_CLOEXEC, 0) : -1; });
  if (!(way == "former" ? former.Start() : poller.Start())) {
    std::fprintf(stderr, "no game-controller subsystem: %s\n", SDL_GetError());
    return false;
  }
  SDL_Joystick *js = Test_Attach_Virtual_Pad("virtual pad");
  if (!js) {
    std::fprintf(stderr, "no virtual pad: %s\n", SDL_GetError());
    return false;
  }
  Wait(1500);  // the pad is found by now

  double cpu0 = CpuSeconds();
  Clock::time_point wall0 = Clock::now();
  Wait(idle_s * 1000);
  r->idle_cpu = 100.0 * (CpuSeconds() - cpu0) / std::chrono::duration<double>(Clock::now() - wall0).count();

  std::uniform_int_distribution<int> gap(20, 60);
  cpu0 = CpuSeconds();
  wall0 = Clock::now();
  for (int step = 0; step < 2 * presses; ++step) {
    const bool down = step % 2 == 0;
    SDL_JoystickSetVirtualButton(js, SDL_CONTROLLER_BUTTON_A, down ? 1 : 0);
    if (down) {
      pressed_at = Clock::now();
      waiting = true;
    }
    if (node[1] >= 0 && write(node[1], "e", 1) != 1) return false;
    Wait(gap(rng));
  }
  r->press_cpu = 100.0 * (CpuSeconds() - cpu0) / std::chrono::duration<double>(Clock::now() - wall0).count();
  former.Stop();
  poller.Stop();
  Test_Detach_Virtual_Pad(js);
  for (int fd : node)
    if (fd >= 0) close(fd);
  if (ms.empty()) return false;
  std::sort(ms.begin(), ms.end());
  auto pct = [&](double p) { return ms[std::min(ms.size() - 1, static_cast<size_t>(p * ms.size()))]; };
  r->presses = ms.size();
  r->median = pct(0.5);
  r->p90 = pct(0.9);
  r->p99 = pct(0.99);
  r->worst = ms.back();
  return true;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char **argv) {
  setenv("SDL_JOYSTICK_HIDAPI", "0", 1);
  QCoreApplication app(argc, argv);
  const int presses = argc > 1 ? std::atoi(argv[1]) : 200;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 1;
  const int idle_s = argc > 3 ? std::atoi(argv[3]) : 10;
  std::vector<std::string> ways;
  for (std::string list = argc > 4 ? argv[4] : "former,polled,event"; !list.empty();) {
    const size_t comma = list.find(',');
    ways.push_back(list.substr(0, comma));
    list = comma == std::string::npos ? "" : list.substr(comma + 1);
  }
  std::mt19937 rng(7);
  std::map<std::string, std::vector<Result>> all;
  for (int round = 0; round < rounds; ++round)
    for (const std::string &way : ways) {
      Result r;
      if (!Run(way, presses, idle_s, rng, &r)) return 1;
      std::printf("%-6s round %d: idle CPU %.2f %%, CPU while pressing %.2f %%; %zu presses: median %.2f ms, "
                  "90th %.2f ms, 99th %.2f ms, worst %.2f ms\n",
                  way.c_str(), round + 1, r.idle_cpu, r.press_cpu, r.presses, r.median, r.p90, r.p99, r.worst);
      std::fflush(stdout);
      all[way].push_back(r);
    }
  std::printf("medians over %d round(s) of %d presses, %d s idle each:\n", rounds, presses, idle_s);
  for (const std::string &way : ways) {
    auto m = [&](double Result::*f) {
      std::vector<double> v;
      for (const Result &r : all[way]) v.push_back(r.*f);
      return Median(v);
    };
    std::printf("%-6s idle CPU %.2f %% of a core, pressing %.2f %%; press to handler median %.2f ms, 90th %.2f ms, "
                "99th %.2f ms\n",
                way.c_str(), m(&Result::idle_cpu), m(&Result::press_cpu), m(&Result::median), m(&Result::p90),
                m(&Result::p99));
  }
  return 0;
}
