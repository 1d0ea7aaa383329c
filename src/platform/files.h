// File names as the configuration files build them, made usable on every platform.
#pragma once
#include <cstdint>
#include <string>

// Why a file was not read.
struct FileProblem {
  enum Kind { None, Missing, NotAFile, TooLarge, Unreadable } kind = None;
  uint64_t size = 0;   // TooLarge: the file's size
  uint64_t limit = 0;  // TooLarge: the most that is read
  int error = 0;       // Unreadable: the system's error number
};

// What the file system says about an existing name.
struct FileInfo {
  bool regular = false;  // a regular file (not a folder, pipe or device)
  uint64_t size = 0;
  int64_t mtime_ns = 0;  // last change, in nanoseconds from the system's epoch
};

// Turns the "\" folder separators of a configuration value into the platform's separator. Only
// values get this: a folder of the program's own may have "\" in its name.
std::string Sys_Native_Path(const std::string &path);
// A message's text as a Windows user reads it: inside each drive ("C:\\...") or network
// ("\\\\server\\...") path, up to the end of its line or a closing ")" or quote, every "/" the
// program joined names with becomes "\\". Other text is left as it is.
std::string Sys_Shown_Windows_Paths(const std::string &text);
// The name of an existing file for path (used as it is): the path itself, or, when a folder or
// file of that name exists with other letter case (a skin made on a case-insensitive file
// system), that one. Empty when there is none.
std::string Sys_Find_File(const std::string &path);
// Sys_Find_File for a name built from configuration values alone (its "\" are separators).
std::string Sys_Find_Value_File(const std::string &value);
// An existing name with each part spelt as the file system spells it (on a file system that
// ignores letter case); elsewhere the name itself.
std::string Sys_Disk_Spelling(const std::string &path);
// Looks at path (used as it is); false when nothing of that name can be looked at.
bool Sys_File_Info(const std::string &path, FileInfo &info);
// True when Sys_Find_File finds a regular file.
bool Sys_File_Exists(const std::string &path);
// The whole file, or false when it is missing, is not a regular file (a pipe or a device is
// refused without waiting on it), cannot be read or is larger than max_bytes; problem (when
// given) says which.
bool Sys_Read_File(const std::string &path, std::string &out, size_t max_bytes = 64u << 20,
                   FileProblem *problem = nullptr);
