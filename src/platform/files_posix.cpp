// Reading files and looking at them, the POSIX way.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <new>

#include "platform/files.h"

std::string Sys_Disk_Spelling(const std::string &path) { return path; }

bool Sys_File_Info(const std::string &path, FileInfo &info) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  info.regular = S_ISREG(st.st_mode);
  info.size = static_cast<uint64_t>(st.st_size);
  info.mtime_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return true;
}

bool Sys_Read_File(const std::string &path, std::string &out, size_t max_bytes, FileProblem *problem) {
  FileProblem p;
  out.clear();
  auto fail = [&](FileProblem::Kind kind, int error = 0) {
    p.kind = kind;
    p.error = error;
    out.clear();
    if (problem) *problem = p;
    return false;
  };
  // A pipe would wait for a writer in open() and a device could be endless: look before opening,
  // and open without waiting in case the name was swapped in between.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    return fail(errno == ENOENT || errno == ENOTDIR ? FileProblem::Missing : FileProblem::Unreadable, errno);
  if (!S_ISREG(st.st_mode)) return fail(FileProblem::NotAFile);
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return fail(errno == ENOENT ? FileProblem::Missing : FileProblem::Unreadable, errno);
  bool ok = ::fstat(fd, &st) == 0;
  if (ok && !S_ISREG(st.st_mode)) {
    ::close(fd);
    return fail(FileProblem::NotAFile);
  }
  if (ok && static_cast<uint64_t>(st.st_size) > max_bytes) {
    ::close(fd);
    p.size = static_cast<uint64_t>(st.st_size);
    p.limit = max_bytes;
    return fail(FileProblem::TooLarge);
  }
  int error = 0;
  if (ok) {
    // No memory for the buffer refuses the file like an unreadable one; the descriptor is closed
    // either way.
    try {
      out.resize(static_cast<size_t>(st.st_size));
    } catch (const std::bad_alloc &) {
      ::close(fd);
      return fail(FileProblem::Unreadable, ENOMEM);
    }
    size_t got = 0;
    // The whole file and nothing more: one byte past the size must find its end.
    char extra;
    while (ok) {
      const bool tail = got == out.size();
      const ssize_t n = tail ? ::read(fd, &extra, 1) : ::read(fd, out.data() + got, out.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) error = errno;
      if (tail) {
        ok = n == 0;
        break;
      }
      if (n <= 0) ok = false;
      else got += static_cast<size_t>(n);
    }
  } else {
    error = errno;
  }
  ::close(fd);
  if (!ok) return fail(FileProblem::Unreadable, error);
  if (problem) *problem = p;
  return true;
}
