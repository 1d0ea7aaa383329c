#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/qt/qt_platform.h"

namespace {

// Why a file could not be written in place of path: the settings library only says "access error",
// so the folder is tried the way the library writes (a new file beside the old one, renamed over
// it) with a probe file of about the same size, and the system's own reason is given.
std::string WriteFailureReason(const QString &path) {
  const QFileInfo info(path);
  if (info.isDir()) return "a folder of that name is in the way of the file";
  const QString dir = info.absolutePath();
  if (!QFileInfo(dir).isDir()) {
    if (!QDir().mkpath(dir)) return "its folder " + dir.toStdString() + " cannot be made";
  }
  struct statvfs fs {};
  if (statvfs(QFile::encodeName(dir).constData(), &fs) == 0 && (fs.f_flag & ST_RDONLY))
    return std::strerror(EROFS);
  const QByteArray probe = QFile::encodeName(path + QString(".probe-%1").arg(getpid()));
  const int fd = open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return std::strerror(errno);
  std::vector<char> bytes(static_cast<size_t>(info.size()) + 4096, ' ');
  int err = 0;
  if (write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) err = errno ? errno : ENOSPC;
  if (!err && fsync(fd) != 0) err = errno;
  close(fd);
  unlink(probe.constData());
  if (err) return std::strerror(err);
  if (info.exists() && access(QFile::encodeName(path).constData(), W_OK) != 0)
    return "the file is read-only (" + std::string(std::strerror(errno)) + ")";
  return "the file could not be replaced";
}

}  // namespace

QtStore::QtStore() : settings_(QSettings::NativeFormat, QSettings::UserScope, "Zandrel", "KTuskoSE50") {}

QString QtStore::FilePath() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Zandrel", "KTuskoSE50").fileName();
}

std::optional<std::string> QtStore::ReadText(const std::string &name) {
  const QVariant v = settings_.value(QString::fromStdString(name));
  if (!v.isValid()) return std::nullopt;
  return v.toString().toStdString();
}

bool QtStore::WriteText(const std::string &name, const std::string &text) {
  settings_.setValue(QString::fromStdString(name), QString::fromStdString(text));
  // The library writes a new file beside the old one and renames it over it only when it is
  // whole, so a failed write leaves the old file as it was; the value stays in memory for the
  // rest of the run and goes to the disk with the next write that succeeds.
  settings_.sync();
  if (settings_.status() == QSettings::NoError) return true;
  if (write_failed) write_failed(settings_.fileName().toStdString() + ": " + WriteFailureReason(settings_.fileName()));
  return false;
}
