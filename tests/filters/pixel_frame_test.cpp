#include "filters_fixture.h"

#include "pixel_rules.h"

#include <commctrl.h>

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
    // After the first pixel, and in the middle of the second column.
    for (int k : {1, 5 + 2}) {
        SCOPED_TRACE(k);
        SetSource(4, 5);
        prompts.seen.clear();
        AtYield(k, [this] { ClickCancel(); });
        f.Hanten_Click();
        EXPECT_EQ(yields, k);
        for (int x = 0; x < 4; ++x)
            for (int y = 0; y < 5; ++y)
                EXPECT_EQ(f.Picture2.Point(x, y),
                          x * 5 + y < k ? InvertedOf(PatternColor(x, y)) : Background())
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

TEST_F(FiltersTest, CancelAfterTheLastPixelStopsTheNextRunAtItsFirstPoll) {
    app::Form1 &f = F();
    SetSource(3, 2);
    AtYield(6, [this] { ClickCancel(); });
    f.Mono_Click();
    EXPECT_EQ(prompts.Messages(), std::vector<std::wstring>{L"完了"});
    EXPECT_TRUE(f.Run);
    EXPECT_EQ(f.Picture3.Point(2, 1), GrayscaleOf(PatternColor(2, 1)));

    prompts.seen.clear();
    AtYield(0, [] {});
    f.MakeMask_Click();
    EXPECT_EQ(yields, 0);
    EXPECT_TRUE(prompts.seen.empty());
    EXPECT_FALSE(f.Run);
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 2; ++y)
            EXPECT_EQ(f.Picture3.Point(x, y), Background());
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
    OpenSource(5, 3);
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
            EXPECT_EQ(f.Picture2.Point(x, y), InvertedOf(original[size_t(x * h + y)]));

    prompts.AnswerMsgBox(platform::vbYes); // "ピクチャを移動してよろしいですか?"
    f.Idou_Click();
    ASSERT_GE(W(), w); // the moved picture may come back grown by the view's border
    f.Hanten_Click();
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y)
            EXPECT_EQ(f.Picture2.Point(x, y), original[size_t(x * h + y)]);
    EXPECT_TRUE(prompts.ScriptDone());
}
