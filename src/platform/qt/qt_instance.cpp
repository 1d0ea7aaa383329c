#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "platform/qt/qt_instance.h"
#include "platform/qt/qt_platform.h"

namespace {

// One socket name per user and settings file, so copies run by other users or with another
// settings folder never meet. The name lives in the system's abstract socket names: the system
// drops it with the copy, and nothing is left in a folder however the copy ends.
QByteArray SocketName(const QString &settings_file) {
  const QByteArray hash = QCryptographicHash::hash(QFile::encodeName(settings_file), QCryptographicHash::Sha1);
  return QString("ktusko-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash.toHex().left(16))).toLatin1();
}

// The abstract address of name: a zero byte, then the name (no terminating zero).
socklen_t SocketAddress(const QByteArray &name, sockaddr_un *a) {
  *a = sockaddr_un{};
  a->sun_family = AF_UNIX;
  const size_t n = std::min(name.size(), static_cast<qsizetype>(sizeof a->sun_path - 1));
  std::memcpy(a->sun_path + 1, name.constData(), n);
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
}

}  // namespace

InstanceLock::~InstanceLock() {
  // The name goes before the lock, so that a copy that gets the lock finds the name free.
  delete notifier_;
  if (socket_ >= 0) close(socket_);
  if (fd_ >= 0) close(fd_);  // the system lets go of the lock with the folder
}

bool InstanceLock::Acquire(const QString &settings_file) {
  settings_file_ = settings_file;
  const QByteArray dir = QFile::encodeName(QFileInfo(settings_file).absolutePath());
  // The folder is locked, not a file in it: a folder the settings can be written to can always be
  // opened for reading, whatever a lock file left there by an older copy, by root or by hand has
  // become (unreadable, a link to nowhere, a folder).
  const char *failed = "mkdir";
  int err = Plat_Make_Folders(dir.toStdString());
  if (!err) {
    fd_ = open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    failed = "open";
    if (fd_ < 0) err = errno;
  }
  if (fd_ >= 0) {
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
      failed = nullptr;
    } else {
      err = errno;
      close(fd_);
      fd_ = -1;
      if (err == EWOULDBLOCK) return false;
      failed = "flock";
    }
  }
  if (failed) {
    // The folder cannot be made or locked: the socket name, which only one copy can hold, keeps
    // a second copy out instead.
    std::fprintf(stderr, "ktusko: no lock on the settings folder %s (%s: %s)\n", dir.constData(), failed,
                 std::strerror(err));
  }
  // The socket is plain (no network library is loaded for it); a later copy's connection is
  // noticed by the event loop.
  socket_ = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  sockaddr_un address;
  const socklen_t length = SocketAddress(SocketName(settings_file), &address);
  // A copy that has just ended may hold the name for a moment after its lock: a few short tries.
  bool listening = false;
  err = socket_ < 0 ? errno : 0;
  for (int i = 0; socket_ >= 0 && i < 5; ++i) {
    listening = bind(socket_, reinterpret_cast<sockaddr *>(&address), length) == 0 && listen(socket_, 8) == 0;
    if (listening) break;
    err = errno;
    if (err != EADDRINUSE) break;
    if (failed) return false;
    QThread::msleep(20);
  }
  if (!listening) {
    std::fprintf(stderr, "ktusko: no socket for a later copy to find this one: %s\n", std::strerror(err));
    return true;
  }
  notifier_ = new QSocketNotifier(socket_, QSocketNotifier::Read);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    for (int s; (s = accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
      close(s);
      emit FrontRequested();
    }
  });
  return true;
}

bool InstanceLock::AskRunningToFront() {
  const int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (s < 0) return false;
  sockaddr_un address;
  const socklen_t length = SocketAddress(SocketName(settings_file_), &address);
  const bool answered = ::connect(s, reinterpret_cast<sockaddr *>(&address), length) == 0;
  close(s);
  return answered;
}
