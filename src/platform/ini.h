// Read-only INI files with the profile-file rules the Config.ini files are written for:
// section and key names compared without regard to ASCII case, the first occurrence wins, lines
// ended by CR, LF or CR LF, values trimmed of blanks, freed of one pair of matching quotes and cut
// at 2047 characters, integers in decimal or "$"/"0x" hexadecimal; UTF-16 files with a byte order
// mark are read as UTF-8.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/files.h"

class IniFile {
 public:
  // Reads and parses the whole file; a missing, unreadable or oversized (above 4 MB) file, or one
  // that is not a regular file, gives an empty one and false, and problem (when given) says why.
  bool Load(const std::string &path, FileProblem *problem = nullptr);
  // Parses text already in memory.
  void Parse(std::string_view text);
  bool Loaded() const { return loaded_; }

  // The value of section/key, or def when either is missing.
  std::string ReadString(std::string_view section, std::string_view key, const std::string &def) const;
  // The value as an integer, or def when missing or not a valid integer.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
  // True when the section exists.
  bool HasSection(std::string_view section) const;

 private:
  const std::string *Find(std::string_view section, std::string_view key) const;
  bool loaded_ = false;
  // lower-cased "section\nkey" -> value of its first occurrence
  std::unordered_map<std::string, std::string> values_;
  std::unordered_map<std::string, bool> sections_;
};

// An integer as the profile readers accept it: optional blanks and sign, then decimal digits, or
// hexadecimal after "$", "0x" or "0X"; nothing after the digits; decimal must fit 32 bits, hexadecimal
// may use all 32 bits and wraps to the signed value.
std::optional<int32_t> Ini_Parse_Int(std::string_view text);

// A value as UTF-8 text for the screen: valid UTF-8 as it is, anything else read as Windows-1252
// (the code page Windows editors save in).
std::string Ini_Display_Text(std::string_view text);
