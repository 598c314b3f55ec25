#pragma once
// The pixel frame: the loop that every per-pixel operation of the main window runs, from
// the source Picture1 into the result Picture2, with the progress bar, the Cancel button,
// one poll of Run before each pixel and one yield after it.
#include "form1.h"
#include "progress_scope.h"

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

// Maps columns [x0, x0 + n), rows [y0, y1) of `src` into `dst` through `rule`, in any order
// (the rows of a large strip on several threads).
// Where `src` holds the pixels in memory and `dst` has them, whole row segments go through the
// rule's row form; the rest (the background beyond a picture, an image resized during a pump)
// goes point by point, which reads -1 and drops writes outside an image as Point and PSet do.
template <class Rule>
void MapColumns(const platform::PictureBox &src, platform::PictureBox &dst, int x0, int n, int y0,
                int y1, const Rule &rule) {
    int inside = std::clamp(std::min(src.HeldWidth(), dst.PixelWidth()) - x0, 0, n);
    // The rows above y0 of a column that the result does not hold yet (it was cleared during
    // a pump half-way down the column) are not written here: such a column goes point by point.
    if (y0 > 0 && x0 + inside > dst.HeldWidth()) inside = 0;
    const int insideRows = std::min({y1, src.HeldHeight(), dst.PixelHeight()});
    if (inside > 0 && insideRows > y0) {
        uint32_t *to = dst.ColumnsForDrawing(x0, x0 + inside, insideRows) + x0;
        const uint32_t *from = src.Pixels() + x0;
        const size_t fromStride = src.PixelStride(), toStride = dst.PixelStride();
        ForEachRowRange(insideRows - y0, size_t(inside) * size_t(insideRows - y0),
                        [&](int first, int last) {
                            for (int y = y0 + first; y < y0 + last; ++y)
                                rule.Row(from + size_t(y) * fromStride, to + size_t(y) * toStride,
                                         size_t(inside));
                        });
        dst.MarkDrawn(x0, y0, x0 + inside, insideRows);
    }
    for (int x = x0; x < x0 + n; ++x)
        for (int y = x < x0 + inside ? std::max(insideRows, y0) : y0; y < y1; ++y)
            dst.PSet(x, y, rule(src.Point(x, y)));
}

// Runs `rule` over every pixel, x outer and y inner, as seen from outside: one poll of Run
// before each pixel, one yield after it, the bar set after each column. `rule` maps a colour
// value (operator()) and a row of DIB pixels (Row). On a complete run `beforeDone` runs once
// the bar and button are hidden, then "完了" is shown. A cancel returns at once, without a
// message, leaving the partial result in Picture2.
//
// The pixels are walked in batches (see YieldPacer): strips of whole columns, row by row
// within a strip, or part of a column where a pump or a test's hook is due after a given
// pixel; the batch's yields are made together after it. So at every pump Picture2 holds
// exactly the pixels before it, a prefix of the column-by-column order, and Run, which
// changes only during a pump, reads the same at every poll of a batch as at its first.
template <class Rule, class BeforeDone>
void RunPixelFrame(app::Form1 &f, Rule rule, BeforeDone beforeDone) {
    if (!PixelFrameAccepts(f)) return;
    f.Picture2.Cls();
    app::ProgressScope progress(f, float(f.Picture1.Width()));

    // The size check above keeps these within the 16-bit range; plain ints also survive a
    // picture loaded into Picture1 during a yield (every access is bounds-checked).
    const int lastX = int(f.Picture1.Width()) - 1;
    static double knownPace = 0; // this operation's pace in its last run
    YieldPacer pacer(knownPace);
    int x = 0, y = 0, rows = 0; // the next pixel, and the rows of its column
    while (x <= lastX) {
        if (y == 0) {
            // The last row index anew for each column; it can change only during a pump, and
            // the images are taken anew for each batch for the same reason.
            rows = int(f.Picture1.Height());
            if (rows <= 0) { // no pixels: nothing to poll, write or yield
                progress.SetValue(float(lastX + 1));
                break;
            }
        }
        if (progress.Cancelled()) return;
        const auto [items, exact] = pacer.NextBatch();
        uint64_t done;
        if (y > 0 || items < uint64_t(rows)) {
            // Part of a column: the rest of the one begun, or the top of the next.
            const int m = int(std::min<uint64_t>(items, uint64_t(rows - y)));
            MapColumns(f.Picture1, f.Picture2, x, 1, y, y + m, rule);
            done = uint64_t(m);
            if ((y += m) == rows) ++x, y = 0;
        } else {
            const int left = lastX + 1 - x;
            int n = int(std::clamp<uint64_t>(items / uint64_t(rows), 1, uint64_t(left)));
            if (!exact && left - n < n / 4) n = left; // no short strip left over at the end
            MapColumns(f.Picture1, f.Picture2, x, n, 0, rows, rule);
            done = uint64_t(n) * uint64_t(rows);
            x += n;
        }
        // The yields come after the batch's last pixel, before its column is counted.
        pacer.Done(done, [&] { progress.SetValue(float(y == 0 ? x - 1 : x)); });
        progress.SetValue(float(x));
    }

    knownPace = pacer.ItemsPerMs();
    progress.End();
    beforeDone();
    platform::MsgBox(L"完了");
}

template <class Rule> void RunPixelFrame(app::Form1 &f, Rule rule) {
    RunPixelFrame(f, rule, [] {});
}

} // namespace mirolt::filters
