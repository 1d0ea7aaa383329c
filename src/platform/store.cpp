#include "platform/store.h"

#include "platform/ini.h"

int32_t Store::ReadInteger(const std::string &name, int32_t def) {
  std::optional<std::string> text = ReadText(name);
  if (!text) return def;
  // Stored values are plain decimal text; the same parser as the configuration files accepts
  // them, and anything else (garbage from a hand-edited store) gives the default.
  return Ini_Parse_Int(*text).value_or(def);
}

bool Store::ReadBool(const std::string &name, bool def) { return ReadInteger(name, def ? 1 : 0) != 0; }

bool Store::WriteInteger(const std::string &name, int32_t value) { return WriteText(name, std::to_string(value)); }

bool Store::WriteTexts(const std::vector<std::pair<std::string, std::string>> &values) {
  bool ok = true;
  for (const auto &[name, text] : values) ok = WriteText(name, text) && ok;
  return ok;
}

bool Store::WriteBool(const std::string &name, bool value) { return WriteText(name, value ? "1" : "0"); }

std::optional<std::string> MemStore::ReadText(const std::string &name) {
  auto it = values.find(name);
  if (it == values.end()) return std::nullopt;
  return it->second;
}

bool MemStore::WriteText(const std::string &name, const std::string &text) {
  values[name] = text;
  ++writes;
  return true;
}
