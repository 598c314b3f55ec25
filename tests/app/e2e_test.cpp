// Starts the real Mirolt.exe with a picture on its command line and checks, from outside,
// that its main window shows the picture, then closes it.
#include "picture_files.h"
#include "settings_file.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <string>

using namespace mirolt::test;

namespace {

std::wstring WindowsPath(const char *path) {
    std::wstring w;
    for (const char *p = path; *p; ++p)
        w += wchar_t(*p == '/' ? '\\' : *p);
    return path[0] == '/' ? L"Z:" + w : w;
}

HWND WaitForWindow(const wchar_t *title, DWORD pid, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        for (HWND w = FindWindowW(nullptr, title); w;
             w = FindWindowExW(nullptr, w, nullptr, title)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == pid && IsWindowVisible(w)) return w;
        }
        Sleep(100);
    }
    return nullptr;
}

// What the screen shows at a point of a window's client area: another process's window
// is read through the screen, as a person would see it.
COLORREF ScreenPixel(HWND w, int x, int y) {
    POINT p{x, y};
    ClientToScreen(w, &p);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 1, 1);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, 1, 1, screen, p.x, p.y, SRCCOPY);
    const COLORREF c = GetPixel(mem, 0, 0);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return c;
}

} // namespace

TEST(EndToEnd, StartsWithACommandLinePictureAndCloses) {
    TempFolder dir;
    const std::wstring picture = dir.File(L"e2e picture.bmp");
    auto color = [](int x, int y) { return x < 40 ? 0x0000FF : (y < 30 ? 0x00FF00 : 0xFF0000); };
    WriteBmp(picture, 80, 60, color);

    // The program runs from a folder of its own, with every setting stored beside it.
    const std::wstring exe = dir.File(L"Mirolt.exe");
    ASSERT_TRUE(CopyFileW(WindowsPath(MIROLT_EXE).c_str(), exe.c_str(), FALSE));
    WriteCompleteDataIni(dir.Path());

    std::wstring commandLine = L"\"" + exe + L"\" " + picture;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &si, &pi));

    HWND main = WaitForWindow(L"Mirolt", pi.dwProcessId, 30000);
    ASSERT_NE(main, nullptr) << "no visible Mirolt window";
    HWND pane = FindWindowExW(main, nullptr, nullptr, L"Picture5");
    ASSERT_NE(pane, nullptr);
    HWND view = FindWindowExW(pane, nullptr, nullptr, L"Picture6");
    ASSERT_NE(view, nullptr);
    // Give the window a moment to paint, then read the source view's pixels.
    bool shown = false;
    for (int i = 0; i < 50 && !shown; ++i) {
        Sleep(100);
        shown = IsWindowVisible(view) && ScreenPixel(view, 10, 10) == RGB(255, 0, 0) &&
                ScreenPixel(view, 60, 10) == RGB(0, 255, 0) &&
                ScreenPixel(view, 60, 50) == RGB(0, 0, 255);
    }
    EXPECT_TRUE(shown) << "source view does not show the picture: " << std::hex
                       << ScreenPixel(view, 10, 10) << " " << ScreenPixel(view, 60, 10) << " "
                       << ScreenPixel(view, 60, 50);
    RECT r;
    GetClientRect(view, &r);
    EXPECT_GE(r.right, 80);
    EXPECT_GE(r.bottom, 60);

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}
