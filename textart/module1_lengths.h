#pragma once
// Module1's shared lengths of the three stored texts that may hold double-byte characters
// (Data.ini [Notepad] Size, [FontData] BeforeLong and AfterLong). Both readers of those keys,
// text art's in the main window and the Notepad settings dialog's, set and use them.
#include <cstdint>

namespace mirolt::app::Module1 {

inline int32_t NotepadPathLength = 0;
inline int32_t StandardFontNameLength = 0;
inline int32_t TextArtFontNameLength = 0;

} // namespace mirolt::app::Module1
