#include "memory_ceiling.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>

namespace mirolt::test {
namespace {
size_t WorkingSet() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof(pmc);
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
    return pmc.WorkingSetSize;
}
} // namespace

MemoryCeiling::MemoryCeiling(size_t allowance) {
    const size_t limit = WorkingSet() + allowance;
    watch_ = std::thread([this, limit] {
        while (!stop_) {
            if (WorkingSet() > limit) {
                std::fprintf(stderr, "memory ceiling exceeded: ending the test process\n");
                std::fflush(stderr);
                TerminateProcess(GetCurrentProcess(), 3);
            }
            Sleep(1);
        }
    });
}

MemoryCeiling::~MemoryCeiling() {
    stop_ = true;
    watch_.join();
}

} // namespace mirolt::test
