#include "errors.h"

#include "prompts.h"

#include <string>

namespace mirolt::platform {
namespace {
bool g_endPending = false;
} // namespace

void RaiseLastError(int number) {
    throw RuntimeError(number, uint32_t(GetLastError()));
}

std::wstring UncaughtErrorMessage(int number) {
    return L"実行時エラー '" + std::to_wstring(number) + L"':\n\n" + ErrorText(number);
}

void ReportUncaughtError(int number) {
    try {
        MsgBox(UncaughtErrorMessage(number), vbCritical);
    } catch (...) {
        // Nothing more can be said; the program ends all the same.
    }
    try {
        EndProgram();
    } catch (const ProgramEnded &) {
        g_endPending = true;
    }
}

void NoteEndRequested() {
    g_endPending = true;
}

void ThrowIfEndPending() {
    if (!g_endPending) return;
    g_endPending = false;
    throw ProgramEnded{};
}

} // namespace mirolt::platform
