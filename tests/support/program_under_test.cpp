#include "program_under_test.h"

#include "handles.h"

namespace mirolt::test {

ProgramUnderTest::ProgramUnderTest(const std::wstring &exe, const std::wstring &arguments,
                                   const std::wstring &folder) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    started_ = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder.empty() ? nullptr : folder.c_str(), &si, &pi_);
}

ProgramUnderTest::~ProgramUnderTest() {
    if (!started_) return;
    if (Running()) TerminateProcess(pi_.hProcess, 1);
    WaitForSingleObject(pi_.hProcess, 10000); // its files may go once it has
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
}

bool ProgramUnderTest::Running() const {
    return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT;
}

long ProgramUnderTest::Close(HWND main) const {
    PostMessageW(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi_.hProcess, 20000) != WAIT_OBJECT_0) return -1;
    DWORD code = 1;
    GetExitCodeProcess(pi_.hProcess, &code);
    return long(code);
}

bool WaitFor(const std::function<bool()> &condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(50);
    }
}

HWND TopWindow(DWORD pid, const wchar_t *className, const wchar_t *title) {
    for (HWND w = FindWindowExW(nullptr, nullptr, className, title); w;
         w = FindWindowExW(nullptr, w, className, title)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if ((pid == 0 || owner == pid) && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

HWND WaitForWindow(DWORD pid, const wchar_t *className, const wchar_t *title, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor([&] { return (found = TopWindow(pid, className, title)) != nullptr; }, timeoutMs);
    return found;
}

std::wstring TextOf(HWND w) {
    const LRESULT n = SendMessageW(w, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(size_t(n) + 1, L'\0');
    text.resize(size_t(SendMessageW(w, WM_GETTEXT, WPARAM(n + 1), LPARAM(text.data()))));
    return text;
}

// Copied off the screen first: another process's window is read as a person would see it.
COLORREF ScreenPixel(HWND w, int x, int y) {
    POINT p{x, y};
    ClientToScreen(w, &p);
    const platform::ScopedGetDC screen(nullptr);
    const platform::unique_hdc mem(CreateCompatibleDC(screen));
    const platform::unique_hbitmap pixel(CreateCompatibleBitmap(screen, 1, 1));
    const platform::ScopedSelectObject selected(mem.get(), pixel.get());
    BitBlt(mem.get(), 0, 0, 1, 1, screen, p.x, p.y, SRCCOPY);
    return GetPixel(mem.get(), 0, 0);
}

void Press(WORD key, DWORD pauseMs) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = key;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    Sleep(pauseMs);
}

void Type(const std::wstring &text) {
    for (wchar_t c : text) {
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki.wScan = in[1].ki.wScan = c;
        in[0].ki.dwFlags = KEYEVENTF_UNICODE;
        in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, in, sizeof(INPUT));
    }
    Sleep(300);
}

} // namespace mirolt::test
