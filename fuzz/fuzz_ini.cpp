// The INI reader on arbitrary text: parsing never fails, and every key the text seems to name
// reads back trimmed (but for blanks kept inside quotes), on one line, within the value length
// limit, the same whatever the letter case, and as the integer its text spells.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/ini.h"
#include "fuzz_check.h"

namespace {

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char &c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

void Probe(const IniFile &ini, std::string_view section, std::string_view key, bool text_has_quotes) {
  const std::string def = "\x01missing";
  const std::string v = ini.ReadString(section, key, def);
  Check(ini.ReadString(Upper(section), Upper(key), def) == v, "names are case-insensitive");
  if (v == def) {
    Check(ini.ReadInteger(section, key, 12345) == 12345, "missing key reads as the default integer");
    return;
  }
  Check(ini.HasSection(section), "a key's section exists");
  Check(v.size() <= 2047, "value longer than 2047 characters");
  // Blanks inside a pair of quotes are kept; without quotes the value is trimmed.
  const bool quoted_blank = v.find_first_of(" \t\v\f") != std::string::npos && text_has_quotes;
  Check(quoted_blank || v.empty() || (!Blank(v.front()) && !Blank(v.back())), "value not trimmed");
  Check(v.find_first_of("\r\n") == std::string::npos, "value spans lines");
  const std::optional<int32_t> n = Ini_Parse_Int(v);
  Check(ini.ReadInteger(section, key, 12345) == n.value_or(12345), "integer differs from its text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  IniFile ini;
  ini.Parse(text);
  Check(ini.Loaded(), "parsed text counts as loaded");
  const bool quotes = text.find_first_of("\"'") != std::string_view::npos;
  // Walk the lines much as a reader of the file would, asking for every name seen.
  std::string_view section;
  std::string_view rest = text;
  int probes = 0;
  while (!rest.empty() && probes < 200) {
    const size_t eol = rest.find_first_of("\r\n");
    const std::string_view line = rest.substr(0, eol);
    rest.remove_prefix(eol == std::string_view::npos ? rest.size() : eol + 1);
    const size_t open = line.find('[');
    if (open != std::string_view::npos) {
      const size_t close = line.find(']', open);
      section = line.substr(open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1);
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    Probe(ini, section, line.substr(0, eq), quotes);
    ++probes;
  }
  Probe(ini, "Common", "BgColor", quotes);
  // Parsing again replaces everything read before.
  ini.Parse("");
  Check(ini.ReadString("Common", "BgColor", "x") == "x" && !ini.HasSection("Common"), "second parse kept old values");
  return 0;
}
