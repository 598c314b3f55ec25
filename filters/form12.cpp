#include "form12.h"

#include "form1.h"
#include "progress_scope.h"
#include "raster_mosaic.h"
#include "yield_pacer.h"

#include "prompts.h"
#include "runtime.h"
#include "system.h"
#include "vb_constants.h"
#include "vb_error.h"

#include <algorithm>
#include <memory>
#include <new>
#include <string>

namespace mirolt::app {
namespace {

using platform::CommandButton;

const platform::FormDesign kForm12Design = platform::FixedDialog(L"モザイク化", 5175, 7320);

CommandButton::Design Button(double left, double top, const wchar_t *caption) {
    return {.place = {left, top, 1215, 375}, .caption = caption};
}

platform::Label::Design LabelAt(platform::Place place, std::wstring caption,
                                platform::Label::Alignment alignment = {}) {
    platform::Label::Design d;
    d.place = place;
    d.caption = std::move(caption);
    d.alignment = alignment;
    return d;
}

// "細かい" at the bar's left end, "荒い" at its right end, 29 ideographic spaces apart.
platform::Label::Design Ends() {
    platform::Label::Design d =
        LabelAt({120, 2400, 4935, 255}, L"細かい" + std::wstring(29, L'\u3000') + L"荒い");
    d.font.points = 6.75; // the 34 characters span the bar
    return d;
}

} // namespace

Form12::Form12()
    : Form(kForm12Design), Command1(*this, L"Command1", Button(3840, 240, L"実行")),
      Command2(*this, L"Command2", Button(3840, 720, L"キャンセル")),
      Command3(*this, L"Command3", Button(3840, 1200, L"連番画像")),
      Shape1(*this, L"Shape1",
             {.place = {120, 240, 255, 255}, .kind = platform::Shape::Kind::Square}),
      Label3(*this, L"Label3", LabelAt({1740, 300, 1575, 255}, L"←：サンプル")),
      Label1(*this, L"Label1", LabelAt({120, 1800, 1575, 255}, L"モザイクの荒さ")),
      Text1(*this, L"Text1",
            {.place = {1800, 1740, 735, 315},
             .text = L"5",
             .alignment = platform::TextBox::Alignment::Right}),
      HScroll1(*this, L"HScroll1",
               {.place = {120, 2100, 4935, 255}, .min = 3, .max = 100, .value = 10}),
      Label2(*this, L"Label2", Ends()),
      Picture1(*this, L"Picture1", {.place = {120, 3240, 4935, 3135}, .border = true}),
      HScroll2(*this, L"HScroll2",
               {.place = {120, 6480, 2775, 300}, .min = 1, .max = 1000, .value = 150}),
      Command5(*this, L"Command5", {.place = {3000, 6480, 975, 375}, .caption = L"スタート"}),
      Command4(*this, L"Command4", {.place = {4080, 6480, 975, 375}, .caption = L"保存"}),
      ProgressBar1(*this, L"ProgressBar1", {.place = {120, 7080, 3015, 195}}),
      Label4(*this, L"Label4",
             LabelAt({3240, 7130, 1815, 195}, L"保存中…", platform::Label::Alignment::Right)),
      Timer1(*this, L"Timer1", {.interval = 150, .enabled = false}) {
    Bind(Command1.Click, &Form12::Command1_Click);
    Bind(Command2.Click, &Form12::Command2_Click);
    Bind(Command3.Click, &Form12::Command3_Click);
    Bind(Command4.Click, &Form12::Command4_Click);
    Bind(Command5.Click, &Form12::Command5_Click);
    Bind(HScroll1.Change, &Form12::HScroll1_Change);
    Bind(HScroll2.Change, &Form12::HScroll2_Change);
    Bind(Timer1.Timer, &Form12::Timer1_Timer);
}

void Form12::Form_Load() {
    Text1.SetText(std::to_wstring(HScroll1.Value()));
    SizeSample();
    FrameCursor = 1;
    SetHeight(kMosaicUpperHeight);
    AnimationStopped = true;
}

// The sample is n x n screen pixels.
void Form12::SizeSample() {
    Shape1.SetWidth(HScroll1.Value() * platform::TwipsPerPixelX());
    Shape1.SetHeight(HScroll1.Value() * platform::TwipsPerPixelY());
}

void Form12::HScroll1_Change() {
    Text1.SetText(std::to_wstring(HScroll1.Value()));
    SizeSample();
}

bool Form12::StillLoaded() const {
    return forms::Form12.IsLoaded() && &forms::Form12.Get() == this;
}

namespace {

struct BlockSums {
    int32_t count = 0, red = 0, green = 0, blue = 0;
    void Add(int32_t c) {
        ++count;
        red += c & 0xFF;
        green += (c >> 8) & 0xFF;
        blue += (c >> 16) & 0xFF;
    }
    int32_t Color() const {
        return MosaicAverage(red, count) + 256 * MosaicAverage(green, count) +
               65536 * MosaicAverage(blue, count);
    }
};

// Where the next pixel of a block is read, and the sums of the block's pixels read so far.
struct BlockWalk {
    int32_t yy, xx;
    BlockSums sums;
};

// Reads block [x, x + n) x [y, y + n) on from `at`, row by row, until `most` pixels inside the
// picture are counted or none is left, and returns how many it counted: through the rows where
// the picture holds them, point by point elsewhere. Points outside the picture, which read -1,
// are passed over (no count, no yield), so the reading stops after the block's last counted
// pixel and what follows it (those points' polls, the fill) can come after the yields.
uint64_t ReadBlock(const platform::PictureBox &src, int32_t x, int32_t y, int32_t n, BlockWalk &at,
                   uint64_t most) {
    const int32_t right = std::min(x + n, int32_t(src.PixelWidth()));
    const int32_t bottom = std::min(y + n, int32_t(src.PixelHeight()));
    const int32_t heldRight = std::min(right, int32_t(src.HeldWidth()));
    const int32_t heldBottom = std::min(bottom, int32_t(src.HeldHeight()));
    uint64_t counted = 0;
    while (at.yy < bottom) {
        if (at.xx >= right) {
            ++at.yy;
            at.xx = x;
            continue;
        }
        if (counted == most) break;
        const int32_t end = at.xx + int32_t(std::min<uint64_t>(most - counted, right - at.xx));
        int32_t xx = at.xx;
        if (at.yy < heldBottom) {
            const uint32_t *row = src.Pixels() + size_t(at.yy) * src.PixelStride();
            for (; xx < std::min(end, heldRight); ++xx)
                at.sums.Add(ColorFromBgrx(row[xx]));
        }
        for (; xx < end; ++xx)
            at.sums.Add(src.Point(xx, at.yy));
        counted += uint64_t(end - at.xx);
        at.xx = end;
    }
    return counted;
}

// Fills the block with `color`, as PSet would point by point (nothing outside the image).
// The result is held down to the block's row only: the memory below it is not needed yet.
void FillBlock(platform::PictureBox &dst, int32_t x, int32_t y, int32_t n, int32_t color) {
    const int32_t right = std::min(x + n, int32_t(dst.PixelWidth()));
    const int32_t bottom = std::min(y + n, int32_t(dst.PixelHeight()));
    if (x >= right || y >= bottom) return;
    uint32_t *pixels = dst.RowsForDrawing(bottom);
    for (int32_t yy = y; yy < bottom; ++yy)
        std::fill(pixels + size_t(yy) * dst.PixelStride() + x,
                  pixels + size_t(yy) * dst.PixelStride() + right, BgrxFromColor(color));
    dst.MarkDrawn(x, y, right, bottom);
}

} // namespace

void Form12::MakeMosaic(const int32_t &N) {
    const int32_t n = N; // a change of the bar during the run's yields does not reach it
    if (n < 2) return;
    Form1 &f = forms::Form1.Get();
    f.Picture2.Cls();
    const int32_t w = int32_t(f.Picture1.Width()), h = int32_t(f.Picture1.Height());
    ProgressScope progress(f, float(MosaicProgressMax(h, n)));

    // Counted pixels in batches (see YieldPacer): Run is polled before each batch and the
    // yields of its counted pixels made together after it. A batch ends after a counted pixel,
    // at its size or at the end of a row of blocks, and what follows that pixel comes after
    // the yields: the rest of its block (polled first) or, at the block's end, its fill.
    static double knownPace = 0; // counted pixels a millisecond in the last run
    filters::YieldPacer pacer(knownPace);
    uint64_t left = 0, counted = 0; // of the batch under way
    int32_t rowsDone = 0;
    for (int32_t y = 0; y < h; y += n) {
        for (int32_t x = 0; x < w; x += n) {
            BlockWalk at{y, x, {}};
            for (;;) {
                if (left == 0) {
                    if (progress.CancelAsked()) goto done; // the block stays unfilled
                    left = pacer.NextBatch().items;
                    counted = 0;
                }
                const uint64_t read = ReadBlock(f.Picture1, x, y, n, at, left);
                left -= read;
                counted += read;
                const bool blockRead = at.yy >= std::min(y + n, int32_t(f.Picture1.PixelHeight()));
                // Read whole inside the batch: filled now, and the batch goes on to the end of
                // the row, where the result may need more of its memory.
                if (blockRead && left > 0 && x + n < w) break;
                pacer.Done(counted); // the batch ends after its last counted pixel
                left = 0;
                if (!blockRead) continue;
                // Points of the block beyond the picture are polled before the fill.
                if ((x + n > f.Picture1.PixelWidth() || y + n > f.Picture1.PixelHeight()) &&
                    progress.CancelAsked())
                    goto done;
                break;
            }
            FillBlock(f.Picture2, x, y, n, at.sums.Color());
        }
        progress.SetValue(float(++rowsDone));
    }
    knownPace = pacer.ItemsPerMs();
done:
    progress.End();
    MosaicResult = f.Picture2.Image();
}

// The mosaic is shown but not published: the result menus stay as they are.
void Form12::Command1_Click() {
    Form1 &f = forms::Form1.Get();
    Command1.SetEnabled(false);
    const int32_t n = HScroll1.Value();
    MakeMosaic(n);
    f.Picture3.SetPicture(MosaicResult);
    f.Picture3.SetVisible(true);
    if (f.Run) platform::MsgBox(L"キャンセルされました");
    f.Run = false;
    if (StillLoaded()) Command1.SetEnabled(true);
}

void Form12::Command2_Click() {
    Hide();
}

// The stages are built whatever Run says between them; a cancel leaves the stages after
// it cleared, and Run is reset at the end. Memory running out stops the build with a message,
// the stages made so far kept as the sequence.
void Form12::Command3_Click() {
    Form1 &f = forms::Form1.Get();
    const RunSpan build(f); // one run: a Cancel seen by a stage stops the stages after it
    int32_t built = FrameCount;
    bool outOfMemory = false;
    try {
        MosaicFrames[2] = {f.Picture1.Image(), {}};
        built = 2;
        const int32_t last = HScroll1.Value();
        for (int32_t b = 3; b <= last; ++b) {
            MakeMosaic(b);
            const platform::Bitmap32 *result = MosaicResult.Bitmap();
            MosaicFrames[size_t(b)] = {{},
                                       SampleMosaic(result->Bits(), size_t(result->Width()),
                                                    result->Width(), result->Height(), b)};
            built = b;
        }
    } catch (const RuntimeError &e) {
        if (e.Number() != kOutOfMemory) throw;
        outOfMemory = true;
    } catch (const std::bad_alloc &) {
        outOfMemory = true;
    }
    if (outOfMemory) { // a stage may have stopped with its bar and hourglass up
        f.ProgressBar1.SetVisible(false);
        f.Command1.SetVisible(false);
        platform::SetMousePointer(vbDefault);
    }
    FrameCount = built;
    if (StillLoaded() && FrameCount != 0) SetHeight(kMosaicFlipBookHeight);
    f.Run = false;
    if (outOfMemory)
        platform::MsgBox(kMosaicOutOfMemory, platform::vbCritical, kMosaicOutOfMemoryTitle);
}

void Form12::Command5_Click() {
    if (AnimationStopped) {
        if (FrameCount == 0) {
            platform::MsgBox(kNoMosaicSequence, platform::vbExclamation);
            return;
        }
        Timer1.SetInterval(HScroll2.Value());
        Timer1.SetEnabled(true);
        FrameCursor = FrameCount;
        AnimationStopped = false;
        Command5.SetCaption(L"ストップ");
    } else {
        Timer1.SetEnabled(false);
        AnimationStopped = true;
        Command5.SetCaption(L"スタート");
    }
}

// From the coarsest stage down to the source, then round again.
void Form12::Timer1_Timer() {
    if (FrameCursor < 2 || FrameCursor > FrameCount) FrameCursor = std::max(FrameCount, 2);
    ShowFrame(MosaicFrames[size_t(FrameCursor)]);
    FrameCursor = FrameCursor == 2 ? FrameCount : FrameCursor - 1;
}

// The box shows the top-left part of a picture on its background, so of a mosaic only that
// part is made.
void Form12::ShowFrame(const MosaicFrame &frame) {
    Picture1.SetPicture(frame.source);
    if (!frame.source.Empty()) return;
    const MosaicBlocks &m = frame.blocks;
    const int32_t w = std::min(Picture1.PixelWidth(), m.width);
    const int32_t h = std::min(Picture1.PixelHeight(), m.height);
    if (w <= 0 || h <= 0) return;
    uint32_t *pixels = Picture1.PixelsForDrawing(); // before the stride: it may change it
    ExpandMosaic(m, pixels, Picture1.PixelStride(), w, h);
    Picture1.MarkDrawn(0, 0, w, h);
}

namespace {

// The frame as a whole picture: the source as it is, a mosaic made into `canvas`, which is
// reused from one frame to the next and made anew only for another size.
platform::Picture WholeFrame(const Form12::MosaicFrame &frame,
                             std::shared_ptr<platform::Bitmap32> &canvas) {
    if (!frame.source.Empty()) return frame.source;
    const MosaicBlocks &m = frame.blocks;
    if (!canvas || canvas->Width() != m.width || canvas->Height() != m.height) {
        canvas.reset();
        canvas = std::make_shared<platform::Bitmap32>(m.width, m.height);
    }
    ExpandMosaic(m, canvas->Bits(), size_t(m.width), m.width, m.height);
    return platform::Picture(canvas);
}

} // namespace

void Form12::HScroll2_Change() {
    Timer1.SetInterval(HScroll2.Value());
}

void Form12::Command4_Click() {
    if (FrameCount == 0) {
        platform::MsgBox(kNoMosaicSequence, platform::vbExclamation);
        return;
    }
    CommonDialog1.Filter = StageExportFilter(HScroll1.Value() - 1);
    // A cancel keeps the previous name in the dialog; it must not export under it again.
    bool chosen = true;
    CommonDialog1.CancelError = true;
    try {
        CommonDialog1.ShowSave();
    } catch (const RuntimeError &e) {
        if (e.Number() != kDialogCancelled) throw;
        chosen = false;
    }
    CommonDialog1.CancelError = false;

    SetHeight(kMosaicSavingHeight);
    Label4.SetCaption(L"保存中…");
    ProgressBar1.SetValue(0);
    ProgressBar1.SetMax(float(FrameCount)); // the bar ends one step short
    if (!chosen || CommonDialog1.FileName.empty()) {
        SetHeight(kMosaicFlipBookHeight);
        return;
    }
    Refresh(); // the export does not yield: show the strip before it starts

    // Each file is complete or absent; the first that cannot be written stops the export.
    // A frame that cannot be made for want of memory is a file not written, too.
    const std::wstring base = StageFileBase(CommonDialog1.FileName);
    std::shared_ptr<platform::Bitmap32> canvas;
    for (int32_t i = 2; i <= FrameCount; ++i) {
        const std::wstring name = StageFileName(base, i - 1);
        bool saved = true;
        try {
            platform::SavePicture(WholeFrame(MosaicFrames[size_t(i)], canvas), name);
        } catch (const RuntimeError &) {
            saved = false;
        } catch (const std::bad_alloc &) {
            saved = false;
        }
        if (!saved) {
            Label4.SetCaption(L"保存できませんでした");
            platform::MsgBox(L"次のファイルを保存できなかったため、保存を中止しました。\n" + name,
                             platform::vbExclamation);
            SetHeight(kMosaicFlipBookHeight);
            return;
        }
        ProgressBar1.SetValue(ProgressBar1.Value() + 1);
    }
    platform::Beep();
    Label4.SetCaption(L"保存しました");
    SetHeight(kMosaicFlipBookHeight);
}

} // namespace mirolt::app
