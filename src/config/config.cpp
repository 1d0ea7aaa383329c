#include "config/config.h"

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
  const std::string native = Sys_Native_Path(name);
  if (!native.empty() && (native[0] == '/' || (native.size() > 1 && native[1] == ':'))) return name;
  return program_folder + name;
}

std::string Cfg_With_Delimiter(const std::string &folder) {
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) return folder;
  return folder + "\\";
}

ConfigStatus Cfg_Read(Config &cfg) {
  cfg.stage_count = 0;
  IniFile ini;
  const std::string main = Sys_Find_File(cfg.MainIni());
  if (main.empty() || !ini.Load(main)) return ConfigStatus::MainMissing;
  cfg.resources_path = Cfg_With_Delimiter(ini.ReadString("Common", "ResourcesPath", "Resources\\Common\\"));
  const int32_t stages = ini.ReadInteger("Common", "Stages", 4);
  // The table holds 99 stages and stage arithmetic needs at least one.
  if (stages < 1 || stages > kMaxStages) return ConfigStatus::BadStageCount;
  cfg.stage_count = stages;
  bool failed = false;
  for (int32_t n = 1; n <= stages; ++n) {
    const std::string section = "Stage" + std::to_string(n);
    StageEntry &s = cfg.stage_table[n];
    s.path = Cfg_With_Delimiter(ini.ReadString(section, "Path", "Resources\\Level" + std::to_string(n) + "\\"));
    s.name = Ini_Display_Text(ini.ReadString(section, "Name", "Nameless Stage"));
    s.image = ini.ReadString(section, "Image", "im_stage" + std::to_string(n) + ".png");
    if (!Sys_File_Exists(cfg.InProgramFolder(s.path) + "Config.ini")) failed = true;
  }
  return failed ? ConfigStatus::StageMissing : ConfigStatus::Ok;
}
