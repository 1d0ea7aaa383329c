#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"
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

// A copy that ended between writing its new file and putting it in place (killed, or the machine
// went down) left "<file>.new-PID-N" behind. Such files of copies no longer running are removed
// once this copy's own file is safely in place; a running copy's file is left alone.
void RemoveLeftNewFiles(const std::string &target, const std::string &dir) {
  const size_t slash = target.rfind('/');
  const std::string prefix = (slash == std::string::npos ? target : target.substr(slash + 1)) + ".new-";
  DIR *d = ::opendir(dir.c_str());
  if (!d) return;
  while (const dirent *e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    char *end = nullptr;
    const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
    if (pid <= 0 || *end != '-' || pid == ::getpid()) continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    ::unlink((dir + "/" + name).c_str());
  }
  ::closedir(d);
}

}  // namespace

int Plat_Make_Folders(const std::string &dir) {
  struct stat st {};
  if (::stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
  if (dir != "/" && dir != ".") {
    if (const int err = Plat_Make_Folders(Folder(dir))) return err;
  }
  if (::mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) return errno;
  return 0;
}

QtStore::QtStore() { Load(); }

QtStore::~QtStore() = default;

QString QtStore::FilePath() {
  // Where the user's settings have always been kept on this system.
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Zandrel/KTuskoSE50.conf";
}

bool QtStore::Load() {
  const std::string path = QFile::encodeName(FilePath()).toStdString();
  // A pipe would hold open() until something writes to it, a device could be endless: neither is
  // opened, and the place is looked at again at each write.
  refused_ = NotAFile(path);
  if (!refused_.empty()) return false;
  loaded_ = true;
  std::string text;
  FileProblem problem;
  if (Sys_Read_File(path, text, kMaxFileBytes, &problem)) {
    file_ = Store_Parse(text);
    return true;
  }
  switch (problem.kind) {
    case FileProblem::TooLarge:
      kept_ = "it is larger than " + std::to_string(kMaxFileBytes >> 20) +
              " MB, so it was not read and it is not written while the game runs";
      break;
    case FileProblem::Unreadable:
      kept_ = "it cannot be read (" + (problem.error ? Error(problem.error) : "it changed while it was read") +
              "), so it is not written while the game runs";
      break;
    case FileProblem::NotAFile:
      // A folder holds nothing to read (every write says it is in the way); a pipe may have
      // taken the file's place since it was looked at.
      refused_ = NotAFile(path);
      loaded_ = refused_.empty();
      break;
    default:
      break;  // no file yet
  }
  return loaded_;
}

std::string QtStore::Save() {
  const std::string target = Target(QFile::encodeName(FilePath()).toStdString());
  const std::string dir = Folder(target);
  if (const int err = Plat_Make_Folders(dir)) return "its folder " + dir + " cannot be made (" + Error(err) + ")";
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
  // Files left by an earlier copy are looked for once a run, at the first write that succeeds.
  if (!err && !left_files_removed_) {
    RemoveLeftNewFiles(target, dir);
    left_files_removed_ = true;
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

bool QtStore::WriteText(const std::string &name, const std::string &text) { return WriteTexts({{name, text}}); }

bool QtStore::WriteTexts(const std::vector<std::pair<std::string, std::string>> &values) {
  // Every value goes into one new file, written once.
  bool changed = false;
  for (const auto &[name, text] : values) {
    const std::string stored = Store_Encode(text);
    written_[name] = stored;
    auto &section = file_.sections[""];
    const auto it = section.find(name);
    changed = changed || it == section.end() || it->second != stored;
    section[name] = stored;
  }
  // (A file that was read and is written normally holds them already; one that was not read does not.)
  if (leave_unchanged_ && !changed && loaded_ && kept_.empty() && refused_.empty()) return true;
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
