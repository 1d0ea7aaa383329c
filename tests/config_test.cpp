// The main Config.ini: stage table defaults, folder delimiters, the stage count and the check of
// the stage folders.
#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <filesystem>

#include <sys/stat.h>

#include "config/config.h"
#include "test_support.h"

namespace {

// A program folder with a main Config.ini and stage folders holding a Config.ini each.
struct ProgramFolder {
  TempDir dir;
  Config cfg;
  ProgramFolder() { cfg.program_folder = dir.path; }
  void Main(const std::string &text) const { dir.Write("Config.ini", text); }
  void StageFolder(const std::string &rel) const { dir.Write(rel + "/Config.ini", "[Common]\n"); }
};

}  // namespace

TEST(ConfigRead, DefaultsForMissingKeysAndSections) {
  ProgramFolder f;
  f.Main("[Common]\nStages=2\n");
  f.StageFolder("Resources/Level1");
  f.StageFolder("Resources/Level2");
  EXPECT_EQ(Cfg_Read(f.cfg), ConfigStatus::Ok);
  EXPECT_EQ(f.cfg.resources_path, "Resources\\Common\\");
  EXPECT_EQ(f.cfg.stage_count, 2);
  EXPECT_EQ(f.cfg.stage_table[1].path, "Resources\\Level1\\");
  EXPECT_EQ(f.cfg.stage_table[1].name, "Nameless Stage");
  EXPECT_EQ(f.cfg.stage_table[1].image, "im_stage1.png");
  EXPECT_EQ(f.cfg.stage_table[2].path, "Resources\\Level2\\");
  EXPECT_EQ(f.cfg.stage_table[2].image, "im_stage2.png");
}

TEST(ConfigRead, FoldersGetATrailingDelimiterOtherValuesStayAsRead) {
  ProgramFolder f;
  f.Main(
      "[Common]\nResourcesPath=Res\\Common\nStages=1\n"
      "[Stage1]\nPath=Levels\\Forest\nName=  The Forest  \nImage=nil\n");
  f.StageFolder("Levels/Forest");
  EXPECT_EQ(Cfg_Read(f.cfg), ConfigStatus::Ok);
  EXPECT_EQ(f.cfg.resources_path, "Res\\Common\\");
  EXPECT_EQ(f.cfg.stage_table[1].path, "Levels\\Forest\\");
  EXPECT_EQ(f.cfg.stage_table[1].name, "The Forest");
  EXPECT_EQ(f.cfg.stage_table[1].image, "nil");
  EXPECT_EQ(Cfg_With_Delimiter("A\\"), "A\\");
  EXPECT_EQ(Cfg_With_Delimiter("A/"), "A/");
  EXPECT_EQ(Cfg_With_Delimiter("A"), "A\\");
}

TEST(ConfigRead, StageCountForms) {
  struct Case {
    const char *value;
    int32_t count;  // 0: refused
  } const cases[] = {{"0x10", 16}, {"$10", 16}, {"three", 4}, {"", 4}, {"1", 1}, {"99", 99},
                     {"0", 0},     {"100", 0},  {"-1", 0},    {"$7FFFFFFF", 0}};
  for (const Case &c : cases) {
    ProgramFolder f;
    f.Main(std::string("[Common]\nStages=") + c.value + "\n");
    const ConfigStatus s = Cfg_Read(f.cfg);
    if (c.count == 0) {
      EXPECT_EQ(s, ConfigStatus::BadStageCount) << c.value;
      EXPECT_EQ(f.cfg.stage_count, 0) << c.value;
    } else {
      EXPECT_EQ(s, ConfigStatus::StageMissing) << c.value;  // no stage folders were made
      EXPECT_EQ(f.cfg.stage_count, c.count) << c.value;
      EXPECT_EQ(f.cfg.stage_table[c.count].path, "Resources\\Level" + std::to_string(c.count) + "\\") << c.value;
    }
  }
}

TEST(ConfigRead, AMissingStageFolderFailsTheCheckButEveryStageIsRead) {
  ProgramFolder f;
  f.Main("[Common]\nStages=4\n[Stage4]\nName=Last\n");
  f.StageFolder("Resources/Level1");
  f.StageFolder("Resources/Level2");
  f.StageFolder("Resources/Level4");
  EXPECT_EQ(Cfg_Read(f.cfg), ConfigStatus::StageMissing);
  EXPECT_EQ(f.cfg.stage_count, 4);
  EXPECT_EQ(f.cfg.stage_table[4].name, "Last");
  EXPECT_EQ(f.cfg.stage_table[4].path, "Resources\\Level4\\");

  f.StageFolder("Resources/Level3");
  EXPECT_EQ(Cfg_Read(f.cfg), ConfigStatus::Ok);
}

TEST(ConfigRead, StageFoldersMatchWithoutRegardToCaseAndResolveInTheProgramFolder) {
  ProgramFolder f;
  f.Main("[common]\nstages=2\n[STAGE1]\nPATH=levels\\FIRST\n[Stage2]\nPath=" + f.dir.path + "abs\n");
  f.StageFolder("Levels/First");
  f.dir.Write("abs/config.INI", "");
  EXPECT_EQ(Cfg_Read(f.cfg), ConfigStatus::Ok);
  EXPECT_EQ(f.cfg.stage_table[1].path, "levels\\FIRST\\");
}

// The user's locale for the length of a test, as the GUI library sets it: Turkish, where the C
// library lower-cases "I" to a dotless i. Built from the system's locale sources on first use.
struct TurkishLocale {
  bool ok = false;
#ifdef _WIN32
  // Windows has the Turkish locale built in.
  TurkishLocale() { ok = std::setlocale(LC_ALL, "Turkish_Turkey.1254") != nullptr && std::tolower('I') != 'i'; }
  ~TurkishLocale() { std::setlocale(LC_ALL, "C"); }
#else
  TurkishLocale() {
    const std::string dir = KT_TEST_LOCALE_DIR;
    if (!std::filesystem::exists(dir + "/tr_TR.UTF-8"))
      (void)std::system(("mkdir -p '" + dir + "' && localedef -i tr_TR -f UTF-8 '" + dir +
                         "/tr_TR.UTF-8' >/dev/null 2>&1").c_str());
    setenv("LOCPATH", dir.c_str(), 1);
    ok = std::setlocale(LC_ALL, "tr_TR.UTF-8") != nullptr && std::tolower('I') != 'i';
  }
  ~TurkishLocale() {
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
  }
#endif
};

TEST(ConfigRead, NamesAndFilesIgnoreAsciiCaseWhateverTheLocale) {
  ProgramFolder f;
  f.Main("[common]\nstages=1\n[stage1]\nPath=LEVELS\\FIRST\nimage=intro.png\nname=Bir\n");
  f.StageFolder("levels/first");
  TurkishLocale tr;
  if (!tr.ok) GTEST_SKIP() << "no Turkish locale here (on Linux it is built with localedef from the locales package)";
  EXPECT_EQ(Cfg_Read(f.cfg), ConfigStatus::Ok);
  EXPECT_EQ(f.cfg.stage_table[1].image, "intro.png");
  EXPECT_EQ(f.cfg.stage_table[1].name, "Bir");
}

TEST(ConfigRead, StagesWrittenOnWindows) {
  ProgramFolder f;
  // Quoted values, CR line ends, a name saved in the Windows code page.
  f.Main("[Common]\rStages=\"2\"\r[Stage1]\rPath='My Levels\\One'\rName=\"Caf\xE9 Stage\"\r"
         "[Stage2]\r\nName=\"Caf\xC3\xA9\"\r\n");
  f.StageFolder("My Levels/One");
  f.StageFolder("Resources/Level2");
  EXPECT_EQ(Cfg_Read(f.cfg), ConfigStatus::Ok);
  EXPECT_EQ(f.cfg.stage_count, 2);
  EXPECT_EQ(f.cfg.stage_table[1].path, "My Levels\\One\\");
  EXPECT_EQ(f.cfg.stage_table[1].name, "Caf\xC3\xA9 Stage");
  EXPECT_EQ(f.cfg.stage_table[2].name, "Caf\xC3\xA9");
}

TEST(ConfigRead, AProgramFolderWithABackslashInItsName) {
#ifdef _WIN32
  GTEST_SKIP() << "a Windows folder name cannot hold a backslash";
#endif
  ProgramFolder f;
  f.cfg.program_folder = f.dir.path + "Games\\Tusko/";
  f.dir.Write("Games\\Tusko/Config.ini", "[Common]\nStages=1\n[Stage1]\nPath=Levels\\One\n");
  f.dir.Write("Games\\Tusko/Levels/One/Config.ini", "");
  EXPECT_EQ(Cfg_Read(f.cfg), ConfigStatus::Ok);
  EXPECT_EQ(f.cfg.InProgramFolder("Levels\\One\\"), f.dir.path + "Games\\Tusko/Levels/One/");
}

TEST(ConfigRead, StartUpMessagesSayWhatIsWrong) {
  const std::string not_found = "Configuration file (Config.ini) not found. Please reinstall the game.";
  const std::string huge = "[Common]\nStages=0\n" + std::string(5u << 20, ';');
  struct Case {
    std::string main;      // empty: no main Config.ini
    ConfigStatus status;
    std::string message;   // the whole message, or words it must hold
    std::string stage1;    // what is in place of stage 1's Config.ini: "" nothing, "pipe", "folder"
  } const cases[] = {
      {"", ConfigStatus::MainMissing, not_found, ""},
      {"[Common]\nStages=1\n", ConfigStatus::StageMissing, not_found + " (stage 1: <folder>Resources/Level1/Config.ini)", ""},
      {"[Common]\nStages=1\n", ConfigStatus::StageMissing, "of stage 1 is not a regular file", "pipe"},
      {"[Common]\nStages=1\n", ConfigStatus::StageMissing, "of stage 1 is not a regular file", "folder"},
      {"[Common]\nStages=150\n", ConfigStatus::BadStageCount, "Stages=150", ""},
      {"[Common]\nStages=$FFFFFFFF\n", ConfigStatus::BadStageCount, "Stages=$FFFFFFFF", ""},
      {huge, ConfigStatus::MainUnreadable, "too large: " + std::to_string(huge.size()) + " bytes", ""},
  };
  for (const Case &c : cases) {
    ProgramFolder f;
    if (!c.main.empty()) f.Main(c.main);
    const std::string stage1 = f.dir.path + "Resources/Level1/Config.ini";
    if (!c.stage1.empty()) std::filesystem::create_directories(f.dir.path + "Resources/Level1");
    if (c.stage1 == "pipe") {
#ifdef _WIN32
      continue;  // Windows file systems hold no named pipes
#else
      ASSERT_EQ(::mkfifo(stage1.c_str(), 0600), 0);
#endif
    }
    if (c.stage1 == "folder") std::filesystem::create_directories(stage1);
    std::string message;
    EXPECT_EQ(Cfg_Read(f.cfg, &message), c.status) << c.message;
    if (c.message.starts_with(not_found)) {
      std::string want = c.message;
      if (const size_t at = want.find("<folder>"); at != std::string::npos) want.replace(at, 8, f.dir.path);
      EXPECT_EQ(message, want);
    } else {
      EXPECT_NE(message.find(c.message), std::string::npos) << message;
      EXPECT_EQ(message.find("not found"), std::string::npos) << message;
      EXPECT_TRUE(message.starts_with("Configuration file (Config.ini) ")) << message;
      EXPECT_TRUE(message.ends_with(". Please reinstall the game.")) << message;
    }
  }
}

TEST(ConfigRead, MissingMainFile) {
  ProgramFolder f;
  f.cfg.stage_count = 3;
  EXPECT_EQ(Cfg_Read(f.cfg), ConfigStatus::MainMissing);
  EXPECT_EQ(f.cfg.stage_count, 0);
  // A main Config.ini written with other letter case is still found.
  f.dir.Write("CONFIG.INI", "[Common]\nStages=1\n");
  f.StageFolder("Resources/Level1");
  EXPECT_EQ(Cfg_Read(f.cfg), ConfigStatus::Ok);
}

TEST(ConfigStageIndex, StagesRepeatInACycle) {
  Config cfg;
  cfg.stage_count = 4;
  const int32_t want[][2] = {{1, 1}, {4, 4}, {5, 1}, {8, 4}, {9, 1}, {103, 3}};
  for (const auto &w : want) EXPECT_EQ(cfg.StageIndex(w[0]), w[1]) << w[0];
  cfg.stage_count = 1;
  EXPECT_EQ(cfg.StageIndex(77), 1);
  cfg.stage_count = 0;  // no table: index 1 rather than a division by zero
  EXPECT_EQ(cfg.StageIndex(5), 1);
}
