#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <new>
#include <system_error>

namespace fs = std::filesystem;

namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// ASCII letters only, whatever the locale: under a Turkish one the C library keeps "I" from "i".
bool SameNoCase(const std::string &a, const std::string &b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

}  // namespace

std::string Sys_Native_Path(const std::string &path) {
  std::string out = path;
#ifndef _WIN32
  for (char &c : out)
    if (c == '\\') c = '/';
#endif
  return out;
}

std::string Sys_Find_File(const std::string &path) {
  if (path.empty()) return {};
  std::error_code ec;
  const fs::path p(path);
  if (fs::exists(p, ec)) return p.string();
  // Walk the path one part at a time, taking the first entry that matches without regard to case.
  fs::path cur = p.is_absolute() ? p.root_path() : fs::path(".");
  fs::path built = p.is_absolute() ? p.root_path() : fs::path();
  for (const fs::path &part : p.relative_path()) {
    const std::string name = part.string();
    if (name.empty() || name == ".") continue;
    fs::path next = cur / part;
    if (name != ".." && !fs::exists(next, ec)) {
      bool found = false;
      for (fs::directory_iterator it(cur, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (SameNoCase(entry, name)) {
          next = cur / entry;
          built /= entry;
          found = true;
          break;
        }
      }
      if (!found) return {};
    } else {
      built /= part;
    }
    cur = next;
  }
  return fs::exists(cur, ec) ? built.string() : std::string();
}

std::string Sys_Find_Value_File(const std::string &value) { return Sys_Find_File(Sys_Native_Path(value)); }

bool Sys_File_Exists(const std::string &path) {
  const std::string found = Sys_Find_File(path);
  std::error_code ec;
  return !found.empty() && fs::is_regular_file(found, ec);
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
