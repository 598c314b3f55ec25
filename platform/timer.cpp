#include "timer.h"

#include "errors.h"
#include "vb_error.h"

#include <map>

namespace mirolt::platform {
namespace {

// Live timers by identifier: a tick already queued for a timer since gone finds nothing.
std::map<UINT_PTR, TimerControl *> &Timers() {
    static std::map<UINT_PTR, TimerControl *> timers;
    return timers;
}

UINT_PTR NextTimerId() {
    static UINT_PTR next = 1;
    return next++;
}

} // namespace

TimerControl::TimerControl(Container &parent, std::wstring name, const Design &design)
    : window_(parent.OwnerForm().Hwnd()), name_(std::move(name)), id_(NextTimerId()),
      interval_(design.interval), enabled_(design.enabled) {
    if (interval_ < 0) throw RuntimeError(kInvalidPropertyValue);
    Timers()[id_] = this;
    Restart();
}

TimerControl::~TimerControl() {
    KillTimer(window_, id_);
    Timers().erase(id_);
}

void TimerControl::SetInterval(int milliseconds) {
    if (milliseconds < 0) throw RuntimeError(kInvalidPropertyValue);
    interval_ = milliseconds;
    Restart();
}

void TimerControl::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Restart();
}

void TimerControl::Restart() {
    if (enabled_ && interval_ > 0)
        CheckWin32(SetTimer(window_, id_, UINT(interval_), &Tick), kOutOfMemory);
    else
        KillTimer(window_, id_);
}

void CALLBACK TimerControl::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Timers().find(id);
    if (it == Timers().end()) return;
    TimerControl *timer = it->second;
    if (timer->running_ || !timer->enabled_) return;
    timer->running_ = true;
    RunGuarded([timer] { timer->Timer(); });
    // The handler may have let go of the timer (its form gone).
    if (Timers().count(id)) timer->running_ = false;
}

} // namespace mirolt::platform
