#include "file_dialog.h"

#include "dialog_filter.h"
#include "dialog_path.h"
#include "paths.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cwchar>

namespace mirolt::platform {
namespace {

// Wine 8's file dialogs copy the folder, the name typed and their join into buffers of
// MAX_PATH characters without a check: a longer path overruns the stack when OK is pressed
// (and a longer initial folder when the dialog opens). Paths from this length on are kept
// away from them, with room for what the dialog adds to a path.
constexpr size_t kLongestForDialog = MAX_PATH - 16;

// One showing of a dialog: a name the dialog could not take, chosen and taken here.
struct Showing {
    std::optional<std::wstring> taken;
    int filterIndex = 1;
};

std::wstring WindowText(HWND window) {
    std::wstring text(size_t(std::max(GetWindowTextLengthW(window), 0)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

// The folder the dialog shows. Empty when it has no file-system path; `tooLong` when its
// path may have been cut short at MAX_PATH characters (Wine's shell cuts it there).
std::wstring DialogFolder(HWND dialog, bool &tooLong) {
    tooLong = false;
    const LRESULT needed = SendMessageW(dialog, CDM_GETFOLDERPATH, 0, 0);
    if (needed <= 1) return {};
    if (size_t(needed) >= MAX_PATH) {
        tooLong = true;
        return {};
    }
    std::wstring folder(size_t(needed), L'\0');
    SendMessageW(dialog, CDM_GETFOLDERPATH, WPARAM(folder.size()),
                 reinterpret_cast<LPARAM>(folder.data()));
    folder.resize(wcsnlen(folder.c_str(), folder.size()));
    return folder;
}

// OK of the file dialog (a click, Enter, or a double-click in the list): a name whose path
// would overrun the dialog is taken here and ends the dialog; one whose path cannot be
// known, or that names a folder, is refused with a beep; every other name is the dialog's
// own.
LRESULT CALLBACK GuardOk(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                         DWORD_PTR data) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(dialog, GuardOk, id);
    if (message != WM_COMMAND || LOWORD(wParam) != IDOK)
        return DefSubclassProc(dialog, message, wParam, lParam);
    HWND box = GetDlgItem(dialog, cmb13);
    if (!box || !IsWindowVisible(box)) box = GetDlgItem(dialog, edt1);
    const std::wstring typed = box ? WindowText(box) : std::wstring();
    if (typed.empty()) return DefSubclassProc(dialog, message, wParam, lParam);

    bool folderTooLong = false;
    const std::wstring folder = DialogFolder(dialog, folderTooLong);
    const std::optional<std::wstring> path = PathTypedInDialog(folder, typed);
    const bool fits = typed.size() < kLongestForDialog &&
                      (path ? path->size() < kLongestForDialog : !folderTooLong);
    if (fits) return DefSubclassProc(dialog, message, wParam, lParam);
    // A folder typed is one the dialog would go into, which it cannot at that length.
    const std::wstring full = path ? FullPathName(*path) : std::wstring();
    const DWORD attributes = full.empty() ? 0 : GetFileAttributesW(SystemPath(full).c_str());
    if (full.empty() ||
        (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))) {
        MessageBeep(MB_ICONWARNING);
        return 0;
    }
    auto *showing = reinterpret_cast<Showing *>(data);
    showing->taken = full;
    const LRESULT filter = SendDlgItemMessageW(dialog, cmb1, CB_GETCURSEL, 0, 0);
    if (filter != CB_ERR) showing->filterIndex = int(filter) + 1;
    EndDialog(dialog, IDCANCEL);
    return 0;
}

// The hook's dialog is a child of the file dialog, which it watches from its start.
UINT_PTR CALLBACK Hook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto *ofn = reinterpret_cast<const OPENFILENAMEW *>(lParam);
        SetWindowSubclass(GetParent(hook), GuardOk, 0, DWORD_PTR(ofn->lCustData));
    }
    return 0;
}

} // namespace

std::optional<FileDialogResult> ShowFileDialog(const FileDialogRequest &r) {
    const std::wstring filter = Win32FilterFromPipes(r.filter);
    std::wstring buffer = r.fileName;
    buffer.resize(std::max<size_t>(buffer.size() + 1, 32768), L'\0');
    Showing showing;
    showing.filterIndex = r.filterIndex;
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = GetActiveWindow();
    ofn.lpstrFilter = r.filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = DWORD(r.filterIndex);
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = DWORD(buffer.size());
    ofn.lpstrTitle = r.title.empty() ? nullptr : r.title.c_str();
    // A folder too long for the dialog is left out: it then starts where it would without one.
    ofn.lpstrInitialDir =
        r.initDir.empty() || r.initDir.size() >= kLongestForDialog ? nullptr : r.initDir.c_str();
    ofn.lCustData = LPARAM(&showing);
    ofn.lpfnHook = Hook;
    // Flags that change what the call returns or how it is built are not the caller's.
    constexpr DWORD kNotPassed =
        OFN_ALLOWMULTISELECT | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE;
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_ENABLESIZING |
                (DWORD(r.flags) & ~kNotPassed);
    const BOOL ok = r.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (showing.taken) return FileDialogResult{*showing.taken, showing.filterIndex};
    if (!ok) return std::nullopt;
    return FileDialogResult{buffer.c_str(), int(ofn.nFilterIndex)};
}

} // namespace mirolt::platform
