#pragma once
// Text in the system's ANSI code page (932, Shift_JIS, on the Japanese systems the program is
// written for) and back. Both directions keep every character, NULs included.
#include <string>
#include <string_view>

namespace mirolt::platform {

std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view bytes);

} // namespace mirolt::platform
