#include "filters_fixture.h"

#include "module1.h"
#include "pixel_rules.h"

using namespace mirolt;
using test::FiltersTest;
using test::kPictureLoaded;
using test::kPublished;
using test::PatternColor;
using test::StateOf;

namespace {

struct BalanceView {
    int red, green, blue;
    std::wstring label4, label5, label6;
    int32_t preview;
    bool operator==(const BalanceView &) const = default;
};

BalanceView ViewOf(app::Form2 &d) {
    return {d.HScroll1.Value(), d.HScroll2.Value(), d.HScroll3.Value(), d.Label4.Caption(),
            d.Label5.Caption(), d.Label6.Caption(), d.BackColor()};
}

const BalanceView kDesigned{0, 0, 0, L"0", L"0", L"0", Rgb(128, 128, 128)};

void Scroll(platform::ScrollBar &bar, int code) {
    SendMessageW(GetParent(bar.Hwnd()), WM_HSCROLL, WPARAM(code),
                 reinterpret_cast<LPARAM>(bar.Hwnd()));
}

} // namespace

TEST_F(FiltersTest, BalancePreviewAndLabelsFollowTheBars) {
    app::Form2 &d = forms::Form2.Get();
    d.HScroll1.SetValue(-2);
    d.HScroll3.SetValue(2);
    EXPECT_EQ(ViewOf(d), (BalanceView{-2, 0, 2, L"-2", L"0", L"2", Rgb(126, 128, 128)}));
    d.HScroll2.SetValue(254);
    EXPECT_EQ(d.BackColor(), Rgb(126, 254, 128));
    d.HScroll1.SetValue(255);
    d.HScroll2.SetValue(-255);
    d.HScroll3.SetValue(0);
    EXPECT_EQ(ViewOf(d), (BalanceView{255, -255, 0, L"255", L"-255", L"0", Rgb(255, 0, 128)}));

    // The bar's own messages: an arrow click changes it; dragging the thumb does not.
    Scroll(d.HScroll3, SB_LINEUP);
    EXPECT_EQ(d.Label6.Caption(), L"-1");
    EXPECT_EQ(d.BackColor(), Rgb(255, 0, 127));
    Scroll(d.HScroll3, SB_THUMBTRACK);
    EXPECT_EQ(d.Label6.Caption(), L"-1");

    app::Form3 &b = forms::Form3.Get();
    b.HScroll1.SetValue(-100); // brightening shows with its own sign
    EXPECT_EQ(b.Label1.Caption(), L"-100");
}

TEST_F(FiltersTest, BalanceRunHidesTheDialogAndPublishesAfterDone) {
    app::Form1 &f = F();
    OpenSource(6, 4);
    f.Color_Click();
    app::Form2 &d = forms::Form2.Get();
    ASSERT_TRUE(d.Visible());
    d.HScroll1.SetValue(255);
    d.HScroll3.SetValue(-255);

    AtYield(3, [&] {
        EXPECT_FALSE(d.Visible());
        EXPECT_FALSE(d.Command1.Enabled());
        f.OnlyColor.RunClick(); // opened again during the run: "実行" stays disabled
        EXPECT_TRUE(d.Visible());
        EXPECT_FALSE(d.Command1.Enabled());
    });
    prompts.onMsgBox = [&](const test::SeenPrompt &) {
        // The result is already in the view, which the dialog shows only afterwards.
        EXPECT_EQ(f.Picture3.Point(1, 1), BalancedOf(PatternColor(1, 1), 255, 0, -255));
        EXPECT_FALSE(f.Picture3.Visible());
        EXPECT_FALSE(f.Idou.Enabled());
    };
    SendMessageW(d.Command1.Hwnd(), BM_CLICK, 0, 0);
    EXPECT_EQ(prompts.Messages(), std::vector<std::wstring>{L"完了"});
    EXPECT_EQ(StateOf(f), kPublished);
    EXPECT_TRUE(d.Command1.Enabled());
    EXPECT_EQ(ViewOf(d), (BalanceView{255, 0, -255, L"255", L"0", L"-255", Rgb(255, 128, 0)}));
    for (int x = 0; x < W(); ++x)
        for (int y = 0; y < H(); ++y) {
            const int32_t c = f.Picture2.Point(x, y);
            EXPECT_TRUE(RedOf(c) == 255 && BlueOf(c) == 0);
            EXPECT_EQ(GreenOf(c), GreenOf(f.Picture1.Point(x, y)));
        }

    // All offsets 0 rewrite every pixel with its own colour.
    prompts.onMsgBox = nullptr;
    d.HScroll1.SetValue(0);
    d.HScroll3.SetValue(0);
    d.Command1_Click();
    for (int x = 0; x < W(); ++x)
        for (int y = 0; y < H(); ++y)
            EXPECT_EQ(f.Picture2.Point(x, y), f.Picture1.Point(x, y));
}

TEST_F(FiltersTest, CancelledDialogRunsShowTheOldViewAndEnableTheMenus) {
    app::Form1 &f = F();
    OpenSource(5, 5);
    f.Mono_Click();
    const int32_t shown = f.Picture3.Point(2, 2);
    f.Picture3.SetVisible(false);
    f.Copy.SetEnabled(false);
    prompts.seen.clear();

    app::Form2 &d = forms::Form2.Get();
    d.HScroll2.SetValue(-40);
    AtYield(1, [this] { ClickCancel(); });
    d.Command1_Click();
    EXPECT_TRUE(prompts.seen.empty());
    EXPECT_EQ(f.Picture3.Point(2, 2), shown);
    EXPECT_EQ(StateOf(f), kPublished);
    EXPECT_EQ(f.Picture2.Point(0, 0), BalancedOf(f.Picture1.Point(0, 0), 0, -40, 0));
    EXPECT_EQ(f.Picture2.Point(0, 1), Background());
    EXPECT_FALSE(f.Run);
    EXPECT_TRUE(d.Command1.Enabled());

    // The brightness dialog the same way, from a freshly opened picture: the empty view
    // is shown.
    OpenSource(5, 5);
    ASSERT_EQ(StateOf(f), kPictureLoaded);
    AtYield(2, [this] { ClickCancel(); });
    forms::Form3->Command1_Click();
    EXPECT_EQ(StateOf(f), kPublished);
    EXPECT_TRUE(f.Picture3.GetPicture().Empty());
    EXPECT_TRUE(forms::Form3->Command1.Enabled());
}

TEST_F(FiltersTest, BrightnessRunsWithTheBarNegated) {
    app::Form1 &f = F();
    OpenSource(4, 3);
    app::Form3 &d = forms::Form3.Get();
    d.HScroll1.SetValue(-255);
    EXPECT_EQ(d.Label1.Caption(), L"-255");
    d.Command1_Click();
    for (int x = 0; x < W(); ++x)
        for (int y = 0; y < H(); ++y)
            EXPECT_EQ(f.Picture2.Point(x, y), Rgb(255, 255, 255));
    d.HScroll1.SetValue(255);
    EXPECT_EQ(d.Label1.Caption(), L"255");
    d.HScroll1.SetValue(20);
    d.Command1_Click();
    EXPECT_EQ(f.Picture2.Point(2, 1), BrightenedOf(PatternColor(2, 1), -20));
    EXPECT_EQ(f.Picture3.Point(2, 1), f.Picture2.Point(2, 1));
    EXPECT_EQ(prompts.Messages(), (std::vector<std::wstring>{L"完了", L"完了"}));
}

TEST_F(FiltersTest, DialogsKeepTheirStateWhenHiddenAndLoseItWhenClosed) {
    app::Form1 &f = F();
    f.Color_Click();
    forms::Form2->HScroll1.SetValue(30);
    forms::Form2->HScroll2.SetValue(-7);
    const BalanceView moved = ViewOf(forms::Form2.Get());
    forms::Form2->Command2_Click();
    EXPECT_FALSE(forms::Form2->Visible());
    f.Color_Click();
    EXPECT_TRUE(forms::Form2->Visible());
    EXPECT_EQ(ViewOf(forms::Form2.Get()), moved);

    f.Light_Click();
    forms::Form3->HScroll1.SetValue(12);
    forms::Form3->Command2_Click();
    f.OnlyLight.RunClick();
    EXPECT_EQ(forms::Form3->Label1.Caption(), L"12");

    // The title-bar close unloads; the next opening has the designed values.
    forms::Form2->Close();
    forms::Form3->Close();
    platform::ReleaseUnloadedForms();
    EXPECT_FALSE(forms::Form2.IsLoaded() || forms::Form3.IsLoaded());
    f.Color_Click();
    f.Light_Click();
    EXPECT_EQ(ViewOf(forms::Form2.Get()), kDesigned);
    EXPECT_EQ(forms::Form3->HScroll1.Value(), 0);
    EXPECT_EQ(forms::Form3->Label1.Caption(), L"0");
}

TEST_F(FiltersTest, DialogClosedByItsTitleBarDuringItsRun) {
    app::Form1 &f = F();
    OpenSource(4, 4);
    forms::Form2->HScroll1.SetValue(-255);
    AtYield(2, [&] {
        f.Color_Click();
        forms::Form2->Close();
        platform::PumpMessages(); // the unloaded window is deleted at the next pump
        EXPECT_FALSE(forms::Form2.IsLoaded());
    });
    forms::Form2->Command1_Click();
    EXPECT_EQ(StateOf(f), kPublished);
    EXPECT_EQ(RedOf(f.Picture2.Point(3, 3)), 0);
    EXPECT_FALSE(forms::Form2.IsLoaded());
    f.Color_Click();
    EXPECT_TRUE(forms::Form2->Command1.Enabled());
    EXPECT_EQ(ViewOf(forms::Form2.Get()), kDesigned);
}

TEST_F(FiltersTest, StartUpLoadsBothDialogsAfterTheMainWindow) {
    std::vector<std::pair<std::wstring, float>> steps;
    platform::SetCommandLineForTesting(L"");
    app::Main(
        [&](const std::wstring &window, float progress) { steps.emplace_back(window, progress); });
    ASSERT_GE(steps.size(), 3u);
    EXPECT_EQ(steps[1], std::make_pair(std::wstring(L"Form2"), 2.0f));
    EXPECT_EQ(steps[2], std::make_pair(std::wstring(L"Form3"), 3.0f));
    EXPECT_TRUE(forms::Form2.IsLoaded() && forms::Form3.IsLoaded());
    EXPECT_FALSE(forms::Form2->Visible() || forms::Form3->Visible());
    EXPECT_EQ(forms::Form2->BackColor(), Rgb(128, 128, 128)); // its load handler ran
}
