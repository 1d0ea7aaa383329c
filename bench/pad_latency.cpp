// Gamepad latency and cost: a virtual pad on SDL, polled by the program's own poller on a Qt event
// loop; its south button goes down at random moments and the time until the poller's handler
// holds Jump is recorded. Prints the median, 90th and 99th percentiles and the process's CPU
// share while the pad is connected.
// Usage: kt_pad_latency [presses]
#include <SDL.h>

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

#include "app/pad_poller.h"

namespace {

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

}  // namespace

int main(int argc, char **argv) {
  setenv("SDL_JOYSTICK_HIDAPI", "0", 1);
  QCoreApplication app(argc, argv);
  const int presses = argc > 1 ? std::atoi(argv[1]) : 200;
  using Clock = std::chrono::steady_clock;
  Clock::time_point pressed_at{};
  bool waiting = false, jump_held = false;
  std::vector<double> ms;
  PadPoller poller([&](const PadState &s, int) {
    const bool jump = Inp_Pad_Map(s, 0).control[8];
    if (jump && !jump_held && waiting) {
      ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - pressed_at).count());
      waiting = false;
    }
    jump_held = jump;
  });
  if (!poller.Start()) {
    std::fprintf(stderr, "no game-controller subsystem: %s\n", SDL_GetError());
    return 1;
  }
  SDL_VirtualJoystickDesc d{};
  d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  d.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  d.naxes = SDL_CONTROLLER_AXIS_MAX;
  d.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  d.name = "virtual pad";
  const int device = SDL_JoystickAttachVirtualEx(&d);
  SDL_Joystick *js = device >= 0 ? SDL_JoystickOpen(device) : nullptr;
  if (!js) {
    std::fprintf(stderr, "no virtual pad: %s\n", SDL_GetError());
    return 1;
  }
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> gap(20, 60);
  QTimer driver;
  driver.setSingleShot(true);
  double cpu0 = 0;
  Clock::time_point wall0;
  int step = 0;
  QObject::connect(&driver, &QTimer::timeout, [&] {
    if (step == 0) {  // the poller has found the pad by now
      cpu0 = CpuSeconds();
      wall0 = Clock::now();
    }
    if (step / 2 >= presses) {
      app.quit();
      return;
    }
    const bool down = step % 2 == 0;
    SDL_JoystickSetVirtualButton(js, SDL_CONTROLLER_BUTTON_A, down ? 1 : 0);
    if (down) {
      pressed_at = Clock::now();
      waiting = true;
    }
    ++step;
    driver.start(gap(rng));
  });
  driver.start(1500);
  app.exec();
  const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
  const double cpu = CpuSeconds() - cpu0;
  poller.Stop();
  std::sort(ms.begin(), ms.end());
  if (ms.empty()) return 1;
  auto pct = [&](double p) { return ms[std::min(ms.size() - 1, static_cast<size_t>(p * ms.size()))]; };
  std::printf("presses %zu: press to control routine median %.2f ms, 90th %.2f ms, 99th %.2f ms, worst %.2f ms\n",
              ms.size(), pct(0.5), pct(0.9), pct(0.99), ms.back());
  std::printf("CPU with a pad connected (poll every %d ms): %.2f %% of a core over %.1f s\n", PadPoller::kFastMs,
              100.0 * cpu / wall, wall);
  return 0;
}
