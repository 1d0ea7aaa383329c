#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/qt/qt_platform.h"

namespace {

std::string Error(int err) { return std::strerror(err); }

// Why what is at path is neither a file nor a folder, or empty when it is one of those or missing.
std::string NotAFile(const std::string &path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) return {};
  const char *what = S_ISFIFO(st.st_mode)   ? "a named pipe"
                     : S_ISSOCK(st.st_mode) ? "a socket"
                     : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) ? "a device"
                                                                 : "something other than a file";
  return std::string("it is ") + what + ", not a regular file, so it is not opened";
}

std::string Folder(const std::string &path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Makes a folder and the folders above it; 0 or the error of the step that failed.
int MakeFolders(const std::string &dir) {
  struct stat st {};
  if (::stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
  if (dir != "/" && dir != ".") {
    if (const int err = MakeFolders(Folder(dir))) return err;
  }
  if (::mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) return errno;
  return 0;
}

bool WriteAll(int fd, const std::string &bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// The file a write replaces: a settings file that is a link to a file elsewhere stays a link.
std::string Target(const std::string &path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char real[PATH_MAX];
  return ::realpath(path.c_str(), real) ? std::string(real) : path;
}

}  // namespace

QtStore::QtStore() { Load(); }

QtStore::~QtStore() = default;

QString QtStore::FilePath() {
  // Where the user's settings have always been kept on this system.
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Zandrel/KTuskoSE50.conf";
}

bool QtStore::Load() {
  const std::string path = QFile::encodeName(FilePath()).toStdString();
  // A pipe would hold open() until something writes to it, a device could be endless: neither is
  // opened (and the open below would not wait for a pipe that appears in between).
  refused_ = NotAFile(path);
  if (!refused_.empty()) return false;
  loaded_ = true;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT) kept_ = "it cannot be read (" + Error(errno) + "), so it is left as it is";
    return true;
  }
  struct stat st {};
  std::string text;
  int err = 0;
  if (::fstat(fd, &st) != 0) {
    err = errno;
  } else if (S_ISDIR(st.st_mode)) {
    // Nothing to read; every write says what is in the way.
  } else if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    refused_ = NotAFile(path);
    loaded_ = refused_.empty();
    return loaded_;
  } else if (st.st_size <= kMaxFileBytes) {
    // Read at most one byte more than the limit: a file that grows meanwhile is seen as too large.
    text.resize(static_cast<size_t>(kMaxFileBytes) + 1);
    size_t got = 0;
    while (got < text.size()) {
      const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) err = errno;
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    text.resize(got);
  }
  ::close(fd);
  if (err) {
    kept_ = "it cannot be read (" + Error(err) + "), so it is left as it is";
  } else if (S_ISREG(st.st_mode) && (st.st_size > kMaxFileBytes || static_cast<int64_t>(text.size()) > kMaxFileBytes)) {
    kept_ = "it is larger than " + std::to_string(kMaxFileBytes / (1 << 20)) +
            " MB, so it was not read and is left as it is";
  } else {
    file_ = Store_Parse(text);
  }
  return true;
}

std::string QtStore::Save() {
  const std::string target = Target(QFile::encodeName(FilePath()).toStdString());
  const std::string dir = Folder(target);
  if (const int err = MakeFolders(dir)) return "its folder " + dir + " cannot be made (" + Error(err) + ")";
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return "a folder of that name is in the way of the file";
  // The new file beside the old one, with the old one's permissions (a new one's follow the umask).
  std::string temp;
  int fd = -1;
  for (int n = 0; fd < 0 && n < 100; ++n) {
    temp = target + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(n);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return Error(errno);
  // A file the player made read-only is left alone.
  if (exists && ::access(target.c_str(), W_OK) != 0) {
    const std::string why = "the file is read-only (" + Error(errno) + ")";
    ::close(fd);
    ::unlink(temp.c_str());
    return why;
  }
  int err = 0;
  if (exists && ::fchmod(fd, st.st_mode & 07777) != 0) err = errno;
  // Every byte, then the disk, then the close: only a file that is whole takes the old one's place.
  if (!err && !WriteAll(fd, Store_Format(file_))) err = errno;
  if (!err && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && !err) err = errno;
  if (!err && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
  if (err) {
    ::unlink(temp.c_str());
    return err == EISDIR ? "a folder of that name is in the way of the file" : Error(err);
  }
  // The rename itself reaches the disk with the folder.
  const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    if (::fsync(dfd) != 0 && errno != EINVAL) err = errno;
    ::close(dfd);
  }
  return err ? Error(err) : std::string();
}

std::optional<std::string> QtStore::ReadText(const std::string &name) {
  const auto section = file_.sections.find("");
  if (section == file_.sections.end()) return std::nullopt;
  const auto it = section->second.find(name);
  if (it == section->second.end()) return std::nullopt;
  return Store_Decode(it->second);
}

bool QtStore::WriteText(const std::string &name, const std::string &text) {
  const std::string stored = Store_Encode(text);
  written_[name] = stored;
  file_.sections[""][name] = stored;
  std::string why = kept_;
  if (why.empty() && !loaded_) {
    // The place was taken by a pipe or the like. Once it is free again, a file that is there now
    // keeps what it holds, and everything written during the run goes to it with this write.
    if (Load()) {
      for (const auto &[key, value] : written_) file_.sections[""][key] = value;
      why = kept_;
    } else {
      why = refused_;
    }
  }
  if (why.empty()) why = Save();
  if (why.empty()) return true;
  if (write_failed) write_failed(FilePath().toStdString() + ": " + why);
  return false;
}
