#include "drive_lists.h"

#include "errors.h"
#include "files.h"
#include "list_boxes.h"
#include "paths.h"
#include "vb_error.h"

#include <algorithm>
#include <cwctype>

namespace mirolt::platform {
namespace {

// Room below the drive list for its dropped list, in pixels.
constexpr int kDroppedListHeight = 160;

bool LessNoCase(const std::wstring &a, const std::wstring &b) {
    return CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) ==
           CSTR_LESS_THAN;
}

std::wstring FullPath(const std::wstring &path) {
    std::wstring full = FullPathName(path);
    if (full.empty()) throw RuntimeError(DriveErrorNumber(GetLastError()));
    return full;
}

std::wstring CurrentDirectory() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::wstring dir(size, L'\0');
    dir.resize(GetCurrentDirectoryW(size, dir.data()));
    return dir;
}

bool IsDriveSpec(const std::wstring &path) {
    return path.size() >= 2 && std::iswalpha(path[0]) && path[1] == L':' &&
           (path.size() == 2 || path[2] == L' ');
}

bool IsRoot(const std::wstring &path) {
    return path.size() == 3 && path[1] == L':' && path[2] == L'\\';
}

// The full path of a folder that exists and can be listed, with the folder's error raised
// otherwise; no backslash at its end but at a drive's root.
std::wstring ReadableFolder(const std::wstring &path) {
    std::wstring full;
    if (path.empty()) {
        full = CurrentDirectory();
    } else if (IsDriveSpec(path)) {
        const std::wstring drive = path.substr(0, 2);
        if (GetDriveTypeW((drive + L"\\").c_str()) == DRIVE_NO_ROOT_DIR)
            throw RuntimeError(kDeviceUnavailable);
        full = FullPath(drive); // that drive's current directory
    } else {
        full = FullPath(path);
    }
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/'))
        full.pop_back();
    if (full.size() == 2 && full[1] == L':') full += L'\\';
    if (IsRoot(full) && GetDriveTypeW(full.c_str()) == DRIVE_NO_ROOT_DIR)
        throw RuntimeError(kDeviceUnavailable);

    const DWORD attributes = GetFileAttributesW(SystemPath(full).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) throw RuntimeError(DriveErrorNumber(GetLastError()));
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) throw RuntimeError(kPathNotFound);
    // A folder that exists but cannot be listed (no access, no medium behind the name).
    WIN32_FIND_DATAW data;
    const std::wstring all = full + (IsRoot(full) ? L"*" : L"\\*");
    HANDLE find = FindFirstFileW(SystemPath(all).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES)
            throw RuntimeError(DriveErrorNumber(error));
    } else {
        FindClose(find);
    }
    return full;
}

std::wstring Join(const std::wstring &folder, const std::wstring &name) {
    return IsRoot(folder) ? folder + name : folder + L"\\" + name;
}

} // namespace

int DriveErrorNumber(DWORD systemError) {
    switch (systemError) {
    case ERROR_NOT_READY:
        return kDiskNotReady;
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_UNIT:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_NETPATH:
    case ERROR_UNRECOGNIZED_VOLUME:
        return kDeviceUnavailable;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return kPathFileAccessError;
    default:
        return kPathNotFound;
    }
}

// ---- DriveListBox ----

DriveListBox::DriveListBox(Container &parent, std::wstring name, const Design &d)
    : Control(parent, std::move(name)) {
    Create(WindowClass::ComboBox, CBS_DROPDOWNLIST | WS_VSCROLL, 0, L"", d);
    SetWindowPos(hwnd_, nullptr, 0, 0, rect_.right - rect_.left,
                 rect_.bottom - rect_.top + kDroppedListHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Fill();
    const std::wstring current = CurrentDirectory();
    chosen_ = current.size() >= 2 && current[1] == L':' ? IndexOfLetter(current[0]) : -1;
    SendMessageW(hwnd_, CB_SETCURSEL, WPARAM(chosen_), 0);
}

void DriveListBox::Fill() {
    SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
    const DWORD size = GetLogicalDriveStringsW(0, nullptr);
    std::wstring roots(size + 1, L'\0');
    roots.resize(GetLogicalDriveStringsW(size, roots.data()));
    for (const wchar_t *root = roots.c_str(); *root; root += wcslen(root) + 1) {
        std::wstring item{wchar_t(std::towlower(root[0])), L':'};
        // Only a fixed drive is asked for its label: asking an empty floppy or CD drive
        // waits for the medium.
        wchar_t label[MAX_PATH + 1] = {};
        if (GetDriveTypeW(root) == DRIVE_FIXED &&
            GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr,
                                  0) &&
            label[0])
            item += std::wstring(L" [") + label + L"]";
        SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
}

int DriveListBox::IndexOfLetter(wchar_t letter) const {
    letter = wchar_t(std::towlower(letter));
    for (int i = 0; i < ListCount(); ++i)
        if (List(i)[0] == letter) return i;
    return -1;
}

std::wstring DriveListBox::Drive() const {
    return chosen_ < 0 ? std::wstring() : List(chosen_);
}

void DriveListBox::SetDrive(const std::wstring &drive) {
    if (drive.empty() || !std::iswalpha(drive[0])) throw RuntimeError(kDeviceUnavailable);
    int index = IndexOfLetter(drive[0]);
    if (index < 0) {
        Refresh(); // a drive may have come since the list was read
        index = IndexOfLetter(drive[0]);
    }
    if (index < 0) throw RuntimeError(kDeviceUnavailable);
    SetListIndex(index);
}

int DriveListBox::ListCount() const {
    return int(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0));
}

std::wstring DriveListBox::List(int index) const {
    return ItemText(hwnd_, CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
}

int DriveListBox::ListIndex() const {
    return chosen_;
}

void DriveListBox::SetListIndex(int index) {
    if (index < 0 || index >= ListCount()) throw RuntimeError(kInvalidPropertyValue);
    SendMessageW(hwnd_, CB_SETCURSEL, WPARAM(index), 0);
    if (index == chosen_) return;
    chosen_ = index;
    Change();
}

void DriveListBox::Refresh() {
    const std::wstring drive = Drive();
    Fill();
    chosen_ = drive.empty() ? -1 : IndexOfLetter(drive[0]);
    SendMessageW(hwnd_, CB_SETCURSEL, WPARAM(chosen_), 0);
}

bool DriveListBox::OnNotify(UINT msg, WPARAM wp, LPARAM, LRESULT &result) {
    if (msg != WM_COMMAND || HIWORD(wp) != CBN_SELCHANGE) return false;
    result = 0;
    const int index = int(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0));
    if (index >= 0 && index != chosen_) {
        chosen_ = index;
        Change();
    }
    return true;
}

// ---- DirListBox ----

DirListBox::DirListBox(Container &parent, std::wstring name, const Design &d)
    : Control(parent, std::move(name)) {
    Create(WindowClass::ListBox, LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL, WS_EX_CLIENTEDGE,
           L"", d);
    path_ = ReadableFolder(L"");
    Fill();
}

void DirListBox::SetPath(const std::wstring &path) {
    const std::wstring full = ReadableFolder(path);
    const bool changed = CompareStringOrdinal(full.c_str(), int(full.size()), path_.c_str(),
                                              int(path_.size()), TRUE) != CSTR_EQUAL;
    path_ = full;
    Fill();
    if (changed) Change();
}

void DirListBox::Refresh() {
    Fill();
}

void DirListBox::Fill() {
    ancestors_.clear();
    subfolders_.clear();
    listIndex_ = -1;
    // The root, then each folder down to the path.
    std::wstring walk = path_.substr(0, 3);
    ancestors_.push_back(walk);
    for (size_t start = 3; start < path_.size();) {
        size_t end = path_.find(L'\\', start);
        if (end == std::wstring::npos) end = path_.size();
        walk = Join(walk, path_.substr(start, end - start));
        ancestors_.push_back(walk);
        start = end + 1;
    }
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(SystemPath(Join(path_, L"*")).c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
                (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) ||
                name == L"." || name == L"..")
                continue;
            subfolders_.push_back(Join(path_, name));
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    std::sort(subfolders_.begin(), subfolders_.end(), LessNoCase);

    SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
    auto add = [this](size_t depth, const std::wstring &full) {
        const size_t slash = full.find_last_of(L'\\', full.size() - 2);
        const std::wstring shown =
            IsRoot(full) ? full : full.substr(slash == std::wstring::npos ? 0 : slash + 1);
        const std::wstring row = std::wstring(depth * 2, L' ') + shown;
        SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    };
    for (size_t i = 0; i < ancestors_.size(); ++i)
        add(i, ancestors_[i]);
    for (const std::wstring &folder : subfolders_)
        add(ancestors_.size(), folder);
    SendMessageW(hwnd_, LB_SETCURSEL, WPARAM(RowOf(-1)), 0);
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

int DirListBox::RowOf(int index) const {
    return int(ancestors_.size()) + index;
}

std::wstring DirListBox::List(int index) const {
    if (index >= 0) return index < ListCount() ? subfolders_[size_t(index)] : std::wstring();
    const int row = RowOf(index);
    return row >= 0 ? ancestors_[size_t(row)] : std::wstring();
}

void DirListBox::SetListIndex(int index) {
    const int row = RowOf(index);
    if (row < 0 || index >= ListCount()) throw RuntimeError(kInvalidPropertyValue);
    SendMessageW(hwnd_, LB_SETCURSEL, WPARAM(row), 0);
    if (index == listIndex_) return;
    listIndex_ = index;
    Click();
}

bool DirListBox::OnNotify(UINT msg, WPARAM wp, LPARAM, LRESULT &result) {
    if (msg != WM_COMMAND) return false;
    const int row = int(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0));
    if (row < 0) return false;
    const int index = row - int(ancestors_.size());
    if (HIWORD(wp) == LBN_SELCHANGE) {
        if (index != listIndex_) {
            listIndex_ = index;
            Click();
        }
    } else if (HIWORD(wp) == LBN_DBLCLK) {
        SetPath(List(index)); // opening a folder: the list shows it and its subfolders
    } else {
        return false;
    }
    result = 0;
    return true;
}

// ---- FileListBox ----

FileListBox::FileListBox(Container &parent, std::wstring name, const Design &d)
    : ListBox(parent, std::move(name),
              {.place = d.place,
               .font = d.font,
               .visible = d.visible,
               .enabled = d.enabled,
               .tabStop = d.tabStop,
               .tabIndex = d.tabIndex}),
      pattern_(d.pattern) {
    path_ = ReadableFolder(L"");
    Fill();
}

void FileListBox::SetPath(const std::wstring &path) {
    path_ = ReadableFolder(path);
    Fill();
}

void FileListBox::SetPattern(const std::wstring &pattern) {
    pattern_ = pattern;
    Fill();
}

void FileListBox::Refresh() {
    Fill();
}

void FileListBox::Fill() {
    std::vector<std::wstring> names;
    for (size_t start = 0; start <= pattern_.size();) {
        size_t end = pattern_.find(L';', start);
        if (end == std::wstring::npos) end = pattern_.size();
        const std::wstring one = pattern_.substr(start, end - start);
        if (!one.empty())
            for (std::wstring &name : ListFiles(Join(path_, one)))
                names.push_back(std::move(name));
        start = end + 1;
    }
    std::sort(names.begin(), names.end(), LessNoCase);
    names.erase(std::unique(names.begin(), names.end(),
                            [](const std::wstring &a, const std::wstring &b) {
                                return !LessNoCase(a, b) && !LessNoCase(b, a);
                            }),
                names.end());
    SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
    for (const std::wstring &name : names)
        SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

} // namespace mirolt::platform
