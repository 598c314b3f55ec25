#pragma once
// A ceiling on the test process's memory: a loader that allocates for a lying header
// fails the run instead of taking the machine down.
#include <atomic>
#include <cstddef>
#include <thread>

namespace mirolt::test {

// Watches the working set from another thread and ends the process at once when it grows
// more than `allowance` bytes beyond what it was at construction. (A job object's memory
// limit would do this where the system enforces it; not every system these tests run on
// does.)
class MemoryCeiling {
  public:
    explicit MemoryCeiling(size_t allowance);
    ~MemoryCeiling();
    MemoryCeiling(const MemoryCeiling &) = delete;
    MemoryCeiling &operator=(const MemoryCeiling &) = delete;

  private:
    std::atomic<bool> stop_{false};
    std::thread watch_;
};

} // namespace mirolt::test
