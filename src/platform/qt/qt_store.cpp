#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
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

// Why what is at path is neither a file nor a folder, or empty when it is one of those or missing.
// (A folder is left to the settings library, whose failed writes say it is in the way.)
std::string NotAFile(const QString &path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) return {};
  const char *what = S_ISFIFO(st.st_mode)   ? "a named pipe"
                     : S_ISSOCK(st.st_mode) ? "a socket"
                     : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) ? "a device"
                                                                 : "something other than a file";
  return std::string("it is ") + what + ", not a regular file, so it is not opened";
}

}  // namespace

QtStore::QtStore() { Open(); }

QtStore::~QtStore() = default;

QString QtStore::FilePath() {
  // Where the settings library keeps a user's files in its native format on this system.
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Zandrel/KTuskoSE50.conf";
}

bool QtStore::Open() {
  const QString path = FilePath();
  // A pipe would hold the library in open() until something writes to it, a device could be
  // endless: neither is opened.
  refused_ = NotAFile(path);
  if (!refused_.empty()) return false;
  settings_ = std::make_unique<QSettings>(path, QSettings::NativeFormat);
  return true;
}

std::optional<std::string> QtStore::ReadText(const std::string &name) {
  if (!settings_) {
    const auto it = held_.find(name);
    if (it == held_.end()) return std::nullopt;
    return it->second;
  }
  const QVariant v = settings_->value(QString::fromStdString(name));
  if (!v.isValid()) return std::nullopt;
  return v.toString().toStdString();
}

bool QtStore::WriteText(const std::string &name, const std::string &text) {
  if (!settings_) {
    held_[name] = text;
    if (!Open()) {
      if (write_failed) write_failed(FilePath().toStdString() + ": " + refused_);
      return false;
    }
    // The place is free again: what was held goes to the file with this write. Values already
    // in the file that were not written this run stay as they are.
    for (const auto &[key, value] : held_) settings_->setValue(QString::fromStdString(key), QString::fromStdString(value));
    held_.clear();
  } else {
    settings_->setValue(QString::fromStdString(name), QString::fromStdString(text));
  }
  return Sync();
}

bool QtStore::WriteTexts(const std::vector<std::pair<std::string, std::string>> &values) {
  // Without the file each value takes the way of a single write (held, or the file opened again).
  if (!settings_) return Store::WriteTexts(values);
  for (const auto &[name, text] : values) settings_->setValue(QString::fromStdString(name), QString::fromStdString(text));
  return Sync();
}

bool QtStore::Sync() {
  // The library writes a new file beside the old one and renames it over it only when it is
  // whole, so a failed write leaves the old file as it was; the value stays in memory for the
  // rest of the run and goes to the disk with the next write that succeeds.
  settings_->sync();
  if (settings_->status() == QSettings::NoError) return true;
  if (write_failed) write_failed(settings_->fileName().toStdString() + ": " + WriteFailureReason(settings_->fileName()));
  return false;
}
