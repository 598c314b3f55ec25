// Starts the real Mirolt.exe with a picture on its command line and checks, from outside,
// that its main window shows the picture, then closes it.
#include "e2e_windows.h"
#include "no_tips.h"
#include "picture_cases.h"
#include "picture_files.h"
#include "program_under_test.h"
#include "settings_file.h"

#include "color.h"

#include <windows.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

using namespace mirolt::test;

namespace {

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

    ProgramUnderTest program(exe, picture);
    ASSERT_TRUE(program.Started());

    HWND main = WaitForWindow(program.Id(), nullptr, L"Mirolt", 30000);
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

    EXPECT_EQ(program.Close(main), 0);
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

    ProgramUnderTest program(WindowsPath(MIROLT_EXE), path);
    ASSERT_TRUE(program.Started());
    HWND box = WaitForWindow(program.Id(), L"#32770", nullptr, 30000);
    ASSERT_NE(box, nullptr) << "no message";
    EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)), L"開けない！");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 100 && IsWindow(box); ++i)
        Sleep(100);
    ASSERT_FALSE(IsWindow(box));
    HWND main = WaitForWindow(program.Id(), nullptr, L"Mirolt", 30000);
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

    ProgramUnderTest program(WindowsPath(MIROLT_EXE), path);
    ASSERT_TRUE(program.Started());
    HWND main = WaitForWindow(program.Id(), nullptr, L"Mirolt", 60000);
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
    ProgramUnderTest program(WindowsPath(MIROLT_DIST_EXE), picture, dir.Path());
    ASSERT_TRUE(program.Started());
    HWND main = WaitForWindow(program.Id(), nullptr, L"Mirolt", 30000);
    ASSERT_NE(main, nullptr);
    // The command line's picture is in place before the save is asked for: on a busy machine
    // the window comes up well before it.
    ASSERT_TRUE(WaitFor([&] {
        HWND view = SourceView(main);
        return view && IsWindowVisible(view);
    }));
    DWORD_PTR answered = 0;
    SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answered);
    PostMessageW(main, WM_COMMAND, MenuCommand(main, L"画像をJPEG形式で保存", 5), 0);

    HWND dialog = WaitForWindow(program.Id(), nullptr, L"ファイルをJPGで保存する", 10000);
    ASSERT_NE(dialog, nullptr);
    HWND name = ChildWithText(dialog, L"*.jpg");
    ASSERT_NE(name, nullptr);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    for (wchar_t c : std::wstring(L"e2e"))
        SendMessageW(name, WM_CHAR, c, 1);
    PostMessageW(ChildWithText(dialog, L"保存"), BM_CLICK, 0, 0);

    HWND done = WaitForWindow(program.Id(), nullptr, L"成功", 20000);
    ASSERT_NE(done, nullptr) << "no success box";
    PostMessageW(done, WM_COMMAND, IDOK, 0);
    const std::string jpeg = ReadBytes(dir.File(L"e2e.jpg"));
    ASSERT_GE(jpeg.size(), 2u);
    EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");

    for (int i = 0; i < 50 && IsWindowVisible(dialog); ++i)
        Sleep(100);
    EXPECT_FALSE(IsWindowVisible(dialog)) << "the dialog stays after a successful save";
    EXPECT_NE(program.Close(main), -1) << "still running";
}

namespace {

// Whether the view shows `want` at (50, 50) within a few seconds: what a closed box
// covered is painted again at the program's pace.
bool Shows(HWND view, const std::function<bool(COLORREF)> &want) {
    for (int i = 0; i < 100; ++i, Sleep(100))
        if (want(ScreenPixel(view, 50, 50))) return true;
    return false;
}

// The move question, asked through the menu item; null when it does not come.
HWND AskMove(HWND main, DWORD pid) {
    PostMessageW(main, WM_COMMAND, MenuCommand(main, L"ピクチャの移動", 26), 0);
    return WaitForWindow(pid, nullptr, L"ピクチャの移動", 20000);
}

} // namespace

// Only Yes moves the result into the source: Esc and the title-bar close change nothing,
// and the move item stays enabled.
TEST(EndToEnd, TheMoveQuestionClosedWithoutYesMovesNothing) {
    TempFolder dir;
    const std::wstring path = dir.File(L"tiles.bmp");
    WriteBmp(path, 200, 200, Tile);
    ProgramUnderTest program(WindowsPath(MIROLT_EXE), path);
    ASSERT_TRUE(program.Started());
    HWND main = WaitForWindow(program.Id(), nullptr, L"Mirolt", 30000);
    ASSERT_NE(main, nullptr);
    HWND source = SourceView(main);
    HWND result = FindWindowExW(FindWindowExW(main, nullptr, nullptr, L"Picture4"), nullptr,
                                nullptr, L"Picture3");
    ASSERT_TRUE(source && result);
    const auto red = [](COLORREF c) { return c == RGB(255, 0, 0); };
    const auto grey = [](COLORREF c) {
        return GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c);
    };
    ASSERT_TRUE(Shows(source, red)) << "the picture never appeared";

    // A grey result, published.
    PostMessageW(main, WM_COMMAND, MenuCommand(main, L"グレースケール", 11), 0);
    HWND done = WaitForWindow(program.Id(), L"#32770", nullptr, 30000);
    ASSERT_NE(done, nullptr) << "the filter did not finish";
    PostMessageW(done, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitGone(done));
    Settle(main);
    ASSERT_TRUE(IsWindowVisible(result));

    const auto unchanged = [&] {
        Settle(main);
        EXPECT_TRUE(IsWindowVisible(result)) << "the result was taken";
        EXPECT_TRUE(Shows(source, red)) << "the source was replaced";
    };
    // Esc, typed into the box.
    HWND box = AskMove(main, program.Id());
    ASSERT_NE(box, nullptr);
    HWND yes = GetDlgItem(box, IDYES);
    PostMessageW(yes, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageW(yes, WM_KEYUP, VK_ESCAPE, LPARAM(0xC0000001));
    ASSERT_TRUE(WaitGone(box));
    unchanged();
    // The title-bar close, as a click on it and as the close message.
    for (const auto &close :
         {std::pair<UINT, WPARAM>{WM_SYSCOMMAND, SC_CLOSE}, std::pair<UINT, WPARAM>{WM_CLOSE, 0}}) {
        box = AskMove(main, program.Id());
        ASSERT_NE(box, nullptr);
        PostMessageW(box, close.first, close.second, 0);
        ASSERT_TRUE(WaitGone(box));
        unchanged();
    }

    // The move item is still enabled: chosen from the menu bar by the keyboard (F10, four
    // to the right), it asks again, and Yes moves the grey result into the source.
    PostMessageW(main, WM_SYSKEYDOWN, VK_F10, 1);
    PostMessageW(main, WM_SYSKEYUP, VK_F10, LPARAM(0xC0000001));
    for (int i = 0; i < 4; ++i)
        PostMessageW(main, WM_KEYDOWN, VK_RIGHT, 1);
    PostMessageW(main, WM_KEYDOWN, VK_RETURN, 1);
    box = WaitForWindow(program.Id(), nullptr, L"ピクチャの移動", 20000);
    ASSERT_NE(box, nullptr) << "the move item was disabled";
    PostMessageW(box, WM_COMMAND, IDYES, 0);
    ASSERT_TRUE(WaitGone(box));
    Settle(main);
    EXPECT_FALSE(IsWindowVisible(result));
    EXPECT_TRUE(Shows(source, grey)) << "Yes did not move the result";
    EXPECT_EQ(program.Close(main), 0);
}
