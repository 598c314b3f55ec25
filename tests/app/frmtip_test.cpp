#include "form1.h"
#include "frmtip.h"
#include "module1.h"
#include "runtime.h"

#include "fake_prompts.h"
#include "picture_files.h"

#include <gtest/gtest.h>

#include <set>

using namespace mirolt;

namespace {

std::wstring Stored() {
    return platform::GetSetting(L"Mirolt", L"Options", L"Show Tips at Startup", L"absent");
}

struct TipsTest : ::testing::Test {
    void SetUp() override {
        platform::DeleteSetting(L"Mirolt");
        platform::SetCommandLineForTesting(L"");
    }
    void TearDown() override {
        forms::frmTip.Discard();
        forms::Form1.Discard();
        platform::ReleaseUnloadedForms();
        platform::DeleteSetting(L"Mirolt");
    }
    test::FakePrompts prompts;
    test::TempFolder dir;
};

} // namespace

TEST_F(TipsTest, EveryLineIsATipEmptyOnesIncluded) {
    const std::wstring file = dir.File(L"tips.txt");
    test::WriteBytes(file, "first\r\n\r\nthird \x83\x71\x83\x93\x83\x67\r\n"); // "ヒント"
    app::frmTip &t = forms::frmTip.Get();
    ASSERT_TRUE(t.LoadTips(file));
    ASSERT_EQ(t.TipList.size(), 3u);
    std::set<std::wstring> shown;
    for (int i = 0; i < 300; ++i) {
        t.cmdNextTip_Click();
        shown.insert(t.lblTipText.Caption());
    }
    EXPECT_EQ(shown, (std::set<std::wstring>{L"first", L"", L"third ヒント"}));

    EXPECT_FALSE(t.LoadTips(L""));
    EXPECT_FALSE(t.LoadTips(dir.File(L"none.txt")));
    test::WriteBytes(dir.File(L"empty.txt"), "");
    t.lblTipText.SetCaption(L"");
    EXPECT_TRUE(t.LoadTips(dir.File(L"empty.txt")));
    EXPECT_EQ(t.lblTipText.Caption(), L"");
}

TEST_F(TipsTest, WithoutTheFileTheWindowSaysHowToMakeIt) {
    // No tips file beside the test program.
    forms::frmTip.Show();
    EXPECT_EQ(forms::frmTip->lblTipText.Caption(),
              L"ﾌｧｲﾙ TIPOFDAY.TXT が見つかりませんでした。 \r\n\r\n「メモ帳」を使用して、1 行に 1 "
              L"つのﾜﾝﾎﾟｲﾝﾄという形式でﾃｷｽﾄ ﾌｧｲﾙを作成し、TIPOFDAY.TXT という名前で保存してください"
              L"。 その後、そのﾌｧｲﾙをｱﾌﾟﾘｹｰｼｮﾝと同じﾌｫﾙﾀﾞに保存してください。");
}

TEST_F(TipsTest, TheCheckBoxIsTheStartUpSetting) {
    // Absent: ticked at the first display, which stores "1".
    forms::frmTip.Show();
    app::frmTip &t = forms::frmTip.Get();
    EXPECT_EQ(t.chkLoadTipsAtStartup.Value(), vbChecked);
    EXPECT_EQ(Stored(), L"1");

    // Cleared, then closed by the title bar: "0" stays and the next start shows nothing.
    t.chkLoadTipsAtStartup.SetValue(vbUnchecked);
    EXPECT_EQ(Stored(), L"0");
    t.Close();
    platform::ReleaseUnloadedForms();
    EXPECT_FALSE(forms::frmTip.IsLoaded());
    EXPECT_EQ(Stored(), L"0");
    app::Main();
    EXPECT_FALSE(forms::frmTip.IsLoaded());

    // Shown from the menu: clear as stored; OK stores the box and unloads.
    forms::Form1->OnePoint_Click();
    EXPECT_EQ(forms::frmTip->chkLoadTipsAtStartup.Value(), vbUnchecked);
    forms::frmTip->chkLoadTipsAtStartup.SetValue(vbChecked);
    platform::SaveSetting(L"Mirolt", L"Options", L"Show Tips at Startup", L"junk");
    forms::frmTip->cmdOK_Click();
    platform::ReleaseUnloadedForms();
    EXPECT_FALSE(forms::frmTip.IsLoaded());
    EXPECT_EQ(Stored(), L"1");
    app::Main();
    EXPECT_TRUE(forms::frmTip.IsLoaded() && forms::frmTip->Visible());

    // A stored text that is no number counts as "do not show", not as a failed start.
    platform::SaveSetting(L"Mirolt", L"Options", L"Show Tips at Startup", L"yes");
    EXPECT_EQ(app::ShowTipsSetting(), 0);
}
