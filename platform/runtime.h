#pragma once
// Process-wide services of the runtime: the yield, the mouse pointer, ending the
// program, the program folder, the command line and the per-user settings store.
#include <cstdint>
#include <functional>
#include <string>

namespace mirolt::platform {

namespace detail {
extern std::function<uint64_t(uint64_t)> *g_yieldHook;
extern uint64_t g_yieldsUnwatched;
extern uint32_t g_yieldCountdown;
void TellYieldHook(uint64_t n);
void YieldSlow();
void YieldBatch();
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
        detail::TellYieldHook(1);
    if (--detail::g_yieldCountdown == 0) [[unlikely]]
        detail::YieldSlow();
}

// `n` yields in one call, for loops that poll and yield once per item but do their items
// in batches: the queue is pumped at most once, after the whole batch, so a handler run by
// that pump sees the state after the batch. A batch is long enough for the clock to be
// read at every call.
inline void DoEvents(uint64_t n) {
    if (n == 0) return;
    if (detail::g_yieldHook) [[unlikely]]
        detail::TellYieldHook(n);
    detail::YieldBatch();
}

// The yield of a loop whose every step is much work (a strip of a picture, a megabyte of a
// file): the clock is read at each call, so the queue is pumped as soon as it is due rather
// than after as many calls as fast per-pixel callers make between two clock reads.
void DoEventsAfterStep();

// Time left, in milliseconds, before a yield will pump the queue; 0 when a pump is due.
// Batching loops end a batch about then, so that a click waits no longer than it would
// between single yields.
double MsUntilPump();

// The next yield pumps the queue if input or a posted message is waiting, however little
// time has passed since the last pump. A long operation starts with it, so that a click
// already waiting (Cancel, right behind the click that started it) is handled at its first
// yield.
void PumpAtNextYield();

// Tests watch the yields through a hook: `hook(n)` is told that n yields were just made,
// the state being the one after the last of them, and returns how many more may be made
// before it must be told again (at least 1). A loop that does its items in batches ends a
// batch there (YieldsUnwatched), so a test can act at the yield after exactly item k of the
// very loop users run. `firstLook`: how many may be made before it is first told. An empty
// function removes the hook.
void SetYieldHook(std::function<uint64_t(uint64_t n)> hook, uint64_t firstLook);
// A hook told of every yield on its own: batching loops go item by item while it is in.
void SetYieldHook(std::function<void()> hook);
// How many yields a batching loop may make together before a hook must be told: no limit
// without a hook.
inline uint64_t YieldsUnwatched() {
    return detail::g_yieldHook ? detail::g_yieldsUnwatched : UINT64_MAX;
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

// Ends the program at once, saving nothing: the last step (AtProgramEnd) runs, then the
// process exits. With an end hook installed (tests) the hook runs and ProgramEnded is thrown
// instead, unwinding to the test.
struct ProgramEnded {};
[[noreturn]] void EndProgram();
void SetEndHook(std::function<void()> hook);
// What the program does last before its process exits. The program ends from whichever
// handler ends it, never by returning from wWinMain, so start-up sets its closing here.
void AtProgramEnd(void (*last)());

// Stops the worker threads of the row jobs and of fresh surfaces and waits for them to end,
// for good: work they have begun is finished, and the rest is done on the threads that asked
// for it. The program's end and the test programs' ends call it.
void StopWorkerThreads();

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
