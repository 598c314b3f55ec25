#pragma once
// Rows of a large picture shared out among a few worker threads and the calling thread, for
// work done between two pumps of the queue, where nothing else looks at the pixels. A walk
// over a strip of columns is bound by memory latency more than by bandwidth, so a few
// threads on disjoint rows finish it several times sooner than one.
//
// The caller always takes rows itself and waits only for rows a worker has already begun,
// so a worker that is slow to wake (every core busy) costs no more than doing its rows
// alone.
#include <cstddef>
#include <functional>

namespace mirolt {

// Calls body(first, last) for disjoint ranges covering [0, rows), some on worker threads,
// and returns once all have run. `cost` is the number of pixels (or like units) of the whole
// job: small jobs run on the calling thread alone. `body` must not throw.
void ForEachRowRange(int rows, size_t cost, const std::function<void(int, int)> &body);

} // namespace mirolt
