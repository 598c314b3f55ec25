#pragma once
// Process-wide services of the runtime: the yield, the mouse pointer, ending the
// program, the program folder, the command line and the per-user settings store.
#include <cstdint>
#include <functional>
#include <string>

namespace mirolt::platform {

namespace detail {
extern std::function<void()> *g_yieldHook;
extern uint32_t g_yieldCountdown;
void YieldSlow();
// Called by PumpMessages around each pump, for the yield's pace and its statistics.
void PumpBegins();
void PumpEnded();
// The program's loop took a message from the queue.
void QueueServiced();
} // namespace detail

// The yield to the event loop (DoEvents). Called once per pixel by long operations, so the
// common path is a counter: the queue is pumped only when about 8 ms have passed.
inline void DoEvents() {
    if (detail::g_yieldHook) [[unlikely]]
        (*detail::g_yieldHook)();
    if (--detail::g_yieldCountdown == 0) [[unlikely]]
        detail::YieldSlow();
}

// `n` yields in one call, for loops that poll and yield once per item but do their items
// in batches: the queue is pumped at most once, after the whole batch, so a handler run by
// that pump sees the state after the batch. While a hook is installed such loops go item by
// item instead (YieldHooked), so that the hook sees the state after each.
inline void DoEvents(uint32_t n) {
    if (detail::g_yieldHook) [[unlikely]]
        for (uint32_t i = 0; i < n; ++i)
            (*detail::g_yieldHook)();
    if (n < detail::g_yieldCountdown) [[likely]]
        detail::g_yieldCountdown -= n;
    else
        detail::YieldSlow();
}

// The yield of a loop whose every step is much work (a strip of a picture, a megabyte of a
// file): the clock is read at each call, so the queue is pumped as soon as it is due rather
// than after as many calls as fast per-pixel callers make between two clock reads.
void DoEventsAfterStep();

// Time left, in milliseconds, before a yield will pump the queue; 0 when a pump is due.
// Batching loops end a batch about then, so that a click waits no longer than it would
// between single yields.
double MsUntilPump();

// Sees every DoEvents call (tests: "click Cancel during the yield after pixel k").
// An empty function removes the hook.
void SetYieldHook(std::function<void()> hook);
inline bool YieldHooked() {
    return detail::g_yieldHook != nullptr;
}

// Delivers every pending message now, whatever the time since the last pump, through the
// program's message loop (message_loop.h).
void PumpMessages();
// The same for all but the user's keyboard and mouse input, which waits in the queue for the
// next full pump: for a change made in steps that no action of the user may come between,
// while the window keeps answering and painting.
void PumpMessagesButInput();

struct YieldStats {
    uint64_t pumps = 0; // real message pumps
    // Longest time from the start of one pump to the start of the next, counting from the
    // reset to the first pump and from the last pump to now.
    double maxGapMs = 0;
};
YieldStats GetYieldStats();
void ResetYieldStats();

// Screen.MousePointer: vbHourglass over the whole program, vbDefault (vb_constants.h).
void SetMousePointer(int pointer);
int MousePointer();

// Ends the program at once, saving nothing. With an end hook installed (tests) the hook
// runs and ProgramEnded is thrown instead, unwinding to the test.
struct ProgramEnded {};
[[noreturn]] void EndProgram();
void SetEndHook(std::function<void()> hook);

// Folder of the running program, without a trailing backslash.
std::wstring AppPath();
// Command: what follows the program's name on the command line, as one string.
std::wstring CommandLine();
// For tests: the text that CommandLine returns from now on.
void SetCommandLineForTesting(std::wstring text);
std::wstring UCase(std::wstring text);

// Per-user settings store (GetSetting/SaveSetting): text values under the user's
// registry, by application, section and key.
std::wstring GetSetting(const std::wstring &app, const std::wstring &section,
                        const std::wstring &key, const std::wstring &defaultValue = {});
void SaveSetting(const std::wstring &app, const std::wstring &section, const std::wstring &key,
                 const std::wstring &value);
void DeleteSetting(const std::wstring &app, const std::wstring &section = {});

// Twips in one screen pixel (15 at 96 DPI).
int TwipsPerPixelX();
int TwipsPerPixelY();

} // namespace mirolt::platform
