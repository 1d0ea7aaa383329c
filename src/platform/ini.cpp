#include "platform/ini.h"

#include <cstdint>

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

// Names compare without regard to ASCII letter case only, whatever the user's language: the C
// library's lower-casing follows the locale (under a Turkish one "I" does not become "i").
std::string Lower(std::string_view s) {
  std::string out(s);
  for (char &c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

void AppendUtf8(std::string &out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// UTF-16 text after its byte order mark, as UTF-8; a lone surrogate becomes U+FFFD and an odd
// last byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool big_endian) {
  std::string out;
  out.reserve(bytes.size());
  auto unit = [&](size_t i) {
    const auto a = static_cast<uint8_t>(bytes[i]), b = static_cast<uint8_t>(bytes[i + 1]);
    return static_cast<uint32_t>(big_endian ? (a << 8 | b) : (b << 8 | a));
  };
  const size_t n = bytes.size() & ~size_t{1};
  for (size_t i = 0; i < n; i += 2) {
    uint32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 2 < n) {
      const uint32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
    AppendUtf8(out, u);
  }
  return out;
}

// Length of the valid UTF-8 sequence at s[i], or 0.
size_t Utf8SequenceAt(std::string_view s, size_t i) {
  const auto c = static_cast<uint8_t>(s[i]);
  if (c < 0x80) return 1;
  size_t len;
  uint32_t cp;
  if (c >= 0xC2 && c <= 0xDF) len = 2, cp = c & 0x1F;
  else if (c >= 0xE0 && c <= 0xEF) len = 3, cp = c & 0x0F;
  else if (c >= 0xF0 && c <= 0xF4) len = 4, cp = c & 0x07;
  else return 0;
  if (i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    const auto t = static_cast<uint8_t>(s[i + k]);
    if ((t & 0xC0) != 0x80) return 0;
    cp = cp << 6 | (t & 0x3F);
  }
  if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
    return 0;
  return len;
}

std::string MakeKey(std::string_view section, std::string_view key) {
  std::string k = Lower(Trim(section));
  k += '\n';
  k += Lower(Trim(key));
  return k;
}

}  // namespace

bool IniFile::Load(const std::string &path, FileProblem *problem) {
  values_.clear();
  sections_.clear();
  loaded_ = false;
  std::string text;
  if (!Sys_Read_File(path, text, kMaxFileBytes, problem)) return false;
  Parse(text);
  return true;
}

void IniFile::Parse(std::string_view text) {
  values_.clear();
  sections_.clear();
  loaded_ = true;
  // Editors that save "Unicode" write UTF-16 after a byte order mark; it is read as UTF-8 text.
  // A UTF-8 byte order mark is skipped. Without a mark the bytes are taken as they are.
  std::string decoded;
  if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF") {
    decoded = Utf16ToUtf8(text.substr(2), text[0] == '\xFE');
    text = decoded;
  } else if (text.substr(0, 3) == "\xEF\xBB\xBF") {
    text.remove_prefix(3);
  }
  std::string section;
  bool in_section = false;
  bool section_seen_before = false;
  while (!text.empty()) {
    // A line ends at CR, LF or CR LF.
    size_t eol = text.find_first_of("\r\n");
    std::string_view line = text.substr(0, eol);
    if (eol != std::string_view::npos && text[eol] == '\r' && eol + 1 < text.size() && text[eol + 1] == '\n') ++eol;
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
    // One pair of matching double or single quotes around the value is removed; what is inside
    // them is kept as written. An unmatched quote stays.
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    if (quoted) value = value.substr(1, value.size() - 2);
    if (value.size() > kMaxValue) value = quoted ? value.substr(0, kMaxValue) : Trim(value.substr(0, kMaxValue));
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

std::string Ini_Display_Text(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const size_t len = Utf8SequenceAt(text, i);
    if (len == 0) break;
    i += len;
  }
  if (i == text.size()) return std::string(text);
  // Windows-1252: Latin-1 with printable characters in 0x80..0x9F; the five unassigned codes
  // keep their C1 values, as Windows converts them.
  static const uint16_t k80[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                   0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string out;
  out.reserve(text.size() * 2);
  for (char ch : text) {
    const auto c = static_cast<uint8_t>(ch);
    AppendUtf8(out, c >= 0x80 && c < 0xA0 ? k80[c - 0x80] : c);
  }
  return out;
}
