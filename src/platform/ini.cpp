#include "platform/ini.h"

#include <cctype>

#include "platform/files.h"

namespace {

constexpr size_t kMaxValue = 2047;
// A configuration file is a few dozen kilobytes; anything far larger is not one and is not read.
constexpr size_t kMaxFileBytes = 4u << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char &c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string MakeKey(std::string_view section, std::string_view key) {
  std::string k = Lower(Trim(section));
  k += '\n';
  k += Lower(Trim(key));
  return k;
}

}  // namespace

bool IniFile::Load(const std::string &path) {
  values_.clear();
  sections_.clear();
  loaded_ = false;
  std::string text;
  if (!Sys_Read_File(path, text, kMaxFileBytes)) return false;
  Parse(text);
  return true;
}

void IniFile::Parse(std::string_view text) {
  values_.clear();
  sections_.clear();
  loaded_ = true;
  // Skip a UTF-8 byte order mark written by some editors.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::string section;
  bool in_section = false;
  bool section_seen_before = false;
  while (!text.empty()) {
    size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
    line = Trim(line);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      std::string_view name = line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1);
      section = Lower(Trim(name));
      in_section = true;
      // Only the first section of a name is looked at; keys of a later duplicate are not seen.
      section_seen_before = sections_.count(section) != 0;
      sections_[section] = true;
      continue;
    }
    if (!in_section || section_seen_before) continue;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view key = Trim(line.substr(0, eq));
    if (key.empty()) continue;
    std::string_view value = Trim(line.substr(eq + 1));
    if (value.size() > kMaxValue) value = Trim(value.substr(0, kMaxValue));
    std::string k = section + '\n' + Lower(key);
    values_.try_emplace(std::move(k), value);
  }
}

const std::string *IniFile::Find(std::string_view section, std::string_view key) const {
  auto it = values_.find(MakeKey(section, key));
  return it == values_.end() ? nullptr : &it->second;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, const std::string &def) const {
  const std::string *v = Find(section, key);
  return v ? *v : def;
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
  const std::string *v = Find(section, key);
  if (!v) return def;
  return Ini_Parse_Int(*v).value_or(def);
}

bool IniFile::HasSection(std::string_view section) const { return sections_.count(Lower(Trim(section))) != 0; }

std::optional<int32_t> Ini_Parse_Int(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  bool hex = false;
  if (!s.empty() && s.front() == '$') {
    hex = true;
    s.remove_prefix(1);
  } else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    hex = true;
    s.remove_prefix(2);
  }
  if (s.empty()) return std::nullopt;
  uint64_t v = 0;
  for (char c : s) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return std::nullopt;
    v = v * (hex ? 16 : 10) + static_cast<uint64_t>(d);
    if (v > 0xFFFFFFFFull) return std::nullopt;
  }
  if (hex) {
    auto bits = static_cast<uint32_t>(v);
    auto r = static_cast<int32_t>(bits);
    return negative ? static_cast<int32_t>(0u - bits) : r;
  }
  if (negative) {
    if (v > 2147483648ull) return std::nullopt;
    return static_cast<int32_t>(-static_cast<int64_t>(v));
  }
  if (v > 2147483647ull) return std::nullopt;
  return static_cast<int32_t>(v);
}
