// The Notepad settings dialog, the font enumeration that fills it, and the editor
// settings dialog, driven in process with Data.ini in a temporary folder.
#include "data_ini.h"
#include "form10.h"
#include "form7.h"
#include "module1_lengths.h"
#include "runtime.h"

#include "fake_prompts.h"
#include "picture_files.h"

#include <windows.h>
#include <gtest/gtest.h>

using namespace mirolt;
using Messages = std::vector<std::wstring>;

namespace {

class NotepadSettings : public testing::Test {
  protected:
    // Every key the two dialogs read, so that creating them shows no box.
    void SetUp() override {
        textart::SetDataIniFolder(dir.Path());
        const wchar_t *keys[][3] = {{L"Notepad", L"Size", L"11"},
                                    {L"Notepad", L"Address", L"C:\\np\\a.exe"},
                                    {L"FontData", L"BeforeLong", L"6"},
                                    {L"FontData", L"BeforeFont", L"ＭＳ 明朝"},
                                    {L"FontData", L"AfterLong", L"7"},
                                    {L"FontData", L"AfterFont", L"ＭＳ ゴシック"},
                                    {L"FontSizeData", L"BeforeFont", L"12"},
                                    {L"FontSizeData", L"AfterFont", L"9"},
                                    {L"MiroltTextEditer", L"FontName", L"IPAGothic"},
                                    {L"MiroltTextEditer", L"FontSize", L"10"}};
        for (auto &k : keys)
            WritePrivateProfileStringW(k[0], k[1], k[2], Ini().c_str());
    }
    void TearDown() override {
        forms::Form7.Discard();
        forms::Form10.Discard();
        platform::ReleaseUnloadedForms();
        textart::SetDataIniFolder({});
        app::Module1::NotepadPathLength = app::Module1::StandardFontNameLength =
            app::Module1::TextArtFontNameLength = 0;
    }

    std::wstring Ini() const { return dir.File(L"Data.ini"); }
    std::wstring Stored(const wchar_t *section, const wchar_t *key) const {
        wchar_t buffer[512];
        GetPrivateProfileStringW(section, key, L"(none)", buffer, 512, Ini().c_str());
        return buffer;
    }
    Messages TakeMessages() {
        Messages m = prompts.Messages();
        prompts.seen.clear();
        return m;
    }
    // A key through the focus and the message loop, as the keyboard delivers it.
    static void Press(UINT vk) {
        PostMessageW(GetFocus(), WM_KEYDOWN, vk, 1);
        PostMessageW(GetFocus(), WM_KEYUP, vk, LPARAM(0xC0000001));
        platform::PumpMessages();
    }

    test::TempFolder dir;
    test::FakePrompts prompts;
};

} // namespace

TEST_F(NotepadSettings, SizeBoxesHoldSixteenBitWholeNumbers) {
    app::Form7 &d = forms::Form7.Get();
    const wchar_t *cases[][2] = {{L"12.5", L"12"}, {L"13.5", L"14"}, {L"40000", L"8"}, {L"0", L"0"},
                                 {L"-5", L"-5"},   {L"abc", L"8"},   {L" 007 ", L"7"}, {L"", L"8"}};
    for (auto &c : cases)
        for (platform::TextBox *box : {&d.Text2, &d.Text3}) {
            box->SetText(L"1");
            box->SetText(c[0]);
            EXPECT_EQ(box->Text(), c[1]) << testing::PrintToString(c[0]);
        }
    EXPECT_TRUE(prompts.seen.empty());
}

TEST_F(NotepadSettings, SettingsRoundTripWithTheirLengthsInCharacters) {
    app::Form7 &d = forms::Form7.Get();
    EXPECT_EQ(d.Combo2.Text(), L"ＭＳ 明朝");
    EXPECT_EQ(d.Text3.Text(), L"12");
    d.Command5_Click();
    d.Command4_Click(); // 適用: saved, still open
    EXPECT_TRUE(forms::Form7.IsLoaded());
    EXPECT_EQ(Stored(L"FontData", L"BeforeLong") + Stored(L"FontData", L"AfterLong") + L"," +
                  Stored(L"Notepad", L"Size") + L"," + Stored(L"FontSizeData", L"BeforeFont"),
              L"88,22,16");

    // A name longer than its old length comes back whole: the new length sizes the read.
    const std::wstring longName = L"とても長い名前のフォントですXYZ";
    d.Combo1.SetText(longName);
    d.Command2_Click(); // OK: saved and gone
    platform::ReleaseUnloadedForms();
    EXPECT_FALSE(forms::Form7.IsLoaded());
    EXPECT_EQ(forms::Form7->Combo1.Text(), longName);
    EXPECT_EQ(app::Module1::TextArtFontNameLength, int32_t(longName.size()));
    EXPECT_TRUE(prompts.seen.empty());
}

TEST_F(NotepadSettings, EmptyFieldsStopTheSaveWithTheirBox) {
    app::Form7 &d = forms::Form7.Get();
    d.Combo1.SetText(L"");
    d.Text1.SetText(L"");
    d.Command4_Click(); // 適用: the first empty field's box, nothing written, still open
    ASSERT_EQ(prompts.seen.size(), 1u);
    EXPECT_EQ(prompts.seen[0].text + prompts.seen[0].title,
              L"メモ帳の位置を入力して下さい。メモ帳の場所が空白です");
    EXPECT_EQ(prompts.seen[0].buttons, platform::vbCritical);
    EXPECT_TRUE(forms::Form7.IsLoaded());

    d.Text1.SetText(L" "); // blanks pass
    prompts.seen.clear();
    d.Command2_Click(); // OK: the font box, nothing written, closed all the same
    EXPECT_EQ(TakeMessages(), Messages{L"フォントの種類が不明です"});
    EXPECT_EQ(Stored(L"Notepad", L"Address"), L"C:\\np\\a.exe");
    platform::ReleaseUnloadedForms();
    EXPECT_FALSE(forms::Form7.IsLoaded());
}

TEST_F(NotepadSettings, KeyboardWalksTheDesignedOrderAndNeverEditsAFontList) {
    forms::Form7.Show();
    app::Form7 &d = forms::Form7.Get();
    SetForegroundWindow(d.Hwnd());
    d.Text1.SetFocus();
    const platform::Control *order[] = {&d.Command1, &d.Combo1,   &d.Text2,    &d.Text3,
                                        &d.Combo2,   &d.Command2, &d.Command3, &d.Command4,
                                        &d.Command5, &d.Text1};
    for (const platform::Control *next : order) {
        Press(VK_TAB);
        EXPECT_TRUE(GetFocus() == next->Hwnd() || IsChild(next->Hwnd(), GetFocus()))
            << testing::PrintToString(next->Name());
    }
    Press(VK_RETURN); // no default or cancel button
    Press(VK_ESCAPE);
    EXPECT_TRUE(forms::Form7.IsLoaded() && d.Visible());

    // A key going down locks the list before its character arrives.
    for (platform::ComboBox *list : {&d.Combo1, &d.Combo2}) {
        const std::wstring before = list->Text();
        HWND edit = FindWindowExW(list->Hwnd(), nullptr, L"Edit", nullptr);
        SendMessageW(edit, WM_KEYDOWN, 'X', 1);
        SendMessageW(edit, WM_CHAR, L'x', 1);
        SendMessageW(edit, WM_KEYUP, 'X', LPARAM(0xC0000001));
        EXPECT_EQ(list->Text(), before);
        EXPECT_FALSE(list->Locked());
    }
}

TEST_F(NotepadSettings, BrowseKeepsTheLastChoiceAndFallsBackToTheDefaultPath) {
    app::Form7 &d = forms::Form7.Get();
    prompts.CancelFile().ChooseFile(L"D:\\x\\NOTEPAD.EXE").CancelFile();
    d.Command1_Click();
    EXPECT_EQ(d.Text1.Text(), app::kDefaultNotepadPath);
    EXPECT_EQ(prompts.seen[0].request.filter, L"メモ帳|NOTEPAD.EXE");
    d.Command1_Click();
    d.Text1.SetText(L"typed");
    d.Command1_Click();
    EXPECT_EQ(d.Text1.Text(), L"D:\\x\\NOTEPAD.EXE");
}

TEST_F(NotepadSettings, EnumerationFillsThreeListsAndTheEditorListGrowsPerCreation) {
    // Without Data.ini: Form10 is created by the first face name and reads its two keys
    // inside the enumeration, then Form7 reads its eight.
    DeleteFileW(Ini().c_str());
    forms::Form7.Load();
    EXPECT_EQ(TakeMessages(), Messages(10, textart::kReadFailed));
    const int n = forms::Form7->Combo1.ListCount();
    ASSERT_GT(n, 0);
    EXPECT_EQ(forms::Form7->Combo2.ListCount(), n);
    EXPECT_EQ(forms::Form10->Combo1.List(n - 1), forms::Form7->Combo2.List(n - 1));
    EXPECT_EQ(forms::Form7->Combo1.Text(), app::kDefaultNotepadFont); // designed text kept

    forms::Form7->Command3_Click(); // キャンセル destroys it; the next show creates it anew
    platform::ReleaseUnloadedForms();
    forms::Form7.Show();
    EXPECT_EQ(forms::Form7->Combo1.ListCount(), n);
    EXPECT_EQ(forms::Form10->Combo1.ListCount(), 2 * n);

    forms::Form10->Close(); // the title bar destroys the editor dialog: an empty list
    platform::ReleaseUnloadedForms();
    forms::Form10.Show();
    EXPECT_EQ(forms::Form10->Combo1.ListCount(), 0);
    forms::Form7->Close();
    platform::ReleaseUnloadedForms();
    forms::Form7.Show();
    EXPECT_EQ(forms::Form10->Combo1.ListCount(), n);
}

TEST_F(NotepadSettings, EditorPreviewFollowsTheBoxesAndFallsBackToEight) {
    app::Form10 &e = forms::Form10.Get();
    EXPECT_EQ(e.Text2.FontName(), L"IPAGothic");
    EXPECT_EQ(e.Text2.FontSize(), 10);
    e.Text2.SetText(L"typed over");
    e.Text1.SetText(L"24");
    EXPECT_EQ(e.Text2.FontSize(), 24);
    EXPECT_EQ(e.Text2.Text(), app::kEditorSample);
    for (const wchar_t *refused : {L"", L"0", L"5000", L"-3", L"abc", L"1e39"}) {
        e.Text1.SetText(L"20");
        e.Text1.SetText(refused);
        EXPECT_EQ(e.Text1.Text() + L"/" + std::to_wstring(int(e.Text2.FontSize())), L"8/8")
            << testing::PrintToString(refused);
    }

    // Only digits and Backspace reach the size box.
    SendMessageW(e.Text1.Hwnd(), EM_SETSEL, 1, 1);
    for (wchar_t c : std::wstring(L"a-.4"))
        SendMessageW(e.Text1.Hwnd(), WM_CHAR, WPARAM(c), 1);
    EXPECT_EQ(e.Text1.Text(), L"84");

    e.Command4_Click(); // 初期設定, then キャンセル: shown, not saved
    e.Command2_Click();
    EXPECT_FALSE(e.Visible());
    EXPECT_EQ(e.Text2.FontName() + e.Text1.Text(), L"ＭＳ ゴシック8");
    EXPECT_EQ(Stored(L"MiroltTextEditer", L"FontName"), L"IPAGothic");
    e.Combo1.SetText(L"");
    e.Command3_Click(); // 適用 writes as it stands, an empty name included
    EXPECT_EQ(Stored(L"MiroltTextEditer", L"FontName"), L"");
    EXPECT_EQ(Stored(L"MiroltTextEditer", L"FontSize"), L"8");
    EXPECT_TRUE(prompts.seen.empty());
}

// A Tab into the preview selects it whole and scrolls it; a size change shows the sample again
// from its start, as a fresh dialog does.
TEST_F(NotepadSettings, EditorPreviewShowsTheSampleFromItsStartAfterASizeChange) {
    app::Form10 &e = forms::Form10.Get();
    e.Show();
    SetForegroundWindow(e.Hwnd());
    const auto firstCharX = [&] {
        return short(LOWORD(SendMessageW(e.Text2.Hwnd(), EM_POSFROMCHAR, 0, 0)));
    };
    const short fresh = firstCharX();
    e.Text1.SetText(L"30");
    e.Text1.SetFocus();
    Press(VK_TAB);
    ASSERT_EQ(GetFocus(), e.Text2.Hwnd());
    ASSERT_LT(firstCharX(), fresh); // scrolled to the end of the selection
    Press(VK_TAB);
    e.Text1.SetText(L"8");
    EXPECT_EQ(firstCharX(), fresh);
    EXPECT_EQ(e.Text2.SelStart(), 0);
    EXPECT_EQ(e.Text2.SelLength(), 0);
}
