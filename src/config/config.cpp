#include "config/config.h"

#include <cstring>

#include "platform/files.h"
#include "platform/ini.h"

int32_t Config::StageIndex(int32_t n) const {
  if (stage_count < 1) return 1;
  int32_t m = (n - 1) % stage_count;
  if (m < 0) m += stage_count;
  return m + 1;
}

std::string Config::MainIni() const { return program_folder + "Config.ini"; }

std::string Config::InProgramFolder(const std::string &name) const {
  // Only the value's "\" are separators; the program folder is taken as the system gave it.
  const std::string native = Sys_Native_Path(name);
  if (!native.empty() && (native[0] == '/' || (native.size() > 1 && native[1] == ':'))) return native;
  return program_folder + native;
}

std::string Cfg_With_Delimiter(const std::string &folder) {
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder;
  return folder + "\\";
}

namespace {

constexpr const char *kNotFound = "Configuration file (Config.ini) not found. Please reinstall the game.";
constexpr const char *kEnding = " Please reinstall the game.";

// A value quoted in a message, shortened when it is long.
std::string Shown(const std::string &value) {
  return value.size() <= 24 ? value : value.substr(0, 24) + "...";
}

ConfigStatus Fail(ConfigStatus status, std::string *message, const std::string &text) {
  if (message) *message = text;
  return status;
}

// What is wrong with a Config.ini that is there but was not read; where says whose it is (empty
// for the main one).
std::string Describe(const FileProblem &p, const std::string &where = {}) {
  const std::string file = "Configuration file (Config.ini)" + (where.empty() ? "" : " " + where);
  switch (p.kind) {
    case FileProblem::TooLarge:
      return file + " is too large: " + std::to_string(p.size) + " bytes, at most " + std::to_string(p.limit) +
             " are read.";
    case FileProblem::NotAFile:
      return file + " is not a regular file.";
    default:
      return file + " cannot be read: " + std::string(std::strerror(p.error)) + ".";
  }
}

// The start-up message for a stage folder's Config.ini, empty when it can be read. It is read
// whole here (a few KB each) so that a pipe, a folder or an oversized file in its place is named
// now rather than found later by the loaders, which would only fall back to their defaults.
std::string StageProblem(const std::string &path, int32_t stage) {
  // A missing one: the usual message, then which stage and where it was looked for.
  const std::string missing = std::string(kNotFound) + " (stage " + std::to_string(stage) + ": " + path + ")";
  const std::string found = Sys_Find_File(path);
  if (found.empty()) return missing;
  IniFile ini;
  FileProblem problem;
  if (ini.Load(found, &problem)) return {};
  return problem.kind == FileProblem::Missing ? missing
                                              : Describe(problem, "of stage " + std::to_string(stage)) + kEnding;
}

}  // namespace

ConfigStatus Cfg_Read(Config &cfg, std::string *message) {
  cfg.stage_count = 0;
  if (message) message->clear();
  IniFile ini;
  const std::string main = Sys_Find_File(cfg.MainIni());
  if (main.empty()) return Fail(ConfigStatus::MainMissing, message, kNotFound);
  FileProblem problem;
  if (!ini.Load(main, &problem)) {
    if (problem.kind == FileProblem::Missing) return Fail(ConfigStatus::MainMissing, message, kNotFound);
    return Fail(ConfigStatus::MainUnreadable, message, Describe(problem) + kEnding);
  }
  cfg.resources_path = Cfg_With_Delimiter(ini.ReadString("Common", "ResourcesPath", "Resources\\Common\\"));
  const int32_t stages = ini.ReadInteger("Common", "Stages", 4);
  // The table holds 99 stages and stage arithmetic needs at least one.
  if (stages < 1 || stages > kMaxStages)
    return Fail(ConfigStatus::BadStageCount, message,
                "Configuration file (Config.ini) gives Stages=" + Shown(ini.ReadString("Common", "Stages", "")) +
                    ", but the game has room for 1 to " + std::to_string(kMaxStages) + " stages." + kEnding);
  cfg.stage_count = stages;
  std::string stage_message;  // from the first stage folder that fails
  for (int32_t n = 1; n <= stages; ++n) {
    const std::string section = "Stage" + std::to_string(n);
    StageEntry &s = cfg.stage_table[n];
    s.path = Cfg_With_Delimiter(ini.ReadString(section, "Path", "Resources\\Level" + std::to_string(n) + "\\"));
    s.name = Ini_Display_Text(ini.ReadString(section, "Name", "Nameless Stage"));
    s.image = ini.ReadString(section, "Image", "im_stage" + std::to_string(n) + ".png");
    if (stage_message.empty()) stage_message = StageProblem(cfg.InProgramFolder(s.path) + "Config.ini", n);
  }
  return stage_message.empty() ? ConfigStatus::Ok : Fail(ConfigStatus::StageMissing, message, stage_message);
}
