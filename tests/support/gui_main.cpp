// Test main for suites that create windows: GDI unbatched as in the program, COM for the
// picture loader, and a program end that unwinds to the test instead of exiting.
#include "runtime.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <objbase.h>

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    GdiSetBatchLimit(1);
    OleInitialize(nullptr);
    mirolt::platform::SetEndHook([] {});
    return RUN_ALL_TESTS();
}
