// Key (or click) to screen: presses a key through the X server's test extension and waits for the
// game's pixels to change on the screen, read back from the root window. What is watched is
// learnt first: the pixels that change, while the key is held, with at least 6 of 8 presses (3 of
// each key's 4 when two keys take turns) (the player's segments and
// the control's face, which the same paint shows; a hazard's segments change with some presses
// only and drop out).
//   kt_key_latency PRESSES SETTLE_MS key KEYSYM [KEYSYM]   (two keysyms: pressed in turn)
//   kt_key_latency PRESSES SETTLE_MS click X Y            (the left button at X, Y)
// Prints each press's time from the fake event's flush to the first changed pixel (ms), then the
// median, 90th and 99th percentiles and the presses that changed nothing within a second.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
Display *dpy;
Window root;
int screen_w, screen_h;

struct Shot {
  int x = 0, y = 0, w = 0, h = 0;
  std::vector<uint32_t> px;
};

Shot Grab(int x, int y, int w, int h) {
  Shot s{x, y, w, h, {}};
  XImage *img = XGetImage(dpy, root, x, y, w, h, AllPlanes, ZPixmap);
  if (!img) return s;
  s.px.resize(static_cast<size_t>(w) * h);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) s.px[static_cast<size_t>(j) * w + i] = XGetPixel(img, i, j) & 0xffffff;
  XDestroyImage(img);
  return s;
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

struct Action {
  bool click = false;
  std::vector<KeyCode> keys;
  int x = 0, y = 0;
  int turn = 0;
  void Press() {
    if (click) {
      XTestFakeMotionEvent(dpy, -1, x, y, CurrentTime);
      XTestFakeButtonEvent(dpy, 1, True, CurrentTime);
    } else {
      XTestFakeKeyEvent(dpy, keys[turn % keys.size()], True, CurrentTime);
    }
    XFlush(dpy);
  }
  void Release() {
    if (click) XTestFakeButtonEvent(dpy, 1, False, CurrentTime);
    else XTestFakeKeyEvent(dpy, keys[turn % keys.size()], False, CurrentTime);
    XFlush(dpy);
    ++turn;
  }
};

double Pct(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  size_t i = static_cast<size_t>(p / 100 * v.size() + 0.999999);
  i = std::clamp<size_t>(i, 1, v.size());
  return v[i - 1];
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: kt_key_latency PRESSES SETTLE_MS key KEYSYM [KEYSYM] | click X Y\n");
    return 2;
  }
  const int presses = std::atoi(argv[1]), settle = std::atoi(argv[2]);
  dpy = XOpenDisplay(nullptr);
  if (!dpy) return 1;
  root = DefaultRootWindow(dpy);
  screen_w = DisplayWidth(dpy, DefaultScreen(dpy));
  screen_h = DisplayHeight(dpy, DefaultScreen(dpy));
  Action act;
  if (std::strcmp(argv[3], "click") == 0) {
    if (argc < 6) return 2;
    act.click = true;
    act.x = std::atoi(argv[4]);
    act.y = std::atoi(argv[5]);
  } else {
    for (int i = 4; i < argc; ++i) act.keys.push_back(XKeysymToKeycode(dpy, XStringToKeysym(argv[i])));
  }

  // Learning what to watch: pixels changed after each of 6 presses, a moment after the press.
  std::vector<char> mask(static_cast<size_t>(screen_w) * screen_h, 0);
  for (int k = 0; k < 8; ++k) {
    Shot before = Grab(0, 0, screen_w, screen_h);
    act.Press();
    Sleep(60);
    Shot after = Grab(0, 0, screen_w, screen_h);  // while held: a face shows pressed meanwhile
    act.Release();
    size_t n = 0;
    for (size_t i = 0; i < mask.size(); ++i) {
      mask[i] += before.px[i] != after.px[i];
      n += before.px[i] != after.px[i];
    }
    std::fprintf(stderr, "learning press %d: %zu pixels changed\n", k + 1, n);
    Sleep(settle);
  }
  // Keys pressed in turn change their own faces: three of each key's four presses will do.
  const int need = act.click || act.keys.size() < 2 ? 6 : 3;
  int x0 = screen_w, y0 = screen_h, x1 = -1, y1 = -1;
  std::vector<std::pair<int, int>> watched;
  for (int y = 0; y < screen_h; ++y)
    for (int x = 0; x < screen_w; ++x)
      if (mask[static_cast<size_t>(y) * screen_w + x] >= need) {
        watched.emplace_back(x, y);
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
      }
  if (watched.empty()) {
    std::fprintf(stderr, "kt_key_latency: no pixel changes with most presses\n");
    return 1;
  }
  std::fprintf(stderr, "watching %zu pixels in %dx%d+%d+%d\n", watched.size(), x1 - x0 + 1, y1 - y0 + 1, x0, y0);

  std::vector<double> ms;
  int missed = 0;
  for (int k = 0; k < presses; ++k) {
    Shot before = Grab(x0, y0, x1 - x0 + 1, y1 - y0 + 1);
    const Clock::time_point t0 = Clock::now();
    act.Press();
    bool changed = false;
    while (!changed && Clock::now() - t0 < std::chrono::seconds(1)) {
      Shot now = Grab(x0, y0, x1 - x0 + 1, y1 - y0 + 1);
      for (auto [x, y] : watched) {
        const size_t i = static_cast<size_t>(y - y0) * before.w + (x - x0);
        if (now.px[i] != before.px[i]) {
          changed = true;
          break;
        }
      }
    }
    const double dt = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    if (changed) ms.push_back(dt), std::printf("%.3f\n", dt);
    else ++missed;
    Sleep(30);
    act.Release();
    Sleep(settle + std::rand() % 17);
  }
  std::fflush(stdout);
  std::fprintf(stderr, "presses %d, changed %zu, missed %d: median %.2f ms, p90 %.2f ms, p99 %.2f ms, worst %.2f ms\n",
               presses, ms.size(), missed, Pct(ms, 50), Pct(ms, 90), Pct(ms, 99), Pct(ms, 100));
  XCloseDisplay(dpy);
  return 0;
}
