#pragma once
// A Data.ini that holds every key the program reads, so that a start-up shows no
// read-failure box.
#include <string>

namespace mirolt::test {

// Writes Data.ini into `folder`: Notepad at `notepadPath`, the designed fonts and sizes,
// the text art in Mirolt with the first designed pattern.
void WriteCompleteDataIni(const std::wstring &folder,
                          const std::wstring &notepadPath = L"C:\\windows\\notepad.exe");

} // namespace mirolt::test
