// Starts the real Mirolt.exe with a picture on its command line and checks, from outside,
// that its main window shows the picture, then closes it.
#include "picture_files.h"

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

    std::wstring commandLine = L"\"" + WindowsPath(MIROLT_EXE) + L"\" " + picture;
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

namespace {

// The menu item of `menu` (or of its sub-menus) with this caption; 0 when none has it.
UINT MenuId(HMENU menu, const std::wstring &caption) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (HMENU sub = GetSubMenu(menu, i))
            if (UINT id = MenuId(sub, caption)) return id;
        wchar_t text[128] = {};
        GetMenuStringW(menu, UINT(i), text, 128, MF_BYPOSITION);
        if (caption == text) return GetMenuItemID(menu, i);
    }
    return 0;
}

struct ChildSearch {
    std::wstring text;
    HWND found = nullptr;
};

BOOL CALLBACK MatchText(HWND w, LPARAM lp) {
    auto *s = reinterpret_cast<ChildSearch *>(lp);
    wchar_t t[64] = {};
    DWORD_PTR ignored = 0; // an edit box's text is asked of the box itself
    SendMessageTimeoutW(w, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(t), SMTO_ABORTIFHUNG, 2000,
                        &ignored);
    if (s->text != t) return TRUE;
    s->found = w;
    return FALSE;
}

HWND ChildWithText(HWND parent, const wchar_t *text) {
    ChildSearch search{text};
    EnumChildWindows(parent, MatchText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

// The result saved as a JPEG through the dialog, the name typed into it from outside.
TEST(EndToEnd, SavesTheResultAsJpegThroughTheDialog) {
    TempFolder dir;
    const std::wstring picture = dir.File(L"source.bmp");
    WriteBmp(picture, 64, 48);
    // The tips window would stand over the dialog; the program takes this from the user's
    // settings.
    HKEY key = nullptr;
    const wchar_t *options = L"Software\\VB and VBA Program Settings\\Mirolt\\Options";
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, options, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"Show Tips at Startup", 0, REG_SZ, reinterpret_cast<const BYTE *>(L"0"),
                   2 * sizeof(wchar_t));
    RegCloseKey(key);

    // The dialog's folder list starts at the program's current directory.
    std::wstring commandLine = L"\"" + WindowsPath(MIROLT_DIST_EXE) + L"\" " + picture;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               dir.Path().c_str(), &si, &pi));
    // Whatever fails, the program does not outlive the test.
    struct Reaper {
        HANDLE process;
        ~Reaper() {
            if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) TerminateProcess(process, 1);
        }
    } reaper{pi.hProcess};
    HWND main = WaitForWindow(L"Mirolt", pi.dwProcessId, 30000);
    ASSERT_NE(main, nullptr);
    // Wine does not show another process's menus; the items are numbered from 1000 in the
    // order the main window declares them, "画像をJPEG形式で保存" the sixth.
    UINT save = MenuId(GetMenu(main), L"画像をJPEG形式で保存");
    if (save == 0) save = 1005;
    PostMessageW(main, WM_COMMAND, save, 0);

    HWND dialog = WaitForWindow(L"ファイルをJPGで保存する", pi.dwProcessId, 10000);
    ASSERT_NE(dialog, nullptr);
    HWND name = ChildWithText(dialog, L"*.jpg");
    ASSERT_NE(name, nullptr);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    for (wchar_t c : std::wstring(L"e2e"))
        SendMessageW(name, WM_CHAR, c, 1);
    PostMessageW(ChildWithText(dialog, L"保存"), BM_CLICK, 0, 0);

    HWND done = WaitForWindow(L"成功", pi.dwProcessId, 20000);
    ASSERT_NE(done, nullptr) << "no success box";
    PostMessageW(done, WM_COMMAND, IDOK, 0);
    const std::string jpeg = ReadBytes(dir.File(L"e2e.jpg"));
    ASSERT_GE(jpeg.size(), 2u);
    EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");

    for (int i = 0; i < 50 && IsWindowVisible(dialog); ++i)
        Sleep(100);
    EXPECT_FALSE(IsWindowVisible(dialog)) << "the dialog stays after a successful save";
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
    CloseHandle(pi.hThread);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, options, L"Show Tips at Startup");
}
