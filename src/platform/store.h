// The per-user settings store: key bindings, high scores and the two start-up preferences.
// Values are text; integers are decimal, booleans "1" or "0". Every write takes effect at once.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class Store {
 public:
  virtual ~Store() = default;
  // The stored text of a value, or nothing when it does not exist.
  virtual std::optional<std::string> ReadText(const std::string &name) = 0;
  // Stores text and makes it durable before returning; false when it could not be made durable
  // (the value is still kept for the rest of the run and write_failed has been told why).
  virtual bool WriteText(const std::string &name, const std::string &text) = 0;
  // Stores several values made durable together (one rewrite of a settings file, not one each);
  // false when they could not be made durable, as for WriteText.
  virtual bool WriteTexts(const std::vector<std::pair<std::string, std::string>> &values);

  // Called at every write that did not reach the disk, with a text naming the file and the reason.
  std::function<void(const std::string &why)> write_failed;

  // Integer value; missing or not a valid integer gives def.
  int32_t ReadInteger(const std::string &name, int32_t def);
  // Boolean value read as an integer with default 1 or 0; non-zero is true.
  bool ReadBool(const std::string &name, bool def);
  bool WriteInteger(const std::string &name, int32_t value);
  bool WriteBool(const std::string &name, bool value);
};

// A store kept in memory, for tests and for running without a settings file.
class MemStore : public Store {
 public:
  std::optional<std::string> ReadText(const std::string &name) override;
  bool WriteText(const std::string &name, const std::string &text) override;
  std::map<std::string, std::string> values;
  int writes = 0;
};

// The settings file's text: an INI file whose [General] section holds the values, laid out the way
// players' existing files are. Values keep the form they were stored in until they are written.
struct StoreFile {
  // Section name ("" for [General]) -> key -> the value as it stands in the file.
  std::map<std::string, std::map<std::string, std::string>> sections;
};
// Reads a settings file's text; comments and lines that hold no value are left out.
StoreFile Store_Parse(std::string_view text);
// The file's text: [General] first, then the other sections by name, each with its keys in order.
std::string Store_Format(const StoreFile &file);
// A text value in the form it is stored in the file (quoted and escaped where needed).
std::string Store_Encode(std::string_view text);
// The text of a stored value; a list of several values reads as empty text, a removed one as nothing.
std::optional<std::string> Store_Decode(std::string_view stored);
