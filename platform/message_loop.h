#pragma once
// The one message loop of the program, run by wWinMain and, a queue at a time, by the
// yield (PumpMessages in runtime.h). Keyboard messages go first through the dialog
// keyboard handling of the form they are typed into: Tab and Shift+Tab through the focus
// order, Enter and Esc on the default and cancel buttons, arrows among option buttons.
#include <windows.h>

namespace mirolt::platform {

// Runs until the program ends; unloaded forms are deleted between messages.
void RunMessageLoop();

// Something to do before each pump of the queue (and before the loop waits): e.g. repaint
// what was drawn since the last one. Registered once, for the life of the program.
void AddBeforePump(void (*callback)());

// One turn of the loop: waits for a message and dispatches it. False on WM_QUIT.
bool WaitAndDispatch(MSG &msg);

// Translates and dispatches one message the way the loop does.
void DispatchLoopMessage(MSG &msg);

} // namespace mirolt::platform
