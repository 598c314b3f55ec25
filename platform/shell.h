#pragma once
// Starting other programs and driving windows by keystrokes: Shell, AppActivate, SendKeys.
#include <cstdint>
#include <string>

namespace mirolt::platform {

// Window styles of Shell.
enum : int {
    vbHide = 0,
    vbNormalFocus = 1,
    vbMinimizedFocus = 2,
    vbMaximizedFocus = 3,
    vbNormalNoFocus = 4,
    vbMinimizedNoFocus = 6,
};

// Starts the program that `pathName` names (arguments may follow it; the text ends at its
// first NUL) with the given window style and returns its task id. With a focus style it
// returns once a window of the new program has the focus (or after ten seconds at most), so
// that keystrokes sent next reach that window. An empty name or an unknown style raises
// invalid procedure call (5), a program that does not exist file not found (53), any other
// failure to start 5.
uint32_t Shell(const std::wstring &pathName, int windowStyle = vbMinimizedFocus);

// Activates the visible top-level window titled `title` (letter case aside), or else the
// first one whose title begins with it; none raises invalid procedure call (5).
void AppActivate(const std::wstring &title);

// Types `keys`, a string in the classic keystroke syntax (keystrokes.h) that ends at its first
// NUL, into the active window: text characters as themselves (double-byte ones included), named
// keys and modifiers as keys. With `wait` it returns when the window's thread has taken in every
// key (bounded, so a hung program cannot hold it for ever). A broken string raises invalid
// procedure call (5) before any key is sent.
void SendKeys(const std::wstring &keys, bool wait = false);

} // namespace mirolt::platform
