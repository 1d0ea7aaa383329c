// File names as the configuration files build them, made usable on every platform.
#pragma once
#include <string>

// Turns the "\" folder separators of configuration values into the platform's separator.
std::string Sys_Native_Path(const std::string &path);
// The name of an existing file for path: the path itself, or, when a folder or file of that
// name exists with other letter case (a skin made on a case-insensitive file system), that one.
// Empty when there is none.
std::string Sys_Find_File(const std::string &path);
// True when Sys_Find_File finds a regular file.
bool Sys_File_Exists(const std::string &path);
// The whole file, or false when it cannot be read or is larger than max_bytes.
bool Sys_Read_File(const std::string &path, std::string &out, size_t max_bytes = 64u << 20);
