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

// What a program started by Shell shows, as the keys sent to it next need it.
enum class ProgramState {
    MainWindowActive, // its main window (an unowned one, no dialog box) is the active window
    MenuOpen,         // one of its menus is open, its main window active
    DialogActive, // a dialog box of it is the active window, the focus on the box's first control
    Ended,        // its process has ended
};

// Waits until the program that Shell started as `taskId` is in `state`; the window states must
// have held for a moment, so that keys sent next are not caught by a focus still on its way.
// Meanwhile only messages sent by other threads are answered: the program's own queue is not
// pumped. A state that does not come within `timeoutMs` (or a program that ends before a window
// state came) raises invalid procedure call (5).
void WaitForProgram(uint32_t taskId, ProgramState state, uint32_t timeoutMs = 10000);

// Types `keys` as SendKeys(keys, true) does, but only into the program `taskId`: before each
// batch of keys the active window must be one of its windows, or else nothing more is sent and
// invalid procedure call (5) is raised. Its keys are sent, and their intake waited for, by a
// thread of its own that has no windows, so this thread's input stays apart from the program's.
void SendKeysTo(uint32_t taskId, const std::wstring &keys);

// Types `keys`, a string in the classic keystroke syntax (keystrokes.h) that ends at its first
// NUL, into the active window: text characters as themselves (double-byte ones included), named
// keys and modifiers as keys. With `wait` it returns when the window's thread has taken in every
// key (bounded, so a hung program cannot hold it for ever). A broken string raises invalid
// procedure call (5) before any key is sent.
void SendKeys(const std::wstring &keys, bool wait = false);

} // namespace mirolt::platform
