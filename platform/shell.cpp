#include "shell.h"

#include "handles.h"
#include "keystrokes.h"
#include "runtime.h"
#include "vb_error.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <exception>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

namespace mirolt::platform {
namespace {

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

// Answers the messages other threads send to this one while it waits for them.
void AnswerSentMessages() {
    MSG m;
    PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

// Waits until a window of the started process is the foreground window, the process has
// ended or cannot take input (a console program), or ten seconds have passed.
void WaitForFocus(HANDLE process, DWORD pid) {
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (GetTickCount64() < deadline) {
        if (ProcessOf(GetForegroundWindow()) == pid) return;
        if (WaitForInputIdle(process, 0) == WAIT_FAILED) return;
        if (MsgWaitForMultipleObjects(1, &process, FALSE, 20, QS_SENDMESSAGE) == WAIT_OBJECT_0)
            return;
        AnswerSentMessages();
    }
}

// ---- keystrokes -------------------------------------------------------------------------

struct VirtualKey {
    BYTE vk;
    bool extended;
};

// Indexed by Key.
constexpr VirtualKey kVirtualKeys[] = {
    {VK_BACK, false},   {VK_CANCEL, true},    {VK_CAPITAL, false},  {VK_DELETE, true},
    {VK_DOWN, true},    {VK_END, true},       {VK_RETURN, false},   {VK_ESCAPE, false},
    {VK_HELP, false},   {VK_HOME, true},      {VK_INSERT, true},    {VK_LEFT, true},
    {VK_NUMLOCK, true}, {VK_NEXT, true},      {VK_PRIOR, true},     {VK_SNAPSHOT, true},
    {VK_RIGHT, true},   {VK_SCROLL, false},   {VK_TAB, false},      {VK_UP, true},
    {VK_F1, false},     {VK_F2, false},       {VK_F3, false},       {VK_F4, false},
    {VK_F5, false},     {VK_F6, false},       {VK_F7, false},       {VK_F8, false},
    {VK_F9, false},     {VK_F10, false},      {VK_F11, false},      {VK_F12, false},
    {VK_F13, false},    {VK_F14, false},      {VK_F15, false},      {VK_F16, false},
    {VK_ADD, false},    {VK_SUBTRACT, false}, {VK_MULTIPLY, false}, {VK_DIVIDE, true},
    {VK_SHIFT, false},  {VK_CONTROL, false},  {VK_MENU, false},
};
static_assert(std::size(kVirtualKeys) == size_t(Key::Alt) + 1);

// An unassigned virtual key pressed after each batch of keys when the caller waits: the
// receiving thread's key state shows it down once the thread has taken in the batch. (The
// down state is watched, not the toggle, since the state read right after attaching to a
// thread can be stale; it is "up" between batches on either side.)
constexpr BYTE kMarker = 0x9F;
constexpr size_t kBatch = 128; // input events between two markers
constexpr DWORD kBatchTimeoutMs = 10000;

class KeySender {
  public:
    // `onlyTo`, a process id: keys go to that process's windows only, sent from a thread that
    // has no windows and answers no messages. 0: to whatever window is active.
    explicit KeySender(bool wait, DWORD onlyTo = 0) : wait_(wait), onlyTo_(onlyTo) {}
    ~KeySender() { Detach(); }

    void Add(const Keystroke &k) {
        for (int32_t n = 0; n < k.count; ++n) {
            switch (k.kind) {
            case Keystroke::Kind::Character:
                Character(k.character);
                break;
            case Keystroke::Kind::Press:
                Tap(kVirtualKeys[size_t(k.key)]);
                break;
            case Keystroke::Kind::Hold:
                if (held_[Modifier(k.key)]++ == 0) Virtual(kVirtualKeys[size_t(k.key)], false);
                break;
            case Keystroke::Kind::Release:
                if (--held_[Modifier(k.key)] == 0) Virtual(kVirtualKeys[size_t(k.key)], true);
                break;
            }
        }
    }

    void Finish() { Flush(); }

  private:
    static int Modifier(Key k) { return int(k) - int(Key::Shift); }
    bool AnyHeld() const { return held_[0] || held_[1] || held_[2]; }

    void Push(INPUT in) {
        pending_.push_back(in);
        if (pending_.size() >= kBatch && !AnyHeld()) Flush();
    }

    void Virtual(VirtualKey key, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = key.vk;
        in.ki.wScan = WORD(MapVirtualKeyW(key.vk, MAPVK_VK_TO_VSC));
        in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (key.extended ? KEYEVENTF_EXTENDEDKEY : 0);
        Push(in);
    }

    void Tap(VirtualKey key) {
        Virtual(key, false);
        Virtual(key, true);
    }

    void Unicode(wchar_t c) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wScan = c;
        in.ki.dwFlags = KEYEVENTF_UNICODE;
        Push(in);
        in.ki.dwFlags |= KEYEVENTF_KEYUP;
        Push(in);
    }

    // Text goes in as characters; under a held modifier a character must be its key, so
    // that %(E) is Alt+E. A letter's key is the same in either case.
    void Character(wchar_t c) {
        const SHORT scan = AnyHeld() ? VkKeyScanW(c) : SHORT(-1);
        if (scan == -1) return Unicode(c);
        const BYTE vk = LOBYTE(scan);
        const BYTE needs = (vk >= 'A' && vk <= 'Z') ? 0 : HIBYTE(scan) & 7;
        const Key modifiers[] = {Key::Shift, Key::Control, Key::Alt};
        for (int m = 0; m < 3; ++m)
            if ((needs & (1 << m)) && !held_[m]) Virtual(kVirtualKeys[size_t(modifiers[m])], false);
        Tap({vk, false});
        for (int m = 2; m >= 0; --m)
            if ((needs & (1 << m)) && !held_[m]) Virtual(kVirtualKeys[size_t(modifiers[m])], true);
    }

    void Flush() {
        if (pending_.empty()) return;
        HWND target = wait_ || onlyTo_ ? GetForegroundWindow() : nullptr;
        if (onlyTo_ && ProcessOf(target) != onlyTo_) {
            pending_.clear();
            throw RuntimeError(kInvalidProcedureCall);
        }
        if (!wait_) target = nullptr;
        const DWORD thread = target ? GetWindowThreadProcessId(target, nullptr) : 0;
        const bool own = thread == GetCurrentThreadId();
        if (thread && !own) Attach(thread);
        const bool canWait = thread && (own || attached_ == thread);
        if (canWait) pending_.push_back(Marker(false));
        SendInput(UINT(pending_.size()), pending_.data(), sizeof(INPUT));
        pending_.clear();
        if (!canWait) return;
        bool taken = WaitForMarker(true, own);
        INPUT up = Marker(true);
        SendInput(1, &up, sizeof(INPUT));
        if (taken) taken = WaitForMarker(false, own);
        if (!taken) wait_ = false; // a hung window: send the rest without waiting
    }

    static INPUT Marker(bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = kMarker;
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        return in;
    }

    // Waits until the marker's state in the receiving thread is `down`; false after the
    // time-out. A thread that ends has taken in all it will.
    bool WaitForMarker(bool down, bool own) {
        unique_handle thread(own ? nullptr : OpenThread(SYNCHRONIZE, FALSE, attached_));
        const ULONGLONG deadline = GetTickCount64() + kBatchTimeoutMs;
        while (((GetKeyState(kMarker) & 0x8000) != 0) != down) {
            if (GetTickCount64() > deadline) return false;
            if (own) {
                PumpMessages();
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
            } else {
                HANDLE h = thread.get();
                const DWORD r =
                    onlyTo_ ? (h ? WaitForSingleObject(h, 2) : (Sleep(2), WAIT_TIMEOUT))
                            : MsgWaitForMultipleObjects(h ? 1 : 0, &h, FALSE, 2, QS_SENDMESSAGE);
                if (h && r == WAIT_OBJECT_0) return true; // the thread has ended
                if (!onlyTo_) AnswerSentMessages();
            }
        }
        return true;
    }

    // Sharing the target thread's input state lets this thread read its key state.
    void Attach(DWORD thread) {
        if (attached_ == thread) return;
        Detach();
        if (AttachThreadInput(GetCurrentThreadId(), thread, TRUE)) attached_ = thread;
    }
    void Detach() {
        if (attached_) AttachThreadInput(GetCurrentThreadId(), attached_, FALSE);
        attached_ = 0;
    }

    bool wait_;
    DWORD onlyTo_;
    int held_[3] = {};
    std::vector<INPUT> pending_;
    DWORD attached_ = 0;
};

struct TitleSearch {
    std::wstring wanted;
    bool prefix; // else the whole title, letter case aside
    HWND found = nullptr;
};

BOOL CALLBACK VisitTitle(HWND w, LPARAM data) {
    auto &s = *reinterpret_cast<TitleSearch *>(data);
    if (!IsWindowVisible(w)) return TRUE;
    wchar_t text[512];
    const int n = GetWindowTextW(w, text, int(std::size(text)));
    const size_t compared = s.wanted.size();
    if (s.prefix ? size_t(n) < compared : size_t(n) != compared) return TRUE;
    if (CompareStringOrdinal(text, int(compared), s.wanted.c_str(), int(compared), TRUE) !=
        CSTR_EQUAL)
        return TRUE;
    s.found = w;
    return FALSE;
}

// Keys for one program, sent by a thread of their own.
struct KeyJob {
    std::vector<Keystroke> strokes;
    DWORD pid;
    std::exception_ptr error;
};

DWORD WINAPI SendKeyJob(LPVOID data) {
    KeyJob &job = *static_cast<KeyJob *>(data);
    try {
        KeySender sender(true, job.pid);
        for (const Keystroke &k : job.strokes)
            sender.Add(k);
        sender.Finish();
    } catch (...) {
        job.error = std::current_exception();
    }
    return 0;
}

// ---- the windows of a started program ---------------------------------------------------

bool HasClass(HWND w, const wchar_t *name) {
    wchar_t text[16] = {};
    GetClassNameW(w, text, int(std::size(text)));
    return wcscmp(text, name) == 0;
}

// The first control of a dialog box that the Tab key stops at.
HWND FirstTabStop(HWND dialog) {
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongW(c, GWL_STYLE);
        if ((style & (WS_TABSTOP | WS_VISIBLE | WS_DISABLED)) == (WS_TABSTOP | WS_VISIBLE))
            return c;
    }
    return nullptr;
}

// A visible top-level window of class `className` that process `pid` shows.
HWND TopWindowOf(DWORD pid, const wchar_t *className) {
    for (HWND w = FindWindowExW(nullptr, nullptr, className, nullptr); w;
         w = FindWindowExW(nullptr, w, className, nullptr))
        if (ProcessOf(w) == pid && IsWindowVisible(w)) return w;
    return nullptr;
}

// What identifies `state` now (the windows involved), or nothing while the program is not in it.
std::pair<HWND, HWND> StateNow(DWORD pid, ProgramState state) {
    HWND active = GetForegroundWindow();
    if (!active || ProcessOf(active) != pid || !IsWindowVisible(active)) return {};
    const bool dialog = HasClass(active, L"#32770");
    switch (state) {
    case ProgramState::MainWindowActive:
        if (dialog || GetWindow(active, GW_OWNER)) return {};
        return {active, nullptr};
    case ProgramState::MenuOpen: {
        HWND menu = TopWindowOf(pid, L"#32768");
        if (dialog || GetWindow(active, GW_OWNER) || !menu) return {};
        return {active, menu};
    }
    case ProgramState::DialogActive: {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (!dialog || !GetGUIThreadInfo(GetWindowThreadProcessId(active, nullptr), &info))
            return {};
        HWND first = FirstTabStop(active);
        if (!first || !(info.hwndFocus == first || IsChild(first, info.hwndFocus))) return {};
        return {active, info.hwndFocus};
    }
    case ProgramState::Ended:
        break;
    }
    return {};
}

} // namespace

uint32_t Shell(const std::wstring &pathName, int windowStyle) {
    static const struct {
        int style;
        WORD show;
        bool focus;
    } kStyles[] = {{vbHide, SW_HIDE, false},
                   {vbNormalFocus, SW_SHOWNORMAL, true},
                   {vbMinimizedFocus, SW_SHOWMINIMIZED, true},
                   {vbMaximizedFocus, SW_SHOWMAXIMIZED, true},
                   {vbNormalNoFocus, SW_SHOWNOACTIVATE, false},
                   {vbMinimizedNoFocus, SW_SHOWMINNOACTIVE, false}};
    const auto *style = std::find_if(std::begin(kStyles), std::end(kStyles),
                                     [&](const auto &s) { return s.style == windowStyle; });
    std::wstring command(pathName.c_str()); // up to the first NUL
    if (style == std::end(kStyles) || command.find_first_not_of(L" \t") == std::wstring::npos)
        throw RuntimeError(kInvalidProcedureCall);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = style->show;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        const DWORD error = GetLastError();
        throw RuntimeError(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                               ? kFileNotFound
                               : kInvalidProcedureCall);
    }
    unique_handle process(started.hProcess), thread(started.hThread);
    if (style->focus) WaitForFocus(process.get(), started.dwProcessId);
    return started.dwProcessId;
}

void AppActivate(const std::wstring &title) {
    const std::wstring wanted(title.c_str());
    HWND found = nullptr;
    for (bool prefix : {false, true}) {
        TitleSearch search{wanted, prefix};
        if (!wanted.empty()) EnumWindows(VisitTitle, reinterpret_cast<LPARAM>(&search));
        if ((found = search.found)) break;
    }
    if (!found) throw RuntimeError(kInvalidProcedureCall);
    if (IsIconic(found)) ShowWindow(found, SW_RESTORE);
    SetForegroundWindow(found);
}

void WaitForProgram(uint32_t taskId, ProgramState state, uint32_t timeoutMs) {
    // How long a window state must hold: the focus events of a window just activated can
    // come later than its activation, and Wine takes the held keys afresh with them, so an
    // Alt sent before them would be dropped.
    constexpr ULONGLONG kSteadyMs = 400;
    unique_handle process(OpenProcess(SYNCHRONIZE, FALSE, taskId));
    if (!process) { // gone already
        if (state == ProgramState::Ended) return;
        throw RuntimeError(kInvalidProcedureCall);
    }
    const ULONGLONG start = GetTickCount64();
    ULONGLONG since = start;
    std::pair<HWND, HWND> seen{};
    HANDLE h = process.get();
    for (;;) {
        const bool ended = WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
        if (state == ProgramState::Ended && ended) return;
        if (ended) break;
        if (state != ProgramState::Ended) {
            const ULONGLONG now = GetTickCount64();
            if (const std::pair<HWND, HWND> windows = StateNow(taskId, state); windows != seen) {
                seen = windows;
                since = now;
            } else if (seen.first && now - since >= kSteadyMs) {
                return;
            }
        }
        if (GetTickCount64() - start >= timeoutMs) break;
        if (MsgWaitForMultipleObjects(1, &h, FALSE, 10, QS_SENDMESSAGE) != WAIT_OBJECT_0)
            AnswerSentMessages();
    }
    throw RuntimeError(kInvalidProcedureCall);
}

void SendKeysTo(uint32_t taskId, const std::wstring &keys) {
    KeyJob job{ParseKeys(keys.c_str()), taskId, nullptr}; // a broken string: nothing sent
    unique_handle thread(CreateThread(nullptr, 0, SendKeyJob, &job, 0, nullptr));
    if (!thread) throw RuntimeError(kOutOfMemory);
    HANDLE h = thread.get();
    while (MsgWaitForMultipleObjects(1, &h, FALSE, INFINITE, QS_SENDMESSAGE) != WAIT_OBJECT_0)
        AnswerSentMessages();
    if (job.error) std::rethrow_exception(job.error);
}

void SendKeys(const std::wstring &keys, bool wait) {
    const std::vector<Keystroke> strokes = ParseKeys(keys.c_str()); // up to the first NUL
    KeySender sender(wait);
    for (const Keystroke &k : strokes)
        sender.Add(k);
    sender.Finish();
}

} // namespace mirolt::platform
