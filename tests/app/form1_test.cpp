#include "form1_fixture.h"

#include "module1.h"
#include "progress_scope.h"
#include "runtime.h"
#include "vb_constants.h"
#include "vb_error.h"

using namespace mirolt;
using mirolt::test::Form1Test;
using mirolt::test::PatternColor;
using namespace mirolt::test;

TEST_F(Form1Test, StartState) {
    app::Form1 &f = F();
    EXPECT_EQ(f.Caption(), L"Mirolt");
    EXPECT_EQ(StateOf(f), kStartUp);
    EXPECT_FALSE(f.Run);
    for (auto *bar : {&f.HScroll1, &f.VScroll1, &f.HScroll2, &f.VScroll2})
        EXPECT_FALSE(bar->Visible()) << std::string(bar->Name().begin(), bar->Name().end());
    EXPECT_FALSE(f.Command1.Visible());
    EXPECT_FALSE(f.ProgressBar1.Visible());
    EXPECT_EQ(f.Command1.Caption(), L"Cancel");
    EXPECT_EQ(f.StatusBar1.Text(), L"画像を編集するソフトです");
    EXPECT_EQ(f.CommonDialog1.Filter, L"BMPファイル|*.bmp*|JPEGファイル|*.JPG;*.JPEG");
    for (auto *p : {&f.Picture1, &f.Picture2, &f.Picture3}) {
        EXPECT_EQ(p->Width(), f.Picture6.Width());
        EXPECT_EQ(p->Height(), f.Picture6.Height());
    }
    EXPECT_EQ(f.Picture1.ScaleWidth(), 0);
    // Items that no state touches stay enabled; the pop-ups stay off the menu bar.
    for (auto *m : {&f.FileOpen, &f.SusieOpen, &f.KidouText, &f.End, &f.Clip, &f.Load, &f.settei,
                    &f.Sonota, &f.OnePoint, &f.GoHP, &f.OnlyClipOpen})
        EXPECT_TRUE(m->Enabled());
    EXPECT_EQ(GetMenuItemCount(GetMenu(f.Hwnd())), 8);
    EXPECT_FALSE(f.OpenOnly.Visible());
    EXPECT_EQ(f.OnlyMono.Caption(), L"モノクロ化");
    EXPECT_EQ(f.MakeMask.Caption(), L"マスクよう画像の作成");
    EXPECT_EQ(f.OnlySonoiti.Caption(), L"フィルターその①");
}

TEST_F(Form1Test, LayoutFollowsTheWindowSize) {
    app::Form1 &f = F();
    const double sw = f.ScaleWidth(), sh = f.ScaleHeight();
    EXPECT_EQ(sw, 801); // designed client 12015 x 5475 twips
    EXPECT_EQ(sh, 365);
    EXPECT_EQ(f.Command1.Top(), sh - 20);
    EXPECT_EQ(f.ProgressBar1.Top(), sh - 20);
    EXPECT_EQ(f.Command1.Left(), sw - 207);
    EXPECT_EQ(f.ProgressBar1.Left(), sw - 151);
    EXPECT_NEAR(f.Picture5.Width(), sw / 2 - 55, 0.5);
    EXPECT_EQ(f.Picture4.Width(), f.Picture5.Width());
    EXPECT_EQ(f.Picture5.Height(), sh - 55);
    EXPECT_EQ(f.Picture5.Left(), 24);
    EXPECT_EQ(f.Picture5.Top(), 8);
    EXPECT_EQ(f.Picture4.Left(), 2 * f.Picture5.Left() + f.Picture5.ScaleWidth() + 35);
    EXPECT_EQ(f.VScroll1.Left(), f.Picture5.Left() + f.Picture5.ScaleWidth() + 5);
    EXPECT_EQ(f.VScroll2.Left(), f.Picture4.Left() + f.Picture4.ScaleWidth() + 5);
    EXPECT_EQ(f.HScroll1.Top(), f.Picture5.Top() + f.Picture5.ScaleHeight() + 5);
    EXPECT_EQ(f.HScroll2.Left(), f.Picture4.Left());
    EXPECT_EQ(f.HScroll1.Width(), f.Picture5.Width());
    EXPECT_EQ(f.VScroll2.Height(), f.Picture4.Height());

    f.SetWidth(12000 + 60 * 15);
    EXPECT_EQ(f.Command1.Left(), f.ScaleWidth() - 207);
    EXPECT_NEAR(f.Picture5.Width(), f.ScaleWidth() / 2 - 55, 0.5);
}

TEST_F(Form1Test, MinimumSizeClamp) {
    app::Form1 &f = F();
    f.SetWidth(3000);
    EXPECT_EQ(f.Width(), 7425);
    f.SetHeight(1500);
    EXPECT_EQ(f.Height(), 3870);
    // Exactly the minimum is set again (at most, not below), and stays.
    f.SetWidth(7425);
    EXPECT_EQ(f.Width(), 7425);
    // A minimised window cannot be sized: the handler ends silently.
    ShowWindow(f.Hwnd(), SW_MINIMIZE);
    ShowWindow(f.Hwnd(), SW_RESTORE);
    EXPECT_EQ(f.Width(), 7425);
}

TEST_F(Form1Test, ScrollBarsFollowTheViewSize) {
    app::Form1 &f = F();
    const double pane = f.Picture5.Width();
    struct Case {
        double extra;
        bool shown;
        int max;
    } cases[] = {{1, true, 1}, {25, true, 2}, {75, true, 2}, {76, true, 3}, {0, false, 0}};
    for (const Case &c : cases) {
        f.Picture6.SetWidth(pane + c.extra);
        EXPECT_EQ(f.HScroll1.Visible(), c.shown) << c.extra;
        if (c.shown) {
            EXPECT_EQ(f.HScroll1.Max(), c.max) << c.extra;
            EXPECT_EQ(f.HScroll1.Value(), 0);
        }
    }
    // The result view works the same through its own resize.
    f.Picture3.SetHeight(f.Picture4.Height() + 125);
    EXPECT_TRUE(f.VScroll2.Visible());
    EXPECT_EQ(f.VScroll2.Max(), 4); // 3.5 rounds to 4
}

TEST_F(Form1Test, ScrollingMovesTheViewsFiftyPixelsAStep) {
    app::Form1 &f = F();
    f.Picture6.SetWidth(f.Picture5.Width() + 400);
    f.Picture6.SetHeight(f.Picture5.Height() + 400);
    f.HScroll1.SetValue(3);
    EXPECT_EQ(f.Picture6.Left(), -150);
    f.VScroll1.SetValue(2);
    EXPECT_EQ(f.Picture6.Top(), -100);
    // A scroll message from the bar itself: one step per arrow.
    SendMessageW(f.Hwnd(), WM_HSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(f.HScroll1.Hwnd()));
    EXPECT_EQ(f.HScroll1.Value(), 4);
    EXPECT_EQ(f.Picture6.Left(), -200);
    SendMessageW(f.Hwnd(), WM_HSCROLL, SB_THUMBTRACK, reinterpret_cast<LPARAM>(f.HScroll1.Hwnd()));
    EXPECT_EQ(f.Picture6.Left(), -200);

    // A resize while scrolled puts the bar back to 0 and the view to the pane's edge.
    f.SetWidth(f.Width() + 150);
    EXPECT_EQ(f.HScroll1.Value(), 0);
    EXPECT_EQ(f.Picture6.Left(), 0);
    EXPECT_EQ(f.VScroll1.Value(), 0);
    EXPECT_EQ(f.Picture6.Top(), 0);
}

TEST_F(Form1Test, CancelButtonSetsRun) {
    app::Form1 &f = F();
    f.Command1.SetVisible(true);
    SendMessageW(f.Command1.Hwnd(), BM_CLICK, 0, 0);
    EXPECT_TRUE(f.Run);
    EXPECT_TRUE(f.Command1.Visible()); // it hides nothing by itself
}

// Every way out of a long operation puts the bar, the button and the pointer back. Only the
// outermost run starts with Run False, so a Cancel seen by one stage stops the stages after it.
TEST_F(Form1Test, ProgressScopeRestoresEverythingOnCancelAndOnError) {
    app::Form1 &f = F();
    auto shown = [&] { return f.ProgressBar1.Visible() || f.Command1.Visible(); };
    f.Run = true; // a click that no run saw
    {
        app::ProgressScope progress(f, 12);
        EXPECT_FALSE(f.Run);
        EXPECT_TRUE(f.ProgressBar1.Visible() && f.Command1.Visible());
        EXPECT_EQ(platform::MousePointer(), vbHourglass);
        progress.SetValue(20);
        EXPECT_EQ(f.ProgressBar1.Value(), 12);
        f.Run = true;
        EXPECT_TRUE(progress.Cancelled());
        EXPECT_FALSE(f.Run || shown());
        EXPECT_EQ(platform::MousePointer(), vbDefault);
    }
    try {
        const app::RunSpan build(f);
        f.Run = true;
        app::ProgressScope stage(f, 5);
        EXPECT_TRUE(f.Run);
        throw RuntimeError(kOverflow);
    } catch (const RuntimeError &) {
    }
    EXPECT_FALSE(shown());
    EXPECT_EQ(platform::MousePointer(), vbDefault);
}

TEST_F(Form1Test, CommandLinePictureEntersThePictureLoadedState) {
    app::Form1 &f = F();
    // Spaces without quotes, and a lower-case name that is loaded upper-cased.
    std::wstring path = dir.File(L"with space.bmp");
    test::WriteBmp(path, 60, 40);
    app::LoadCommandLinePicture(path);
    EXPECT_TRUE(prompts.seen.empty());
    EXPECT_EQ(StateOf(f), kPictureLoaded);
    // The command line shows Picture1.Image, which the resize chain has already grown by
    // the view's border strip: the picture sits at the top left of a slightly larger view.
    EXPECT_GE(f.Picture6.ScaleWidth(), 60);
    EXPECT_EQ(f.Picture6.Point(59, 39), PatternColor(59, 39));
    EXPECT_EQ(f.Picture6.Point(0, 0), PatternColor(0, 0));
    for (auto *p : {&f.Picture1, &f.Picture2, &f.Picture3}) {
        EXPECT_EQ(p->Width(), f.Picture6.Width());
        EXPECT_EQ(p->Height(), f.Picture6.Height());
    }
    EXPECT_EQ(f.Picture1.Point(10, 10), PatternColor(10, 10));
    EXPECT_EQ(f.Picture2.GetPicture().Handle(), 0);
    EXPECT_EQ(f.Picture6.Left(), 0);
}

TEST_F(Form1Test, UnloadableCommandLinesLeaveTheStartState) {
    app::Form1 &f = F();
    const std::wstring good = dir.File(L"good.bmp");
    test::WriteBmp(good, 8, 8);
    test::WriteBytes(dir.File(L"bad.bmp"), "BM not really");
    test::WriteBytes(dir.File(L"huge.bmp"), std::string("BM") + std::string(60, '\xff'));
    for (const std::wstring &line :
         {dir.File(L"missing.bmp"), L"\"" + good + L"\"", good + L" " + good, dir.File(L"bad.bmp"),
          dir.File(L"huge.bmp"), dir.Path()}) {
        prompts.seen.clear();
        app::LoadCommandLinePicture(line);
        EXPECT_EQ(StateOf(f), kStartUp);
        EXPECT_EQ(prompts.Messages(), std::vector<std::wstring>{L"開けない！"});
    }
}
