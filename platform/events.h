#pragma once
// Events of forms and controls: one handler each, raised by the toolkit. A form binds its
// member functions to them with Form::Bind; a control array raises its members' events
// with the member's index first.
#include <functional>
#include <utility>

namespace mirolt::platform {

template <class... Args> class Event {
  public:
    using Handler = std::function<void(Args...)>;

    Event &operator=(Handler handler) {
        handler_ = std::move(handler);
        return *this;
    }
    explicit operator bool() const { return static_cast<bool>(handler_); }
    // Raises the event; nothing happens while no handler is bound.
    void operator()(Args... args) const {
        if (handler_) handler_(std::forward<Args>(args)...);
    }

  private:
    Handler handler_;
};

// Raises `to` with `index` in front of the arguments whenever `from` is raised: how a
// control array member's events reach the array's indexed events.
template <class... Args>
void ForwardIndexed(Event<Args...> &from, Event<int, Args...> &to, int index) {
    from = [&to, index](Args... args) { to(index, std::forward<Args>(args)...); };
}

} // namespace mirolt::platform
