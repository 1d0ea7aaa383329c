#include "platform/files.h"

#include <cctype>
#include <cstdint>
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

// File names are UTF-8 inside the program; the path class is told so (on Windows a plain string
// would be taken in the system's ANSI code page).
fs::path U8Path(const std::string &s) { return fs::path(std::u8string(s.begin(), s.end())); }
std::string U8String(const fs::path &p) {
  const std::u8string u = p.u8string();
  return std::string(u.begin(), u.end());
}

}  // namespace

// Windows takes "/" as well as "\\": one separator everywhere gives the same names on both systems.
std::string Sys_Native_Path(const std::string &path) {
  std::string out = path;
  for (char &c : out)
    if (c == '\\') c = '/';
  return out;
}

std::string Sys_Shown_Windows_Paths(const std::string &text) {
  std::string out = text;
  bool in_path = false;
  for (size_t i = 0; i < out.size(); ++i) {
    const char c = out[i];
    if (in_path) {
      // No Windows name holds a colon or a quote: either ends the path, as a line's end does.
      if (c == '\n' || c == ')' || c == '"' || c == ':') in_path = false;
      else if (c == '/') out[i] = '\\';
      continue;
    }
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    const bool word_start = i == 0 || !std::isalnum(static_cast<unsigned char>(out[i - 1]));
    if (letter && word_start && i + 2 < out.size() && out[i + 1] == ':' && (out[i + 2] == '\\' || out[i + 2] == '/')) {
      in_path = true;
      ++i;  // past the drive's colon
    } else if (c == '\\' && i + 1 < out.size() && out[i + 1] == '\\') {
      in_path = true;
    }
  }
  return out;
}

std::string Sys_Find_File(const std::string &path) {
  if (path.empty()) return {};
  std::error_code ec;
  const fs::path p = U8Path(path);
  // (A file system that ignores case finds every spelling: the name is given as it spells it.)
  if (fs::exists(p, ec)) return Sys_Disk_Spelling(path);
  // Walk the path one part at a time, taking the first entry that matches without regard to case.
  fs::path cur = p.is_absolute() ? p.root_path() : fs::path(".");
  fs::path built = p.is_absolute() ? p.root_path() : fs::path();
  for (const fs::path &part : p.relative_path()) {
    const std::string name = U8String(part);
    if (name.empty() || name == ".") continue;
    fs::path next = cur / part;
    if (name != ".." && !fs::exists(next, ec)) {
      bool found = false;
      for (fs::directory_iterator it(cur, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = U8String(it->path().filename());
        if (SameNoCase(entry, name)) {
          next = cur / U8Path(entry);
          built /= U8Path(entry);
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
  return fs::exists(cur, ec) ? U8String(built) : std::string();
}

std::string Sys_Find_Value_File(const std::string &value) { return Sys_Find_File(Sys_Native_Path(value)); }

bool Sys_File_Exists(const std::string &path) {
  const std::string found = Sys_Find_File(path);
  std::error_code ec;
  return !found.empty() && fs::is_regular_file(U8Path(found), ec);
}
