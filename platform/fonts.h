#pragma once
// Typeface enumeration through the system's ANSI function, one callback per typeface.
#include <windows.h>

#include <string>

namespace mirolt::platform {

// EnumFontsA on `dc` with no face name, so the callback sees one font of each typeface, in
// the system's order, before the call returns. The result is the last callback's.
int EnumFontFaces(HDC dc, FONTENUMPROCA callback, LPARAM data);

// The face name of a logical font: its 32-byte field up to the first NUL, from ANSI.
std::wstring FaceName(const LOGFONTA &font);

} // namespace mirolt::platform
