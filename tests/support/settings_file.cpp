#include "settings_file.h"

#include <windows.h>

namespace mirolt::test {

void WriteCompleteDataIni(const std::wstring &folder, const std::wstring &notepadPath) {
    const std::wstring file = folder + L"\\Data.ini";
    auto put = [&](const wchar_t *section, const std::wstring &key, const std::wstring &value) {
        WritePrivateProfileStringW(section, key.c_str(), value.c_str(), file.c_str());
    };
    const std::wstring font = L"ＭＳ Ｐゴシック";
    put(L"Notepad", L"Address", notepadPath);
    put(L"Notepad", L"Size", std::to_wstring(notepadPath.size()));
    put(L"FontData", L"BeforeFont", font);
    put(L"FontData", L"BeforeLong", std::to_wstring(font.size()));
    put(L"FontData", L"AfterFont", font);
    put(L"FontData", L"AfterLong", std::to_wstring(font.size()));
    put(L"FontSizeData", L"BeforeFont", L"16");
    put(L"FontSizeData", L"AfterFont", L"8");
    put(L"Mozie", L"UseSoft", L"Mirolt");
    put(L"Mozie", L"Main", L"0");
    const std::wstring pattern = L"■▲●◆★□△○◇☆　"; // darkest first
    for (int k = 0; k <= 10; ++k) {
        put(L"Mozie", L"UseWord" + std::to_wstring(k), pattern.substr(size_t(k), 1));
        for (int p = 0; p <= 4; ++p)
            put(L"Mozie", L"WordP" + std::to_wstring(p) + L":" + std::to_wstring(k),
                pattern.substr(size_t(k), 1));
    }
    put(L"MiroltTextEditer", L"FontName", font);
    put(L"MiroltTextEditer", L"FontSize", L"9");
}

} // namespace mirolt::test
