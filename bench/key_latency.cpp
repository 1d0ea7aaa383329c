// Key, click or gamepad to screen: presses through the X server's test extension (or, for SDL's
// virtual pad in the program, through its KT_BENCH_PAD fifo) and waits for the game's pixels to
// change on the screen, read back from the root window. What is watched is learnt first: the
// pixels that change, while the control is held for HOLD ms, with at least 6 of 8 presses (3 of
// each key's 4 when two keys take turns); a hazard's segments change with some presses only and
// drop out. Those pixels are two groups: the control's face (the pixels a --face-out run learnt
// before, with no game in play, where a press changes nothing else) and the rest, the LCD
// segments the press moves.
//   kt_key_latency PRESSES SETTLE_MS [options] key KEYSYM [KEYSYM]   (two keysyms: pressed in turn)
//   kt_key_latency PRESSES SETTLE_MS [options] click X Y [X Y]      (the left button there, in turn)
//   kt_key_latency PRESSES SETTLE_MS [options] pad FIFO C [C]       (KT_BENCH_PAD's characters)
// Options: --hold MS (learning, default 60); --face-out FILE (learn only: the watched pixels are
// the face; written to FILE, and the face's centre printed as "X Y"); --face FILE (the face learnt
// before: face and segments are timed apart); --restart N (every N presses, runs the shell command
// in KT_BENCH_RESTART, to start a fresh game).
// Prints each press's times from the event's flush to the first changed pixel of the face and of
// the segments (ms; -1 for none within a second), then their median, 90th and 99th percentiles.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <unistd.h>

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
  enum { kKey, kClick, kPad } way = kKey;
  std::vector<KeyCode> keys;
  std::vector<char> pad_keys;
  int fifo = -1;
  std::vector<std::pair<int, int>> spots;  // clicked in turn
  int turn = 0;
  void Press() {
    if (way == kClick) {
      const auto [x, y] = spots[turn % spots.size()];
      XTestFakeMotionEvent(dpy, -1, x, y, CurrentTime);
      XTestFakeButtonEvent(dpy, 1, True, CurrentTime);
    } else if (way == kKey) {
      XTestFakeKeyEvent(dpy, keys[turn % keys.size()], True, CurrentTime);
    } else {
      const char c = pad_keys[turn % pad_keys.size()];
      if (write(fifo, &c, 1) != 1) std::perror("fifo");
    }
    XFlush(dpy);
  }
  void Release() {
    if (way == kClick) XTestFakeButtonEvent(dpy, 1, False, CurrentTime);
    else if (way == kKey) XTestFakeKeyEvent(dpy, keys[turn % keys.size()], False, CurrentTime);
    else {
      const char c = static_cast<char>(pad_keys[turn % pad_keys.size()] | 0x20);
      if (write(fifo, &c, 1) != 1) std::perror("fifo");
    }
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

// Watched pixels and the rectangle around them.
struct Group {
  std::vector<std::pair<int, int>> px;
  int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
  void Add(int x, int y) {
    px.emplace_back(x, y);
    x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
  }
  Shot Take() const { return Grab(x0, y0, x1 - x0 + 1, y1 - y0 + 1); }
  bool Differs(const Shot &a, const Shot &b) const {
    for (auto [x, y] : px) {
      const size_t i = static_cast<size_t>(y - y0) * a.w + (x - x0);
      if (a.px[i] != b.px[i]) return true;
    }
    return false;
  }
};

void Summary(const char *what, const std::vector<double> &ms, int presses) {
  std::fprintf(stderr, "%s: %zu of %d presses changed it: median %.2f ms, p90 %.2f ms, p99 %.2f ms, worst %.2f ms\n",
               what, ms.size(), presses, Pct(ms, 50), Pct(ms, 90), Pct(ms, 99), Pct(ms, 100));
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: kt_key_latency PRESSES SETTLE_MS [--hold MS] [--face-out FILE] [--face FILE] "
                         "[--restart N] key KEYSYM [KEYSYM] | click X Y [X Y] | pad FIFO C [C]\n");
    return 2;
  }
  const int presses = std::atoi(argv[1]), settle = std::atoi(argv[2]);
  int hold = 60, restart = 0;
  const char *face_out = nullptr, *face_in = nullptr;
  int a = 3;
  for (; a + 1 < argc && std::strncmp(argv[a], "--", 2) == 0; a += 2) {
    const std::string opt = argv[a];
    if (opt == "--hold") hold = std::atoi(argv[a + 1]);
    else if (opt == "--face-out") face_out = argv[a + 1];
    else if (opt == "--face") face_in = argv[a + 1];
    else if (opt == "--restart") restart = std::atoi(argv[a + 1]);
    else return 2;
  }
  if (a + 1 >= argc) return 2;
  dpy = XOpenDisplay(nullptr);
  if (!dpy) return 1;
  root = DefaultRootWindow(dpy);
  screen_w = DisplayWidth(dpy, DefaultScreen(dpy));
  screen_h = DisplayHeight(dpy, DefaultScreen(dpy));
  Action act;
  if (std::strcmp(argv[a], "click") == 0) {
    act.way = Action::kClick;
    for (int i = a + 1; i + 1 < argc; i += 2) act.spots.emplace_back(std::atoi(argv[i]), std::atoi(argv[i + 1]));
    if (act.spots.empty()) return 2;
  } else if (std::strcmp(argv[a], "pad") == 0) {
    act.way = Action::kPad;
    act.fifo = open(argv[a + 1], O_WRONLY | O_CLOEXEC);
    if (act.fifo < 0) return 1;
    for (int i = a + 2; i < argc; ++i) act.pad_keys.push_back(argv[i][0] & ~0x20);
    if (act.pad_keys.empty()) return 2;
  } else {
    for (int i = a + 1; i < argc; ++i) act.keys.push_back(XKeysymToKeycode(dpy, XStringToKeysym(argv[i])));
  }
  const size_t turns = std::max({act.keys.size(), act.pad_keys.size(), act.spots.size()});

  // Learning what to watch: pixels changed after each of 8 presses, while the control is held.
  std::vector<char> mask(static_cast<size_t>(screen_w) * screen_h, 0);
  for (int k = 0; k < 8; ++k) {
    Shot before = Grab(0, 0, screen_w, screen_h);
    act.Press();
    Sleep(hold);
    Shot after = Grab(0, 0, screen_w, screen_h);
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
  const int need = turns < 2 ? 6 : 3;
  std::vector<char> face(mask.size(), 0);
  if (face_in) {
    FILE *f = std::fopen(face_in, "r");
    if (!f) return 1;
    int x, y;
    while (std::fscanf(f, "%d %d", &x, &y) == 2)
      if (x >= 0 && y >= 0 && x < screen_w && y < screen_h) face[static_cast<size_t>(y) * screen_w + x] = 1;
    std::fclose(f);
  }
  Group faces, segments;
  for (int y = 0; y < screen_h; ++y)
    for (int x = 0; x < screen_w; ++x) {
      const size_t i = static_cast<size_t>(y) * screen_w + x;
      if (mask[i] < need) continue;
      if (face_in && !face[i]) segments.Add(x, y);
      else faces.Add(x, y);
    }
  if (faces.px.empty()) {
    std::fprintf(stderr, "kt_key_latency: no pixel changes with most presses\n");
    return 1;
  }
  std::fprintf(stderr, "watching %zu face pixels in %dx%d+%d+%d and %zu segment pixels\n", faces.px.size(),
               faces.x1 - faces.x0 + 1, faces.y1 - faces.y0 + 1, faces.x0, faces.y0, segments.px.size());
  if (face_out) {
    FILE *f = std::fopen(face_out, "w");
    if (!f) return 1;
    for (auto [x, y] : faces.px) std::fprintf(f, "%d %d\n", x, y);
    std::fclose(f);
    std::printf("%d %d\n", (faces.x0 + faces.x1) / 2, (faces.y0 + faces.y1) / 2);
    XCloseDisplay(dpy);
    return 0;
  }

  std::vector<double> face_ms, seg_ms;
  const char *restart_cmd = std::getenv("KT_BENCH_RESTART");
  for (int k = 0; k < presses; ++k) {
    if (restart > 0 && k > 0 && k % restart == 0 && restart_cmd) {
      if (std::system(restart_cmd) != 0) std::fprintf(stderr, "kt_key_latency: the restart command failed\n");
      act.turn = 0;  // the fresh game starts from the first key's position again
    }
    const Shot face_before = faces.Take();
    const Shot seg_before = segments.px.empty() ? Shot{} : segments.Take();
    const Clock::time_point t0 = Clock::now();
    act.Press();
    double face_t = -1, seg_t = segments.px.empty() ? -2 : -1;
    while ((face_t < 0 || seg_t == -1) && Clock::now() - t0 < std::chrono::seconds(1)) {
      if (face_t < 0 && faces.Differs(face_before, faces.Take()))
        face_t = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
      if (seg_t == -1 && segments.Differs(seg_before, segments.Take()))
        seg_t = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    }
    if (face_t >= 0) face_ms.push_back(face_t);
    if (seg_t >= 0) seg_ms.push_back(seg_t);
    std::printf("%.3f %.3f\n", face_t, seg_t < 0 ? -1.0 : seg_t);
    Sleep(std::max(30, hold - static_cast<int>(std::max(face_t, seg_t))));
    act.Release();
    Sleep(settle + std::rand() % 17);
  }
  std::fflush(stdout);
  Summary("face", face_ms, presses);
  if (!segments.px.empty()) Summary("segments", seg_ms, presses);
  XCloseDisplay(dpy);
  return 0;
}
