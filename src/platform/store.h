// The per-user settings store: key bindings, high scores and the two start-up preferences.
// Values are text; integers are decimal, booleans "1" or "0". Every write takes effect at once.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
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
