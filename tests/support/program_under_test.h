#pragma once
// For the tests and benchmarks that start the real program and look at it from outside, as
// a person would: its windows and their texts, the screen, the keyboard.
#include <windows.h>

#include <functional>
#include <string>

namespace mirolt::test {

// A program started with `arguments` on its command line, in `folder` (empty: the current
// one). One still running when the object goes is ended.
class ProgramUnderTest {
  public:
    explicit ProgramUnderTest(const std::wstring &exe, const std::wstring &arguments = {},
                              const std::wstring &folder = {});
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest &) = delete;
    ProgramUnderTest &operator=(const ProgramUnderTest &) = delete;

    bool Started() const { return started_; }
    DWORD Id() const { return pi_.dwProcessId; }
    HANDLE Process() const { return pi_.hProcess; }
    bool Running() const;
    // Closes `main` as its close button does: the exit code once the program has ended, -1
    // when it has not within 20 seconds.
    long Close(HWND main) const;

  private:
    PROCESS_INFORMATION pi_{};
    bool started_ = false;
};

// Whether `condition` holds within `timeoutMs`, asked every 50 ms.
bool WaitFor(const std::function<bool()> &condition, DWORD timeoutMs = 15000);

// A visible top-level window of process `pid` (0: any) with this class and title (null: any).
HWND TopWindow(DWORD pid, const wchar_t *className, const wchar_t *title);
// The same, once there is one; null when there is none within `timeoutMs`.
HWND WaitForWindow(DWORD pid, const wchar_t *className, const wchar_t *title,
                   DWORD timeoutMs = 15000);

// The text of a window or control of another process: asked of the window itself, as
// GetWindowText does not cross processes for controls.
std::wstring TextOf(HWND w);

// What the screen shows at a point of a window's client area.
COLORREF ScreenPixel(HWND w, int x, int y);

// A key pressed and let go; characters typed as they are. Each waits a moment after, for the
// program to take them.
void Press(WORD key, DWORD pauseMs = 150);
void Type(const std::wstring &text);

} // namespace mirolt::test
