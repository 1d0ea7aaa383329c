// File names built from configuration values: "\" folders, and skins made on a file system that
// ignores letter case.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <string>

#include "platform/files.h"
#include "test_support.h"

TEST(FilesPath, BackslashesAreFolderSeparators) {
  EXPECT_EQ(Sys_Native_Path("Resources\\Level1\\Config.ini"), "Resources/Level1/Config.ini");
  EXPECT_EQ(Sys_Native_Path("/abs/x\\y"), "/abs/x/y");
  EXPECT_EQ(Sys_Native_Path(""), "");

  TempDir dir;
  dir.Write("Resources/Level1/Config.ini", "x");
  EXPECT_EQ(Sys_Find_Value_File(dir.path + "Resources\\Level1\\Config.ini"), dir.path + "Resources/Level1/Config.ini");
  EXPECT_TRUE(Sys_File_Exists(dir.path + Sys_Native_Path("Resources\\Level1\\\\Config.ini")));
}

TEST(FilesPath, WindowsMessagesShowPathsWithBackslashes) {
  EXPECT_EQ(Sys_Shown_Windows_Paths("Configuration file (Config.ini) not found. (stage 2: "
                                    "Z:\\Spiele Ü/Resources/Level2/Config.ini)\nsee a/b"),
            "Configuration file (Config.ini) not found. (stage 2: "
            "Z:\\Spiele Ü\\Resources\\Level2\\Config.ini)\nsee a/b");
  EXPECT_EQ(Sys_Shown_Windows_Paths("\\\\srv\\games/Res/x.png: 1/2 \"c:/a/b\" and/or"),
            "\\\\srv\\games\\Res\\x.png: 1/2 \"c:\\a\\b\" and/or");
  EXPECT_EQ(Sys_Shown_Windows_Paths("ratio 3:/2 a:/b"), "ratio 3:/2 a:\\b");
  EXPECT_EQ(Sys_Shown_Windows_Paths("/home/user/x.png"), "/home/user/x.png");
}

TEST(FilesFind, FallsBackToAnotherLetterCase) {
  TempDir dir;
  dir.Write("Resources/Level1/im_Pelko.PNG", "p");
  // Every part of the path may differ in case.
  EXPECT_EQ(Sys_Find_Value_File(dir.path + "resources\\LEVEL1\\IM_PELKO.png"), dir.path + "Resources/Level1/im_Pelko.PNG");
  EXPECT_TRUE(Sys_File_Exists(dir.path + "RESOURCES/level1/im_pelko.png"));
#ifndef _WIN32
  // An exact match is taken before any other spelling. (Windows holds no two names that differ
  // only in case.)
  dir.Write("Resources/Level1/exact.png", "e");
  dir.Write("Resources/Level1/EXACT.png", "E");
  std::string content;
  ASSERT_TRUE(Sys_Read_File(Sys_Find_File(dir.path + "Resources/Level1/EXACT.png"), content));
  EXPECT_EQ(content, "E");
  ASSERT_TRUE(Sys_Read_File(Sys_Find_File(dir.path + "Resources/Level1/exact.png"), content));
  EXPECT_EQ(content, "e");
#endif
  // Names that do not exist in any spelling.
  EXPECT_EQ(Sys_Find_File(dir.path + "Resources/Level2/im_pelko.png"), "");
  EXPECT_EQ(Sys_Find_File(dir.path + "Resources/Level1/im_pelk.png"), "");
  EXPECT_EQ(Sys_Find_File(dir.path + "Resources/Level1/im_pelko.png/x"), "");
  EXPECT_EQ(Sys_Find_File(""), "");
  // A folder is found but is not a file.
  EXPECT_NE(Sys_Find_File(dir.path + "resources/level1"), "");
  EXPECT_FALSE(Sys_File_Exists(dir.path + "resources/level1"));
}

TEST(FilesFind, RelativeNamesResolveAgainstTheCurrentFolder) {
  TempDir dir;
  dir.Write("Resources/Common/snd_stage.wav", "w");
  char old[PATH_MAX];
  ASSERT_TRUE(getcwd(old, sizeof old));
  ASSERT_EQ(chdir(dir.path.c_str()), 0);
  const std::string found = Sys_Find_Value_File("resources\\common\\SND_STAGE.wav");
  const bool up = Sys_File_Exists("Resources/../Resources/Common/snd_stage.wav");
  ASSERT_EQ(chdir(old), 0);
  EXPECT_EQ(found, "Resources/Common/snd_stage.wav");
  EXPECT_TRUE(up);
}

TEST(FilesRead, WholeFileOrNothing) {
  TempDir dir;
  const std::string bytes("a\0b\r\n\xFF", 6);
  dir.Write("f.bin", bytes);
  dir.Write("empty", "");
  std::string out = "old";
  ASSERT_TRUE(Sys_Read_File(dir.path + "f.bin", out));
  EXPECT_EQ(out, bytes);
  ASSERT_TRUE(Sys_Read_File(dir.path + "empty", out));
  EXPECT_EQ(out, "");
  EXPECT_TRUE(Sys_Read_File(dir.path + "f.bin", out, 6));
  EXPECT_FALSE(Sys_Read_File(dir.path + "f.bin", out, 5));
  EXPECT_FALSE(Sys_Read_File(dir.path + "missing", out));
  EXPECT_FALSE(Sys_Read_File(dir.path, out));  // a folder
#ifndef _WIN32
  // No memory for the buffer: refused as unreadable, and the file is not left open.
  if (!kAddressLimits) return;
  dir.Write("big.bin", "");
  ASSERT_EQ(truncate((dir.path + "big.bin").c_str(), 48 << 20), 0);
  const ChildCost c = Run_In_Child(
      [&dir] {
        auto open_files = [] {
          return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
        };
        const auto before = open_files();
        std::string big;
        FileProblem problem;
        const bool read = Sys_Read_File(dir.path + "big.bin", big, 64u << 20, &problem);
        return !read && problem.kind == FileProblem::Unreadable && open_files() == before ? 0 : 1;
      },
      10, Address_Space_Mb() + 16);
  EXPECT_TRUE(c.exited) << "ended by signal " << c.status;
  EXPECT_EQ(c.status, 0);
#else
  // A device that never ends is not read.
  FileProblem problem;
  EXPECT_FALSE(Sys_Read_File("NUL", out, 1u << 20, &problem));
  EXPECT_EQ(problem.kind, FileProblem::NotAFile);
#endif
}
