// Reading files and looking at them with the wide Windows functions (names are UTF-8 inside).
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <new>

#include "platform/files.h"
#include "platform/wide.h"

namespace {

// The C library's number for a Windows error, so that the messages read as on other systems.
int Errno(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    default:
      return EIO;
  }
}

// 100 ns steps since 1601 to nanoseconds since 1970.
int64_t UnixNs(const FILETIME &t) {
  const uint64_t ticks = (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  return (static_cast<int64_t>(ticks) - 116444736000000000LL) * 100;
}

}  // namespace

std::string Sys_Disk_Spelling(const std::string &path) {
  // Each part after the root ("C:/", "//server/share/") is looked up on its own; the separators
  // stay as written.
  size_t start = 0;
  if (path.size() >= 2 && path[1] == ':') start = 2;
  else if (path.size() >= 2 && (path[0] == '/' || path[0] == '\\') && (path[1] == '/' || path[1] == '\\')) {
    start = path.find_first_of("/\\", 2);
    start = start == std::string::npos ? path.size() : path.find_first_of("/\\", start + 1);
    if (start == std::string::npos) return path;
  }
  std::string out = path.substr(0, start);
  size_t i = start;
  while (i < path.size()) {
    if (path[i] == '/' || path[i] == '\\') {
      out += path[i++];
      continue;
    }
    const size_t end = std::min(path.find_first_of("/\\", i), path.size());
    const std::string part = path.substr(i, end - i);
    std::string spelt = part;
    if (part != "." && part != ".." && part.find_first_of("*?") == std::string::npos) {
      WIN32_FIND_DATAW fd;
      const HANDLE h = FindFirstFileW(Sys_Wide(out + part).c_str(), &fd);
      if (h != INVALID_HANDLE_VALUE) {
        spelt = Sys_Utf8(fd.cFileName);
        FindClose(h);
      }
    }
    out += spelt;
    i = end;
  }
  return out;
}

bool Sys_File_Info(const std::string &path, FileInfo &info) {
  WIN32_FILE_ATTRIBUTE_DATA a{};
  if (path.empty() || !GetFileAttributesExW(Sys_Wide(path).c_str(), GetFileExInfoStandard, &a)) return false;
  info.regular = !(a.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
  info.size = (static_cast<uint64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
  info.mtime_ns = UnixNs(a.ftLastWriteTime);
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
  if (path.empty()) return fail(FileProblem::Missing, ENOENT);
  // Folders and devices (a console, a named pipe) are refused before they are opened for reading.
  const std::wstring wide = Sys_Wide(path);
  // (A device name such as NUL may have no attributes: it is opened below and refused by its type.)
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
    return fail(FileProblem::NotAFile);
  const HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const int e = Errno(GetLastError());
    return fail(e == ENOENT ? FileProblem::Missing : FileProblem::Unreadable, e);
  }
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    return fail(FileProblem::NotAFile);
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(h, &size)) {
    const int e = Errno(GetLastError());
    CloseHandle(h);
    return fail(FileProblem::Unreadable, e);
  }
  if (static_cast<uint64_t>(size.QuadPart) > max_bytes) {
    CloseHandle(h);
    p.size = static_cast<uint64_t>(size.QuadPart);
    p.limit = max_bytes;
    return fail(FileProblem::TooLarge);
  }
  // No memory for the buffer refuses the file like an unreadable one; the handle is closed either way.
  try {
    out.resize(static_cast<size_t>(size.QuadPart));
  } catch (const std::bad_alloc &) {
    CloseHandle(h);
    return fail(FileProblem::Unreadable, ENOMEM);
  }
  size_t got = 0;
  bool ok = true;
  int error = 0;
  // The whole file and nothing more: one byte past the size must find its end.
  for (;;) {
    const bool tail = got == out.size();
    char extra;
    const DWORD want = tail ? 1 : static_cast<DWORD>(std::min<size_t>(out.size() - got, 1u << 30));
    DWORD n = 0;
    if (!ReadFile(h, tail ? &extra : out.data() + got, want, &n, nullptr)) {
      error = Errno(GetLastError());
      ok = false;
      break;
    }
    if (tail) {
      ok = n == 0;
      break;
    }
    if (n == 0) {
      ok = false;
      break;
    }
    got += n;
  }
  CloseHandle(h);
  if (!ok) return fail(FileProblem::Unreadable, error);
  if (problem) *problem = p;
  return true;
}
