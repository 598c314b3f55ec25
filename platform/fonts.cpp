#include "fonts.h"

#include "ansi.h"

#include <string_view>

namespace mirolt::platform {

int EnumFontFaces(HDC dc, FONTENUMPROCA callback, LPARAM data) {
    return EnumFontsA(dc, nullptr, callback, data);
}

std::wstring FaceName(const LOGFONTA &font) {
    const std::string_view field(font.lfFaceName, sizeof font.lfFaceName);
    return FromAnsi(field.substr(0, field.find('\0')));
}

} // namespace mirolt::platform
