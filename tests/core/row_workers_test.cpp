#include "row_workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace mirolt {

// Jobs back to back, large enough to be shared and of many shapes: a worker that woke late
// must never run rows of a later job, and no row may be left out or run twice.
TEST(RowWorkers, EveryRowOfEveryJobRunsExactlyOnce) {
    constexpr int kMostRows = 5000;
    auto visits = std::make_unique<std::atomic<int>[]>(kMostRows);
    for (int job = 0; job < 400; ++job) {
        const int rows = 1 + (job * 7919) % kMostRows;
        for (int y = 0; y < rows; ++y)
            visits[y] = 0;
        ForEachRowRange(rows, size_t(1) << 20, [&](int first, int last) {
            for (int y = first; y < last; ++y)
                visits[y].fetch_add(1);
        });
        for (int y = 0; y < rows; ++y)
            ASSERT_EQ(visits[y].load(), 1) << "job " << job << " row " << y;
    }
}

} // namespace mirolt
