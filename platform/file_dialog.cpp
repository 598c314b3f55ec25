#include "file_dialog.h"

#include "dialog_filter.h"
#include "dialog_path.h"
#include "paths.h"
#include "shell_folders.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <utility>
#include <vector>

namespace mirolt::platform {
namespace {

// Wine 8's file dialogs copy the folder, the name typed and their join (or the full path a
// drive-relative name stands for) into buffers of MAX_PATH characters without a check: a
// longer path overruns the stack when OK is pressed (and a longer initial folder or name
// is dropped when the dialog opens). Paths from this length on are kept away from them,
// with room for what the dialog adds to a path.
constexpr size_t kLongestForDialog = MAX_PATH - 16;

// Asks a file dialog for its browser, which goes to a folder given as an item list; the
// dialog keeps the reference.
constexpr UINT kGetShellBrowser = WM_USER + 7;

// One showing of a dialog: where it is to start when the dialog could not be told, and a
// name the dialog could not take, chosen and taken here.
struct Showing {
    std::wstring startFolder;
    std::wstring startName;
    std::optional<std::wstring> taken;
    int filterIndex = 1;
};

std::wstring WindowText(HWND window) {
    std::wstring text(size_t(std::max(GetWindowTextLengthW(window), 0)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

HWND NameBox(HWND dialog) {
    HWND box = GetDlgItem(dialog, cmb13);
    return box && IsWindowVisible(box) ? box : GetDlgItem(dialog, edt1);
}

// The folder the dialog shows, at any length; empty when it has no file-system path.
std::wstring DialogFolder(HWND dialog) {
    const LRESULT needed = SendMessageW(dialog, CDM_GETFOLDERPATH, 0, 0);
    if (needed <= 1) return {};
    if (size_t(needed) < MAX_PATH) {
        std::wstring folder(size_t(needed), L'\0');
        SendMessageW(dialog, CDM_GETFOLDERPATH, WPARAM(folder.size()),
                     reinterpret_cast<LPARAM>(folder.data()));
        folder.resize(wcsnlen(folder.c_str(), folder.size()));
        return folder;
    }
    // Cut short at MAX_PATH characters: the folder's item list names it whole.
    const LRESULT size = SendMessageW(dialog, CDM_GETFOLDERIDLIST, 0, 0);
    if (size <= 0) return {};
    std::vector<BYTE> list(size_t(size) + sizeof(USHORT), 0);
    SendMessageW(dialog, CDM_GETFOLDERIDLIST, WPARAM(size), reinterpret_cast<LPARAM>(list.data()));
    return PathOfFolderItem(reinterpret_cast<const ITEMIDLIST *>(list.data()));
}

// Makes the dialog show the folder `path`, at any length.
bool GoToFolder(HWND dialog, const std::wstring &path) {
    auto *browser = reinterpret_cast<IShellBrowser *>(SendMessageW(dialog, kGetShellBrowser, 0, 0));
    const unique_item_list folder = browser ? FolderItemOfPath(path) : nullptr;
    return folder && SUCCEEDED(browser->BrowseObject(folder.get(), SBSP_ABSOLUTE));
}

bool IsFolder(const std::wstring &fullPath) {
    const DWORD attributes = GetFileAttributesW(SystemPath(fullPath).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool SameText(const std::wstring &a, const std::wstring &b) {
    return CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// A name with a wildcard, too long for the dialog, filters the list as a short one does:
// the dialog goes to the folder it names, and is given the pattern alone.
LRESULT FilterBy(HWND dialog, const std::wstring &fullPath, WPARAM wParam, LPARAM lParam) {
    const size_t slash = fullPath.find_last_of(L'\\');
    const std::wstring folder = fullPath.substr(0, slash);
    const std::wstring pattern = fullPath.substr(slash + 1);
    if (!SameText(folder, DialogFolder(dialog)) && !GoToFolder(dialog, folder + L"\\")) {
        MessageBeep(MB_ICONWARNING);
        return 0;
    }
    SetWindowTextW(NameBox(dialog), pattern.c_str());
    // The dialog now shows the pattern's folder, which it may not be able to join the pattern
    // to: then the pattern waits there.
    if (fullPath.size() >= kLongestForDialog) {
        MessageBeep(MB_ICONWARNING);
        return 0;
    }
    return DefSubclassProc(dialog, WM_COMMAND, wParam, lParam);
}

// OK of the file dialog (a click, Enter, or a double-click in the list). Every name is
// judged by the full path it stands for: one that the dialog could not take is taken here —
// a file ends the dialog, a folder is gone into, a pattern filters the list; a name whose
// path cannot be known is refused with a beep; every other name is the dialog's own.
LRESULT CALLBACK GuardOk(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                         DWORD_PTR data) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(dialog, GuardOk, id);
    if (message != WM_COMMAND || LOWORD(wParam) != IDOK)
        return DefSubclassProc(dialog, message, wParam, lParam);
    HWND box = NameBox(dialog);
    const std::wstring typed = box ? WindowText(box) : std::wstring();
    if (typed.empty()) return DefSubclassProc(dialog, message, wParam, lParam);

    const std::wstring folder = DialogFolder(dialog);
    // What the dialog would join, and the full path it stands for: a drive-relative name
    // ("Z:name") is resolved against that drive's current folder.
    const std::optional<std::wstring> joined = PathTypedInDialog(folder, typed);
    const std::wstring full = joined ? FullPathName(*joined) : std::wstring();
    const bool fits = folder.size() < kLongestForDialog && typed.size() < kLongestForDialog &&
                      (!joined || (joined->size() < kLongestForDialog && !full.empty() &&
                                   full.size() < kLongestForDialog));
    if (fits) return DefSubclassProc(dialog, message, wParam, lParam);
    if (full.empty()) {
        MessageBeep(MB_ICONWARNING);
        return 0;
    }
    if (full.find_first_of(L"*?", full.find_last_of(L'\\') + 1) != std::wstring::npos)
        return FilterBy(dialog, full, wParam, lParam);
    if (IsFolder(full)) {
        if (GoToFolder(dialog, full))
            SetWindowTextW(box, L"");
        else
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

// The hook's dialog is a child of the file dialog, which it watches from its start; once the
// dialog is ready, it goes where it could not be told to start.
UINT_PTR CALLBACK Hook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto *ofn = reinterpret_cast<const OPENFILENAMEW *>(lParam);
        SetWindowSubclass(GetParent(hook), GuardOk, 0, DWORD_PTR(ofn->lCustData));
    } else if (message == WM_NOTIFY &&
               reinterpret_cast<const NMHDR *>(lParam)->code == CDN_INITDONE) {
        const auto *notice = reinterpret_cast<const OFNOTIFYW *>(lParam);
        const auto *showing = reinterpret_cast<const Showing *>(notice->lpOFN->lCustData);
        HWND dialog = GetParent(hook);
        if (!showing->startFolder.empty()) GoToFolder(dialog, showing->startFolder);
        if (!showing->startName.empty())
            SetWindowTextW(NameBox(dialog), showing->startName.c_str());
    }
    return 0;
}

} // namespace

std::optional<FileDialogResult> ShowFileDialog(const FileDialogRequest &r) {
    const std::wstring filter = Win32FilterFromPipes(r.filter);
    Showing showing;
    showing.filterIndex = r.filterIndex;
    // A starting name or folder too long for the dialog: the folder is gone to, and the
    // name put into its box, once the dialog is up.
    std::wstring start = r.fileName;
    std::wstring initDir = r.initDir;
    if (start.size() >= kLongestForDialog) {
        const size_t slash = start.find_last_of(L"\\/");
        if (slash != std::wstring::npos) {
            initDir = start.substr(0, slash + 1);
            start.erase(0, slash + 1);
        }
        if (start.size() >= kLongestForDialog) showing.startName = std::exchange(start, L"");
    }
    // A folder in the starting name comes before the initial folder, as in the dialog itself.
    if (initDir.size() >= kLongestForDialog) {
        if (start.find_first_of(L"\\/:") == std::wstring::npos) showing.startFolder = initDir;
        initDir.clear();
    }
    std::wstring buffer = start;
    buffer.resize(std::max<size_t>(buffer.size() + 1, 32768), L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = GetActiveWindow();
    ofn.lpstrFilter = r.filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = DWORD(r.filterIndex);
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = DWORD(buffer.size());
    ofn.lpstrTitle = r.title.empty() ? nullptr : r.title.c_str();
    ofn.lpstrInitialDir = initDir.empty() ? nullptr : initDir.c_str();
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
