#include "filters_fixture.h"

#include "pixel_rules.h"

#include "message_loop.h"

#include "picture_files.h"

#include <commctrl.h>

#include <tuple>

using namespace mirolt;
using test::FiltersTest;
using test::kPictureLoaded;
using test::kPublished;
using test::PatternColor;
using test::StateOf;

namespace {

struct MenuFilter {
    const char *name;
    void (app::Form1::*handler)();
    int32_t (*rule)(int32_t);
};

const MenuFilter kMenuFilters[] = {
    {"grayscale", &app::Form1::Mono_Click, GrayscaleOf},
    {"inversion", &app::Form1::Hanten_Click, InvertedOf},
    {"mask", &app::Form1::MakeMask_Click, MaskOf},
    {"sepia", &app::Form1::Sepia_Click, SepiaOf},
};

// A source with black pixels (for the mask) and colours that no rule maps onto white.
int32_t Source(int x, int y) {
    return (x + y) % 3 == 0 ? 0 : PatternColor(x + 3, y + 2);
}

} // namespace

TEST_F(FiltersTest, CompleteRunsGoColumnByColumnAndPublish) {
    app::Form1 &f = F();
    for (const MenuFilter &m : kMenuFilters) {
        SCOPED_TRACE(m.name);
        SetSource(7, 5, Source);
        f.Picture2.PSet(6, 4, Rgb(1, 2, 3)); // an earlier result is cleared first
        prompts.seen.clear();
        // At the yield after pixel k: that pixel written, the next not yet; the bar counts
        // finished columns.
        yields = 0;
        platform::SetYieldHook([&] {
            const int k = yields++, x = k / 5, y = k % 5;
            EXPECT_EQ(f.Picture2.Point(x, y), m.rule(Source(x, y))) << k;
            if (k + 1 < 35 && m.rule(Source((k + 1) / 5, (k + 1) % 5)) != Background()) {
                EXPECT_EQ(f.Picture2.Point((k + 1) / 5, (k + 1) % 5), Background()) << k;
            }
            EXPECT_EQ(f.ProgressBar1.Value(), float(x));
            EXPECT_TRUE(f.ProgressBar1.Visible() && f.Command1.Visible());
            EXPECT_EQ(platform::MousePointer(), 11);
        });
        (f.*m.handler)();
        EXPECT_EQ(yields, 35);
        EXPECT_EQ(f.ProgressBar1.Min(), 0);
        EXPECT_EQ(f.ProgressBar1.Max(), 7);
        EXPECT_EQ(f.ProgressBar1.Value(), 7);
        // The bar's window, told of changes sparingly, still ends full.
        EXPECT_EQ(SendMessageW(f.ProgressBar1.Hwnd(), PBM_GETPOS, 0, 0),
                  SendMessageW(f.ProgressBar1.Hwnd(), PBM_GETRANGE, FALSE, 0));
        EXPECT_FALSE(f.ProgressBar1.Visible() || f.Command1.Visible());
        EXPECT_EQ(platform::MousePointer(), 0);
        EXPECT_EQ(prompts.Messages(), std::vector<std::wstring>{L"完了"});
        EXPECT_EQ(prompts.seen[0].buttons, platform::vbOKOnly);
        EXPECT_EQ(prompts.seen[0].title, L"Mirolt");
        for (int x = 0; x < 7; ++x)
            for (int y = 0; y < 5; ++y) {
                EXPECT_EQ(f.Picture2.Point(x, y), m.rule(Source(x, y)));
                EXPECT_EQ(f.Picture3.Point(x, y), m.rule(Source(x, y)));
            }
        EXPECT_TRUE(f.Picture3.Visible());
        for (auto *item : {&f.Idou, &f.Copy, &f.Save, &f.JPEGSave})
            EXPECT_TRUE(item->Enabled());
        EXPECT_FALSE(f.Run);
    }
}

TEST_F(FiltersTest, OnePixelPicture) {
    app::Form1 &f = F();
    SetSource(1, 1, [](int, int) { return Rgb(100, 100, 100); });
    AtYield(0, [] {});
    f.Sepia_Click();
    EXPECT_EQ(yields, 1);
    EXPECT_EQ(f.Picture2.Point(0, 0), Rgb(140, 110, 70));
    EXPECT_EQ(f.ProgressBar1.Max(), 1);
    EXPECT_EQ(f.ProgressBar1.Value(), 1);
}

TEST_F(FiltersTest, CancelKeepsThePixelsBeforeItAndPublishesThem) {
    app::Form1 &f = F();
    // After the first pixel, in the middle of the second column, and half-way down a column
    // of a picture large enough for strips of columns.
    for (auto [w, h, k] : {std::tuple{4, 5, 1}, {4, 5, 5 + 2}, {400, 300, 300 * 250 + 123}}) {
        SCOPED_TRACE(k);
        SetSource(w, h);
        prompts.seen.clear();
        AtYield(k, [this] { ClickCancel(); });
        f.Hanten_Click();
        EXPECT_EQ(yields, k);
        for (int x = 0; x < w; ++x)
            for (int y = 0; y < h; ++y)
                ASSERT_EQ(f.Picture2.Point(x, y),
                          x * h + y < k ? InvertedOf(PatternColor(x, y)) : Background())
                    << x << "," << y;
        EXPECT_TRUE(prompts.seen.empty()); // no "完了"
        EXPECT_FALSE(f.Run);
        EXPECT_FALSE(f.ProgressBar1.Visible() || f.Command1.Visible());
        EXPECT_EQ(platform::MousePointer(), 0);
        EXPECT_EQ(f.Picture3.Point(0, 0), InvertedOf(PatternColor(0, 0)));
        EXPECT_TRUE(f.Picture3.Visible());
        EXPECT_TRUE(f.Idou.Enabled() && f.Copy.Enabled());
    }
}

TEST_F(FiltersTest, CancelAfterTheLastPixelIsNotCarriedIntoTheNextRun) {
    app::Form1 &f = F();
    SetSource(3, 2);
    AtYield(6, [this] { ClickCancel(); });
    f.Mono_Click();
    EXPECT_EQ(prompts.Messages(), std::vector<std::wstring>{L"完了"});
    EXPECT_TRUE(f.Run);
    EXPECT_EQ(f.Picture3.Point(2, 1), GrayscaleOf(PatternColor(2, 1)));

    // The click was seen by no run: the next one runs whole.
    prompts.seen.clear();
    AtYield(0, [] {});
    f.MakeMask_Click();
    EXPECT_EQ(yields, 6);
    EXPECT_EQ(prompts.Messages(), std::vector<std::wstring>{L"完了"});
    EXPECT_FALSE(f.Run);
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 2; ++y)
            EXPECT_EQ(f.Picture3.Point(x, y), MaskOf(PatternColor(x, y)));
}

// A Cancel click waiting right behind the menu click that starts a run is handled at the
// run's first yield, although the program's loop has just looked at the queue.
TEST_F(FiltersTest, CancelWaitingBehindTheStartIsSeenAtTheFirstYield) {
    app::Form1 &f = F();
    OpenSource(40, 30);
    platform::PumpMessages();
    PostMessageW(f.Hwnd(), WM_COMMAND, MAKEWPARAM(f.Hanten.Id(), 0), 0);
    PostMessageW(f.Command1.Hwnd(), BM_CLICK, 0, 0);
    MSG msg;
    ASSERT_TRUE(platform::WaitAndDispatch(msg)); // the menu item's click, which runs the filter
    EXPECT_TRUE(prompts.seen.empty());           // cancelled: no "完了"
    EXPECT_FALSE(f.Run);
    for (int x = 0; x < W(); ++x)
        for (int y = 0; y < H(); ++y)
            ASSERT_EQ(f.Picture3.Point(x, y),
                      x + y == 0 ? InvertedOf(f.Picture1.Point(0, 0)) : Background())
                << x << "," << y;
}

TEST_F(FiltersTest, DoneIsShownBeforeTheResultIsPublished) {
    app::Form1 &f = F();
    OpenSource(6, 4);
    int boxes = 0;
    prompts.onMsgBox = [&](const test::SeenPrompt &) {
        ++boxes;
        EXPECT_EQ(f.Picture2.Point(1, 1), SepiaOf(PatternColor(1, 1)));
        EXPECT_FALSE(f.Picture3.Visible());
        EXPECT_FALSE(f.Idou.Enabled());
    };
    f.Sepia_Click();
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(StateOf(f), kPublished);

    // With a result already shown, the view keeps it while the box is open.
    prompts.onMsgBox = [&](const test::SeenPrompt &) {
        EXPECT_EQ(f.Picture2.Point(1, 1), InvertedOf(PatternColor(1, 1)));
        EXPECT_EQ(f.Picture3.Point(1, 1), SepiaOf(PatternColor(1, 1)));
    };
    f.Hanten_Click();
    EXPECT_EQ(f.Picture3.Point(1, 1), InvertedOf(PatternColor(1, 1)));
}

TEST_F(FiltersTest, OperationsReadTheSourceAndChainOnlyThroughAMove) {
    app::Form1 &f = F();
    OpenSource(1000, 700);      // large enough for strips shared among threads
    const int w = W(), h = H(); // grown by the view's border strip
    auto source = [&](int x, int y) { return f.Picture1.Point(x, y); };
    std::vector<int32_t> original;
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y)
            original.push_back(source(x, y));

    f.Mono_Click();
    f.Hanten_Click();
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y)
            ASSERT_EQ(f.Picture2.Point(x, y), InvertedOf(original[size_t(x * h + y)]));

    prompts.AnswerMsgBox(platform::vbYes); // "ピクチャを移動してよろしいですか?"
    f.Idou_Click();
    ASSERT_GE(W(), w); // the moved picture may come back grown by the view's border
    f.Hanten_Click();
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y)
            ASSERT_EQ(f.Picture2.Point(x, y), original[size_t(x * h + y)]);
    EXPECT_TRUE(prompts.ScriptDone());
}

// Real pumps in the middle of a run, where the frame walks strips of columns.
namespace {

// Posts `message` to `window` and lets a pump fall due: called at a yield, the message is
// handled by the real pump of that yield.
void PostForThisYield(HWND window, UINT message, WPARAM wp) {
    PostMessageW(window, message, wp, 0);
    Sleep(15); // more than a pump interval since the last pump
}

} // namespace

TEST_F(FiltersTest, CancelAtARealPumpLeavesTheColumnByColumnPrefixOfThatPump) {
    app::Form1 &f = F();
    const int w = 400, h = 300;
    SetSource(w, h);
    // How many pixels, in column order, are written; every later one must still be cleared.
    auto writtenPrefix = [&] {
        int n = 0;
        while (n < w * h &&
               f.Picture2.Point(n / h, n % h) == InvertedOf(PatternColor(n / h, n % h)))
            ++n;
        for (int i = n; i < w * h; ++i)
            if (f.Picture2.Point(i / h, i % h) != Background()) return -1;
        return n;
    };
    int atPump = -1;
    f.GoHP.Click = [&] { atPump = writtenPrefix(); }; // looks at the pump that takes the click
    AtYield(h * 250 + 17, [&] {
        PostMessageW(f.Hwnd(), WM_COMMAND, MAKEWPARAM(f.GoHP.Id(), 0), 0);
        PostForThisYield(f.Command1.Hwnd(), BM_CLICK, 0);
    });
    f.Hanten_Click();
    EXPECT_TRUE(prompts.seen.empty()); // cancelled: no "完了"
    EXPECT_FALSE(f.Run);
    EXPECT_GT(atPump, 0);
    EXPECT_LT(atPump, w * h);
    EXPECT_EQ(writtenPrefix(), atPump); // nothing written after the click
    EXPECT_EQ(f.Picture3.Point(0, 0), InvertedOf(PatternColor(0, 0)));
}

TEST_F(FiltersTest, PictureOpenedDuringARunIsWhatTheRestOfTheRunReads) {
    app::Form1 &f = F();
    test::TempFolder dir;
    // Smaller, then larger than the picture being worked on.
    for (auto [newW, newH] : {std::pair{300, 200}, std::pair{600, 500}}) {
        SCOPED_TRACE(newW);
        const std::wstring path = dir.File(L"new.bmp");
        test::WriteBmp(path, newW, newH);
        OpenSource(400, 300);
        const int oldW = W();
        prompts.seen.clear();
        prompts.ChooseFile(path);
        AtYield(H() * 3,
                [&] { PostForThisYield(f.Hwnd(), WM_COMMAND, MAKEWPARAM(f.FileOpen.Id(), 0)); });
        f.Mono_Click();
        // The picture was opened during the run, which then ran to its end.
        ASSERT_EQ(prompts.Messages(), std::vector<std::wstring>{L"完了"});
        EXPECT_EQ(prompts.seen.front().kind, test::SeenPrompt::Kind::OpenDialog);
        EXPECT_EQ(f.Picture6.ScaleWidth(), newW);
        // Columns done before the opening were cleared by it; from some column on, the rest
        // of the run read the new picture down to its new height.
        const int columns = std::min(oldW, W());
        auto fromNewPicture = [&](int x) {
            for (int y = 0; y < H(); ++y)
                if (f.Picture2.Point(x, y) != GrayscaleOf(f.Picture1.Point(x, y))) return false;
            return true;
        };
        int x = 0;
        while (x < columns && !fromNewPicture(x)) {
            for (int y = 0; y < H(); ++y)
                ASSERT_EQ(f.Picture2.Point(x, y), Background()) << x << "," << y;
            ++x;
        }
        EXPECT_GT(x, 0);
        EXPECT_LT(x, columns);
        for (; x < columns; ++x)
            EXPECT_TRUE(fromNewPicture(x)) << x;
        for (; x < W(); ++x) // past the old last column: never reached
            EXPECT_EQ(f.Picture2.Point(x, H() - 1), Background()) << x;
    }
}
