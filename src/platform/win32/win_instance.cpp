#include <thread>

#include "platform/files.h"
#include "platform/win32/win_platform.h"

namespace {

constexpr const wchar_t *kTitle = L"Kellup Tusko Lumo Special Edition";

}  // namespace

WinInstance::~WinInstance() {
  if (mutex_) CloseHandle(mutex_);  // the system lets go of it however the copy ends
}

bool WinInstance::Acquire() {
  // "Local\": one name per user session, so copies of other users never meet.
  mutex_ = CreateMutexW(nullptr, FALSE, L"Local\\Zandrel.KTuskoSE50.Running");
  if (mutex_ && GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex_);
    mutex_ = nullptr;
    return false;
  }
  return true;
}

bool WinInstance::AskRunningToFront() {
  // The running copy shows its splash window or its game window; whichever is visible comes up.
  HWND w = nullptr;
  for (HWND h = FindWindowExW(nullptr, nullptr, nullptr, nullptr); h; h = FindWindowExW(nullptr, h, nullptr, nullptr)) {
    wchar_t cls[64] = {};
    GetClassNameW(h, cls, 64);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == GetCurrentProcessId() || !IsWindowVisible(h)) continue;
    wchar_t title[128] = {};
    GetWindowTextW(h, title, 128);
    if (std::wstring(cls) == kWindowClass || std::wstring(title) == kTitle) {
      w = h;
      if (std::wstring(cls) != kWindowClass) break;  // the splash window comes first
    }
  }
  if (!w) return false;
  if (IsIconic(w)) ShowWindow(w, SW_RESTORE);
  // This copy was just started by the player, so it may hand the foreground on.
  SetForegroundWindow(w);
  return true;
}

namespace {
// A box with the program's title; the paths its text names are shown the Windows way.
void Box(HWND owner, const std::string &text, UINT icon) {
  MessageBoxW(owner, Plat_Wide(Sys_Shown_Windows_Paths(text)).c_str(), kTitle, MB_OK | icon);
}
}  // namespace

void Plat_Error_Box(HWND owner, const std::string &text) { Box(owner, text, MB_ICONERROR); }

void Plat_Info_Box(HWND owner, const std::string &text) { Box(owner, text, MB_ICONINFORMATION); }

void Plat_Warning_Box(HWND owner, const std::string &text) { Box(owner, text, MB_ICONWARNING); }

void Plat_Warning_Box(const std::string &text) {
  // A box of its own thread, without an owner: the game window keeps running and keeps the keys.
  std::thread([text] { Box(nullptr, text, MB_ICONWARNING); }).detach();
}
