// Starts the real Mirolt.exe beside Brovik.dll and a plug-in folder, chooses the plug-in open
// by keyboard, types file names into the open dialog as a person would, and checks from
// outside what the dialog offers and what the main window shows.
#include "no_tips.h"
#include "plugin_files.h"
#include "program_under_test.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace mirolt::test;

namespace {

// Whether some static text of the window reads `text`.
bool ShowsText(HWND w, const std::wstring &text) {
    for (HWND c = FindWindowExW(w, nullptr, L"Static", nullptr); c;
         c = FindWindowExW(w, c, L"Static", nullptr))
        if (TextOf(c) == text) return true;
    return false;
}

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

    ProgramUnderTest mirolt(exe);
    ASSERT_TRUE(mirolt.Started());
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (main = TopWindow(mirolt.Id(), nullptr, L"Mirolt")); }));
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
        Press(VK_F10);
        Press(VK_DOWN);
        Press(VK_DOWN);
        Press(VK_RETURN);
        if (!WaitFor([&] { return (dialog = TopWindow(mirolt.Id(), L"#32770", nullptr)); }))
            return false;
        Sleep(500);
        if (whileShown) whileShown();
        Type(file);
        Press(VK_RETURN);
        return true;
    };

    ASSERT_TRUE(openThroughPlugin(text));
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        box = TopWindow(mirolt.Id(), L"#32770", L"Mirolt");
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
    Press(VK_F10);
    Press(VK_RIGHT);
    Press(VK_DOWN);
    Press(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] {
        box = TopWindow(mirolt.Id(), L"#32770", L"Mirolt");
        return box && ShowsText(box, L"完了");
    }));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND result = FindWindowExW(FindWindowExW(main, nullptr, nullptr, L"Picture4"), nullptr,
                                nullptr, L"Picture3");
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(result); }));

    mirolt.Close(main);
}
