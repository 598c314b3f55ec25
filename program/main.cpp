// Entry point of Mirolt.exe.
#include "errors.h"
#include "message_loop.h"
#include "module1.h"
#include "runtime.h"

#include <windows.h>
#include <ole2.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Pictures are drawn into by outside code through their device contexts and read
    // back as memory at once; unbatched GDI keeps the two in step.
    GdiSetBatchLimit(1);
    static const bool oleOpen = SUCCEEDED(OleInitialize(nullptr));
    // The program ends in EndProgram, from whichever handler ends it: last of all, no worker
    // thread is left running and OLE is closed as it was opened.
    mirolt::platform::AtProgramEnd([] {
        mirolt::platform::StopWorkerThreads();
        if (oleOpen) OleUninitialize();
    });
    mirolt::platform::RunGuarded([] { mirolt::app::Main(); });
    mirolt::platform::RunMessageLoop();
    return 0;
}
