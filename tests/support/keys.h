#pragma once
// Keys as the keyboard delivers them: posted to the window with the focus and taken
// through the program's message loop.
#include "runtime.h"

#include <windows.h>

#include <functional>

namespace mirolt::test {

inline void PostKey(UINT vk, bool system = false) {
    HWND focus = GetFocus();
    PostMessageW(focus, system ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 1);
    PostMessageW(focus, system ? WM_SYSKEYUP : WM_KEYUP, vk, LPARAM(0xC0000001));
}

inline void PressKey(UINT vk) {
    PostKey(vk);
    platform::PumpMessages();
}

// `keys` typed with Shift held down.
inline void WithShift(const std::function<void()> &keys) {
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_SHIFT] = 0x80;
    SetKeyboardState(state);
    keys();
    state[VK_SHIFT] = 0;
    SetKeyboardState(state);
}

} // namespace mirolt::test
