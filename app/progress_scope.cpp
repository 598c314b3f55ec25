#include "progress_scope.h"

#include "runtime.h"
#include "vb_constants.h"

#include <algorithm>

namespace mirolt::app {

RunSpan::RunSpan(Form1 &f) {
    if (depth_++ == 0) f.Run = false;
}

ProgressScope::ProgressScope(Form1 &f, float max) : f_(f), span_(f), hourglass_(true) {
    platform::SetMousePointer(vbHourglass);
    f.ProgressBar1.SetMin(0);
    f.ProgressBar1.SetMax(max);
    f.ProgressBar1.SetVisible(true);
    f.Command1.SetVisible(true);
    f.ProgressBar1.SetValue(f.ProgressBar1.Min());
    // A Cancel click already waiting is seen at the first yield.
    platform::PumpAtNextYield();
}

ProgressScope::ProgressScope(Form1 &f, ButtonOnly) : f_(f), span_(f), hourglass_(false) {
    f.Command1.SetVisible(true);
    platform::PumpAtNextYield();
}

void ProgressScope::ShowBar(float max) {
    f_.ProgressBar1.SetValue(0);
    f_.ProgressBar1.SetMax(max);
    f_.ProgressBar1.SetVisible(true);
}

void ProgressScope::SetValue(float value) {
    f_.ProgressBar1.SetValue(std::clamp(value, f_.ProgressBar1.Min(), f_.ProgressBar1.Max()));
}

bool ProgressScope::Cancelled() {
    if (!f_.Run) [[likely]]
        return false;
    Restore(true); // whoever set the pointer
    f_.Run = false;
    return true;
}

void ProgressScope::End() {
    Restore(hourglass_);
}

void ProgressScope::Restore(bool pointer) {
    if (ended_) return;
    ended_ = true;
    f_.ProgressBar1.SetVisible(false);
    f_.Command1.SetVisible(false);
    if (pointer) platform::SetMousePointer(vbDefault);
}

} // namespace mirolt::app
