#include "row_workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace mirolt {
namespace {

// A job large enough to be shared that counts the visits of each of its rows, from zero;
// `inRange` runs first in every range.
void CountVisits(int rows, std::atomic<int> *visits, const std::function<void()> &inRange = {}) {
    for (int y = 0; y < rows; ++y)
        visits[y] = 0;
    ForEachRowRange(rows, size_t(1) << 20, [&](int first, int last) {
        if (inRange) inRange();
        for (int y = first; y < last; ++y)
            visits[y].fetch_add(1);
    });
}

::testing::AssertionResult EachRowOnce(int rows, const std::atomic<int> *visits) {
    for (int y = 0; y < rows; ++y)
        if (visits[y].load() != 1)
            return ::testing::AssertionFailure() << "row " << y << " ran " << visits[y].load();
    return ::testing::AssertionSuccess();
}

} // namespace

// Jobs back to back, large enough to be shared and of many shapes: a worker that woke late
// must never run rows of a later job, and no row may be left out or run twice.
TEST(RowWorkers, EveryRowOfEveryJobRunsExactlyOnce) {
    constexpr int kMostRows = 5000;
    auto visits = std::make_unique<std::atomic<int>[]>(kMostRows);
    for (int job = 0; job < 400; ++job) {
        const int rows = 1 + (job * 7919) % kMostRows;
        CountVisits(rows, visits.get());
        ASSERT_TRUE(EachRowOnce(rows, visits.get())) << "job " << job;
    }
}

// The program stops the workers as it ends, perhaps while a job runs on another thread: the
// range a worker holds is finished, the job's other ranges run on its caller, and no row is
// lost or run twice, then or in later jobs. They stay stopped for the rest of this test program.
TEST(RowWorkers, StoppedWhileAJobRunsTheJobStillRunsEveryRowOnce) {
    if (std::thread::hardware_concurrency() < 2) GTEST_SKIP() << "no workers on one core";
    constexpr int kRows = 4000;
    auto visits = std::make_unique<std::atomic<int>[]>(kRows);
    std::atomic<bool> onWorker{false};
    std::thread caller([&] {
        const auto self = std::this_thread::get_id();
        do { // until a worker takes part: they start a moment after the first job
            CountVisits(kRows, visits.get(), [&] {
                if (std::this_thread::get_id() != self && !onWorker.exchange(true))
                    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // as they stop
            });
        } while (!onWorker);
    });
    while (!onWorker)
        std::this_thread::yield();
    StopRowWorkers();
    caller.join();
    EXPECT_TRUE(EachRowOnce(kRows, visits.get()));

    CountVisits(kRows, visits.get());
    EXPECT_TRUE(EachRowOnce(kRows, visits.get()));
}

} // namespace mirolt
