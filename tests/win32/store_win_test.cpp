// The registry store when writes fail for a while: what is written meanwhile reaches the registry
// with the first write that succeeds again. HKEY_CURRENT_USER is pointed at a key that was deleted
// (every write under it fails) and then at a live one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/win_platform.h"

namespace {

constexpr const wchar_t *kRoot = L"Software\\KtStoreWinTest";

HKEY MakeKey(const wchar_t *name) {
  HKEY k = nullptr;
  const std::wstring path = std::wstring(kRoot) + L"\\" + name;
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
            ERROR_SUCCESS);
  return k;
}

std::wstring Stored(HKEY user, const wchar_t *value) {
  wchar_t text[64] = {};
  DWORD bytes = sizeof text;
  if (RegGetValueW(user, WinStore::kKey, value, RRF_RT_REG_SZ, nullptr, text, &bytes) != ERROR_SUCCESS) return L"<none>";
  return text;
}

TEST(WinStoreTest, ValuesWrittenWhileTheKeyFailsAreStoredWithTheNextWriteThatSucceeds) {
  HKEY live = MakeKey(L"Live"), gone = MakeKey(L"Gone");
  ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kRoot) + L"\\Gone").c_str()), ERROR_SUCCESS);
  WinStore store;
  std::vector<std::string> told;
  store.write_failed = [&](const std::string &why) { told.push_back(why); };

  ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, gone), ERROR_SUCCESS);
  EXPECT_FALSE(store.WriteText("HiScore1", "45"));
  EXPECT_FALSE(store.WriteText("Key1", "65"));
  ASSERT_EQ(told.size(), 2u);
  EXPECT_NE(told[0].find("HKEY_CURRENT_USER\\Software\\Zandrel\\KTuskoSE50: "), std::string::npos) << told[0];
  EXPECT_EQ(store.ReadText("HiScore1"), "45");  // kept for the run

  ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, live), ERROR_SUCCESS);
  EXPECT_TRUE(store.WriteText("WindowMode", "1"));
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  EXPECT_EQ(Stored(live, L"WindowMode"), L"1");
  EXPECT_EQ(Stored(live, L"HiScore1"), L"45");
  EXPECT_EQ(Stored(live, L"Key1"), L"65");
  EXPECT_EQ(told.size(), 2u);

  RegCloseKey(gone);
  RegCloseKey(live);
  RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
}

}  // namespace
