#pragma once
// How run-time errors meet the system: failed Win32/COM calls become numbered errors, and
// an error that no handler catches ends the program with the classic run-time error box.
#include "runtime.h"

#include "vb_error.h"

#include <windows.h>

#include <new>

namespace mirolt::platform {

// A failed Win32 call as run-time error `number`, keeping GetLastError.
[[noreturn]] void RaiseLastError(int number);
// A failed COM call as run-time error `number`, keeping the HRESULT.
inline void CheckHr(HRESULT hr, int number) {
    if (FAILED(hr)) throw RuntimeError(number, uint32_t(hr));
}
// `result` when the call succeeded (non-zero, non-null), else RaiseLastError(number).
template <class T> T CheckWin32(T result, int number) {
    if (!result) RaiseLastError(number);
    return result;
}

// The text of the run-time error box: "実行時エラー 'n':", an empty line, the error's text.
std::wstring UncaughtErrorMessage(int number);
// Shows the run-time error box for an error nothing caught, then ends the program. Called
// where the system called us (window procedures, callbacks, Main), so nothing unwinds
// through the system's frames: an end that tests turn into ProgramEnded waits until
// control is back in the message loop (see ThrowIfEndPending).
void ReportUncaughtError(int number);

// An end asked for inside a system callback is carried out here, in our own frames.
void ThrowIfEndPending();

// Runs `body` at a boundary to the system: an error or exception escaping it is reported
// by ReportUncaughtError; an end of the program waits for ThrowIfEndPending.
void NoteEndRequested();
template <class F> void RunGuarded(F &&body) noexcept {
    int number = 0;
    try {
        body();
        return;
    } catch (const RuntimeError &e) {
        number = e.Number();
    } catch (const std::bad_alloc &) {
        number = kOutOfMemory;
    } catch (const ProgramEnded &) {
        NoteEndRequested();
        return;
    } catch (...) {
        number = kInternalError;
    }
    ReportUncaughtError(number);
}

} // namespace mirolt::platform
