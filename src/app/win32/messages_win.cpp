// Text conversion, message boxes and the desktop shell of the Windows shell.
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <thread>

#include "app/win32/small_windows_win.h"

std::wstring Win_Wide(const std::string &utf8) {
  if (utf8.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return w;
}

std::string Win_Utf8(const std::wstring &wide) {
  if (wide.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), s.data(), n, nullptr, nullptr);
  return s;
}

void Win_Error_Box(HWND owner, const std::string &text) {
  MessageBoxW(owner, Win_Wide(text).c_str(), Win_Wide(kUiProgramTitle).c_str(), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

void Win_Info_Box(HWND owner, const std::string &text) {
  MessageBoxW(owner, Win_Wide(text).c_str(), Win_Wide(kUiProgramTitle).c_str(),
              MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

void Win_Notice_Box(const std::string &text) {
  // A box of its own thread and without owner: the game's thread goes on and keeps the keyboard.
  std::thread([w = Win_Wide(text)] {
    MessageBoxW(nullptr, w.c_str(), Win_Wide(kUiProgramTitle).c_str(), MB_OK | MB_ICONWARNING | MB_TOPMOST);
  }).detach();
}

void Win_Shell_Open(const std::string &what) {
  ShellExecuteW(nullptr, L"open", Win_Wide(what).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
