#pragma once
// The progress-and-cancel protocol of the main window's long operations (the per-pixel
// filters, the raster filter, the mosaic and its stages, text art): Form1's bar and Cancel
// button shown for the length of the work, Run polled between the yields, and the bar, the
// button and the pointer put back on every way out: the end, a cancel, an error.
#include "form1.h"

namespace mirolt::app {

// One run as the user sees it. The outermost run starts with Run False: a Cancel click that
// no run saw (one handled after the last poll of an earlier run, the button already hidden)
// stops nothing later. Runs inside it (the stages of a sequence, an operation started during
// another's yield) find Run as it is, so a Cancel seen by one stage stops the stages after it.
class RunSpan {
  public:
    explicit RunSpan(Form1 &f);
    ~RunSpan() { --depth_; }
    RunSpan(const RunSpan &) = delete;
    RunSpan &operator=(const RunSpan &) = delete;

  private:
    static inline int depth_ = 0;
};

class ProgressScope {
  public:
    // The usual start: the hourglass, then the bar from 0 to `max` shown with the Cancel
    // button, the bar at its minimum.
    ProgressScope(Form1 &f, float max);
    // The raster filter's start: only the Cancel button shown, the pointer left as it is;
    // each pass shows the bar with ShowBar.
    struct ButtonOnly {};
    ProgressScope(Form1 &f, ButtonOnly);
    ~ProgressScope() { End(); }
    ProgressScope(const ProgressScope &) = delete;
    ProgressScope &operator=(const ProgressScope &) = delete;

    // The bar at 0 with a new maximum, shown.
    void ShowBar(float max);
    // Kept inside the bar's range: another run started during a yield may have narrowed it.
    void SetValue(float value);

    // The poll: when Run asks the run to stop, ends it as a cancel (bar and button hidden,
    // the default pointer, Run False) and says so.
    bool Cancelled();
    // The poll of an operation that ends alike finished or cancelled and leaves Run to its
    // caller (the mosaic).
    bool CancelAsked() const { return f_.Run; }

    // Ends the run: bar and button hidden, the default pointer where the hourglass was set.
    // Leaving the scope by any other way (an error) does the same.
    void End();

  private:
    void Restore(bool pointer);

    Form1 &f_;
    RunSpan span_;
    bool hourglass_;
    bool ended_ = false;
};

} // namespace mirolt::app
