// The Notepad settings dialog, the font enumeration that fills it, and the editor
// settings dialog, driven in process with Data.ini in a temporary folder.
#include "data_ini.h"
#include "form10.h"
#include "form7.h"
#include "module1_lengths.h"

#include "fake_prompts.h"
#include "picture_files.h"

#include <windows.h>
#include <gtest/gtest.h>

using namespace mirolt;
using app::Form10;
using app::Form7;

namespace {

class NotepadSettings : public testing::Test {
  protected:
    void SetUp() override { textart::SetDataIniFolder(dir.Path()); }
    void TearDown() override {
        forms::Form7.Discard();
        forms::Form10.Discard();
        platform::ReleaseUnloadedForms();
        textart::SetDataIniFolder({});
        app::Module1::NotepadPathLength = 0;
        app::Module1::StandardFontNameLength = 0;
        app::Module1::TextArtFontNameLength = 0;
    }

    std::wstring Ini() const { return dir.File(L"Data.ini"); }
    void Store(const wchar_t *section, const wchar_t *key, const std::wstring &value) {
        ASSERT_TRUE(WritePrivateProfileStringW(section, key, value.c_str(), Ini().c_str()));
    }
    // A stored value, or "(none)".
    std::wstring Stored(const wchar_t *section, const wchar_t *key) const {
        wchar_t buffer[512];
        GetPrivateProfileStringW(section, key, L"(none)", buffer, 512, Ini().c_str());
        return buffer;
    }
    // Every key the two dialogs read, so that creating them shows no box.
    void StoreAll() {
        Store(L"Notepad", L"Size", L"11");
        Store(L"Notepad", L"Address", L"C:\\np\\a.exe");
        Store(L"FontData", L"BeforeLong", L"6");
        Store(L"FontData", L"BeforeFont", L"ＭＳ 明朝");
        Store(L"FontData", L"AfterLong", L"7");
        Store(L"FontData", L"AfterFont", L"ＭＳ ゴシック");
        Store(L"FontSizeData", L"BeforeFont", L"12");
        Store(L"FontSizeData", L"AfterFont", L"9");
        Store(L"MiroltTextEditer", L"FontName", L"IPAGothic");
        Store(L"MiroltTextEditer", L"FontSize", L"10");
    }
    std::vector<std::wstring> TakeMessages() {
        std::vector<std::wstring> m = prompts.Messages();
        prompts.seen.clear();
        return m;
    }
    // Keys as the user types them into a control's window: down, character, up.
    static void Type(HWND target, wchar_t c) {
        SendMessageW(target, WM_KEYDOWN, WPARAM(VkKeyScanW(c) & 0xFF), 1);
        SendMessageW(target, WM_CHAR, WPARAM(c), 1);
        SendMessageW(target, WM_KEYUP, WPARAM(VkKeyScanW(c) & 0xFF), 0xC0000001);
    }

    test::TempFolder dir;
    test::FakePrompts prompts;
};

} // namespace

TEST_F(NotepadSettings, SizeBoxesHoldSixteenBitWholeNumbers) {
    StoreAll();
    Form7 &d = forms::Form7.Get();
    const struct {
        const wchar_t *typed, *shown;
    } cases[] = {{L"12.5", L"12"},  {L"13.5", L"14"}, {L"40000", L"8"}, {L"0", L"0"},
                 {L"-5", L"-5"},    {L"abc", L"8"},   {L" 007 ", L"7"}, {L"", L"8"},
                 {L"-32769", L"8"}, {L"3e2", L"300"}};
    for (const auto &c : cases) {
        d.Text2.SetText(L"1");
        d.Text2.SetText(c.typed);
        EXPECT_EQ(d.Text2.Text(), c.shown) << "Text2 '" << testing::PrintToString(c.typed) << "'";
        d.Text3.SetText(L"1");
        d.Text3.SetText(c.typed);
        EXPECT_EQ(d.Text3.Text(), c.shown) << "Text3";
    }
    // Typing goes through the same rule: deleting the last digit gives "8".
    d.Text3.SetText(L"5");
    SendMessageW(d.Text3.Hwnd(), EM_SETSEL, 0, -1);
    SendMessageW(d.Text3.Hwnd(), WM_CHAR, VK_BACK, 1);
    EXPECT_EQ(d.Text3.Text(), L"8");
    EXPECT_TRUE(prompts.seen.empty());
}

TEST_F(NotepadSettings, SettingsRoundTripWithTheirLengthsInCharacters) {
    StoreAll();
    Form7 &d = forms::Form7.Get();
    EXPECT_EQ(d.Text1.Text(), L"C:\\np\\a.exe");
    EXPECT_EQ(d.Combo2.Text(), L"ＭＳ 明朝");
    EXPECT_EQ(d.Combo1.Text(), L"ＭＳ ゴシック");
    EXPECT_EQ(d.Text3.Text(), L"12");
    EXPECT_EQ(d.Text2.Text(), L"9");
    EXPECT_EQ(app::Module1::StandardFontNameLength, 6);

    d.Command5_Click();
    d.Command4_Click(); // 適用: saved, still open
    EXPECT_TRUE(forms::Form7.IsLoaded());
    EXPECT_EQ(Stored(L"FontData", L"BeforeLong"), L"8");
    EXPECT_EQ(Stored(L"FontData", L"AfterLong"), L"8");
    EXPECT_EQ(Stored(L"Notepad", L"Size"), L"22");
    EXPECT_EQ(Stored(L"FontData", L"AfterFont"), app::kDefaultNotepadFont);
    EXPECT_EQ(Stored(L"FontSizeData", L"BeforeFont"), L"16");
    EXPECT_EQ(Stored(L"FontSizeData", L"AfterFont"), L"8");
    EXPECT_EQ(Stored(L"Notepad", L"Address"), app::kDefaultNotepadPath);

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
    StoreAll();
    Form7 &d = forms::Form7.Get();
    d.Combo1.SetText(L"");
    d.Text1.SetText(L"");
    d.Command4_Click(); // 適用: the first empty field's box, nothing written, still open
    ASSERT_EQ(prompts.seen.size(), 1u);
    EXPECT_EQ(prompts.seen[0].text, L"メモ帳の位置を入力して下さい。");
    EXPECT_EQ(prompts.seen[0].title, L"メモ帳の場所が空白です");
    EXPECT_EQ(prompts.seen[0].buttons, platform::vbCritical);
    EXPECT_TRUE(forms::Form7.IsLoaded());

    d.Text1.SetText(L" "); // blanks pass
    prompts.seen.clear();
    d.Command2_Click(); // OK: the font box, nothing written, closed all the same
    EXPECT_EQ(TakeMessages(), std::vector<std::wstring>{L"フォントの種類が不明です"});
    EXPECT_EQ(Stored(L"Notepad", L"Address"), L"C:\\np\\a.exe");
    platform::ReleaseUnloadedForms();
    EXPECT_FALSE(forms::Form7.IsLoaded());
}

TEST_F(NotepadSettings, AnUnwritableSettingsFileGivesOneBoxPerKey) {
    StoreAll();
    Form7 &d = forms::Form7.Get();
    textart::SetDataIniFolder(dir.File(L"no such folder"));
    d.Command4_Click();
    EXPECT_EQ(TakeMessages(), std::vector<std::wstring>(8, textart::kWriteFailed));
}

TEST_F(NotepadSettings, FontListsAreLockedWhileAKeyIsDown) {
    StoreAll();
    Form7 &d = forms::Form7.Get();
    for (platform::ComboBox *list : {&d.Combo1, &d.Combo2}) {
        const std::wstring before = list->Text();
        HWND edit = FindWindowExW(list->Hwnd(), nullptr, L"Edit", nullptr);
        ASSERT_NE(edit, nullptr);
        Type(edit, L'x');
        EXPECT_EQ(list->Text(), before);
        EXPECT_FALSE(list->Locked());
    }
    HWND edit = FindWindowExW(d.Text1.Hwnd(), nullptr, nullptr, nullptr);
    Type(edit ? edit : d.Text1.Hwnd(), L'x'); // the path box takes typing
    EXPECT_NE(d.Text1.Text(), L"C:\\np\\a.exe");
}

TEST_F(NotepadSettings, BrowseKeepsTheLastChoiceAndFallsBackToTheDefaultPath) {
    StoreAll();
    Form7 &d = forms::Form7.Get();
    prompts.CancelFile().ChooseFile(L"D:\\x\\NOTEPAD.EXE").CancelFile();
    d.Command1_Click();
    EXPECT_EQ(d.Text1.Text(), app::kDefaultNotepadPath);
    EXPECT_EQ(prompts.seen[0].request.filter, L"メモ帳|NOTEPAD.EXE");
    d.Command1_Click();
    d.Text1.SetText(L"typed");
    d.Command1_Click();
    EXPECT_EQ(d.Text1.Text(), L"D:\\x\\NOTEPAD.EXE");
    EXPECT_TRUE(prompts.ScriptDone());
}

TEST_F(NotepadSettings, EnumerationFillsThreeListsAndTheEditorListGrowsPerCreation) {
    // Without Data.ini: Form10 is created by the first face name, reading its two keys
    // inside the enumeration, then Form7 reads its eight.
    forms::Form7.Load();
    const std::vector<std::wstring> boxes = TakeMessages();
    EXPECT_EQ(boxes, std::vector<std::wstring>(10, textart::kReadFailed));
    const int n = forms::Form7->Combo1.ListCount();
    ASSERT_GT(n, 0);
    EXPECT_EQ(forms::Form7->Combo2.ListCount(), n);
    EXPECT_EQ(forms::Form10->Combo1.ListCount(), n);
    EXPECT_EQ(forms::Form10->Combo1.List(n - 1), forms::Form7->Combo2.List(n - 1));
    EXPECT_EQ(forms::Form7->Combo1.Text(), app::kDefaultNotepadFont); // designed text kept

    forms::Form7->Command3_Click(); // キャンセル destroys it; the next show creates it anew
    platform::ReleaseUnloadedForms();
    forms::Form7.Show();
    TakeMessages();
    EXPECT_EQ(forms::Form7->Combo1.ListCount(), n);
    EXPECT_EQ(forms::Form10->Combo1.ListCount(), 2 * n);

    forms::Form10->Close(); // the title bar destroys the editor dialog: an empty list
    platform::ReleaseUnloadedForms();
    EXPECT_FALSE(forms::Form10.IsLoaded());
    forms::Form10.Show();
    EXPECT_EQ(forms::Form10->Combo1.ListCount(), 0);
    forms::Form7->Close();
    platform::ReleaseUnloadedForms();
    forms::Form7.Show();
    EXPECT_EQ(forms::Form10->Combo1.ListCount(), n);
}

TEST_F(NotepadSettings, EditorPreviewFollowsTheBoxesAndFallsBackToEight) {
    StoreAll();
    Form10 &e = forms::Form10.Get();
    EXPECT_EQ(e.Combo1.Text(), L"IPAGothic");
    EXPECT_EQ(e.Text2.FontName(), L"IPAGothic");
    EXPECT_EQ(e.Text2.FontSize(), 10);

    e.Text2.SetText(L"typed over");
    e.Text1.SetText(L"24");
    EXPECT_EQ(e.Text2.FontSize(), 24);
    EXPECT_EQ(e.Text2.Text(), app::kEditorSample);
    for (const wchar_t *refused : {L"", L"0", L"5000", L"-3", L"abc", L"1e39"}) {
        e.Text1.SetText(L"20");
        e.Text1.SetText(refused);
        EXPECT_EQ(e.Text1.Text(), L"8") << testing::PrintToString(refused);
        EXPECT_EQ(e.Text2.FontSize(), 8);
    }
    e.Text1.SetText(L"12.5"); // pasted: taken as it is
    EXPECT_EQ(e.Text2.FontSize(), 12.5);

    // Only digits and Backspace reach the size box.
    e.Text1.SetText(L"1");
    SendMessageW(e.Text1.Hwnd(), EM_SETSEL, 1, 1);
    for (wchar_t c : std::wstring(L"a-.4"))
        SendMessageW(e.Text1.Hwnd(), WM_CHAR, WPARAM(c), 1);
    EXPECT_EQ(e.Text1.Text(), L"14");

    e.Command4_Click(); // 初期設定, then キャンセル: shown, not saved
    e.Command2_Click();
    EXPECT_FALSE(e.Visible());
    EXPECT_EQ(e.Combo1.Text(), L"ＭＳ ゴシック");
    EXPECT_EQ(e.Text2.FontName(), L"ＭＳ ゴシック");
    EXPECT_EQ(e.Text1.Text(), L"8");
    EXPECT_EQ(Stored(L"MiroltTextEditer", L"FontName"), L"IPAGothic");
    e.Combo1.SetText(L"");
    e.Command3_Click(); // 適用 writes as it stands, an empty name included
    EXPECT_EQ(Stored(L"MiroltTextEditer", L"FontName"), L"");
    EXPECT_EQ(Stored(L"MiroltTextEditer", L"FontSize"), L"8");
    EXPECT_TRUE(prompts.seen.empty());
}
