#pragma once
// Module2: the font enumeration that fills the font lists of Form7 and Form10.
#include <windows.h>

namespace mirolt::app::Module2 {

// Called by the system once per typeface: appends its face name to Form7.Combo1,
// Form7.Combo2 and Form10.Combo1, creating either window first if it does not exist.
// Returns 1 so that the enumeration goes on.
int CALLBACK EnumFontsProc(const LOGFONTA *lplf, const TEXTMETRICA *lptm, DWORD dwType,
                           LPARAM lpData);

} // namespace mirolt::app::Module2
