#pragma once
// Folders whose paths are longer than the system's classic limit, for the tests of long
// paths (Wine takes such paths without the "\\?\" form; its shell does not).
#include <windows.h>

#include <algorithm>
#include <string>

namespace mirolt::test {

// Creates the folder `base` and in it nested folders of at most 100 characters each, so
// that the innermost one's path is exactly `length` characters long; returns that path.
inline std::wstring MakeFolderOfLength(std::wstring base, size_t length) {
    CreateDirectoryW(base.c_str(), nullptr);
    while (base.size() + 1 < length) {
        const size_t room = length - base.size() - 1;
        size_t part = std::min<size_t>(room, 100);
        if (room - part == 1) --part; // the next part needs a backslash and a character
        base += L"\\" + std::wstring(part, L'd');
        CreateDirectoryW(base.c_str(), nullptr);
    }
    return base;
}

// Calls `visit(path, isFolder)` for each entry of `folder` but "." and "..".
template <class Visit> void ForEachEntry(const std::wstring &folder, Visit visit) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            visit(folder + L"\\" + name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

inline size_t EntriesIn(const std::wstring &folder) {
    size_t count = 0;
    ForEachEntry(folder, [&count](const std::wstring &, bool) { ++count; });
    return count;
}

// Removes `folder` with everything in it, read-only files and long paths included.
inline void RemoveTree(const std::wstring &folder) {
    ForEachEntry(folder, [](const std::wstring &path, bool isFolder) {
        if (isFolder) return RemoveTree(path);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    });
    RemoveDirectoryW(folder.c_str());
}

} // namespace mirolt::test
