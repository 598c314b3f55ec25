#include "form1_fixture.h"
#include "form5.h"

#include "ansi.h"
#include "runtime.h"

#include <cstdint>

using namespace mirolt;

namespace {

constexpr const wchar_t *kFailed = L"エラー：書きこみ失敗";

class Form5Test : public test::Form1Test {
  protected:
    void SetUp() override {
        Form1Test::SetUp();
        F().Picture2.SetWidth(40);
        F().Picture2.SetHeight(30);
    }
    void TearDown() override {
        forms::Form5.Discard();
        formats::BindSaveJpegFrom("SaveJPG.DLL");
        Form1Test::TearDown();
    }
    app::Form5 &D() { return forms::Form5.Get(); }

    // Saves under `text` and answers the message box; the box seen.
    test::SeenPrompt Save(const std::wstring &text) {
        D().Text1.SetText(text);
        prompts.AnswerMsgBox(platform::vbOK);
        const size_t before = prompts.seen.size();
        D().Command1_Click();
        EXPECT_EQ(prompts.seen.size(), before + 1);
        return prompts.seen.back();
    }
};

// The stand-in's record of its last call.
struct StubRecord {
    HMODULE stub = GetModuleHandleA("JpegStub.dll");
    std::string Path() const {
        auto f = reinterpret_cast<const char *(*)()>(
            reinterpret_cast<void *>(GetProcAddress(stub, "StubLastPath")));
        return f();
    }
    uint32_t Quality() const {
        auto f = reinterpret_cast<uint32_t (*)()>(
            reinterpret_cast<void *>(GetProcAddress(stub, "StubLastQuality")));
        return f();
    }
};

} // namespace

TEST_F(Form5Test, SavesThroughTheLibraryAndKeepsItsValuesUntilClosed) {
    F().JPEGSave_Click();
    app::Form5 &d = D();
    ASSERT_TRUE(d.Visible());
    test::WriteBytes(dir.File(L"old.jpg"), "x");
    d.Dir1.SetPath(dir.Path()); // the file list follows the folder
    ASSERT_EQ(d.File1.ListCount(), 1);
    d.File1.SetListIndex(0);
    EXPECT_EQ(d.Text1.Text(), L"old.jpg");

    d.HScroll1.SetValue(100);
    EXPECT_EQ(d.Text2.Text(), L"100");
    const test::SeenPrompt saved = Save(L"picture.JPG");
    EXPECT_EQ(saved.text, L"保存しました");
    EXPECT_EQ(saved.title, L"成功");
    EXPECT_EQ(saved.buttons, platform::vbInformation);
    EXPECT_FALSE(d.Visible());
    const std::string best = test::ReadBytes(dir.File(L"picture.JPG.jpg"));
    ASSERT_GE(best.size(), 2u);
    EXPECT_EQ(best.substr(0, 2), "\xFF\xD8");

    // Shown again: the same folder, name and quality.
    F().OnlyJPEG.RunClick();
    EXPECT_TRUE(d.Visible());
    EXPECT_EQ(d.Dir1.Path(), dir.Path());
    EXPECT_EQ(d.Text1.Text(), L"picture.JPG");
    EXPECT_EQ(d.HScroll1.Value(), 100);

    d.HScroll1.SetValue(1);
    Save(L"");
    EXPECT_LT(test::ReadBytes(dir.File(L".jpg")).size(), best.size());

    // Failures keep the dialog open; a name no file can have cannot be opened.
    F().JPEGSave_Click();
    const test::SeenPrompt bad = Save(L"a?b");
    EXPECT_EQ(bad.text, L"ファイルをオープンできません");
    EXPECT_EQ(bad.buttons, platform::vbCritical);
    EXPECT_TRUE(d.Visible());

    // The title-bar close unloads: the next showing has the designed values.
    d.Close();
    platform::ReleaseUnloadedForms();
    EXPECT_FALSE(forms::Form5.IsLoaded());
    F().JPEGSave_Click();
    EXPECT_EQ(D().Text1.Text(), L"*.jpg");
    EXPECT_EQ(D().HScroll1.Value(), 75);
    EXPECT_EQ(D().Text2.Text(), L"75");
}

TEST_F(Form5Test, EachResultHasItsMessageAndTheArgumentsPassUnchanged) {
    formats::BindSaveJpegFrom("JpegStub.dll");
    app::Form5 &d = D();
    d.Show();
    d.Dir1.SetPath(dir.Path());
    const std::vector<std::pair<std::wstring, std::wstring>> rows = {
        {L"1", L"ファイルをオープンできません"},
        {L"2", L"ファイルを書きこめません"},
        {L"3", L"ファイルのフォーマットエラーです"},
        {L"4", L"スタックオーバーフローです"},
        {L"5", L"原因不明のエラーです"},
        {L"65536", L"保存しました"}, // the result is a 16-bit integer
    };
    for (const auto &[name, message] : rows) {
        const test::SeenPrompt seen = Save(name);
        EXPECT_EQ(seen.text, message) << name;
        EXPECT_EQ(seen.title, message == L"保存しました" ? L"成功" : kFailed) << name;
    }

    StubRecord stub;
    d.HScroll1.SetValue(1);
    Save(L"1.jpg");
    EXPECT_EQ(stub.Path(), platform::ToAnsi(dir.Path()) + "\\1.jpg");
    EXPECT_EQ(stub.Quality(), 1u);
    d.HScroll1.SetValue(100);
    Save(L"1");
    EXPECT_EQ(stub.Quality(), 100u);

    // At a drive's root the folder's own backslash and the added one both stay.
    d.Dir1.SetPath(L"c:\\");
    Save(L"1.jpg");
    EXPECT_EQ(stub.Path(), platform::ToAnsi(d.Dir1.Path()) + "\\1.jpg");
    EXPECT_NE(stub.Path().find(":\\\\1.jpg"), std::string::npos);

    // No library: the unnamed failure, and the dialog stays.
    formats::BindSaveJpegFrom("NoSuchSaveJPG.DLL");
    d.Show();
    const test::SeenPrompt missing = Save(L"x");
    EXPECT_EQ(missing.text, L"原因不明のエラーです");
    EXPECT_EQ(missing.title, kFailed);
    EXPECT_TRUE(d.Visible());
}

TEST_F(Form5Test, AnUnreadableDriveOffersRetryThenFallsBackToTheProgramsDrive) {
    app::Form5 &d = D();
    d.Show();
    const wchar_t home = wchar_t(towlower(platform::AppPath()[0]));
    int other = -1;
    for (int i = 0; i < d.Drive1.ListCount() && other < 0; ++i)
        if (d.Drive1.List(i)[0] != home) other = i;
    ASSERT_GE(other, 0) << "Wine has C: and Z:";
    ASSERT_NE(d.Drive1.ListIndex(), other);

    // That drive's current folder is gone: moving the folder list there fails.
    const std::wstring drive = d.Drive1.List(other).substr(0, 2);
    const std::wstring variable = L"=" + std::wstring(1, wchar_t(towupper(drive[0]))) + L":";
    SetEnvironmentVariableW(variable.c_str(), (drive + L"\\no such folder here").c_str());
    prompts.AnswerMsgBox(platform::vbRetry).AnswerMsgBox(platform::vbCancel);
    d.Drive1.SetListIndex(other);
    SetEnvironmentVariableW(variable.c_str(), nullptr);

    ASSERT_EQ(prompts.seen.size(), 2u);
    for (const test::SeenPrompt &box : prompts.seen) {
        EXPECT_EQ(box.text, L"デバイスがにアクセスできません");
        EXPECT_EQ(box.title, L"あれっ");
        EXPECT_EQ(box.buttons, 21);
    }
    EXPECT_EQ(d.Drive1.Drive()[0], home);
    EXPECT_EQ(towlower(d.Dir1.Path()[0]), home);
    EXPECT_EQ(d.File1.Path(), d.Dir1.Path());
}
