#pragma once
// Benches run the program as a user who has turned the tips window off: it would stand over
// the views. The user's own choice is put back afterwards.
#include <windows.h>

#include <string>

namespace mirolt::bench {

class TipsOff {
  public:
    TipsOff() {
        wchar_t value[16] = {};
        DWORD size = sizeof(value);
        had_ = RegGetValueW(HKEY_CURRENT_USER, kOptions, kShowTips, RRF_RT_REG_SZ, nullptr, value,
                            &size) == ERROR_SUCCESS;
        old_ = value;
        Set(L"0");
    }
    ~TipsOff() {
        if (had_)
            Set(old_);
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kOptions, kShowTips);
    }
    TipsOff(const TipsOff &) = delete;
    TipsOff &operator=(const TipsOff &) = delete;

  private:
    static void Set(const std::wstring &v) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kOptions, kShowTips, REG_SZ, v.c_str(),
                        DWORD((v.size() + 1) * sizeof(wchar_t)));
    }
    static constexpr const wchar_t *kOptions =
        L"Software\\VB and VBA Program Settings\\Mirolt\\Options";
    static constexpr const wchar_t *kShowTips = L"Show Tips at Startup";
    bool had_ = false;
    std::wstring old_;
};

} // namespace mirolt::bench
