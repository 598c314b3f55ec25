// Entry point of Mirolt.exe.
#include "errors.h"
#include "message_loop.h"
#include "module1.h"

#include <windows.h>
#include <objbase.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Pictures are drawn into by outside code through their device contexts and read
    // back as memory at once; unbatched GDI keeps the two in step.
    GdiSetBatchLimit(1);
    OleInitialize(nullptr);
    mirolt::platform::RunGuarded([] { mirolt::app::Main(); });
    mirolt::platform::RunMessageLoop();
    return 0;
}
