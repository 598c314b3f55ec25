#pragma once
// What the end-to-end tests look for in the real program's windows from outside.
#include "program_under_test.h"

#include <windows.h>
#include <dlgs.h>

#include <string>

namespace mirolt::test {

inline HWND SourceView(HWND main) {
    HWND pane = FindWindowExW(main, nullptr, nullptr, L"Picture5");
    return pane ? FindWindowExW(pane, nullptr, nullptr, L"Picture6") : nullptr;
}

// The menu item of `menu` (or of its sub-menus) with this caption; 0 when none has it.
inline UINT MenuId(HMENU menu, const std::wstring &caption) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (HMENU sub = GetSubMenu(menu, i))
            if (UINT id = MenuId(sub, caption)) return id;
        wchar_t text[128] = {};
        GetMenuStringW(menu, UINT(i), text, 128, MF_BYPOSITION);
        if (caption == text) return GetMenuItemID(menu, i);
    }
    return 0;
}

// The command of a main-window menu item. Wine does not show another process's menus;
// the items are numbered from 1000 in the order the main window declares them, the
// `declared`-th (0-based) among them.
inline UINT MenuCommand(HWND main, const std::wstring &caption, UINT declared) {
    const UINT id = MenuId(GetMenu(main), caption);
    return id ? id : 1000 + declared;
}

// Waits until `window` is gone; false if it stays.
inline bool WaitGone(HWND window) {
    for (int i = 0; i < 200 && IsWindow(window); ++i)
        Sleep(100);
    return !IsWindow(window);
}

// Once the program answers, the handler that was running has returned.
inline void Settle(HWND main) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &ignored);
}

inline BOOL CALLBACK FirstEdit(HWND w, LPARAM lp) {
    wchar_t name[16] = {};
    GetClassNameW(w, name, 16);
    if (lstrcmpiW(name, L"Edit") != 0) return TRUE;
    *reinterpret_cast<HWND *>(lp) = w;
    return FALSE;
}

// The file name box of another process's file dialog; null when it does not come.
inline HWND FileNameBox(HWND dialog) {
    HWND edit = nullptr;
    for (int i = 0; i < 300 && !edit; ++i) { // the box may not be there yet
        if (HWND box = GetDlgItem(dialog, cmb13))
            EnumChildWindows(box, FirstEdit, reinterpret_cast<LPARAM>(&edit));
        if (!edit) Sleep(100);
    }
    return edit;
}

// Types `text` into the file name box of another process's file dialog and presses OK.
inline bool ChooseInFileDialog(HWND dialog, const std::wstring &text) {
    HWND edit = FileNameBox(dialog);
    if (!edit) return false;
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    for (wchar_t c : text)
        SendMessageW(edit, WM_CHAR, c, 1);
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    return true;
}

} // namespace mirolt::test
