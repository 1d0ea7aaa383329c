#include "app/qt/quit_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QObject>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace {

int g_pipe[2] = {-1, -1};

// All a signal handler may do: write the signal's number into the pipe the event loop watches.
void OnSignal(int sig) {
  const int saved = errno;
  const unsigned char b = static_cast<unsigned char>(sig);
  [[maybe_unused]] const ssize_t n = write(g_pipe[1], &b, 1);
  errno = saved;
}

}  // namespace

bool App_Close_On_Signals(QObject *context, std::function<void()> close_request) {
  if (g_pipe[0] < 0 && pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  auto *notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, context);
  QObject::connect(notifier, &QSocketNotifier::activated, context, [request = std::move(close_request)] {
    unsigned char b[16];
    bool any = false;
    while (read(g_pipe[0], b, sizeof b) > 0) any = true;
    if (any) request();
  });
  struct sigaction sa = {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  // The handler goes after its first use: a second signal of the kind acts as it would without it.
  sa.sa_flags = SA_RESTART | SA_RESETHAND;
  bool ok = true;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    // A signal the program was started ignoring (nohup, a background job of a script) stays ignored.
    struct sigaction old = {};
    if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    ok = sigaction(sig, &sa, nullptr) == 0 && ok;
  }
  return ok;
}
