#include <cstring>
#include <vector>

#include "platform/win32/win_platform.h"

std::optional<std::string> WinStore::ReadText(const std::string &name) {
  // A value whose write failed this run keeps the value written.
  if (const auto it = held_.find(name); it != held_.end()) return it->second;
  const std::wstring value = Plat_Wide(name);
  DWORD type = 0, bytes = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, kKey, value.c_str(), RRF_RT_ANY, &type, nullptr, &bytes) != ERROR_SUCCESS)
    return std::nullopt;
  std::vector<unsigned char> data(bytes + sizeof(wchar_t));
  if (RegGetValueW(HKEY_CURRENT_USER, kKey, value.c_str(), RRF_RT_ANY, &type, data.data(), &bytes) != ERROR_SUCCESS)
    return std::nullopt;
  // Values are text; a number stored by hand as a DWORD reads as its decimal text.
  if (type == REG_DWORD && bytes >= sizeof(DWORD)) {
    DWORD v = 0;
    std::memcpy(&v, data.data(), sizeof v);
    return std::to_string(static_cast<int32_t>(v));
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::string();
  std::wstring text(reinterpret_cast<const wchar_t *>(data.data()), bytes / sizeof(wchar_t));
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return Plat_Utf8(text);
}

bool WinStore::WriteText(const std::string &name, const std::string &text) {
  // Every value whose write failed earlier in the run goes with this one: once the key can be
  // written again, nothing the player changed meanwhile stays only in memory.
  held_[name] = text;
  HKEY key = nullptr;
  LSTATUS rc = RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                               nullptr);
  if (rc == ERROR_SUCCESS) {
    for (const auto &[n, t] : held_) {
      const std::wstring value = Plat_Wide(n), data = Plat_Wide(t);
      rc = RegSetValueExW(key, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(data.c_str()),
                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
      if (rc != ERROR_SUCCESS) break;
    }
    // Made durable before the write counts as done.
    if (rc == ERROR_SUCCESS) rc = RegFlushKey(key);
    RegCloseKey(key);
  }
  if (rc == ERROR_SUCCESS) {
    held_.clear();
    return true;
  }
  if (write_failed) write_failed("HKEY_CURRENT_USER\\" + Plat_Utf8(kKey) + ": " + Plat_Error_Text(static_cast<DWORD>(rc)));
  return false;
}
