#pragma once
// Pacing for the long loops that poll the cancel flag before each item and yield after each
// item: a pixel of the per-pixel filters, a counted pixel of the mosaic, a cell of the text
// art. Nothing outside such a loop runs except during a real pump of the queue, and the
// flag changes only there. So a batch of items done in one go, with one poll before it and
// its yields made together after it, is seen from outside exactly as the items one by one:
// each pump falls between two items and sees everything before it done. Batches let a loop
// work at memory speed; the pacer sizes them so that each ends about when the queue is due
// to be pumped, which keeps clicks waiting no longer than with a yield per item. A test's
// hook sees the same loop, its batches ended where the hook wants to look.
#include "runtime.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace mirolt::filters {

class YieldPacer {
  public:
    // `itemsPerMs`: the pace known from an earlier run of the same loop, or 0.
    explicit YieldPacer(double itemsPerMs = 0) : itemsPerMs_(itemsPerMs) {}
    double ItemsPerMs() const { return itemsPerMs_; }

    struct Batch {
        uint64_t items; // at least 1
        // The batch must not go past `items`: the next yield pumps (a pump is due) or a
        // test's hook looks at it. Otherwise the loop may end it at its own next boundary
        // (a column, a block), a little before or after.
        bool exact;
    };
    // The next batch. Call it when the batch begins.
    Batch NextBatch() {
        start_ = Clock::now();
        const double untilPump = platform::MsUntilPump();
        // With a pump due, it comes after one item, as it would between single yields.
        exact_ = true;
        if (untilPump <= 0) return {1, true};
        uint64_t items = kShortBatch; // before the pace is known, a short batch to learn it
        if (itemsPerMs_ > 0) {
            const double ms = std::clamp(untilPump + kPastDueMs, kShortestMs, kLongestMs);
            items = std::max<uint64_t>(uint64_t(itemsPerMs_ * ms), 1);
        }
        if (const uint64_t watched = platform::YieldsUnwatched(); watched <= items)
            return {watched, true};
        exact_ = false;
        return {items, false};
    }

    // The batch of `items` is done: learn the pace from it, run `beforeYields`, then make the
    // batch's yields.
    template <class BeforeYields> void Done(uint64_t items, BeforeYields beforeYields) {
        // A batch cut short for a pump or a hook is no measure of the pace.
        if (!exact_ && items > 0) Learn(items);
        beforeYields();
        platform::DoEvents(items);
    }
    void Done(uint64_t items) {
        Done(items, [] {});
    }

  private:
    using Clock = std::chrono::steady_clock;
    static constexpr uint64_t kShortBatch = 1 << 16; // well under 1 ms
    static constexpr double kPastDueMs = 0.5;        // end just after the pump is due, so it comes
    static constexpr double kShortestMs = 0.5;
    static constexpr double kLongestMs = 12;
    static constexpr double kMostGrowth = 8;

    void Learn(uint64_t items) {
        const double ms = std::max(
            1e-3, std::chrono::duration<double, std::milli>(Clock::now() - start_).count());
        const double pace = double(items) / ms;
        // One unusually quick batch must not make the next one overlong; a very short one,
        // slowed by its fixed costs, is no measure of the pace.
        if (itemsPerMs_ <= 0)
            itemsPerMs_ = pace;
        else if (pace > itemsPerMs_)
            itemsPerMs_ = std::min(pace, itemsPerMs_ * kMostGrowth);
        else if (ms >= kShortestMs * 2)
            itemsPerMs_ = pace;
    }

    double itemsPerMs_ = 0; // 0 until a batch has been timed
    bool exact_ = false;
    Clock::time_point start_;
};

} // namespace mirolt::filters
