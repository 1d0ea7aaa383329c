#include "platform/files.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
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
  const fs::path p(Sys_Native_Path(path));
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

bool Sys_File_Exists(const std::string &path) {
  const std::string found = Sys_Find_File(path);
  std::error_code ec;
  return !found.empty() && fs::is_regular_file(found, ec);
}

bool Sys_Read_File(const std::string &path, std::string &out, size_t max_bytes) {
  std::FILE *f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  struct stat st {};
  bool ok = ::fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && static_cast<uint64_t>(st.st_size) <= max_bytes;
  if (ok) {
    out.resize(static_cast<size_t>(st.st_size));
    ok = std::fread(out.data(), 1, out.size(), f) == out.size() && std::fgetc(f) == EOF;
  }
  std::fclose(f);
  if (!ok) out.clear();
  return ok;
}
