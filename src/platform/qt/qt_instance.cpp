#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/qt/qt_instance.h"
#include "platform/qt/qt_platform.h"

namespace {

// One socket name per user and settings file, so copies run by other users or with another
// settings folder never meet. The name lives in the system's abstract socket names: the system
// drops it with the copy, and nothing is left in a folder however the copy ends.
QString SocketName(const QString &settings_file) {
  const QByteArray hash = QCryptographicHash::hash(QFile::encodeName(settings_file), QCryptographicHash::Sha1);
  return QString("ktusko-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash.toHex().left(16)));
}

}  // namespace

InstanceLock::~InstanceLock() {
  // The name goes before the lock, so that a copy that gets the lock finds the name free.
  delete server_;
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
  server_ = new QLocalServer;
  server_->setSocketOptions(QLocalServer::AbstractNamespaceOption);
  const QString name = SocketName(settings_file);
  // A copy that has just ended may hold the name for a moment after its lock: a few short tries.
  bool listening = false;
  for (int i = 0; i < 5 && !(listening = server_->listen(name)); ++i) {
    if (server_->serverError() != QAbstractSocket::AddressInUseError) break;
    if (failed) return false;
    QThread::msleep(20);
  }
  if (!listening) {
    std::fprintf(stderr, "ktusko: %s\n", qPrintable(server_->errorString()));
    return true;
  }
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket *s = server_->nextPendingConnection()) {
      s->deleteLater();
      emit FrontRequested();
    }
  });
  return true;
}

bool InstanceLock::AskRunningToFront() {
  QLocalSocket socket;
  socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
  socket.connectToServer(SocketName(settings_file_));
  if (!socket.waitForConnected(2000)) return false;
  socket.disconnectFromServer();
  return true;
}
