// The main Config.ini: resources folder and stage table, read once at start-up.
#pragma once
#include <cstdint>
#include <string>

constexpr int32_t kMaxStages = 99;

struct StageEntry {
  std::string path;   // stage folder with a trailing "\"
  std::string name;   // shown on the intro screen, as UTF-8
  std::string image;  // intro picture in the resources folder, or "nil"
};

struct Config {
  std::string program_folder;  // folder of the executable, with a trailing separator
  std::string resources_path;  // with a trailing "\"
  int32_t stage_count = 0;
  StageEntry stage_table[kMaxStages + 1];  // 1 .. stage_count

  // ((n - 1) mod stage_count) + 1: the configured stages repeat in a cycle.
  int32_t StageIndex(int32_t n) const;
  const StageEntry &Stage(int32_t n) const { return stage_table[StageIndex(n)]; }
  // program folder + "Config.ini"
  std::string MainIni() const;
  // program folder + name, or name itself when it is an absolute path; name is a configuration
  // value and comes back with its "\" made folder separators.
  std::string InProgramFolder(const std::string &name) const;
};

enum class ConfigStatus {
  Ok,
  MainMissing,     // no main Config.ini beside the program
  MainUnreadable,  // the main Config.ini is too large, not a regular file or cannot be read
  BadStageCount,   // Stages below 1 or above 99
  StageMissing,    // at least one stage folder has no Config.ini
};

// Start-up step 3: fills resources_path, stage_count and stage_table from the main Config.ini.
// Every stage is read even when one fails the folder check. For a failure, message (when given)
// receives the text of the start-up message: "not found" for a missing file (for a stage's,
// followed by the stage and the file looked for), otherwise what is wrong (the Stages value
// found, the file's size).
ConfigStatus Cfg_Read(Config &cfg, std::string *message = nullptr);
// A folder value with the trailing "\" added when missing.
std::string Cfg_With_Delimiter(const std::string &folder);
