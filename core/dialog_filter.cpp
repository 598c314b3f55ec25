#include "dialog_filter.h"

namespace mirolt {

std::wstring Win32FilterFromPipes(const std::wstring &filter) {
    std::wstring out;
    out.reserve(filter.size() + 2);
    for (wchar_t c : filter)
        out.push_back(c == L'|' ? L'\0' : c);
    out.push_back(L'\0');
    out.push_back(L'\0');
    return out;
}

} // namespace mirolt
