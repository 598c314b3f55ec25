#pragma once
// The pixel frame: the loop that every per-pixel operation of the main window runs, from
// the source Picture1 into the result Picture2, with the progress bar, the Cancel button,
// one poll of Run before each pixel and one yield after it.
#include "form1.h"

#include "prompts.h"
#include "row_workers.h"
#include "runtime.h"
#include "yield_pacer.h"

#include <algorithm>

namespace mirolt::filters {

// The frame counts columns and rows in signed 16-bit integers: the last index and the step
// past it must both fit, so no side may exceed this.
inline constexpr int kMaxFrameSide = 32767;
inline constexpr const wchar_t *kPictureTooLarge =
    L"画像が大きすぎるため処理できません。幅と高さが32767ピクセル以下の画像を使ってください。";

// False, after telling the user, when Picture1 is too large for the frame's counters.
// Callers check before anything changes, so a refused operation publishes nothing.
inline bool PixelFrameAccepts(app::Form1 &f) {
    if (f.Picture1.Width() <= kMaxFrameSide && f.Picture1.Height() <= kMaxFrameSide) return true;
    platform::MsgBox(kPictureTooLarge, platform::vbExclamation);
    return false;
}

// Maps columns [x0, x0 + n), rows [0, rows) of `src` into `dst` through `rule`, in any order
// (the rows of a large strip on several threads).
// Where `src` holds the pixels in memory and `dst` has them, whole row segments go through the
// rule's row form; the rest (the background beyond a picture, an image resized during a pump)
// goes point by point, which reads -1 and drops writes outside an image as Point and PSet do.
template <class Rule>
void MapColumns(const platform::PictureBox &src, platform::PictureBox &dst, int x0, int n, int rows,
                const Rule &rule) {
    const int inside = std::clamp(std::min(src.HeldWidth(), dst.PixelWidth()) - x0, 0, n);
    const int insideRows = std::min({rows, src.HeldHeight(), dst.PixelHeight()});
    if (inside > 0 && insideRows > 0) {
        uint32_t *to = dst.ColumnsForDrawing(x0, x0 + inside, insideRows) + x0;
        const uint32_t *from = src.Pixels() + x0;
        const size_t fromStride = src.PixelStride(), toStride = dst.PixelStride();
        ForEachRowRange(insideRows, size_t(inside) * size_t(insideRows), [&](int y0, int y1) {
            for (int y = y0; y < y1; ++y)
                rule.Row(from + size_t(y) * fromStride, to + size_t(y) * toStride, size_t(inside));
        });
        dst.MarkDrawn(x0, 0, x0 + inside, insideRows);
    }
    for (int x = x0; x < x0 + n; ++x)
        for (int y = x < x0 + inside ? std::max(insideRows, 0) : 0; y < rows; ++y)
            dst.PSet(x, y, rule(src.Point(x, y)));
}

// Runs `rule` over every pixel, x outer and y inner, as seen from outside: one poll of Run
// before each pixel, one yield after it, the bar set after each column. `rule` maps a colour
// value (operator()) and a row of DIB pixels (Row). On a complete run `beforeDone` runs once
// the bar and button are hidden, then "完了" is shown. A cancel returns at once, without a
// message, leaving the partial result in Picture2.
//
// The pixels are walked in strips of columns, row by row within a strip, with the strip's
// yields made together after it (see YieldPacer): at every pump Picture2 holds exactly the
// columns before the strip's end, a prefix of the column-by-column order, and Run, which
// changes only during a pump, reads the same at every poll of a strip as at its first.
template <class Rule, class BeforeDone>
void RunPixelFrame(app::Form1 &f, Rule rule, BeforeDone beforeDone) {
    if (!PixelFrameAccepts(f)) return;
    f.Picture2.Cls();
    platform::SetMousePointer(11);
    f.ProgressBar1.SetMin(0);
    f.ProgressBar1.SetMax(float(f.Picture1.Width()));
    f.ProgressBar1.SetVisible(true);
    f.Command1.SetVisible(true);
    f.ProgressBar1.SetValue(f.ProgressBar1.Min());

    auto restore = [&f] {
        f.ProgressBar1.SetVisible(false);
        f.Command1.SetVisible(false);
        platform::SetMousePointer(0);
    };
    // Another run started during a yield may have narrowed the bar: stay inside it.
    auto showColumns = [&f](int32_t columns) {
        f.ProgressBar1.SetValue(
            std::clamp(float(columns), f.ProgressBar1.Min(), f.ProgressBar1.Max()));
    };

    // The size check above keeps these within the 16-bit range; plain ints also survive a
    // picture loaded into Picture1 during a yield (every access is bounds-checked).
    int32_t columnsDone = 0;
    const int lastX = int(f.Picture1.Width()) - 1;
    static double knownPace = 0; // this operation's pace in its last run
    YieldPacer pacer(knownPace);
    for (int x = 0; x <= lastX;) {
        // The last row index anew for each column; it can change only during a pump, and
        // the images are taken anew for each strip for the same reason.
        const int lastY = int(f.Picture1.Height()) - 1;
        if (YieldPacer::ItemByItem()) {
            for (int y = 0; y <= lastY; ++y) {
                if (f.Run) [[unlikely]] {
                    restore();
                    f.Run = false;
                    return;
                }
                f.Picture2.PSet(x, y, rule(f.Picture1.Point(x, y)));
                platform::DoEvents();
            }
            ++x;
            showColumns(++columnsDone);
            continue;
        }
        if (lastY < 0) { // no pixels: nothing to poll, write or yield
            showColumns(columnsDone += lastX + 1 - x);
            break;
        }
        if (f.Run) [[unlikely]] {
            restore();
            f.Run = false;
            return;
        }
        const int rows = lastY + 1, left = lastX + 1 - x;
        int n = int(std::clamp<uint64_t>(pacer.NextBatch() / uint64_t(rows), 1, uint64_t(left)));
        if (left - n < n / 4) n = left; // no short strip left over at the end
        MapColumns(f.Picture1, f.Picture2, x, n, rows, rule);
        x += n;
        columnsDone += n;
        // The yields come after the strip's last pixel, before its column is counted.
        pacer.Done(uint64_t(n) * uint64_t(rows), [&] { showColumns(columnsDone - 1); });
        showColumns(columnsDone);
    }

    knownPace = pacer.ItemsPerMs();
    restore();
    beforeDone();
    platform::MsgBox(L"完了");
}

template <class Rule> void RunPixelFrame(app::Form1 &f, Rule rule) {
    RunPixelFrame(f, rule, [] {});
}

} // namespace mirolt::filters
