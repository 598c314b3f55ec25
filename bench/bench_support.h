#pragma once
// What the benches share: a clock, the peak working set, and prompts that answer at once.
#include "prompts.h"

#include <windows.h>
#include <psapi.h>

namespace mirolt::bench {

// Seconds on the performance counter.
inline double Now() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER v;
        QueryPerformanceFrequency(&v);
        return v;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(frequency.QuadPart);
}

// The largest working set this process has had so far, in MiB.
inline double PeakWorkingSetMb() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof(pmc);
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
    return double(pmc.PeakWorkingSetSize) / (1 << 20);
}

// Answers every box with OK, every file dialog with a cancel and every pop-up menu with
// nothing, so that a run ends without a person.
class OkPrompts : public platform::Prompts {
  public:
    int MsgBox(const std::wstring &, int, const std::wstring &) override { return platform::vbOK; }
    std::optional<platform::FileDialogResult>
    FileDialog(const platform::FileDialogRequest &) override {
        return std::nullopt;
    }
    platform::MenuItem *PopupMenu(platform::MenuItem &) override { return nullptr; }
};

} // namespace mirolt::bench
