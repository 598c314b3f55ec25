#include "filters_fixture.h"

#include "form11.h"
#include "form12.h"

#include "files.h"
#include "message_loop.h"
#include "raster_mosaic.h"
#include "vb_error.h"

#include <functional>
#include <new>
#include <vector>

using namespace mirolt;
using test::FiltersTest;
using test::PatternColor;

namespace {

// Each operation's result over pattern (the brush, white), source and destination.
struct Expected {
    const wchar_t *name;
    uint32_t (*result)(uint32_t p, uint32_t s, uint32_t d);
};
const Expected kOperations[] = {
    {L"DstInvert", [](uint32_t, uint32_t, uint32_t d) { return ~d; }},
    {L"MergeCopy", [](uint32_t p, uint32_t s, uint32_t) { return p & s; }},
    {L"MergePaint", [](uint32_t, uint32_t s, uint32_t d) { return ~s | d; }},
    {L"NotSrcCopy", [](uint32_t, uint32_t s, uint32_t) { return ~s; }},
    {L"NotSrcErase", [](uint32_t, uint32_t s, uint32_t d) { return ~(s | d); }},
    {L"SrcAnd", [](uint32_t, uint32_t s, uint32_t d) { return s & d; }},
    {L"SrcCopy", [](uint32_t, uint32_t s, uint32_t) { return s; }},
    {L"SrcErase", [](uint32_t, uint32_t s, uint32_t d) { return s & ~d; }},
    {L"SrcInvert", [](uint32_t, uint32_t s, uint32_t d) { return s ^ d; }},
    {L"SrcPaint", [](uint32_t, uint32_t s, uint32_t d) { return s | d; }},
    {L"srccopy", [](uint32_t, uint32_t, uint32_t) { return 0u; }}, // no such name: black
};

class RasterMosaicTest : public FiltersTest {
  protected:
    void TearDown() override {
        forms::Form11.Discard();
        forms::Form12.Discard();
        FiltersTest::TearDown();
    }
    app::Form11 &D11() { return forms::Form11.Get(); }
    app::Form12 &D12() { return forms::Form12.Get(); }

    // The filter with the given counts; an empty operation leaves its pass off.
    void RunRaster(const std::wstring &op1, const std::wstring &n1, const std::wstring &op2,
                   const std::wstring &n2) {
        app::Form11 &d = D11();
        d.Check1.SetValue(op1.empty() ? vbUnchecked : vbChecked);
        d.Check2.SetValue(op2.empty() ? vbUnchecked : vbChecked);
        if (!op1.empty()) d.Combo1.SetText(op1);
        if (!op2.empty()) d.Combo2.SetText(op2);
        d.Text1.SetText(n1);
        d.Text2.SetText(n2);
        d.Command1_Click();
    }
    int32_t Result(int x, int y) { return F().Picture2.Point(x, y); }
    bool SamePicture(const platform::Picture &a, const platform::Picture &b) {
        return a.Shared() == b.Shared();
    }
    // Frame i made into a whole picture's pixels, rows `width` apart.
    std::vector<uint32_t> FramePixels(int i) {
        const auto &frame = D12().MosaicFrames[size_t(i)];
        if (const platform::Bitmap32 *b = frame.source.Bitmap())
            return {b->Bits(), b->Bits() + size_t(b->Width()) * size_t(b->Height())};
        const MosaicBlocks &m = frame.blocks;
        std::vector<uint32_t> pixels(size_t(m.width) * size_t(m.height));
        ExpandMosaic(m, pixels.data(), size_t(m.width), m.width, m.height);
        return pixels;
    }
    std::vector<uint32_t> MosaicResultPixels() {
        const platform::Bitmap32 &b = *D12().MosaicResult.Bitmap();
        return {b.Bits(), b.Bits() + size_t(b.Width()) * size_t(b.Height())};
    }
    // The flip-book's box shows frame i of a w x h sequence: all of it, the box being larger.
    bool Shows(int i, int w, int h) {
        const std::vector<uint32_t> frame = FramePixels(i);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (D12().Picture1.Point(x, y) != ColorFromBgrx(frame[size_t(y) * w + x]))
                    return false;
        return D12().Picture1.Point(w, h) == platform::ResolveColor(D12().Picture1.BackColor());
    }
};

} // namespace

TEST_F(RasterMosaicTest, EachOperationCombinesAsItsTruthTableSays) {
    SetSource(6, 4);
    F().Picture2.SetBackColor(Rgb(0x0F, 0xC3, 0xA5)); // the destination: mixed bits
    const uint32_t d = uint32_t(Background());
    for (const Expected &op : kOperations) {
        // Count 2: the middle copy of the first pass covers the picture exactly.
        RunRaster(op.name, L"2", L"", L"10");
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x)
                ASSERT_EQ(Result(x, y), int32_t(op.result(~0u, PatternColor(x, y), d) & 0xFFFFFF))
                    << std::string(op.name, op.name + wcslen(op.name)) << " at " << x << "," << y;
    }
    EXPECT_TRUE(F().Picture3.Visible() && F().Idou.Enabled() && F().Copy.Enabled());
}

TEST_F(RasterMosaicTest, CopiesLandOnTheirDiagonals) {
    SetSource(200, 100);
    RunRaster(L"SrcCopy", L"10", L"", L"10");
    EXPECT_EQ(Result(0, 0), PatternColor(0, 0));      // the copy at (0, 0)
    EXPECT_EQ(Result(100, 90), PatternColor(20, 50)); // the copy at (80, 40)
    EXPECT_EQ(Result(199, 99), PatternColor(39, 19)); // the copy at (160, 80)

    // Square picture, second pass: down by W / n2 = 10, so (0, 0) shows the copy at (-80, -10).
    SetSource(100, 100);
    RunRaster(L"", L"10", L"SrcCopy", L"10");
    EXPECT_EQ(Result(0, 0), PatternColor(80, 10));
    EXPECT_EQ(Result(99, 99), Background()); // no copy reaches below y = 100 - 100 + 0
    EXPECT_TRUE(SamePicture(F().Picture3.GetPicture(), F().Picture2.Image()));
}

TEST_F(RasterMosaicTest, UnusableCountsAndCancelChangeNothingVisible) {
    SetSource(20, 10);
    RunRaster(L"DstInvert", L"2", L"", L"10");
    const platform::Picture before = F().Picture3.GetPicture();
    const int32_t drawn = Result(3, 3);
    for (const wchar_t *bad : {L"", L"0", L"80", L"0x10"}) { // 80 = four times the width
        prompts.AnswerMsgBox(platform::vbOK);
        RunRaster(L"SrcCopy", bad, L"SrcCopy", L"10");
        prompts.AnswerMsgBox(platform::vbOK);
        RunRaster(L"SrcCopy", L"10", L"SrcCopy", bad);
    }
    EXPECT_EQ(prompts.Messages(), std::vector<std::wstring>(8, app::RasterCountRefused(20)));
    EXPECT_NE(app::RasterCountRefused(20).find(L"80"), std::wstring::npos);
    EXPECT_EQ(Result(3, 3), drawn);

    // A Cancel pressed before the run is seen at its one yield: cleared, not published.
    PostMessageW(F().Command1.Hwnd(), BM_CLICK, 0, 0);
    RunRaster(L"DstInvert", L"10", L"DstInvert", L"10");
    EXPECT_FALSE(F().Run);
    EXPECT_EQ(Result(3, 3), Background());
    EXPECT_TRUE(SamePicture(F().Picture3.GetPicture(), before));
    EXPECT_FALSE(F().Command1.Visible());
}

// Pasted counts are numbers as the classic conversion reads them; the second pass's
// copies are its bar's maximum.
TEST_F(RasterMosaicTest, PastedCountsAreReadAsNumbers) {
    SetSource(20, 10);
    const struct {
        const wchar_t *text;
        int copies;
    } counts[] = {{L" 5", 6}, {L"0.5", 1}, {L"&H10", 21}, {L"1e1", 11}, {L"79", 41}};
    for (const auto &c : counts) {
        RunRaster(L"", L"10", L"SrcCopy", c.text);
        EXPECT_EQ(F().ProgressBar1.Max(), float(c.copies)) << c.text;
    }
    EXPECT_TRUE(prompts.Messages().empty());
}

TEST_F(RasterMosaicTest, CountBoxesTakeDigitsAndTheFirstListNoKeys) {
    app::Form11 &d = D11();
    d.Text1.SetText(L"");
    for (wchar_t c : std::wstring(L"1a2-\b3"))
        SendMessageW(d.Text1.Hwnd(), WM_CHAR, c, 0);
    EXPECT_EQ(d.Text1.Text(), L"13");

    // Keys typed into the lists: the first stays as it was, the second takes them.
    auto type = [](platform::ComboBox &box, const std::wstring &text) {
        HWND edit = GetWindow(box.Hwnd(), GW_CHILD);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        for (wchar_t c : text) {
            SendMessageW(edit, WM_KEYDOWN, VkKeyScanW(c) & 0xFF, 0);
            SendMessageW(edit, WM_CHAR, c, 0);
            SendMessageW(edit, WM_KEYUP, VkKeyScanW(c) & 0xFF, 0xC0000000);
        }
    };
    type(d.Combo1, L"NotSrcCopy");
    type(d.Combo2, L"NotSrcCopy");
    EXPECT_EQ(d.Combo1.Text(), L"DstInvert");
    EXPECT_FALSE(d.Combo1.Locked());
    EXPECT_EQ(d.Combo2.Text(), L"NotSrcCopy");
}

TEST_F(RasterMosaicTest, MosaicAveragesEachBlockInsideThePicture) {
    // 8 x 7 with n = 5: a black block beside a white one, partial blocks at the edges; the
    // corner block's 6 pixels have red sum 75 (12.5) and green sum 81 (13.5).
    OpenSource(8, 7);
    SetSource(8, 7, [](int x, int y) {
        if (y < 5) return x < 5 ? Rgb(0, 0, 0) : Rgb(255, 255, 255);
        if (x < 5) return Rgb(10, 20, 30);
        const int high = y == 6 ? 1 : 0;
        return Rgb(12 + high, 13 + high, 0);
    });
    app::Form12 &d = D12();
    d.HScroll1.SetValue(5);
    AtYield(0, [] {});
    d.Command1_Click();
    EXPECT_EQ(yields, 56); // one per pixel of the picture, none for points outside
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 8; ++x) {
            const int32_t want = y < 5   ? (x < 5 ? Rgb(0, 0, 0) : Rgb(255, 255, 255))
                                 : x < 5 ? Rgb(10, 20, 30)
                                         : Rgb(12, 14, 0);
            ASSERT_EQ(Result(x, y), want) << x << "," << y;
        }
    // Shown, but the result menus stay as the picture-loaded state has them.
    EXPECT_TRUE(SamePicture(F().Picture3.GetPicture(), d.MosaicResult));
    EXPECT_EQ(test::StateOf(F()),
              (test::WindowState{true, true, true, true, false, false, true, true}));
    EXPECT_EQ(F().ProgressBar1.Max(), 2);

    // A block larger than the picture: the whole result is the average colour.
    SetSource(3, 2, [](int x, int y) { return Rgb(x * 10, y * 100, 7); });
    d.HScroll1.SetValue(100);
    d.Command1_Click();
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            ASSERT_EQ(Result(x, y), Rgb(10, 50, 7));
}

// Blocks done in batches between pumps come out as they do one pixel at a time.
TEST_F(RasterMosaicTest, MosaicInBatchesMatchesTheOneWatchedAtEveryYield) {
    SetSource(301, 203, [](int x, int y) { return Rgb(x * 7 % 256, y * 3 % 256, (x ^ y) % 256); });
    app::Form12 &d = D12();
    d.HScroll1.SetValue(6);
    platform::SetYieldHook([] {}); // every yield on its own: batches of one pixel
    d.Command1_Click();
    const platform::Picture watched = d.MosaicResult;
    platform::SetYieldHook({});
    d.Command1_Click();
    ASSERT_NE(d.MosaicResult.Shared(), watched.Shared());
    const uint32_t *a = watched.Bitmap()->Bits(), *b = d.MosaicResult.Bitmap()->Bits();
    const size_t count = size_t(watched.Width()) * size_t(watched.Height());
    ASSERT_EQ(d.MosaicResult.Width(), watched.Width());
    ASSERT_EQ(d.MosaicResult.Height(), watched.Height());
    EXPECT_TRUE(std::equal(a, a + count, b));
}

TEST_F(RasterMosaicTest, MosaicCancelledBeforeTheFirstBlockShowsTheClearedPicture) {
    SetSource(30, 20);
    app::Form12 &d = D12();
    AtYield(1, [this] { ClickCancel(); });
    prompts.onMsgBox = [&](const test::SeenPrompt &) {
        EXPECT_TRUE(F().Picture3.Visible());
        EXPECT_EQ(F().Picture3.Point(0, 0), Background());
        EXPECT_FALSE(d.Command1.Enabled());
    };
    prompts.AnswerMsgBox(platform::vbOK);
    d.Command1_Click();
    EXPECT_EQ(prompts.Messages(), std::vector<std::wstring>{L"キャンセルされました"});
    EXPECT_EQ(yields, 1);
    EXPECT_FALSE(F().Run);
    EXPECT_TRUE(d.Command1.Enabled());
    EXPECT_EQ(platform::MousePointer(), vbDefault);
}

// A cancel at the yield after counted pixel k of the loop users run: a block is filled once
// its last pixel's yield has passed, unless points of it beyond the picture are still to be
// polled. 25 x 20 with n = 10: blocks of 100, 100 and 50 pixels, then of 100, 100 and 50.
TEST_F(RasterMosaicTest, MosaicCancelKeepsTheBlocksFilledBeforeIt) {
    SetSource(25, 20);
    app::Form12 &d = D12();
    d.Command1_Click();
    const platform::Picture whole = F().Picture2.Image();
    for (auto [k, filled] : {std::pair{200, 2}, {250, 2}, {350, 4}}) {
        SCOPED_TRACE(k);
        prompts.AnswerMsgBox(platform::vbOK);
        AtYield(k, [this] { ClickCancel(); });
        d.Command1_Click();
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 25; ++x)
                ASSERT_EQ(Result(x, y), y / 10 * 3 + x / 10 < filled
                                            ? ColorFromBgrx(whole.Bitmap()->Bits()[y * 25 + x])
                                            : Background())
                    << x << "," << y;
    }
    EXPECT_EQ(prompts.Messages(), std::vector<std::wstring>(3, L"キャンセルされました"));
}

// A Cancel click waiting right behind "実行" or "連番画像" is handled at the run's first
// yield; one that no run saw stops nothing later.
TEST_F(RasterMosaicTest, CancelWaitingBehindTheStartIsSeenAtTheFirstYield) {
    SetSource(30, 20);
    app::Form12 &d = D12();
    auto clickThenCancel = [&](platform::CommandButton &button) {
        platform::PumpMessages();
        PostMessageW(d.Hwnd(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), LPARAM(button.Hwnd()));
        PostMessageW(F().Command1.Hwnd(), BM_CLICK, 0, 0);
        MSG msg;
        ASSERT_TRUE(platform::WaitAndDispatch(msg)); // the first click, which starts the run
    };
    prompts.onMsgBox = [&](const test::SeenPrompt &) {
        EXPECT_EQ(F().Picture3.Point(0, 0), Background());
    };
    prompts.AnswerMsgBox(platform::vbOK);
    clickThenCancel(d.Command1);
    EXPECT_EQ(prompts.Messages(), std::vector<std::wstring>{L"キャンセルされました"});
    EXPECT_FALSE(F().Run);

    // Every stage stops at its first poll: the last leaves the result cleared.
    d.HScroll1.SetValue(5);
    clickThenCancel(d.Command3);
    EXPECT_EQ(Result(0, 0), Background());
    EXPECT_FALSE(F().Run);
    EXPECT_EQ(prompts.Messages().size(), 1u);

    // A click handled while nothing runs, as after a run's last poll.
    PostMessageW(F().Hwnd(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), LPARAM(F().Command1.Hwnd()));
    platform::PumpMessages();
    ASSERT_TRUE(F().Run);
    prompts.onMsgBox = nullptr;
    d.Command1_Click();
    EXPECT_EQ(prompts.Messages().size(), 1u);
    EXPECT_FALSE(F().Run);
    EXPECT_NE(Result(29, 19), Background());
}

TEST_F(RasterMosaicTest, StagesPlayFromCoarsestToSourceAndExportNumbered) {
    SetSource(12, 9);
    app::Form12 &d = D12();
    EXPECT_EQ(d.Height(), app::kMosaicUpperHeight);
    EXPECT_EQ(d.Text1.Text(), L"10");
    EXPECT_EQ(d.Shape1.Width(), 10 * platform::TwipsPerPixelX()); // n x n screen pixels
    // Nothing to play or save yet.
    prompts.AnswerMsgBox(platform::vbOK).AnswerMsgBox(platform::vbOK);
    d.Command5_Click();
    d.Command4_Click();
    EXPECT_EQ(prompts.Messages(), std::vector<std::wstring>(2, app::kNoMosaicSequence));
    EXPECT_FALSE(d.Timer1.Enabled());

    d.HScroll1.SetValue(5);
    d.Command3_Click();
    EXPECT_EQ(d.FrameCount, 5);
    EXPECT_EQ(d.Height(), app::kMosaicFlipBookHeight);
    EXPECT_FALSE(F().Picture3.Visible()); // the result view is not touched
    EXPECT_EQ(d.MosaicFrames[2].source.Bitmap()->Bits()[13], BgrxFromColor(PatternColor(1, 1)));

    d.Command5_Click();
    EXPECT_EQ(d.Command5.Caption(), L"ストップ");
    EXPECT_TRUE(d.Timer1.Enabled());
    std::vector<int> shown;
    for (int tick = 0; tick < 8; ++tick) {
        d.Timer1_Timer();
        for (int i = 2; i <= 5; ++i)
            if (Shows(i, 12, 9)) shown.push_back(i);
    }
    EXPECT_EQ(shown, (std::vector<int>{5, 4, 3, 2, 5, 4, 3, 2}));
    d.HScroll2.SetValue(40); // at once, while it runs
    EXPECT_EQ(d.Timer1.Interval(), 40);
    d.Command5_Click();
    EXPECT_FALSE(d.Timer1.Enabled());
    EXPECT_EQ(d.Command5.Caption(), L"スタート");

    // Export: the filter counts from the bar, the files from the sequence.
    d.HScroll1.SetValue(5);
    prompts.ChooseFile(dir.File(L"cat.BMP"));
    d.Command4_Click();
    EXPECT_EQ(prompts.seen.back().request.filter, L"*_001～004.bmp|*.bmp");
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE(platform::FileExists(dir.File(StageFileName(L"cat", i)))) << i;
    EXPECT_FALSE(platform::FileExists(dir.File(L"cat_005.bmp")));
    EXPECT_FALSE(platform::FileExists(dir.File(L"cat.BMP")));
    EXPECT_EQ(platform::LoadPicture(dir.File(L"cat_001.bmp")).Width(), 12);
    EXPECT_EQ(d.Label4.Caption(), L"保存しました");
    EXPECT_EQ(d.ProgressBar1.Value(), 4); // of 5: one step short
}

TEST_F(RasterMosaicTest, ExportNamesCancelsAndFailures) {
    SetSource(4, 3);
    app::Form12 &d = D12();
    d.HScroll1.SetValue(3);
    d.Command3_Click();
    EXPECT_EQ(d.FrameCount, 3);

    // A cancelled dialog writes nothing, even with the last name still in it.
    d.CommonDialog1.FileName = dir.File(L"abc.bmp");
    prompts.CancelFile();
    d.Command4_Click();
    EXPECT_FALSE(platform::FileExists(dir.File(L"abc_001.bmp")));
    EXPECT_EQ(d.Height(), app::kMosaicFlipBookHeight);

    // A file that cannot be written stops the export and is named; earlier files stay.
    ASSERT_TRUE(CreateDirectoryW(dir.File(L"dog_002.bmp").c_str(), nullptr));
    prompts.ChooseFile(dir.File(L"dog.bmp")).AnswerMsgBox(platform::vbOK);
    d.Command4_Click();
    EXPECT_TRUE(platform::FileExists(dir.File(L"dog_001.bmp")));
    ASSERT_EQ(prompts.Messages().size(), 1u);
    EXPECT_NE(prompts.Messages()[0].find(dir.File(L"dog_002.bmp")), std::wstring::npos);
    EXPECT_NE(d.Label4.Caption(), L"保存しました");
    RemoveDirectoryW(dir.File(L"dog_002.bmp").c_str());

    // Block size 100: frames 2 to 100, files 001 to 099.
    d.HScroll1.SetValue(100);
    d.Command3_Click();
    EXPECT_EQ(d.FrameCount, 100);
    EXPECT_EQ(d.MosaicFrames[100].blocks.n, 100);
    prompts.ChooseFile(dir.File(L"big.bmp"));
    d.Command4_Click();
    EXPECT_EQ(prompts.seen.back().request.filter, L"*_001～099.bmp|*.bmp");
    EXPECT_TRUE(platform::FileExists(dir.File(L"big_099.bmp")));
    EXPECT_FALSE(platform::FileExists(dir.File(L"big_100.bmp")));
}

// A stage kept as its block colours comes out as the single mosaic of its block size: the
// edge blocks cut by the picture, the border around it, a stage cut short by a cancel.
TEST_F(RasterMosaicTest, StagesComeOutAsTheMosaicsOfTheirBlockSizes) {
    OpenSource(23, 17);
    app::Form12 &d = D12();
    d.HScroll1.SetValue(9);
    d.Command3_Click();
    ASSERT_EQ(d.FrameCount, 9);
    for (int b = 3; b <= 9; ++b) {
        d.HScroll1.SetValue(b);
        d.Command1_Click();
        EXPECT_EQ(d.MosaicFrames[size_t(b)].blocks.width, d.MosaicResult.Width());
        EXPECT_EQ(d.MosaicFrames[size_t(b)].blocks.height, d.MosaicResult.Height());
        EXPECT_EQ(FramePixels(b), MosaicResultPixels()) << b;
    }

    // Cancelled 40 pixels into the stage of block size 4: two blocks done, the rest cleared.
    const int perStage = W() * H(); // the border is inside the working picture: it counts
    d.HScroll1.SetValue(4);
    AtYield(perStage + 40, [this] { ClickCancel(); });
    d.Command3_Click();
    const std::vector<uint32_t> cut = FramePixels(4);
    AtYield(40, [this] { ClickCancel(); });
    prompts.AnswerMsgBox(platform::vbOK);
    d.Command1_Click();
    EXPECT_EQ(cut, MosaicResultPixels());
}

// Memory running out part way through a build, wherever it is asked for: the build stops
// with the message, the stages made so far stay the sequence, and the program goes on.
TEST_F(RasterMosaicTest, StageBuildOutOfMemoryKeepsTheStagesMadeSoFar) {
    SetSource(12, 9);
    app::Form12 &d = D12();
    d.HScroll1.SetValue(8);
    const std::function<void()> failures[] = {[] { throw std::bad_alloc(); },
                                              [] { throw RuntimeError(kOutOfMemory); }};
    for (const std::function<void()> &fail : failures) {
        AtYield(2 * 12 * 9 + 30, fail); // in the stage of block size 5
        prompts.AnswerMsgBox(platform::vbOK);
        EXPECT_NO_THROW(d.Command3_Click());
        ASSERT_EQ(prompts.seen.size(), 1u);
        EXPECT_EQ(prompts.seen[0].text, app::kMosaicOutOfMemory);
        EXPECT_EQ(prompts.seen[0].title, app::kMosaicOutOfMemoryTitle);
        prompts.seen.clear();
        EXPECT_EQ(d.FrameCount, 4);
        EXPECT_EQ(d.MosaicFrames[4].blocks.n, 4);
        EXPECT_FALSE(F().Run || F().ProgressBar1.Visible() || F().Command1.Visible());
        EXPECT_EQ(platform::MousePointer(), vbDefault);
        EXPECT_EQ(d.Height(), app::kMosaicFlipBookHeight);
    }
    // The stages kept play as a sequence.
    platform::SetYieldHook({});
    d.Command5_Click();
    d.Timer1_Timer();
    EXPECT_TRUE(Shows(4, 12, 9));
    d.Command5_Click();
}
