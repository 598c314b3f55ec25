// Starts the real Mirolt.exe beside Brovik.dll and a plug-in folder, chooses the plug-in open
// by keyboard, types file names into the open dialog as a person would, and checks from
// outside what the dialog offers and what the main window shows.
#include "no_tips.h"
#include "plugin_files.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace mirolt::test;

namespace {

bool WaitFor(const std::function<bool()> &condition, DWORD timeoutMs = 15000) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (condition()) return true;
        Sleep(100);
    }
    return false;
}

// A visible top-level window of the process with this class (null: any) and title.
HWND FindTopLevel(DWORD pid, const wchar_t *cls, const wchar_t *title) {
    for (HWND w = FindWindowExW(nullptr, nullptr, cls, title); w;
         w = FindWindowExW(nullptr, w, cls, title)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

std::wstring TextOf(HWND w) {
    wchar_t text[512] = {};
    SendMessageW(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return text;
}

// Whether some static text of the window reads `text`.
bool ShowsText(HWND w, const std::wstring &text) {
    for (HWND c = FindWindowExW(w, nullptr, L"Static", nullptr); c;
         c = FindWindowExW(w, c, L"Static", nullptr))
        if (TextOf(c) == text) return true;
    return false;
}

void Key(WORD vk) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    Sleep(150);
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

COLORREF ScreenPixel(HWND w, int x, int y) {
    POINT p{x, y};
    ClientToScreen(w, &p);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

class MiroltProcess {
  public:
    explicit MiroltProcess(const std::wstring &exe) {
        std::wstring commandLine = L"\"" + exe + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        started_ = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &si, &pi_);
    }
    ~MiroltProcess() {
        if (!started_) return;
        if (WaitForSingleObject(pi_.hProcess, 20000) != WAIT_OBJECT_0)
            TerminateProcess(pi_.hProcess, 1);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    bool Started() const { return started_; }
    DWORD Pid() const { return pi_.dwProcessId; }

  private:
    bool started_ = false;
    PROCESS_INFORMATION pi_{};
};

} // namespace

TEST(PluginOpenEndToEnd, OpensAPictureThroughThePluginFolderBesideTheProgram) {
    TempFolder dir;
    const std::wstring exe = dir.File(L"Mirolt.exe");
    ASSERT_TRUE(CopyFileW(WindowsPath(MIROLT_EXE).c_str(), exe.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(WindowsPath(BROVIK_DLL).c_str(), dir.File(L"Brovik.dll").c_str(), FALSE));
    // The starting settings that ship beside the program: no read-failure boxes at start-up.
    ASSERT_TRUE(CopyFileW(WindowsPath(DATA_INI).c_str(), dir.File(L"Data.ini").c_str(), FALSE));
    const std::wstring plugins = dir.File(L"plugin");
    CreateDirectoryW(plugins.c_str(), nullptr);
#ifdef _WIN64
    InstallPlugin(plugins, L"ppm", L"ppm.sph"); // the name 64-bit plug-ins go by
#else
    InstallPlugin(plugins, L"ppm", L"ppm.spi");
#endif
    InstallPlugin(plugins, L"failing", L"failing.spi");
    InstallPlugin(plugins, L"archive", L"archive.spi");
    WriteBytes(plugins + L"\\broken.spi", "not a library");

    // Red left half, green top right, blue bottom right.
    std::string ppm = "P6\n80 60\n255\n";
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x)
            ppm += x < 40 ? std::string("\xff\0\0", 3)
                          : (y < 30 ? std::string("\0\xff\0", 3) : std::string("\0\0\xff", 3));
    const std::wstring picture = dir.File(L"e2e.ppm");
    WriteBytes(picture, ppm);
    const std::wstring text = dir.File(L"e2e.txt");
    WriteBytes(text, "no picture");

    MiroltProcess mirolt(exe);
    ASSERT_TRUE(mirolt.Started());
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (main = FindTopLevel(mirolt.Pid(), nullptr, L"Mirolt")); }));
    HWND view = FindWindowExW(FindWindowExW(main, nullptr, nullptr, L"Picture5"), nullptr, nullptr,
                              L"Picture6");
    ASSERT_NE(view, nullptr);

    // ファイル > Susieプラグインで開く, then a file name typed into the dialog and Enter.
    HWND dialog = nullptr;
    LRESULT filterCount = 0;
    std::wstring filterShown;
    auto openThroughPlugin = [&](const std::wstring &file,
                                 const std::function<void()> &whileShown = {}) {
        SetForegroundWindow(main);
        Sleep(300);
        Key(VK_F10);
        Key(VK_DOWN);
        Key(VK_DOWN);
        Key(VK_RETURN);
        if (!WaitFor([&] { return (dialog = FindTopLevel(mirolt.Pid(), L"#32770", nullptr)); }))
            return false;
        Sleep(500);
        if (whileShown) whileShown();
        Type(file);
        Key(VK_RETURN);
        return true;
    };

    ASSERT_TRUE(openThroughPlugin(text));
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        box = FindTopLevel(mirolt.Pid(), L"#32770", L"Mirolt");
        return box && ShowsText(box, L"対応するプラグインが見つかりません。");
    }));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    EXPECT_FALSE(IsWindowVisible(view));

    // The dialog's file types are the import plug-ins' entries, the 64-bit plug-in's first.
    auto before = [&] {
        HWND types = GetDlgItem(dialog, 0x470); // the dialog's file-type box
        filterCount = SendMessageW(types, CB_GETCOUNT, 0, 0);
        filterShown = TextOf(types);
    };
    ASSERT_TRUE(openThroughPlugin(picture, before));
    EXPECT_EQ(filterCount, 1);
    EXPECT_EQ(filterShown, L"PPM picture");
    bool shown = WaitFor([&] {
        return IsWindowVisible(view) && ScreenPixel(view, 10, 10) == RGB(255, 0, 0) &&
               ScreenPixel(view, 60, 10) == RGB(0, 255, 0) &&
               ScreenPixel(view, 60, 50) == RGB(0, 0, 255);
    });
    EXPECT_TRUE(shown) << std::hex << ScreenPixel(view, 10, 10) << " " << ScreenPixel(view, 60, 10)
                       << " " << ScreenPixel(view, 60, 50);
    RECT r;
    GetClientRect(view, &r);
    EXPECT_EQ(r.right, 80);
    EXPECT_EQ(r.bottom, 60);

    // The picture-loaded menus: 処理 is enabled, and its first item publishes a result.
    SetForegroundWindow(main);
    Sleep(300);
    Key(VK_F10);
    Key(VK_RIGHT);
    Key(VK_DOWN);
    Key(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] {
        box = FindTopLevel(mirolt.Pid(), L"#32770", L"Mirolt");
        return box && ShowsText(box, L"完了");
    }));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND result = FindWindowExW(FindWindowExW(main, nullptr, nullptr, L"Picture4"), nullptr,
                                nullptr, L"Picture3");
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(result); }));

    PostMessageW(main, WM_CLOSE, 0, 0);
}
