#pragma once
// Dialog filters written "description|pattern|description|pattern".
#include <string>

namespace mirolt {

// The double-NUL separated form that the system's file dialogs take.
std::wstring Win32FilterFromPipes(const std::wstring &filter);

} // namespace mirolt
