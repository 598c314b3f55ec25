#include "filters_fixture.h"

#include "data_ini.h"
#include "files.h"
#include "form10.h"
#include "form7.h"
#include "form8.h"
#include "form9.h"
#include "message_loop.h"
#include "module1.h"
#include "replace_file.h"
#include "text_art.h"

#include <windows.h>

#include <functional>

using namespace mirolt;
using textart::kReadFailed;
using textart::kWriteFailed;

namespace {

std::string Cp932(const std::wstring &text) {
    std::string bytes(text.size() * 2 + 1, '\0');
    bytes.resize(size_t(WideCharToMultiByte(932, 0, text.data(), int(text.size()), bytes.data(),
                                            int(bytes.size()), nullptr, nullptr)));
    return bytes;
}

// Characters a to k for the eleven classes, with the given viewer.
std::wstring Settings(const std::wstring &useSoft) {
    std::wstring ini = L"[Mozie]\r\n";
    if (!useSoft.empty()) ini += L"UseSoft=" + useSoft + L"\r\n";
    for (int k = 0; k < 11; ++k)
        ini += L"UseWord" + std::to_wstring(k) + L"=" + wchar_t(L'a' + k) + L"\r\n";
    return ini;
}

class TextArtTest : public test::FiltersTest {
  protected:
    void SetUp() override {
        textart::SetDataIniFolder(ini.Path());
        FiltersTest::SetUp();
        prompts.seen.clear();
    }
    void TearDown() override {
        forms::Form8.Discard();
        forms::Form9.Discard();
        FiltersTest::TearDown();
        textart::SetDataIniFolder({});
    }
    void WriteIni(const std::wstring &text) { test::WriteBytes(IniPath(), Cp932(text)); }
    std::wstring IniPath() { return ini.File(L"Data.ini"); }
    std::wstring Value(const wchar_t *section, const std::wstring &key) {
        wchar_t buffer[64] = {};
        GetPrivateProfileStringW(section, key.c_str(), L"?", buffer, 64, IniPath().c_str());
        return buffer;
    }
    // Counts the boxes of one text and forgets every box seen.
    int Boxes(const wchar_t *text) {
        int n = 0;
        for (const test::SeenPrompt &p : prompts.seen)
            n += p.text == text;
        prompts.seen.clear();
        return n;
    }

    test::TempFolder ini;
};

// Top-left pixels of the cells with the sums 76, 77 / 536, 537; the rest of each cell white.
int32_t Cells(int x, int y) {
    if (x == 0 && y == 0) return Rgb(76, 0, 0);
    if (x == 5 && y == 0) return Rgb(77, 0, 0);
    if (x == 0 && y == 5) return Rgb(255, 255, 26);
    if (x == 5 && y == 5) return Rgb(255, 255, 27);
    return Rgb(255, 255, 255);
}

} // namespace

TEST(TextArtIndex, UpperBoundsAreInclusiveAndOnlyPureWhiteIsLightest) {
    const int sums[][2] = {{0, 0},   {76, 0},  {77, 1},  {153, 1}, {154, 2},
                           {536, 6}, {537, 7}, {764, 9}, {765, 10}};
    for (const auto &s : sums)
        EXPECT_EQ(textart::TextArtIndex(s[0]), s[1]) << s[0];
}

TEST_F(TextArtTest, StartUpReadsEveryWindowsKeysOnceWithOrWithoutTheFile) {
    forms::Form1.Discard();
    platform::ReleaseUnloadedForms();
    platform::SetCommandLineForTesting(L"");
    app::Main();
    // 20 main window, 2 editor settings, 8 Notepad settings, 2 editor, 56 characters dialog.
    EXPECT_EQ(Boxes(kReadFailed), 88);
    EXPECT_FALSE(F().MoziMirolt.Checked() || F().MoziMemotyou.Checked());
    EXPECT_EQ(forms::Form9->Text1(54).Text(), L"＞");
    EXPECT_TRUE(forms::Form9->Option1(0).Value());
    EXPECT_EQ(forms::Form8->Text1.FontName(), L"ＭＳ Ｐゴシック");
    EXPECT_FLOAT_EQ(float(forms::Form8->Text1.FontSize()), 8.25f);

    forms::Form1.Discard();
    forms::Form7.Discard();
    forms::Form8.Discard();
    forms::Form9.Discard();
    forms::Form10.Discard();
    platform::ReleaseUnloadedForms();
    CopyFileW((platform::AppPath() + L"\\Data.ini").c_str(), IniPath().c_str(), FALSE);
    app::Main();
    EXPECT_TRUE(prompts.seen.empty());
    EXPECT_TRUE(F().MoziMirolt.Checked());
    EXPECT_EQ(F().TextArtChars[0][0], L'鬱');
    EXPECT_EQ(F().TextArtChars[10][0], L'一');
    EXPECT_EQ(textart::TextBeforeNul(F().NotepadPath), L"C:\\Windows\\NOTEPAD.EXE");
    EXPECT_EQ(textart::TextBeforeNul(F().TextArtFontName), L"ＭＳ Ｐゴシック");
}

TEST_F(TextArtTest, EditorViewerGetsOneCharacterPerTopLeftPixelAndCrLfRows) {
    WriteIni(Settings(L"Mirolt"));
    const struct {
        int w, h;
        const wchar_t *text;
    } cases[] = {{12, 11, L"ab\r\ngh\r\n"}, {10, 5, L"ab\r\n"}, {12, 4, L""}, {4, 11, L"\r\n\r\n"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.w * 100 + c.h);
        SetSource(c.w, c.h, Cells);
        AtYield(1000, [] {});
        F().Mozie_Click();
        EXPECT_EQ(forms::Form8->Text1.Text(), c.text);
        EXPECT_TRUE(forms::Form8->Visible());
        EXPECT_TRUE(forms::Form8->Text1.Locked());
        EXPECT_EQ(prompts.Messages().back(), L"完了");
        const int others = int(prompts.seen.size()) - 1;
        EXPECT_EQ(Boxes(kReadFailed), others); // the Notepad keys only
        EXPECT_FALSE(F().ProgressBar1.Visible() || F().Command1.Visible());
        EXPECT_EQ(platform::MousePointer(), 0);
    }
    EXPECT_EQ(yields, 2); // the last case: no cells, a yield per row end
    EXPECT_FLOAT_EQ(F().ProgressBar1.Max(), 2.2f);
}

TEST_F(TextArtTest, MissingCharactersShortenRowsAndNoViewerMakesNothing) {
    std::wstring settings = Settings(L"Mirolt");
    settings.replace(settings.find(L"UseWord0=a"), 10, L"UseWord0=");
    WriteIni(settings);
    SetSource(12, 11, Cells);
    F().Mozie_Click();
    EXPECT_EQ(Boxes(kReadFailed), 11); // 8 Notepad keys, UseWord0, the editor's 2
    EXPECT_EQ(forms::Form8->Text1.Text(), L"b\r\ngh\r\n");

    forms::Form8.Discard();
    F().MoziMirolt.SetChecked(false);
    WriteIni(Settings(L""));
    AtYield(1, [] {});
    F().Mozie_Click();
    EXPECT_EQ(Boxes(kReadFailed), 9); // 8 Notepad keys and UseSoft; nothing else
    EXPECT_EQ(yields, 0);
    EXPECT_FALSE(forms::Form8.IsLoaded());
    EXPECT_FALSE(F().ProgressBar1.Visible() || F().Command1.Visible());
}

TEST_F(TextArtTest, CancelDuringTheGridHandsNothingOver) {
    WriteIni(Settings(L"Mirolt"));
    SetSource(12, 11, Cells);
    AtYield(2, [this] { ClickCancel(); });
    F().Mozie_Click();
    EXPECT_EQ(yields, 3); // two cells and the row end's yield
    EXPECT_FALSE(F().Run);
    EXPECT_FALSE(forms::Form8.IsLoaded());
    EXPECT_EQ(Boxes(kReadFailed), 8);
    EXPECT_FALSE(F().ProgressBar1.Visible() || F().Command1.Visible());
}

TEST_F(TextArtTest, ViewerItemsSwapTheMarksAndAFailedNotepadStartIsReported) {
    F().MoziMemotyou_Click();
    F().MoziMirolt_Click();
    EXPECT_TRUE(F().MoziMirolt.Checked());
    EXPECT_FALSE(F().MoziMemotyou.Checked());
    EXPECT_EQ(Value(L"Mozie", L"UseSoft"), L"Mirolt");

    // Both marked: Notepad wins; a path that names no program fails after the grid.
    std::wstring settings = Settings(L"Notepad");
    settings += L"[Notepad]\r\nSize=20\r\nAddress=" + ini.File(L"none.exe") + L"\r\n";
    WriteIni(settings);
    forms::Form8.Show();
    SetSource(12, 11, Cells);
    F().Mozie_Click();
    ASSERT_FALSE(prompts.seen.empty());
    const test::SeenPrompt &box = prompts.seen.back();
    EXPECT_EQ(box.text, L"予期せぬエラーです。\nエラーナンバー右：53\n"
                        L"製作者（Gelno）にエラーナンバーと発生した状況を送ってください。");
    EXPECT_EQ(box.title, L"予期せぬエラー");
    EXPECT_EQ(box.buttons, platform::vbCritical);
    EXPECT_FALSE(forms::Form8->Visible());
    EXPECT_FALSE(F().ProgressBar1.Visible() || F().Command1.Visible());
    EXPECT_EQ(platform::MousePointer(), 0);
}

// Neither item types anything when Notepad cannot start: the box, then the settings to fix it.
TEST_F(TextArtTest, NotepadFontItemsWithoutNotepadSendNoKeysAndOpenTheSettings) {
    const auto check = [&](void (app::Form1::*item)(), const std::wstring &path) {
        if (!path.empty()) WriteIni(L"[Notepad]\r\nSize=40\r\nAddress=" + path + L"\r\n");
        (F().*item)();
        std::vector<test::SeenPrompt> boxes;
        for (const test::SeenPrompt &p : prompts.seen)
            if (p.text == L"メモ帳が見つかりません") boxes.push_back(p);
        ASSERT_EQ(boxes.size(), 1u) << Cp932(path);
        EXPECT_EQ(boxes[0].buttons, platform::vbOKOnly);
        EXPECT_TRUE(forms::Form7.IsLoaded() && forms::Form7->Visible());
        EXPECT_EQ(FindWindowW(L"Notepad", nullptr), nullptr);
        forms::Form7.Discard();
        prompts.seen.clear();
    };
    // No Data.ini at all: an empty path after the settings' own boxes.
    check(&app::Form1::Hyouzyun_Click, L"");
    check(&app::Form1::Saitekika_Click, ini.File(L"none.exe"));
}

// A stored path length that is no usable number ends either item on its own failure path
// before Notepad is started, whatever length an earlier read left.
TEST_F(TextArtTest, NotepadFontItemsTakeTheirFailurePathOnAMalformedLength) {
    const auto settings = [](const std::wstring &size) {
        return L"[Notepad]\r\nSize=" + size + L"\r\nAddress=C:\\windows\\notepad.exe\r\n";
    };
    const struct {
        const wchar_t *size;
        void (app::Form1::*item)();
    } cases[] = {{L"abc", &app::Form1::Saitekika_Click},
                 {L"-1", &app::Form1::Hyouzyun_Click},
                 {L"1073741824", &app::Form1::Saitekika_Click}};
    for (const auto &c : cases) {
        WriteIni(settings(L"22"));
        F().LoadTextArtSettings(); // a usable length to fall back on
        WriteIni(settings(c.size));
        prompts.seen.clear();
        (F().*c.item)();
        if (HWND started = FindWindowW(L"Notepad", nullptr)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(started, &pid);
            if (HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
                TerminateProcess(h, 0);
                CloseHandle(h);
            }
            ADD_FAILURE() << "Notepad started with the length " << Cp932(c.size);
        }
        ASSERT_FALSE(prompts.seen.empty());
        EXPECT_EQ(prompts.seen[0].text, L"メモ帳が見つかりません") << Cp932(c.size);
        EXPECT_TRUE(forms::Form7.IsLoaded() && forms::Form7->Visible());
        forms::Form7.Discard();
    }
}

TEST_F(TextArtTest, CharactersDialogSavesTheSelectedPatternAndGoesOnAfterFailedWrites) {
    app::Form9 &d = forms::Form9.Get();
    EXPECT_EQ(Boxes(kReadFailed), 56);
    d.Option1(2).SetValue(true);
    d.Command2_Click(); // キャンセル: nothing saved, the selection kept
    EXPECT_FALSE(d.Visible());
    EXPECT_EQ(d.SelectedPattern, 2);
    d.Text1(4 * 11).SetText(L"ABC");
    d.Command3_Click();
    EXPECT_EQ(Value(L"Mozie", L"UseWord0"), L"瀟");
    EXPECT_EQ(Value(L"Mozie", L"WordP4:0"), L"ABC");
    EXPECT_EQ(Value(L"Mozie", L"Main"), L"2");
    EXPECT_TRUE(prompts.seen.empty());

    forms::Form9.Discard();
    platform::ReleaseUnloadedForms();
    app::Form9 &again = forms::Form9.Get();
    EXPECT_TRUE(prompts.seen.empty());
    EXPECT_TRUE(again.Option1(2).Value());
    EXPECT_EQ(again.Text1(4 * 11).Text(), L"AB"); // two bytes kept

    // A file that cannot be written (a folder in its place): every key is tried; once it
    // can be written, the rest arrive.
    DeleteFileW(IniPath().c_str());
    CreateDirectoryW(IniPath().c_str(), nullptr);
    int failures = 0;
    prompts.onMsgBox = [&](const test::SeenPrompt &) {
        if (++failures == 20) RemoveDirectoryW(IniPath().c_str());
    };
    again.Text1(0).SetText(L"X");
    again.Text1(54).SetText(L"Y");
    again.Command1_Click();
    EXPECT_EQ(Boxes(kWriteFailed), 20);
    EXPECT_EQ(Value(L"Mozie", L"WordP0:0"), L"?"); // the 12th key: lost
    EXPECT_EQ(Value(L"Mozie", L"WordP4:10"), L"Y");
}

TEST_F(TextArtTest, EditorKeepsItsLineRulesBothWays) {
    WriteIni(L"[MiroltTextEditer]\r\nFontSize=12\r\n");
    app::Form8 &e = forms::Form8.Get();
    EXPECT_EQ(Boxes(kReadFailed), 1);
    EXPECT_FLOAT_EQ(float(e.Text1.FontSize()), 12.0f);

    prompts.CancelFile();
    e.TextOpen_Click(); // no file confirmed yet
    EXPECT_EQ(prompts.Messages(), std::vector<std::wstring>{L"開けない！"});
    prompts.seen.clear();

    const std::wstring path = ini.File(L"a.txt");
    test::WriteBytes(path, Cp932(L"鬱a\r\nb\rc\nd"));
    prompts.ChooseFile(path);
    e.TextOpen_Click();
    EXPECT_EQ(e.Text1.Text(), L"鬱a\r\nb\r\nc\nd\r\n");
    EXPECT_TRUE(e.Text1.Locked());

    e.CanHenkou_Click();
    EXPECT_TRUE(e.CanHenkou.Checked());
    EXPECT_FALSE(e.Text1.Locked());
    e.Text1.SetText(L"表\r\nx");
    prompts.CancelFile();
    e.Save_Click();
    EXPECT_EQ(test::ReadBytes(path), Cp932(L"鬱a\r\nb\rc\nd"));
    prompts.ChooseFile(path);
    e.Save_Click();
    EXPECT_EQ(test::ReadBytes(path), Cp932(L"表\r\nx\r\n"));
    prompts.ChooseFile(ini.Path()); // a folder: silently nothing
    e.Save_Click();
    EXPECT_TRUE(prompts.Messages().empty());

    // Text art of a 4000 x 3000 picture fits.
    const std::wstring large(480000, L'鬱');
    e.Text1.SetText(large);
    EXPECT_EQ(e.Text1.Text().size(), large.size());
    e.End_Click();
    EXPECT_FALSE(e.Visible());
}

TEST_F(TextArtTest, EditorOpensFilesUpToItsLimitsAndOnlyWhatWasThereWhenOpened) {
    app::Form8 &e = forms::Form8.Get();
    prompts.seen.clear();
    const std::wstring path = ini.File(L"big.txt");
    auto open = [&](const std::string &bytes) {
        test::WriteBytes(path, bytes);
        prompts.ChooseFile(path);
        e.TextOpen_Click();
    };
    // Lines of 1022 up to the last byte allowed, the last line without its end.
    std::string limit;
    for (int i = 0; limit.size() + 2048 <= app::kMaxTextFileBytes; ++i)
        limit += std::string(1022, char('a' + i % 26)) + "\r\n";
    limit += std::string(app::kMaxTextFileBytes - limit.size(), 'z');
    open(limit);
    EXPECT_EQ(e.Text1.TextLength(), limit.size() + 2);
    EXPECT_TRUE(prompts.Messages().empty());
    open(limit + "z");
    EXPECT_EQ(Boxes(L"開けない！"), 1);
    EXPECT_EQ(e.Text1.TextLength(), limit.size() + 2);

    std::string lines;
    for (size_t i = 0; i < app::kMaxTextFileLines; ++i)
        lines += "\r\n";
    open(lines);
    EXPECT_EQ(e.Text1.TextLength(), lines.size());
    open(lines + "x"); // one line more, without its end
    EXPECT_EQ(Boxes(L"開けない！"), 1);
    EXPECT_EQ(e.Text1.TextLength(), lines.size());

    // A NUL ends the text, however far in it comes.
    const std::string before(100'000, 'n');
    open(before + std::string(1, '\0') + "\r\nafter");
    EXPECT_TRUE(e.Text1.Text() == std::wstring(before.size(), L'n'));
    EXPECT_TRUE(prompts.Messages().empty());

    // The file grows past the limit while it is read: what it held when opened comes in.
    const std::string start(300'000, 'a');
    int yields = 0;
    platform::SetYieldHook([&] {
        if (++yields != 1) return;
        HANDLE f = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
        const std::string more(2 * app::kMaxTextFileBytes, 'b');
        DWORD put = 0;
        WriteFile(f, more.data(), DWORD(more.size()), &put, nullptr);
        CloseHandle(f);
    });
    open(start);
    platform::SetYieldHook({});
    EXPECT_GT(yields, 1);
    EXPECT_EQ(test::ReadBytes(path).size(), start.size() + 2 * app::kMaxTextFileBytes);
    EXPECT_EQ(e.Text1.Text(), std::wstring(start.size(), L'a') + L"\r\n");
    EXPECT_TRUE(prompts.Messages().empty());
}

namespace {
std::function<void()> g_beforePump;
void RunBeforePump() {
    if (g_beforePump) g_beforePump();
}
} // namespace

// Closed while it reads, or while its text goes into the box: the open ends there, without a
// word and without filling the window on its way out.
TEST_F(TextArtTest, EditorClosedWhileItOpensAFileStopsThere) {
    app::Form8 &e = forms::Form8.Get();
    prompts.seen.clear();
    const std::wstring path = ini.File(L"big.txt");
    auto open = [&](app::Form8 &form, const std::string &bytes) {
        test::WriteBytes(path, bytes);
        prompts.ChooseFile(path);
        form.TextOpen_Click();
    };
    open(e, "old\r\n");
    platform::SetYieldHook([] {
        if (forms::Form8.IsLoaded()) forms::Form8->Close();
    });
    open(e, std::string(100'000, 'c'));
    platform::SetYieldHook({});
    EXPECT_FALSE(forms::Form8.IsLoaded());
    EXPECT_TRUE(prompts.Messages().empty());
    EXPECT_EQ(e.Text1.Text(), L"old\r\n");

    // Closed by a message served between two pieces of the text.
    static const bool registered = (platform::AddBeforePump(RunBeforePump), true);
    ASSERT_TRUE(registered);
    app::Form8 &again = forms::Form8.Get();
    prompts.seen.clear();
    g_beforePump = [] {
        if (forms::Form8.IsLoaded() && forms::Form8->Text1.TextLength() > 0)
            PostMessageW(forms::Form8->Hwnd(), WM_CLOSE, 0, 0);
    };
    std::string text;
    while (text.size() < 2'000'000)
        text += std::string(1022, 'd') + "\r\n";
    open(again, text);
    g_beforePump = nullptr;
    EXPECT_FALSE(forms::Form8.IsLoaded());
    EXPECT_TRUE(prompts.Messages().empty());
    EXPECT_GT(again.Text1.TextLength(), 0u);
    EXPECT_LT(again.Text1.TextLength(), text.size());
}

// The text art of a picture large enough for more than 1 MiB of it, saved by the editor,
// opens again as it was, with the line end that saving adds.
TEST_F(TextArtTest, EditorOpensTheLargeTextArtItSaved) {
    std::wstring settings = L"[Mozie]\r\nUseSoft=Mirolt\r\n";
    for (int k = 0; k < 11; ++k)
        settings += L"UseWord" + std::to_wstring(k) + L"=" + L"鬱餓樹記倶母正虫子三一"[k] + L"\r\n";
    WriteIni(settings);
    SetSource(3700, 3700, [](int x, int y) {
        const int v = (x / 5 * 7 + y / 5 * 13) & 0xFF;
        return Rgb(v, v, v);
    });
    F().Mozie_Click();
    app::Form8 &e = forms::Form8.Get();
    const std::wstring art = e.Text1.Text();
    ASSERT_EQ(art.size(), 740u * 742u);

    const std::wstring path = ini.File(L"art.txt");
    prompts.ChooseFile(path);
    e.Save_Click();
    EXPECT_EQ(test::ReadBytes(path).size(), 740u * (2 * 740 + 2) + 2);
    e.Text1.SetText(L"");
    prompts.ChooseFile(path);
    e.TextOpen_Click();
    EXPECT_TRUE(e.Text1.Text() == art + L"\r\n");
    EXPECT_EQ(Boxes(L"開けない！"), 0);
}

TEST_F(TextArtTest, EditorSaveThatFailsPartWayLeavesTheOldFileWithoutAWord) {
    app::Form8 &e = forms::Form8.Get();
    prompts.seen.clear();
    test::TempFolder dir;
    const std::wstring path = dir.File(L"old.txt");
    test::WriteBytes(path, "old contents\n");
    e.Text1.SetText(std::wstring(200'000, L'鬱'));
    platform::FailWritesAfterForTesting(40960);
    prompts.ChooseFile(path);
    e.Save_Click();
    platform::FailWritesAfterForTesting(std::nullopt);
    EXPECT_TRUE(prompts.Messages().empty());
    EXPECT_EQ(test::ReadBytes(path), "old contents\n");
    EXPECT_EQ(platform::ListFiles(dir.File(L"*")), std::vector<std::wstring>{L"old.txt"});

    prompts.ChooseFile(path);
    e.Save_Click();
    EXPECT_EQ(test::ReadBytes(path), Cp932(std::wstring(200'000, L'鬱') + L"\r\n"));
    EXPECT_EQ(platform::ListFiles(dir.File(L"*")), std::vector<std::wstring>{L"old.txt"});
}
