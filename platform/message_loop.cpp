#include "message_loop.h"

#include "errors.h"
#include "forms.h"
#include "runtime.h"

#include <vector>

namespace mirolt::platform {
namespace {

std::vector<void (*)()> &BeforePump() {
    static std::vector<void (*)()> callbacks;
    return callbacks;
}

void RunBeforePump() {
    for (auto *callback : BeforePump())
        callback();
}

// The dialog keyboard handling of the form a key is typed into.
bool IsFormKey(MSG &msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !msg.hwnd) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    return root && Form::FromHwnd(root) && IsDialogMessageW(root, &msg);
}

} // namespace

void AddBeforePump(void (*callback)()) {
    BeforePump().push_back(callback);
}

void DispatchLoopMessage(MSG &msg) {
    if (!IsFormKey(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    ThrowIfEndPending();
}

namespace {
void Pump(UINT filter) {
    ThrowIfEndPending();
    detail::PumpBegins();
    RunBeforePump();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | filter)) {
        if (msg.message == WM_QUIT) EndProgram();
        DispatchLoopMessage(msg);
    }
    detail::PumpEnded();
    // Unloaded forms are not deleted here: a yield runs inside some handler, which may
    // belong to one of them. The top-level loop deletes them.
}
} // namespace

void PumpMessages() {
    Pump(0);
}

void PumpMessagesButInput() {
    Pump(PM_QS_PAINT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE);
}

bool WaitAndDispatch(MSG &msg) {
    RunBeforePump();
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) return false;
    // The queue has just been looked at: a long operation this message starts pumps it again
    // when the usual interval has passed, not at once.
    detail::QueueServiced();
    DispatchLoopMessage(msg);
    ReleaseUnloadedForms();
    return true;
}

void RunMessageLoop() {
    MSG msg;
    while (WaitAndDispatch(msg)) {
    }
    EndProgram();
}

} // namespace mirolt::platform
