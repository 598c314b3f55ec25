// The filter dialogs driven as a person drives them: keys and clicks through the message
// loop, where the focus decides what they do.
#include "filters_fixture.h"
#include "form12.h"
#include "keys.h"
#include "pixel_rules.h"

using namespace mirolt;
using test::FiltersTest;
using test::PressKey;

namespace {

class DialogKeys : public FiltersTest {
  protected:
    void SetUp() override {
        FiltersTest::SetUp();
        OpenSource(4, 3);
    }
    void TearDown() override {
        forms::Form12.Discard();
        FiltersTest::TearDown();
    }
    // A click on the bar's track, right of the thumb.
    static void ClickTrack(platform::ScrollBar &bar) {
        RECT r;
        GetClientRect(bar.Hwnd(), &r);
        const LPARAM at = MAKELPARAM(r.right * 3 / 4, r.bottom / 2);
        PostMessageW(bar.Hwnd(), WM_LBUTTONUP, 0, at); // ends the bar's own mouse loop
        SendMessageW(bar.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        platform::PumpMessages();
    }
    size_t Runs() { return prompts.Messages().size(); } // each run ends with "完了"
};

} // namespace

// Tab onto "実行", the focus given back when the dialog is shown again after a run, and a
// click on the bar followed by Tab: each time Enter runs the filter.
TEST_F(DialogKeys, EnterRunsTheBrightnessFilterHoweverTheRunButtonGotTheFocus) {
    app::Form1 &f = F();
    app::Form3 &d = forms::Form3.Get();
    f.Light_Click();
    ASSERT_EQ(GetFocus(), d.HScroll1.Hwnd());
    PressKey(VK_TAB);
    ASSERT_EQ(GetFocus(), d.Command1.Hwnd());
    PressKey(VK_RETURN);
    EXPECT_EQ(Runs(), 1u);
    EXPECT_FALSE(d.Visible());

    f.Light_Click();
    EXPECT_EQ(GetFocus(), d.Command1.Hwnd());
    PressKey(VK_RETURN);
    EXPECT_EQ(Runs(), 2u);

    f.Light_Click();
    ClickTrack(d.HScroll1);
    ASSERT_EQ(GetFocus(), d.HScroll1.Hwnd());
    PressKey(VK_TAB);
    PressKey(VK_RETURN);
    EXPECT_EQ(Runs(), 3u);
    EXPECT_EQ(f.Picture2.Point(0, 0), BrightenedOf(f.Picture1.Point(0, 0), -d.HScroll1.Value()));
}

// A run that disables the focused "実行" gives the focus back to it, so that the keys work
// on in the dialog that stays open.
TEST_F(DialogKeys, TheMosaicRunButtonHasTheFocusAgainAfterItsRun) {
    F().Mozaiku_Click();
    app::Form12 &d = forms::Form12.Get();
    d.Command1.SetFocus();
    PressKey(VK_SPACE);
    EXPECT_FALSE(F().Run);
    EXPECT_TRUE(d.Command1.Enabled());
    EXPECT_EQ(GetFocus(), d.Command1.Hwnd());
}
