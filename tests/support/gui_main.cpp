// Test main for suites that create windows: GDI unbatched as in the program, COM for the
// picture loader, and a program end that unwinds to the test instead of exiting. At the end,
// as the program does, the worker threads are stopped and joined before OLE closes.
#include "handles.h"
#include "runtime.h"

#include <windows.h>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    GdiSetBatchLimit(1);
    const mirolt::platform::ScopedOleInitialize ole;
    mirolt::platform::SetEndHook([] {});
    const int failed = RUN_ALL_TESTS();
    mirolt::platform::StopWorkerThreads();
    return failed;
}
