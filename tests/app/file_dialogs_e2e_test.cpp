// The real program's file dialogs, driven from outside with names that Wine's dialogs cannot
// take themselves: paths past MAX_PATH, drive-relative names, long folders.
#include "e2e_windows.h"
#include "long_folder.h"
#include "picture_files.h"
#include "program_under_test.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <string>

using namespace mirolt::test;

namespace {

constexpr UINT kOpenItem = 1, kSaveItem = 4; // declared after the menu ファイル

// A picture of three colours, and whether a view shows it.
int32_t ThreeColours(int x, int y) {
    return x < 40 ? 0x0000FF : (y < 30 ? 0x00FF00 : 0xFF0000);
}
bool ShowsThreeColours(HWND view) {
    return view && IsWindowVisible(view) && ScreenPixel(view, 10, 10) == RGB(255, 0, 0) &&
           ScreenPixel(view, 60, 10) == RGB(0, 255, 0) &&
           ScreenPixel(view, 60, 50) == RGB(0, 0, 255);
}

// The program, started in `folder`, with its main window up.
class Program {
  public:
    explicit Program(const std::wstring &folder, const std::wstring &picture = {})
        : program_(WindowsPath(MIROLT_DIST_EXE), picture, folder) {
        if (program_.Started()) main_ = WaitForWindow(program_.Id(), nullptr, L"Mirolt", 30000);
    }
    HWND Main() const { return main_; }
    bool Running() const { return program_.Running(); }
    long Close() const { return program_.Close(main_); }

    // The file dialog of a File item, once it is up.
    HWND Dialog(UINT declared) const {
        Settle(main_);
        const wchar_t *caption = declared == kOpenItem ? L"画像を開く" : L"画像をBMP形式で保存";
        PostMessageW(main_, WM_COMMAND, MenuCommand(main_, caption, declared), 0);
        return WaitForWindow(program_.Id(), L"#32770", nullptr, 30000);
    }
    // `text` typed into the dialog and confirmed: true when the dialog has closed and the
    // program, still running, has finished what it did with the name without a word.
    bool Choose(HWND dialog, const std::wstring &text) const {
        if (!ChooseInFileDialog(dialog, text) || !WaitGone(dialog) || !program_.Running())
            return false;
        Settle(main_);
        return program_.Running() && !TopWindow(program_.Id(), L"#32770", nullptr);
    }

    // `text` typed into the dialog and confirmed: true when the dialog, having handled it,
    // is still open (a folder gone into, a pattern applied) and the program still running.
    bool StaysOpen(HWND dialog, const std::wstring &text) const {
        HWND box = FileNameBox(dialog);
        if (!box) return false;
        SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0, SMTO_NORMAL, 30000,
                                   &ignored) &&
               program_.Running() && IsWindow(dialog) && IsWindowVisible(dialog);
    }

  private:
    ProgramUnderTest program_;
    HWND main_ = nullptr;
};

} // namespace

// Wine's open dialog overran its stack on a path of more than MAX_PATH characters and took
// every window of the program with it. Now such a path is the program's to open.
TEST(FileDialogs, PathsLongerThanMaxPathTypedIntoTheOpenDialog) {
    TempFolder dir;
    // The program starts in a folder of 200 characters, where its open dialog opens.
    const std::wstring folder = MakeFolderOfLength(dir.File(L"start"), 200);
    const std::wstring name = std::wstring(96, L'p') + L".bmp";
    WriteBmp(folder + L"\\" + name, 80, 60, ThreeColours);
    Program program(folder);
    ASSERT_NE(program.Main(), nullptr);

    // A file of 304 characters that does not exist: nothing opens, and the program goes on.
    HWND dialog = program.Dialog(kOpenItem);
    ASSERT_NE(dialog, nullptr) << "no open dialog";
    ASSERT_TRUE(program.Choose(dialog, folder + L"\\" + std::wstring(99, L'q') + L".bmp"));
    EXPECT_FALSE(IsWindowVisible(SourceView(program.Main()))) << "something opened";

    // A name relative to the dialog's folder, 301 characters with it: the picture opens.
    dialog = program.Dialog(kOpenItem);
    ASSERT_NE(dialog, nullptr) << "no open dialog the second time";
    ASSERT_TRUE(program.Choose(dialog, name));
    EXPECT_TRUE(WaitFor([&] { return ShowsThreeColours(SourceView(program.Main())); }, 30000))
        << "the picture in the long folder did not open";
    EXPECT_EQ(program.Close(), 0);
}

// A drive-relative name ("C:name") is short as typed but stands for the drive's current
// folder joined to it, which overran Wine's dialogs: it is judged, and taken, by that path.
TEST(FileDialogs, DriveRelativeNamesStandForTheDrivesCurrentFolder) {
    TempFolder dir;
    const std::wstring start = dir.File(L"s");
    CreateDirectoryW(start.c_str(), nullptr);
    const std::wstring drive = start.substr(0, 2);
    WriteBmp(dir.File(L"three.bmp"), 80, 60, ThreeColours);
    Program program(start);
    ASSERT_NE(program.Main(), nullptr);

    // From a short current folder, a name of 241 letters: no such picture, and not a word.
    HWND dialog = program.Dialog(kOpenItem);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(program.Choose(dialog, drive + std::wstring(241, L'n')));
    EXPECT_FALSE(IsWindowVisible(SourceView(program.Main())));
    // A pattern of that length filters the list: the dialog stays, and nothing is chosen.
    dialog = program.Dialog(kOpenItem);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(program.StaysOpen(dialog, drive + std::wstring(241, L'n') + L"*"))
        << "a pattern was taken for a file";
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitGone(dialog));

    // A picture opened, so that the result can be saved.
    dialog = program.Dialog(kOpenItem);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(program.Choose(dialog, dir.File(L"three.bmp")));
    ASSERT_TRUE(WaitFor([&] { return ShowsThreeColours(SourceView(program.Main())); }, 30000));

    // A save into a folder of 230 characters, named by the dialog itself: that folder becomes
    // the drive's current one. Then names of 30 letters from that drive: the open is silent,
    // the save writes the file that the name stands for.
    const std::wstring deep = MakeFolderOfLength(dir.File(L"d"), 230);
    dialog = program.Dialog(kSaveItem);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(program.Choose(dialog, deep + L"\\w.bmp"));
    ASSERT_EQ(ReadBytes(deep + L"\\w.bmp").substr(0, 2), "BM");
    const std::wstring letters(30, L'z');
    dialog = program.Dialog(kOpenItem);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(program.Choose(dialog, drive + letters));
    dialog = program.Dialog(kSaveItem);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(program.Choose(dialog, drive + letters));
    EXPECT_EQ(ReadBytes(deep + L"\\" + letters).substr(0, 2), "BM")
        << "not written in the drive's current folder";
    EXPECT_TRUE(ShowsThreeColours(SourceView(program.Main())));
    EXPECT_EQ(program.Close(), 0);
}

// After a picture opened by a path of 265 characters, the save dialog starts in its folder
// with its name; a plain name typed while the dialog shows a folder of 300 characters is
// saved in that folder.
TEST(FileDialogs, LongPathsKeepTheDialogsFolderAndName) {
    TempFolder dir;
    const std::wstring folder = MakeFolderOfLength(dir.File(L"f"), 200);
    const std::wstring name = std::wstring(60, L'p') + L".bmp";
    const std::wstring picture = folder + L"\\" + name;
    ASSERT_EQ(picture.size(), 265u);
    WriteBmp(picture, 80, 60, ThreeColours);
    const std::string before = ReadBytes(picture);
    Program program(dir.Path());
    ASSERT_NE(program.Main(), nullptr);

    HWND dialog = program.Dialog(kOpenItem);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(program.Choose(dialog, picture));
    ASSERT_TRUE(WaitFor([&] { return ShowsThreeColours(SourceView(program.Main())); }, 30000));

    // The name is offered; confirmed as it stands, the opened file takes the (empty) result.
    dialog = program.Dialog(kSaveItem);
    ASSERT_NE(dialog, nullptr);
    HWND box = FileNameBox(dialog);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(WaitFor([&] { return TextOf(box) == name; })) << "offered: " << TextOf(box).size();
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitGone(dialog));
    Settle(program.Main());
    const std::string after = ReadBytes(picture);
    EXPECT_EQ(after.substr(0, 2), "BM");
    EXPECT_NE(after, before) << "the opened file was not saved over";

    // A folder of 300 characters, gone into by its path, then a plain name.
    const std::wstring longer = MakeFolderOfLength(dir.File(L"g"), 300);
    dialog = program.Dialog(kSaveItem);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(program.StaysOpen(dialog, longer)) << "a folder was taken for a file";
    ASSERT_TRUE(program.Choose(dialog, L"plain.bmp"));
    EXPECT_EQ(ReadBytes(longer + L"\\plain.bmp").substr(0, 2), "BM");

    // The next dialog starts in that folder, too long to be given to it, with the name.
    ASSERT_TRUE(DeleteFileW((longer + L"\\plain.bmp").c_str()));
    dialog = program.Dialog(kSaveItem);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(program.Choose(dialog, L"plain.bmp"));
    EXPECT_EQ(ReadBytes(longer + L"\\plain.bmp").substr(0, 2), "BM") << "saved elsewhere";
    EXPECT_EQ(program.Close(), 0);
}
