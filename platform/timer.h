#pragma once
// The timer: raises its Timer event every Interval milliseconds while enabled, from the
// message loop and from the yield alike.
#include "events.h"
#include "forms.h"

namespace mirolt::platform {

class TimerControl {
  public:
    struct Design {
        int interval = 0; // milliseconds; 0 raises nothing
        bool enabled = true;
    };
    TimerControl(Container &parent, std::wstring name, const Design &design);
    ~TimerControl();
    TimerControl(const TimerControl &) = delete;
    TimerControl &operator=(const TimerControl &) = delete;

    const std::wstring &Name() const { return name_; }
    int Index() const { return index_; }
    void SetIndex(int index) { index_ = index; }
    int Interval() const { return interval_; }
    // Takes effect at once, also while the timer runs: the next tick is a new interval away.
    // A negative interval raises 380.
    void SetInterval(int milliseconds);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    Event<> Timer;
    struct Indexed {
        Event<int> Timer;
    };
    void ForwardEvents(Indexed &to, int index) { ForwardIndexed(Timer, to.Timer, index); }

  private:
    static void CALLBACK Tick(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);
    void Restart();
    HWND window_;
    std::wstring name_;
    UINT_PTR id_;
    int index_ = -1;
    int interval_;
    bool enabled_;
    bool running_ = false; // a tick's handler is running: ticks meanwhile are dropped
};

} // namespace mirolt::platform
