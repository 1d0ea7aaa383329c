// Windows text: the program keeps UTF-8 inside and speaks UTF-16 to the wide Windows functions.
#pragma once
#ifdef _WIN32
#include <string>

// UTF-8 to the wide characters Windows takes (invalid bytes become U+FFFD).
std::wstring Sys_Wide(const std::string &utf8);
// Wide characters from Windows to UTF-8.
std::string Sys_Utf8(const std::wstring &wide);
// The text of a Windows error code (GetLastError) in UTF-8, without the trailing line break.
std::string Sys_Error_Text(unsigned long code);
#endif
