// The real Mirolt.exe, copied beside a Data.ini of the test's own, turns a small picture into
// text art from its menu by keyboard; the rows are read from outside, in the program's editor
// and in Wine's own Notepad.
#include "no_tips.h"
#include "picture_files.h"
#include "program_under_test.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>

using namespace mirolt::test;

namespace {

std::string Cp932(const std::wstring &text) {
    std::string bytes(text.size() * 2 + 1, '\0');
    bytes.resize(size_t(WideCharToMultiByte(932, 0, text.data(), int(text.size()), bytes.data(),
                                            int(bytes.size()), nullptr, nullptr)));
    return bytes;
}

// The pop-up menus that process `pid` shows.
int OpenMenus(DWORD pid) {
    int n = 0;
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); w;
         w = FindWindowExW(nullptr, w, L"#32768", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        n += owner == pid && IsWindowVisible(w);
    }
    return n;
}

// Brings `w` to the front and waits until it has stayed there for a moment: the focus events
// of an activation can come after it and take a menu down again.
bool SteadyForeground(HWND w) {
    ULONGLONG since = 0;
    return WaitFor(
        [&] {
            if (GetForegroundWindow() != w) {
                SetForegroundWindow(w);
                since = 0;
            } else if (!since) {
                since = GetTickCount64();
            }
            return since && GetTickCount64() - since >= 500;
        },
        20000);
}

// Chooses an item of `main`'s menu by keys: F10, `rights` along the bar, then per level the
// number of Down presses below its first entry (the first level opened with Down, the others
// with Right), then Enter. Each menu is seen open before the next keys; when one does not
// open (a key lost to a late focus change) every menu is closed and the choice starts over.
bool ChooseMenuItem(HWND main, DWORD pid, int rights, std::initializer_list<int> downs) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (!SteadyForeground(main)) continue;
        Press(VK_F10);
        for (int i = 0; i < rights; ++i)
            Press(VK_RIGHT);
        int level = 0;
        for (int n : downs) {
            Press(level == 0 ? VK_DOWN : VK_RIGHT);
            ++level;
            if (!WaitFor([&] { return OpenMenus(pid) == level; }, 5000)) break;
            for (int i = 0; i < n; ++i)
                Press(VK_DOWN);
        }
        if (level == int(downs.size()) && OpenMenus(pid) == level) {
            Press(VK_RETURN);
            return true;
        }
        for (int i = 0; i < 3; ++i)
            Press(VK_ESCAPE);
        WaitFor([&] { return OpenMenus(pid) == 0; });
    }
    return false;
}

// Each cell's top-left colour picks a character of pattern 1: black 鬱, red (255) 記,
// gray (384) 母, white 一; the second row mirrors the first.
int32_t Cells(int x, int y) {
    const int32_t colours[] = {0x000000, 0x0000FF, 0x808080, 0xFFFFFF};
    const int cell = x / 5;
    return colours[y < 5 ? cell : 3 - cell];
}

class TextArtEndToEnd : public ::testing::Test {
  protected:
    // Starts the program with `useSoft` as its viewer, runs 処理の実行 > 文字絵作成 by
    // keyboard and waits for "完了", which it confirms.
    void Convert(const std::wstring &useSoft, const std::wstring &gray = L"母",
                 const std::wstring &white = L"一") {
        const std::wstring exe = dir.File(L"Mirolt.exe");
        ASSERT_TRUE(CopyFileW(WindowsPath(MIROLT_EXE).c_str(), exe.c_str(), FALSE));
        // The shipped settings (pattern 1, Wine's Notepad), with the viewer of the test.
        std::wstring shipped = WindowsPath(MIROLT_EXE);
        shipped = shipped.substr(0, shipped.rfind(L'\\')) + L"\\Data.ini";
        ASSERT_TRUE(CopyFileW(shipped.c_str(), dir.File(L"Data.ini").c_str(), FALSE));
        WritePrivateProfileStringW(L"Mozie", L"UseSoft", useSoft.c_str(),
                                   dir.File(L"Data.ini").c_str());
        WritePrivateProfileStringW(L"Mozie", L"UseWord5", gray.c_str(),
                                   dir.File(L"Data.ini").c_str());
        WritePrivateProfileStringW(L"Mozie", L"UseWord10", white.c_str(),
                                   dir.File(L"Data.ini").c_str());
        const std::wstring picture = dir.File(L"cells.bmp");
        WriteBmp(picture, 20, 10, Cells);

        program.emplace(exe, picture);
        ASSERT_TRUE(program->Started());
        HWND main = nullptr;
        // Form8 and Form9 are up before the main window, as Form1 is shown last.
        ASSERT_TRUE(WaitFor([&] { return (main = TopWindow(program->Id(), nullptr, L"Mirolt")); }));
        // The command line's picture is loaded before the menu takes keys: they wait in the queue.
        ASSERT_TRUE(ChooseMenuItem(main, program->Id(), 1, {5})); // 処理の実行 > 文字絵作成
        HWND done = nullptr;
        ASSERT_TRUE(
            WaitFor([&] { return (done = TopWindow(program->Id(), L"#32770", L"Mirolt")); }, 30000))
            << "no 完了";
        std::wstring texts;
        for (HWND c = GetWindow(done, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            texts += TextOf(c) + L"|";
        EXPECT_NE(texts.find(L"|完了|"), std::wstring::npos) << Cp932(texts);
        PostMessageW(done, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(done); }));
    }

    TempFolder dir;
    std::optional<ProgramUnderTest> program; // ended before its folder goes
};

// The working picture takes the source view's outer size: its border adds a column and a row
// of cells in the darkest class.
const wchar_t kRows[] = L"鬱記母一鬱\r\n一母記鬱鬱\r\n鬱鬱鬱鬱鬱\r\n";

} // namespace

TEST_F(TextArtEndToEnd, EditorViewerShowsTheRows) {
    Convert(L"Mirolt");
    HWND editor = TopWindow(program->Id(), nullptr, L"MiroltTextエディター");
    ASSERT_NE(editor, nullptr);
    HWND box = GetWindow(editor, GW_CHILD);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(TextOf(box), kRows);
}

// Characters the keystroke syntax reads as key codes arrive as typed.
TEST_F(TextArtEndToEnd, NotepadViewerTypesTheRowsIntoWinesNotepad) {
    Convert(L"Notepad", L"{", L"+");
    HWND notepad = TopWindow(0, L"Notepad", nullptr);
    ASSERT_NE(notepad, nullptr);
    HWND edit = FindWindowExW(notepad, nullptr, L"Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    // The last keys may still be on their way to Notepad when "完了" is confirmed.
    const std::wstring rows = L"鬱記{+鬱\r\n+{記鬱鬱\r\n鬱鬱鬱鬱鬱\r\n";
    WaitFor([&] { return TextOf(edit) == rows; }, 10000);
    EXPECT_EQ(TextOf(edit), rows);
    DWORD pid = 0;
    GetWindowThreadProcessId(notepad, &pid);
    if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
        TerminateProcess(h, 0);
        WaitForSingleObject(h, 10000);
        CloseHandle(h);
    }
}

namespace {

// Wine's Notepad keeps its font for the next start under this key.
const wchar_t kNotepadKey[] = L"Software\\Microsoft\\Notepad";

std::wstring NotepadFace() {
    wchar_t face[64] = {};
    DWORD size = sizeof(face);
    RegGetValueW(HKEY_CURRENT_USER, kNotepadKey, L"lfFaceName", RRF_RT_REG_SZ, nullptr, face,
                 &size);
    return face;
}

// Notepad stores the size it gets back from the font's pixel height: 8 points is 83 tenths.
long NotepadPoints() {
    DWORD tenths = 0, size = sizeof(tenths);
    RegGetValueW(HKEY_CURRENT_USER, kNotepadKey, L"iPointSize", RRF_RT_REG_DWORD, nullptr, &tenths,
                 &size);
    return std::lround(tenths / 10.0);
}

} // namespace

// 設定 > メモ帳の設定 > メモ帳の最適化 and メモ帳を標準の設定にもどす, by keyboard: each starts
// Wine's Notepad, sets its font through the font dialog and closes it, so that the font is what
// Notepad stores for its next start.
TEST_F(TextArtEndToEnd, NotepadFontItemsSetWinesNotepadsStoredFont) {
    const std::wstring exe = dir.File(L"Mirolt.exe");
    ASSERT_TRUE(CopyFileW(WindowsPath(MIROLT_EXE).c_str(), exe.c_str(), FALSE));
    std::wstring shipped = WindowsPath(MIROLT_EXE);
    shipped = shipped.substr(0, shipped.rfind(L'\\')) + L"\\Data.ini";
    const std::wstring ini = dir.File(L"Data.ini");
    ASSERT_TRUE(CopyFileW(shipped.c_str(), ini.c_str(), FALSE));
    // The shipped text-art font (ＭＳ Ｐゴシック, 8) and a standard font of another name.
    WritePrivateProfileStringW(L"FontData", L"BeforeFont", L"ＭＳ 明朝", ini.c_str());
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kNotepadKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t before[] = L"DejaVu Sans";
    const DWORD tenths = 120;
    RegSetValueExW(key, L"lfFaceName", 0, REG_SZ, reinterpret_cast<const BYTE *>(before),
                   sizeof(before));
    RegSetValueExW(key, L"iPointSize", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&tenths),
                   sizeof(tenths));
    RegCloseKey(key);

    program.emplace(exe);
    ASSERT_TRUE(program->Started());
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (main = TopWindow(program->Id(), nullptr, L"Mirolt")); }));

    // Runs the item `downs` entries below メモ帳の設定 in its submenu and follows the Notepad it
    // starts until that Notepad has gone.
    const auto run = [&](int downs) {
        ASSERT_TRUE(ChooseMenuItem(main, program->Id(), 5, {1, downs})); // 設定 > メモ帳の設定
        HWND notepad = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (notepad = TopWindow(0, L"Notepad", nullptr)); }, 20000))
            << "Notepad not started";
        DWORD pid = 0;
        GetWindowThreadProcessId(notepad, &pid);
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
        ASSERT_NE(process, nullptr);
        const bool closed = WaitForSingleObject(process, 30000) == WAIT_OBJECT_0;
        if (!closed) TerminateProcess(process, 0);
        CloseHandle(process);
        ASSERT_TRUE(closed) << "Notepad still open";
        // The main window comes back; no box on the way.
        EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == main; }, 10000));
        EXPECT_EQ(TopWindow(program->Id(), L"#32770", nullptr), nullptr);
    };

    run(1);
    EXPECT_EQ(NotepadFace(), L"ＭＳ Ｐゴシック");
    EXPECT_EQ(NotepadPoints(), 8);
    run(2);
    EXPECT_EQ(NotepadFace(), L"ＭＳ 明朝");
    EXPECT_EQ(NotepadPoints(), 16);
}
