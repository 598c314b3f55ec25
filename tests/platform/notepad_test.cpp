// Drives Wine's own Notepad from outside as the Notepad viewer and the Notepad font actions
// do: start it, type text with line breaks and double-byte characters, open its font dialog
// through the Edit menu by keys sent only to it, and read what arrived.
#include "shell.h"
#include "vb_error.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>

using namespace mirolt;
using namespace mirolt::platform;

namespace {

const wchar_t kNotepad[] = L"C:\\windows\\notepad.exe";

int ErrorOf(const std::function<void()> &f) {
    try {
        f();
    } catch (const RuntimeError &e) {
        return e.Number();
    }
    return 0;
}

struct WindowSearch {
    DWORD pid;
    const wchar_t *className;
    HWND found = nullptr;
};

BOOL CALLBACK VisitWindow(HWND w, LPARAM data) {
    auto &s = *reinterpret_cast<WindowSearch *>(data);
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner != s.pid || !IsWindowVisible(w) || wcscmp(name, s.className) != 0) return TRUE;
    s.found = w;
    return FALSE;
}

// The visible top-level window of a class that a process shows.
HWND TopWindowOf(DWORD pid, const wchar_t *className) {
    WindowSearch s{pid, className};
    EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::wstring TextOf(HWND edit) {
    std::wstring text(size_t(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(size_t(SendMessageW(edit, WM_GETTEXT, text.size(), LPARAM(text.data()))));
    return text;
}

} // namespace

TEST(Notepad, TypedTextAndMenuKeysArrive) {
    EXPECT_EQ(ErrorOf([] { Shell(L"", vbNormalFocus); }), kInvalidProcedureCall);
    EXPECT_EQ(ErrorOf([] { Shell(L"C:\\windows\\no such program.exe", vbNormalFocus); }),
              kFileNotFound);
    EXPECT_EQ(ErrorOf([] { SendKeys(L"{Enterr}", true); }), kInvalidProcedureCall);
    EXPECT_EQ(ErrorOf([] { AppActivate(L"no window has this title"); }), kInvalidProcedureCall);

    const DWORD pid = Shell(kNotepad, vbNormalFocus);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    ASSERT_NE(process, nullptr);
    HWND main = TopWindowOf(pid, L"Notepad");
    ASSERT_NE(main, nullptr);
    HWND edit = FindWindowExW(main, nullptr, L"Edit", nullptr);
    ASSERT_NE(edit, nullptr);

    // Shell returns with the new window active; AppActivate finds it by the start of its
    // title and the keys arrive there.
    AppActivate(L"(無題)");
    const wchar_t typed[] = L"Mirolt {+}{%}{{} 文字絵\nｱｲｳ\r\n~end(ab)\0\0padding";
    SendKeys(std::wstring(typed, std::size(typed) - 1), true);
    EXPECT_EQ(TextOf(edit), L"Mirolt +%{ 文字絵\r\nｱｲｳ\r\n\r\nendab");

    // The font command of the Edit menu, by keys into this Notepad only, each step once
    // Notepad shows what its keys need.
    WaitForProgram(pid, ProgramState::MainWindowActive);
    SendKeysTo(pid, L"%(E)");
    WaitForProgram(pid, ProgramState::MenuOpen);
    SendKeysTo(pid, L"{Down 8}{Enter}");
    WaitForProgram(pid, ProgramState::DialogActive);
    EXPECT_NE(TopWindowOf(pid, L"#32770"), nullptr);
    SendKeysTo(pid, L"{Esc}");
    WaitForProgram(pid, ProgramState::MainWindowActive);
    EXPECT_EQ(TopWindowOf(pid, L"#32770"), nullptr);
    // Keys meant for another program are refused while Notepad is active, and a state that
    // does not come ends the wait with an error.
    EXPECT_EQ(ErrorOf([] { SendKeysTo(GetCurrentProcessId(), L"x"); }), kInvalidProcedureCall);
    EXPECT_EQ(ErrorOf([&] { WaitForProgram(pid, ProgramState::DialogActive, 1000); }),
              kInvalidProcedureCall);
    EXPECT_EQ(TextOf(edit), L"Mirolt +%{ 文字絵\r\nｱｲｳ\r\n\r\nendab");

    TerminateProcess(process, 0);
    WaitForProgram(pid, ProgramState::Ended);
    CloseHandle(process);
}
