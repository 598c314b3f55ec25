#pragma once
// The clipboard's bitmap, in and out.
#include "picture.h"

namespace mirolt::platform {

// Clipboard format numbers as the forms runtime names them.
enum : int { vbCFBitmap = 2, vbCFFiles = 15 };

// The clipboard's bitmap (format 2) as a picture; the empty picture when it holds none
// or cannot be opened.
Picture ClipboardGetBitmap();
// Puts the picture on the clipboard as a bitmap, next to what the clipboard already holds.
// Returns false when the clipboard could not be opened.
bool ClipboardSetBitmap(const Picture &picture);
// Empties the clipboard (tests start from a known clipboard).
void ClipboardClear();

} // namespace mirolt::platform
