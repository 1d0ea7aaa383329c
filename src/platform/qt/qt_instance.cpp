#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/qt/qt_instance.h"

namespace {

// One socket name per user and settings file, so copies run by other users or with another
// settings folder never meet.
QString SocketName(const QString &settings_file) {
  const QByteArray hash = QCryptographicHash::hash(QFile::encodeName(settings_file), QCryptographicHash::Sha1);
  return QString("ktusko-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash.toHex().left(16)));
}

}  // namespace

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) close(fd_);  // the system lets go of the lock with the file
}

bool InstanceLock::Acquire(const QString &settings_file) {
  settings_file_ = settings_file;
  const QFileInfo info(settings_file);
  QDir().mkpath(info.absolutePath());
  const QByteArray path = QFile::encodeName(info.absolutePath() + "/" + info.completeBaseName() + ".lock");
  fd_ = open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) fd_ = open(path.constData(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    // A settings folder where nothing can be made: no copy can write there either, so a second
    // copy cannot lose anything; the store reports the failed writes.
    std::fprintf(stderr, "ktusko: no lock beside the settings file: %s\n", std::strerror(errno));
  } else if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    close(fd_);
    fd_ = -1;
    return false;
  }
  // Other copies find this one through a local socket. Whatever a killed copy left behind under
  // the name is no one's now that the lock is held.
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  const QString name = SocketName(settings_file);
  QLocalServer::removeServer(name);
  if (!server_->listen(name)) {
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
  socket.connectToServer(SocketName(settings_file_));
  if (!socket.waitForConnected(2000)) return false;
  socket.disconnectFromServer();
  return true;
}
