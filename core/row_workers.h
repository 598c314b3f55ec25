#pragma once
// A large job split into ranges (rows of a picture, pages of fresh memory) and shared out
// among a few worker threads and the calling thread, for work that nothing else looks at
// until it is done: a strip of columns between two pumps of the queue, say. Such a walk is
// bound by memory latency more than by bandwidth, so a few threads on disjoint ranges
// finish it several times sooner than one.
//
// The caller always takes ranges itself and waits only for ranges a worker has already
// begun, so a worker that is slow to wake (every core busy) costs no more than doing its
// ranges alone.
#include <cstddef>
#include <functional>

namespace mirolt {

// Calls body(first, last) for disjoint ranges covering [0, rows), some on worker threads,
// and returns once all have run. `cost` is the size of the whole job in pixels or bytes:
// small jobs run on the calling thread alone. `body` must not throw.
void ForEachRowRange(int rows, size_t cost, const std::function<void(int, int)> &body);

// Stops the worker threads and waits for them to end, for good: a range a worker has begun is
// finished first, and a job running meanwhile finishes its other ranges on its caller's thread,
// as every later job does. The program calls it as it ends.
void StopRowWorkers();

} // namespace mirolt
