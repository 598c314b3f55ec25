// Starts the real Mirolt.exe with a picture on its command line and checks, from outside,
// that its main window shows the picture, then closes it.
#include "long_folder.h"
#include "no_tips.h"
#include "picture_cases.h"
#include "picture_files.h"
#include "settings_file.h"

#include "color.h"

#include <windows.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace mirolt::test;

namespace {

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

// Mirolt.exe started with a command line, ended when the test ends.
class Program {
  public:
    // `folder`: the current folder it starts in; empty for the test's own.
    explicit Program(const std::wstring &picture, const std::wstring &folder = {}) {
        std::wstring commandLine = L"\"" + WindowsPath(MIROLT_EXE) + L"\" " + picture;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        started_ = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  folder.empty() ? nullptr : folder.c_str(), &si, &pi_);
    }
    ~Program() {
        if (!started_) return;
        if (WaitForSingleObject(pi_.hProcess, 0) != WAIT_OBJECT_0)
            TerminateProcess(pi_.hProcess, 1);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    bool Started() const { return started_; }
    DWORD Id() const { return pi_.dwProcessId; }
    bool Running() const { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }
    // Closes the main window as its close button does; the exit code, or -1.
    long Close(HWND main) const {
        PostMessageW(main, WM_CLOSE, 0, 0);
        DWORD code = 1;
        if (WaitForSingleObject(pi_.hProcess, 20000) != WAIT_OBJECT_0) return -1;
        GetExitCodeProcess(pi_.hProcess, &code);
        return long(code);
    }

  private:
    PROCESS_INFORMATION pi_{};
    bool started_ = false;
};

HWND SourceView(HWND main) {
    HWND pane = FindWindowExW(main, nullptr, nullptr, L"Picture5");
    return pane ? FindWindowExW(pane, nullptr, nullptr, L"Picture6") : nullptr;
}

// The text of a message box that the process shows, once it shows one.
HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        for (HWND w = FindWindowW(L"#32770", nullptr); w;
             w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == pid && IsWindowVisible(w)) return w;
        }
        Sleep(100);
    }
    return nullptr;
}

std::wstring ControlText(HWND control) {
    wchar_t text[256] = {};
    SendMessageW(control, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
    return text;
}

// Tiles of 100 pixels, red and blue.
int32_t Tile(int x, int y) {
    return ((x / 100 + y / 100) & 1) ? mirolt::Rgb(0, 0, 255) : mirolt::Rgb(255, 0, 0);
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

// A small JPEG whose frame header claims 40000 x 40000: refused before any decoder sees
// it, with the message, and the program goes on in its start state.
TEST(EndToEnd, ALyingJpegIsRefusedAndTheProgramGoesOn) {
    TempFolder dir;
    WriteJpeg(dir.File(L"base.jpg"), 64, 48);
    const auto cases = JpegCases(ReadBytes(dir.File(L"base.jpg")));
    const auto lying = std::find_if(cases.begin(), cases.end(), [](const PictureCase &c) {
        return c.declared == PictureSize{40000, 40000};
    });
    ASSERT_NE(lying, cases.end());
    const std::wstring path = dir.File(L"lying.jpg");
    WriteBytes(path, lying->bytes);

    Program program(path);
    ASSERT_TRUE(program.Started());
    HWND box = WaitForMessageBox(program.Id(), 30000);
    ASSERT_NE(box, nullptr) << "no message";
    EXPECT_EQ(ControlText(GetDlgItem(box, 0xFFFF)), L"開けない！");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 100 && IsWindow(box); ++i)
        Sleep(100);
    ASSERT_FALSE(IsWindow(box));
    HWND main = WaitForWindow(L"Mirolt", program.Id(), 30000);
    ASSERT_NE(main, nullptr);
    Sleep(500);
    EXPECT_TRUE(program.Running());
    EXPECT_FALSE(IsWindowVisible(SourceView(main))) << "not in the start state";
    EXPECT_EQ(program.Close(main), 0);
}

// 10000 x 10000 pixels, a 300 MB BMP: it appears, and the window answers while it loads.
TEST(EndToEnd, ShowsA100MegapixelPicture) {
    TempFolder dir;
    const std::wstring path = dir.File(L"big.bmp");
    WriteBmp(path, 10000, 10000, Tile);

    Program program(path);
    ASSERT_TRUE(program.Started());
    HWND main = WaitForWindow(L"Mirolt", program.Id(), 60000);
    ASSERT_NE(main, nullptr);
    const auto same = [](COLORREF c, int32_t want) {
        return c == RGB(mirolt::RedOf(want), mirolt::GreenOf(want), mirolt::BlueOf(want));
    };
    bool shown = false, answered = true;
    for (int i = 0; i < 600 && !shown && answered && program.Running(); ++i) {
        DWORD_PTR result = 0;
        answered = SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result) != 0;
        HWND view = SourceView(main);
        shown = view && IsWindowVisible(view) && same(ScreenPixel(view, 50, 50), Tile(50, 50)) &&
                same(ScreenPixel(view, 150, 50), Tile(150, 50)) &&
                same(ScreenPixel(view, 150, 150), Tile(150, 150));
        Sleep(200);
    }
    EXPECT_TRUE(answered) << "the window stopped answering";
    EXPECT_TRUE(shown) << "the picture never appeared";
    EXPECT_EQ(program.Close(main), 0);
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
}

namespace {

BOOL CALLBACK FirstEdit(HWND w, LPARAM lp) {
    wchar_t name[16] = {};
    GetClassNameW(w, name, 16);
    if (lstrcmpiW(name, L"Edit") != 0) return TRUE;
    *reinterpret_cast<HWND *>(lp) = w;
    return FALSE;
}

// Types `text` into the file name box of another process's file dialog and presses OK.
bool ChooseInFileDialog(HWND dialog, const std::wstring &text) {
    HWND edit = nullptr;
    for (int i = 0; i < 300 && !edit; ++i) { // the box may not be there yet
        if (HWND box = GetDlgItem(dialog, cmb13))
            EnumChildWindows(box, FirstEdit, reinterpret_cast<LPARAM>(&edit));
        if (!edit) Sleep(100);
    }
    if (!edit) return false;
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    for (wchar_t c : text)
        SendMessageW(edit, WM_CHAR, c, 1);
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    return true;
}

} // namespace

// Wine's open dialog overran its stack on a path of more than MAX_PATH characters and took
// every window of the program with it. Now such a path is the program's to open.
TEST(EndToEnd, PathsLongerThanMaxPathTypedIntoTheOpenDialog) {
    TempFolder dir;
    // The program starts in a folder of 200 characters, where its open dialog opens.
    const std::wstring folder = MakeFolderOfLength(dir.File(L"start"), 200);
    const std::wstring name = std::wstring(96, L'p') + L".bmp";
    const auto color = [](int x, int y) {
        return x < 40 ? 0x0000FF : (y < 30 ? 0x00FF00 : 0xFF0000);
    };
    WriteBmp(folder + L"\\" + name, 80, 60, color);

    Program program(L"", folder);
    ASSERT_TRUE(program.Started());
    HWND main = WaitForWindow(L"Mirolt", program.Id(), 30000);
    ASSERT_NE(main, nullptr);
    UINT open = MenuId(GetMenu(main), L"画像を開く");
    if (open == 0) open = 1001; // numbered in the order declared, after the menu ファイル

    // A file of 304 characters that does not exist: nothing opens, and the program goes on.
    PostMessageW(main, WM_COMMAND, open, 0);
    HWND dialog = WaitForMessageBox(program.Id(), 30000);
    ASSERT_NE(dialog, nullptr) << "no open dialog";
    ASSERT_TRUE(ChooseInFileDialog(dialog, folder + L"\\" + std::wstring(99, L'q') + L".bmp"));
    for (int i = 0; i < 300 && IsWindow(dialog) && program.Running(); ++i)
        Sleep(100);
    ASSERT_TRUE(program.Running());
    ASSERT_FALSE(IsWindow(dialog)) << "the dialog stays";
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer))
        << "the window stopped answering";
    EXPECT_FALSE(IsWindowVisible(SourceView(main))) << "something opened";

    // A name relative to the dialog's folder, 301 characters with it: the picture opens.
    PostMessageW(main, WM_COMMAND, open, 0);
    dialog = WaitForMessageBox(program.Id(), 30000);
    ASSERT_NE(dialog, nullptr) << "no open dialog the second time";
    ASSERT_TRUE(ChooseInFileDialog(dialog, name));
    bool shown = false;
    for (int i = 0; i < 300 && !shown && program.Running(); ++i) {
        Sleep(100);
        HWND view = SourceView(main);
        shown = view && IsWindowVisible(view) && ScreenPixel(view, 10, 10) == RGB(255, 0, 0) &&
                ScreenPixel(view, 60, 10) == RGB(0, 255, 0) &&
                ScreenPixel(view, 60, 50) == RGB(0, 0, 255);
    }
    EXPECT_TRUE(shown) << "the picture in the long folder did not open";
    EXPECT_EQ(program.Close(main), 0);
}
