// The settings file's text format. Players' files were written with one [General] section, keys in
// byte order, values as text: quoted when they hold ',', ';' or '=' or begin or end with a space,
// with backslash escapes for quotes, backslashes and control characters, and a leading '@' doubled.
// Reading follows the same rules, so every value of an existing file reads as it always did.
#include <cstdint>

#include "platform/store.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Lower(std::string_view s) {
  std::string r(s);
  for (char &c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A UTF-16 code unit written by an escape, as UTF-8.
void AppendUnit(std::string &out, uint32_t u) {
  u &= 0xFFFF;
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 | (u >> 6));
    out += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (u >> 12));
    out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (u & 0x3F));
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One line of the file: from pos to its end (a backslash before the line break continues it).
// Gives the line without a comment that follows a ';' outside quotes; pos moves past the line.
std::string_view NextLine(std::string_view text, size_t &pos) {
  const size_t start = pos;
  size_t end = std::string_view::npos;
  bool quoted = false;
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == '\\' && pos + 1 < text.size()) {
      pos += 2;
      if (text[pos - 1] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
      continue;
    }
    if (c == '\n' || c == '\r') break;
    if (c == '"') quoted = !quoted;
    if (c == ';' && !quoted && end == std::string_view::npos) end = pos;
    ++pos;
  }
  const std::string_view line = text.substr(start, (end == std::string_view::npos ? pos : end) - start);
  while (pos < text.size() && (text[pos] == '\n' || text[pos] == '\r')) ++pos;
  return line;
}

}  // namespace

StoreFile Store_Parse(std::string_view text) {
  StoreFile file;
  std::string section;
  size_t pos = 0;
  while (pos < text.size()) {
    std::string_view line = NextLine(text, pos);
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    if (Trim(line).empty()) continue;
    if (line.front() == '[') {
      const size_t close = line.find(']');
      const std::string name(Trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1)));
      section = Lower(name) == "general" ? "" : name;
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = Trim(line.substr(0, eq));
    if (key.empty()) continue;
    // Blanks after the value are the value reader's to drop (a quoted value keeps what follows its
    // quotes).
    std::string_view value = line.substr(eq + 1);
    while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
    file.sections[section][std::string(key)] = std::string(value);
  }
  return file;
}

std::string Store_Format(const StoreFile &file) {
  std::string out;
  for (const auto &[name, values] : file.sections) {
    if (values.empty()) continue;
    if (!out.empty()) out += '\n';
    out.append("[").append(name.empty() ? "General" : name).append("]\n");
    for (const auto &[key, value] : values) out.append(key).append("=").append(value).append("\n");
  }
  return out;
}

std::string Store_Encode(std::string_view text) {
  std::string out;
  bool needs_quotes = false, hex_follows = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == ';' || c == ',' || c == '=') needs_quotes = true;
    // A hex digit right after a numeric escape would be read as part of it.
    if (hex_follows && HexDigit(static_cast<char>(c)) >= 0) {
      static const char digits[] = "0123456789abcdef";
      out += "\\x";
      out += digits[c >> 4];
      out += digits[c & 15];
      continue;
    }
    hex_follows = false;
    switch (c) {
      case '\0': out += "\\0"; hex_follows = true; break;
      case '\a': out += "\\a"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\v': out += "\\v"; break;
      case '"':
      case '\\': out += '\\'; out += static_cast<char>(c); break;
      default:
        if (c <= 0x1F) {
          static const char digits[] = "0123456789abcdef";
          out += "\\x";
          if (c >= 16) out += digits[c >> 4];
          out += digits[c & 15];
          hex_follows = true;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  if (!text.empty() && text.front() == '@') out.insert(out.begin(), '@');
  if (needs_quotes || (!out.empty() && (out.front() == ' ' || out.back() == ' '))) {
    out.insert(out.begin(), '"');
    out += '"';
  }
  return out;
}

std::optional<std::string> Store_Decode(std::string_view s) {
  std::string cur;
  int items = 1;
  bool in_quotes = false, cur_quoted = false;
  size_t keep = 0;  // trailing blanks before this length are the value's own (quoted or escaped)
  auto chop = [&] {
    if (cur_quoted) return;
    while (cur.size() > keep && IsBlank(cur.back())) cur.pop_back();
  };
  size_t i = 0;
  auto skip_blanks = [&] {
    while (i < s.size() && IsBlank(s[i])) ++i;
  };
  skip_blanks();
  while (i < s.size()) {
    const char c = s[i];
    if (c == '\\') {
      if (++i >= s.size()) break;
      const char e = s[i++];
      static const char codes[][2] = {{'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'}, {'r', '\r'}, {'t', '\t'},
                                      {'v', '\v'}, {'"', '"'},  {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
      bool done = false;
      for (const auto &code : codes)
        if (e == code[0]) {
          cur += code[1];
          done = true;
          break;
        }
      if (!done && e == 'x') {
        uint32_t v = 0;
        while (i < s.size() && HexDigit(s[i]) >= 0) v = (v << 4) | static_cast<uint32_t>(HexDigit(s[i++]));
        AppendUnit(cur, v);
      } else if (!done && e >= '0' && e <= '7') {
        uint32_t v = static_cast<uint32_t>(e - '0');
        while (i < s.size() && s[i] >= '0' && s[i] <= '7') v = (v << 3) | static_cast<uint32_t>(s[i++] - '0');
        AppendUnit(cur, v);
      } else if (!done && (e == '\n' || e == '\r')) {
        if (i < s.size() && (s[i] == '\n' || s[i] == '\r') && s[i] != e) ++i;
      }
      keep = cur.size();
    } else if (c == '"') {
      ++i;
      cur_quoted = true;
      in_quotes = !in_quotes;
      if (!in_quotes) skip_blanks();
    } else if (c == ',' && !in_quotes) {
      chop();
      ++items;
      cur.clear();
      keep = 0;
      cur_quoted = false;
      ++i;
      skip_blanks();
    } else {
      cur += c;
      ++i;
    }
  }
  chop();
  if (items > 1) return std::string();
  if (cur.rfind("@@", 0) == 0) return cur.substr(1);
  if (cur == "@Invalid()") return std::nullopt;
  if (cur.rfind("@ByteArray(", 0) == 0 && cur.back() == ')') return cur.substr(11, cur.size() - 12);
  return cur;
}
