// Form1's plug-in open, with Brovik.dll and real plug-ins in a plug-in folder of the test's own.
#include "bridge_binding.h"
#include "form1_fixture.h"
#include "plugin_discovery.h"
#include "plugin_files.h"

using namespace mirolt;
using namespace mirolt::test;

namespace {

constexpr wchar_t kNoPlugin[] = L"対応するプラグインが見つかりません。";
constexpr wchar_t kNoInformation[] = L"画像の情報の取得に失敗しました";
constexpr wchar_t kUnexpectedTitle[] = L"予期せぬエラー";

class SusieOpenTest : public Form1Test {
  protected:
    SusieOpenTest() : plugins(dir.File(L"plugin")) {
        CreateDirectoryW(plugins.c_str(), nullptr);
        InstallPlugin(plugins, L"archive", L"archive.spi");
        InstallPlugin(plugins, L"ppm", L"ppm.spi");
        InstallPlugin(plugins, L"quirk", L"quirk.spi");
        previousFolder = formats::PluginFolder();
        formats::SetPluginFolder(plugins);
    }
    ~SusieOpenTest() override { formats::SetPluginFolder(previousFolder); }

    // A binary PPM whose pixel (x, y) has red x, green y and blue 7.
    std::wstring MakePpm(int w, int h) {
        std::string data = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                data += {char(x), char(y), char(7)};
        const std::wstring path = dir.File(L"絵.ppm");
        WriteBytes(path, data);
        return path;
    }
    // A file for quirk.spi: it reports w x h, then draws nothing.
    std::wstring MakeQuirk(const std::string &size) {
        const std::wstring path = dir.File(L"q.qrk");
        WriteBytes(path, "QUIRK nodecode " + size);
        return path;
    }
    void Open(const std::wstring &path) {
        prompts.ChooseFile(path);
        F().SusieOpen_Click();
    }
    // The workspace is as a failed open must leave it: nothing loaded, the filter kept.
    void ExpectUnchanged() {
        EXPECT_EQ(StateOf(F()), kStartUp);
        EXPECT_EQ(F().Picture6.GetPicture().Handle(), 0);
    }

    std::wstring plugins;
    std::wstring previousFolder;
};

TEST_F(SusieOpenTest, MenuAndPopupItemsOpenAPictureThroughItsPlugin) {
    app::Form1 &f = F();
    for (platform::MenuItem *item : {&f.SusieOpen, &f.SusieOnlyOpen}) {
        prompts.seen.clear();
        f.CommonDialog1.Filter = L"other|*.x";
        prompts.ChooseFile(MakePpm(900, 700));
        item->RunClick();
        ASSERT_EQ(prompts.seen.size(), 1u) << prompts.seen.back().text;
        EXPECT_EQ(prompts.seen[0].request.filter, L"PPM picture|*.ppm|Quirk picture|*.qrk");
        EXPECT_EQ(f.CommonDialog1.Filter, app::kOpenFilter);
        EXPECT_EQ(StateOf(f), kPictureLoaded);
        EXPECT_EQ(f.Picture6.ScaleWidth(), 900);
        EXPECT_EQ(f.Picture6.ScaleHeight(), 700);
        EXPECT_EQ(f.Picture6.Point(0, 0), 0x070000);
        EXPECT_EQ(f.Picture6.Point(899, 699), 0x07 << 16 | (699 & 255) << 8 | (899 & 255));
        EXPECT_EQ(f.Picture1.Point(5, 200), f.Picture6.Point(5, 200));
        // Both panes' bars are set up for the new size.
        EXPECT_TRUE(f.HScroll1.Visible());
        EXPECT_TRUE(f.VScroll1.Visible());
        EXPECT_TRUE(f.HScroll2.Visible());
    }
}

TEST_F(SusieOpenTest, CancelAndUnsupportedFilesLeaveTheWorkspaceAlone) {
    prompts.CancelFile();
    F().SusieOpen_Click();
    EXPECT_TRUE(prompts.Messages().empty());
    ExpectUnchanged();

    const std::wstring text = dir.File(L"a.txt");
    WriteBytes(text, "text");
    Open(text);
    Open(dir.File(L"missing.ppm"));
    EXPECT_EQ(prompts.Messages(), (std::vector<std::wstring>{kNoPlugin, kNoPlugin}));
    EXPECT_EQ(prompts.seen.back().buttons, platform::vbOKOnly);
    ExpectUnchanged();
}

TEST_F(SusieOpenTest, SizesThatNoPictureCanHaveAreRefusedBeforeAnythingChanges) {
    for (const char *size : {"0 10", "10 0", "-5 10", "10 -5", "32764 10", "10 32764", "garbage"}) {
        prompts.seen.clear();
        Open(MakeQuirk(size));
        ASSERT_EQ(prompts.Messages(), std::vector<std::wstring>{kNoInformation}) << size;
        EXPECT_EQ(prompts.seen.back().title, L"エラー");
        EXPECT_EQ(prompts.seen.back().buttons, platform::vbOKOnly + platform::vbCritical);
    }
    prompts.seen.clear();
    Open(MakeQuirk("20000 20000")); // sides allowed, far too many pixels
    ASSERT_EQ(prompts.seen.size(), 2u);
    EXPECT_EQ(prompts.seen[1].title, kUnexpectedTitle);
    EXPECT_NE(prompts.seen[1].text.find(L"\nエラー番号:7"), std::wstring::npos);
    ExpectUnchanged();
}

TEST_F(SusieOpenTest, APictureThatDrawsNothingIsABlankSourceOfTheReportedSize) {
    Open(MakeQuirk("37 23"));
    EXPECT_TRUE(prompts.Messages().empty());
    EXPECT_EQ(StateOf(F()), kPictureLoaded);
    EXPECT_EQ(F().Picture6.GetPicture().Width(), 37);
    EXPECT_EQ(F().Picture6.GetPicture().Height(), 23);
    EXPECT_EQ(F().Picture6.Point(36, 22), platform::ResolveColor(F().Picture1.BackColor()));
}

TEST_F(SusieOpenTest, AMissingBridgeIsReportedWithItsNumberBeforeTheDialog) {
    formats::RebindBridgeForTest("NoSuchBrovik.dll");
    F().SusieOpen_Click();
    formats::RebindBridgeForTest("Brovik.dll");
    ASSERT_EQ(prompts.seen.size(), 1u);
    EXPECT_EQ(prompts.seen[0].text,
              L"予期せぬエラーが発生しました "
              L"下記エラー番号と発生した状況を開発者(Gelno)にメールで教えてください。\n"
              L"エラー番号:48");
    EXPECT_EQ(prompts.seen[0].title, kUnexpectedTitle);
    EXPECT_EQ(prompts.seen[0].buttons, platform::vbOKOnly + platform::vbCritical);
    ExpectUnchanged();
}

} // namespace
