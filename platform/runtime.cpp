#include "runtime.h"

#include "handles.h"
#include "row_workers.h"
#include "surface_pool.h"
#include "vb_constants.h"
#include "vb_error.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <utility>

namespace mirolt::platform {

namespace detail {
std::function<uint64_t(uint64_t)> *g_yieldHook = nullptr;
uint64_t g_yieldsUnwatched = 1;
uint32_t g_yieldCountdown = 1;
} // namespace detail

namespace {

std::function<uint64_t(uint64_t)> g_hookStorage;
std::function<void()> g_endHook;
void (*g_lastStep)() = nullptr;
std::optional<std::wstring> g_commandLineOverride;
int g_mousePointer = 0;

struct YieldClock {
    // A pump is due this long after the last one began, so that a click waits about as long
    // however long pumps take; but never sooner than kWorkMs after it ended, so that work
    // goes on when pumps are slow (a busy machine).
    static constexpr double kPumpIntervalMs = 8.0;
    static constexpr double kWorkMs = 4.0;
    LARGE_INTEGER frequency{};
    int64_t pumpBegan = 0;
    int64_t pumpEnded = 0;
    int64_t statsFrom = 0; // the last pump's start or the reset, for the statistics
    int64_t lastCheck = 0;
    uint32_t interval = 64; // calls between clock reads, adapted to the caller's pace
    bool pumpAsked = false; // by PumpAtNextYield, until the next pump
    YieldStats stats;
    YieldClock() {
        QueryPerformanceFrequency(&frequency);
        statsFrom = lastCheck = Now(); // and the last pump long ago: the first is due at once
    }
    int64_t Now() const {
        LARGE_INTEGER t;
        QueryPerformanceCounter(&t);
        return t.QuadPart;
    }
    double Ms(int64_t ticks) const { return double(ticks) * 1000.0 / double(frequency.QuadPart); }
    double MsUntilPump(int64_t now) {
        // An asked-for pump is due while input or a posted message waits; paints and timers
        // can wait for the usual one.
        if (pumpAsked) {
            if (HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE | QS_SENDMESSAGE))) return 0;
            pumpAsked = false;
        }
        return std::max(kPumpIntervalMs - Ms(now - pumpBegan), kWorkMs - Ms(now - pumpEnded));
    }
};

YieldClock &Clock() {
    static YieldClock clock;
    return clock;
}

} // namespace

void detail::YieldSlow() {
    YieldClock &c = Clock();
    const int64_t now = c.Now();
    // Keep clock reads about every 1 ms of caller work, however heavy each call is.
    const double sinceCheck = c.Ms(now - c.lastCheck);
    if (sinceCheck > 2.0 && c.interval > 1)
        c.interval /= 2;
    else if (sinceCheck < 0.5 && c.interval < 4096)
        c.interval *= 2;
    c.lastCheck = now;
    g_yieldCountdown = c.interval;
    if (c.MsUntilPump(now) <= 0) PumpMessages();
}

void detail::YieldBatch() {
    YieldClock &c = Clock();
    if (c.MsUntilPump(c.Now()) <= 0) PumpMessages();
}

void detail::TellYieldHook(uint64_t n) {
    g_yieldsUnwatched = std::max<uint64_t>(1, (*g_yieldHook)(n));
}

void PumpAtNextYield() {
    Clock().pumpAsked = true;
    detail::g_yieldCountdown = 1;
}

void DoEventsAfterStep() {
    if (detail::g_yieldHook) [[unlikely]]
        detail::TellYieldHook(1);
    detail::YieldBatch();
}

double MsUntilPump() {
    YieldClock &c = Clock();
    return std::max(0.0, c.MsUntilPump(c.Now()));
}

void detail::PumpBegins() {
    YieldClock &c = Clock();
    const int64_t start = c.Now();
    c.stats.maxGapMs = std::max(c.stats.maxGapMs, c.Ms(start - c.statsFrom));
    c.pumpBegan = c.statsFrom = start;
    c.pumpAsked = false;
    ++c.stats.pumps;
}

void detail::PumpEnded() {
    Clock().pumpEnded = Clock().Now();
}

void detail::QueueServiced() {
    YieldClock &c = Clock();
    c.pumpBegan = c.pumpEnded = c.statsFrom = c.Now();
    c.pumpAsked = false;
}

void SetYieldHook(std::function<uint64_t(uint64_t)> hook, uint64_t firstLook) {
    g_hookStorage = std::move(hook);
    detail::g_yieldHook = g_hookStorage ? &g_hookStorage : nullptr;
    detail::g_yieldsUnwatched = std::max<uint64_t>(1, firstLook);
}

void SetYieldHook(std::function<void()> hook) {
    if (!hook) {
        SetYieldHook(std::function<uint64_t(uint64_t)>(), 1);
        return;
    }
    SetYieldHook(
        [hook = std::move(hook)](uint64_t n) -> uint64_t {
            for (uint64_t i = 0; i < n; ++i)
                hook();
            return 1;
        },
        1);
}

YieldStats GetYieldStats() {
    const YieldClock &c = Clock();
    YieldStats stats = c.stats;
    stats.maxGapMs = std::max(stats.maxGapMs, c.Ms(c.Now() - c.statsFrom));
    return stats;
}

void ResetYieldStats() {
    YieldClock &c = Clock();
    c.stats = {};
    c.statsFrom = c.lastCheck = c.Now();
}

void SetMousePointer(int pointer) {
    g_mousePointer = pointer;
    // Looked up once: a long operation sets the pointer at its start and its end.
    static const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    static const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    SetCursor(pointer == vbHourglass ? wait : arrow);
}

int MousePointer() {
    return g_mousePointer;
}

void EndProgram() {
    if (g_endHook) {
        g_endHook();
        throw ProgramEnded{};
    }
    if (auto *last = std::exchange(g_lastStep, nullptr)) last();
    ExitProcess(0);
}

void SetEndHook(std::function<void()> hook) {
    g_endHook = std::move(hook);
}

void AtProgramEnd(void (*last)()) {
    g_lastStep = last;
}

void StopWorkerThreads() {
    surfaces::StopHelpers();
    StopRowWorkers();
}

std::wstring AppPath() {
    // A name that fills the buffer may have been cut short: try again with more room.
    std::wstring p(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, p.data(), DWORD(p.size()));
        if (n < p.size()) {
            p.resize(n);
            break;
        }
        p.resize(p.size() * 2);
    }
    const size_t slash = p.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : p.substr(0, slash);
}

std::wstring CommandLine() {
    if (g_commandLineOverride) return *g_commandLineOverride;
    const wchar_t *p = GetCommandLineW();
    // Skip the program's name, quoted or not, then the blanks after it.
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"')
            ++p;
        if (*p == L'"') ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t')
            ++p;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    return p;
}

void SetCommandLineForTesting(std::wstring text) {
    g_commandLineOverride = std::move(text);
}

std::wstring UCase(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(text.data(), DWORD(text.size()));
    return text;
}

namespace {
std::wstring SettingsKey(const std::wstring &app, const std::wstring &section) {
    std::wstring key = L"Software\\VB and VBA Program Settings\\" + app;
    if (!section.empty()) key += L"\\" + section;
    return key;
}
} // namespace

std::wstring GetSetting(const std::wstring &app, const std::wstring &section,
                        const std::wstring &key, const std::wstring &defaultValue) {
    wchar_t buf[1024];
    DWORD size = sizeof(buf);
    DWORD type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, SettingsKey(app, section).c_str(), key.c_str(),
                     RRF_RT_REG_SZ, &type, buf, &size) != ERROR_SUCCESS)
        return defaultValue;
    return buf;
}

void SaveSetting(const std::wstring &app, const std::wstring &section, const std::wstring &key,
                 const std::wstring &value) {
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKey(app, section).c_str(), 0, nullptr, 0,
                        KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
        throw RuntimeError(kInvalidProcedureCall);
    const LONG rc =
        RegSetValueExW(h, key.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                       DWORD((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS) throw RuntimeError(kInvalidProcedureCall);
}

void DeleteSetting(const std::wstring &app, const std::wstring &section) {
    RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey(app, section).c_str());
}

namespace {
int TwipsPerPixel(int axis) {
    const int dpi = GetDeviceCaps(ScopedGetDC(nullptr), axis);
    return dpi > 0 ? 1440 / dpi : 15;
}
} // namespace

int TwipsPerPixelX() {
    static const int v = TwipsPerPixel(LOGPIXELSX);
    return v;
}

int TwipsPerPixelY() {
    static const int v = TwipsPerPixel(LOGPIXELSY);
    return v;
}

} // namespace mirolt::platform
