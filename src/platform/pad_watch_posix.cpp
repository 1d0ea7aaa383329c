#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>

#include "platform/pad.h"

namespace {

using Clock = std::chrono::steady_clock;

// A pad's node as the watcher holds it: the file it waits on, or -1 when the pad is read on
// the clock instead.
struct Watched {
  int id;
  int fd;
};

// Reads everything waiting on a node (the events themselves are SDL's to read from its own
// file). False when the node is gone: unplugged (ENODEV), closed at the other end, or failing.
bool Drain(int fd) {
  char buf[1024];
  for (;;) {
    const ssize_t r = read(fd, buf, sizeof buf);
    if (r > 0) continue;
    if (r < 0 && errno == EINTR) continue;
    return r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
  }
}

// Brings the watched nodes in line with the connected pads: closes those of pads gone, opens
// those of new pads. True when a node was opened.
bool Match(std::vector<Watched> &nodes, const std::vector<PadNode> &present, const PadWatch::NodeOpener &open) {
  std::erase_if(nodes, [&](const Watched &w) {
    const bool gone = std::none_of(present.begin(), present.end(), [&](const PadNode &p) { return p.id == w.id; });
    if (gone && w.fd >= 0) close(w.fd);
    return gone;
  });
  bool opened = false;
  for (const PadNode &p : present)
    if (std::none_of(nodes.begin(), nodes.end(), [&](const Watched &w) { return w.id == p.id; })) {
      nodes.push_back({p.id, open ? open(p) : -1});
      opened = opened || nodes.back().fd >= 0;
    }
  return opened;
}

}  // namespace

int PadWatch::OpenEventNode(const PadNode &pad) {
  if (pad.path.rfind("/dev/input/event", 0) != 0) return -1;
  return open(pad.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

bool PadWatch::Start(Changed changed, NodeOpener open) {
  if (thread_.joinable()) return true;
  if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  if (!source_.Open()) {
    close(wake_[0]);
    close(wake_[1]);
    wake_[0] = wake_[1] = -1;
    return false;
  }
  changed_ = std::move(changed);
  open_ = std::move(open);
  thread_ = std::thread([this] { Run(); });
  return true;
}

void PadWatch::Stop() {
  if (!thread_.joinable()) return;
  const char stop = 1;
  while (write(wake_[1], &stop, 1) < 0 && errno == EINTR) {
  }
  thread_.join();
  close(wake_[0]);
  close(wake_[1]);
  wake_[0] = wake_[1] = -1;
  source_.Close();
}

void PadWatch::Run() {
  pthread_setname_np(pthread_self(), "gamepads");
  // Signals are delivered to the other threads: the close requests' handlers note them for the GUI
  // thread's event loop (src/app/quit_signals), and nothing here is cut short by one.
  sigset_t all;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, nullptr);

  std::vector<Watched> nodes;
  std::vector<pollfd> fds;
  PadState last;
  int last_pads = 0;
  unsigned generation = source_.Generation();
  bool read_now = true;  // the first look happens at once
  Clock::time_point next = Clock::now();
  for (;;) {
    const Clock::time_point now = Clock::now();
    if (read_now || now >= next) {
      PadState s;
      int pads = source_.Read(&s);
      // Pads plugged in or out: their nodes are opened or closed to match.
      bool opened = false;
      if (source_.Generation() != generation) {
        generation = source_.Generation();
        opened = Match(nodes, source_.Nodes(), open_);
      }
      // Events that came between SDL opening a pad and the watcher opening its node woke
      // nobody: the pads are read once more now that the nodes are watched.
      if (opened) pads = source_.Read(&s);
      if (pads != last_pads || !(s == last)) {
        last = s;
        last_pads = pads;
        changed_(s, pads);
      }
      const bool polled = std::any_of(nodes.begin(), nodes.end(), [](const Watched &w) { return w.fd < 0; });
      if (!polled) next = now + std::chrono::milliseconds(kLookMs);
      else if ((next += std::chrono::milliseconds(kPollMs)) <= now) next = now + std::chrono::milliseconds(kPollMs);
      read_now = false;
    }

    fds.clear();
    fds.push_back({wake_[0], POLLIN, 0});
    for (const Watched &w : nodes)
      if (w.fd >= 0) fds.push_back({w.fd, POLLIN, 0});
    const auto wait = std::max(Clock::duration::zero(), next - Clock::now());
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
    const timespec timeout{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    if (ppoll(fds.data(), fds.size(), &timeout, nullptr) < 0) {
      if (errno != EINTR) nanosleep(&timeout, nullptr);  // no busy loop, whatever failed
      continue;
    }
    if (fds[0].revents) break;
    for (size_t i = 1; i < fds.size(); ++i) {
      if (!fds[i].revents) continue;
      read_now = true;
      auto w = std::find_if(nodes.begin(), nodes.end(), [&](const Watched &n) { return n.fd == fds[i].fd; });
      if (w == nodes.end()) continue;
      // A node that is gone takes its pad with it at once, even before SDL notices the unplug,
      // so that nothing it held stays held.
      if (!(fds[i].revents & POLLIN) || !Drain(w->fd)) {
        close(w->fd);
        source_.Drop(w->id);
        nodes.erase(w);
      }
    }
  }
  for (const Watched &w : nodes)
    if (w.fd >= 0) close(w.fd);
  PadSource::ThreadEnds();
}
