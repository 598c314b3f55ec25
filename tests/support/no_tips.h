#pragma once
// For tests that start the real program and read its windows off the screen: the tips
// window would stand over them, so the program runs with the user's choice not to show it.
#include <windows.h>
#include <gtest/gtest.h>

namespace mirolt::test {

class NoTipsAtStartup : public ::testing::Environment {
  public:
    void SetUp() override {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kOptions, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return;
        RegSetValueExW(key, kShowTips, 0, REG_SZ, reinterpret_cast<const BYTE *>(L"0"),
                       2 * sizeof(wchar_t));
        RegCloseKey(key);
    }
    void TearDown() override { RegDeleteKeyValueW(HKEY_CURRENT_USER, kOptions, kShowTips); }

  private:
    static constexpr const wchar_t *kOptions =
        L"Software\\VB and VBA Program Settings\\Mirolt\\Options";
    static constexpr const wchar_t *kShowTips = L"Show Tips at Startup";
};

// Registers the environment once per test program that includes this header.
inline const ::testing::Environment *const kNoTipsAtStartup =
    ::testing::AddGlobalTestEnvironment(new NoTipsAtStartup);

} // namespace mirolt::test
