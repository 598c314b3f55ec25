// Entry point of Mirolt.exe.
#include "forms.h"
#include "module1.h"
#include "runtime.h"

#include <windows.h>
#include <objbase.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Pictures are drawn into by outside code through their device contexts and read
    // back as memory at once; unbatched GDI keeps the two in step.
    GdiSetBatchLimit(1);
    OleInitialize(nullptr);
    mirolt::app::Main();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        mirolt::platform::ReleaseUnloadedForms();
    }
    mirolt::platform::EndProgram();
}
