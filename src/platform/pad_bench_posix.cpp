#include "platform/pad_bench.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/sdl_api.h"

struct Plat_Bench_Pad::Impl {
  SDL_Joystick *pad = nullptr;
  int fd = -1;
  int stop[2] = {-1, -1};
  std::thread reader;

  void Read() {
    char c;
    fd_set in;
    for (;;) {
      FD_ZERO(&in);
      FD_SET(fd, &in);
      FD_SET(stop[0], &in);
      if (select(std::max(fd, stop[0]) + 1, &in, nullptr, nullptr, nullptr) < 0 || FD_ISSET(stop[0], &in)) return;
      if (read(fd, &c, 1) != 1) {
        // The writer closed the fifo: wait for the next one.
        usleep(10000);
        continue;
      }
      static const char kKeys[] = "LRUDA";
      static const SDL_GameControllerButton kButtons[] = {
          SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_CONTROLLER_BUTTON_DPAD_UP,
          SDL_CONTROLLER_BUTTON_DPAD_DOWN, SDL_CONTROLLER_BUTTON_A};
      const char *at = std::strchr(kKeys, c & ~0x20);
      if (!at || !c) continue;
      Sdl().SDL_JoystickSetVirtualButton(pad, kButtons[at - kKeys], (c & 0x20) ? 0 : 1);
    }
  }
};

std::unique_ptr<Plat_Bench_Pad> Plat_Bench_Pad::FromEnvironment() {
  const char *path = std::getenv("KT_BENCH_PAD");
  if (!path || !*path) return nullptr;
  const SdlApi *sdl = Sdl_Api();
  if (!sdl || sdl->SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return nullptr;
  SDL_VirtualJoystickDesc d{};
  d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  d.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  d.naxes = SDL_CONTROLLER_AXIS_MAX;
  d.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  d.name = "benchmark pad";
  const int device = sdl->SDL_JoystickAttachVirtualEx(&d);
  SDL_Joystick *pad = device >= 0 ? sdl->SDL_JoystickOpen(device) : nullptr;
  // Opened read and write, so that the fifo never reads its end while the benchmark reconnects.
  const int fd = pad ? open(path, O_RDWR | O_CLOEXEC) : -1;
  if (fd < 0) {
    std::fprintf(stderr, "ktusko: KT_BENCH_PAD: no virtual pad or no fifo %s\n", path);
    if (pad) sdl->SDL_JoystickClose(pad);
    return nullptr;
  }
  std::unique_ptr<Plat_Bench_Pad> aid(new Plat_Bench_Pad);
  aid->impl_ = std::make_unique<Impl>();
  Impl &m = *aid->impl_;
  m.pad = pad;
  m.fd = fd;
  if (pipe(m.stop) != 0) return nullptr;
  m.reader = std::thread([&m] { m.Read(); });
  return aid;
}

Plat_Bench_Pad::~Plat_Bench_Pad() {
  if (!impl_) return;
  if (write(impl_->stop[1], "x", 1) < 0) {
  }
  if (impl_->reader.joinable()) impl_->reader.join();
  close(impl_->stop[0]);
  close(impl_->stop[1]);
  close(impl_->fd);
  Sdl().SDL_JoystickClose(impl_->pad);
}
