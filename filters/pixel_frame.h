#pragma once
// The pixel frame: the loop that every per-pixel operation of the main window runs, from
// the source Picture1 into the result Picture2, with the progress bar, the Cancel button,
// one poll of Run before each pixel and one yield after it.
#include "form1.h"

#include "prompts.h"
#include "runtime.h"

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

// Runs `rule` (colour value -> colour value) over every pixel, x outer and y inner. On a
// complete run `beforeDone` runs once the bar and button are hidden, then "完了" is shown.
// A cancel returns at once, without a message, leaving the partial result in Picture2.
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

    // The size check above keeps these within the 16-bit range; plain ints also survive a
    // picture loaded into Picture1 during a yield (Point and PSet are bounds-checked).
    int32_t columnsDone = 0;
    const int lastX = int(f.Picture1.Width()) - 1;
    for (int x = 0; x <= lastX; ++x) {
        const int lastY = int(f.Picture1.Height()) - 1; // anew for each column
        for (int y = 0; y <= lastY; ++y) {
            if (f.Run) [[unlikely]] {
                restore();
                f.Run = false;
                return;
            }
            f.Picture2.PSet(x, y, rule(f.Picture1.Point(x, y)));
            platform::DoEvents();
        }
        ++columnsDone;
        // Another run started during a yield may have narrowed the bar: stay inside it.
        f.ProgressBar1.SetValue(
            std::clamp(float(columnsDone), f.ProgressBar1.Min(), f.ProgressBar1.Max()));
    }

    restore();
    beforeDone();
    platform::MsgBox(L"完了");
}

template <class Rule> void RunPixelFrame(app::Form1 &f, Rule rule) {
    RunPixelFrame(f, rule, [] {});
}

} // namespace mirolt::filters
