#include "replace_file.h"

#include "handles.h"
#include "paths.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cwchar>

namespace mirolt::platform {
namespace {

// A new, empty file in `folder` under a name of our own making: "mrt", eight hex digits,
// ".tmp". The name is built here rather than by GetTempFileName, whose result must fit in
// MAX_PATH characters and which does not check that the folder does.
unique_hfile CreateTemporaryFile(const std::wstring &folder, std::wstring &path) {
    static std::atomic<uint32_t> counter{GetTickCount() ^ (GetCurrentProcessId() << 16)};
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t name[16];
        std::swprintf(name, std::size(name), L"\\mrt%08x.tmp", unsigned(counter++));
        path = folder + name;
        HANDLE file = CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) return unique_hfile(file);
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    path.clear();
    return unique_hfile(INVALID_HANDLE_VALUE);
}

bool WriteAll(HANDLE file, const uint8_t *data, size_t size) {
    while (size > 0) {
        const DWORD chunk = DWORD(std::min<size_t>(size, 1u << 30));
        DWORD done = 0;
        if (!WriteFile(file, data, chunk, &done, nullptr) || done == 0) return false;
        data += done;
        size -= done;
    }
    return true;
}

} // namespace

bool ReplaceFileContents(const std::wstring &path, const uint8_t *data, size_t size) {
    const std::wstring target = FullPathName(path);
    const size_t slash = target.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 == target.size()) return false;
    const std::wstring system = SystemPath(target);
    // A read-only file is not ours to replace, nor is a folder.
    const DWORD attributes = GetFileAttributesW(system.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;

    std::wstring temporary;
    unique_hfile file = CreateTemporaryFile(target.substr(0, slash), temporary);
    if (file.get() == INVALID_HANDLE_VALUE) return false;
    bool written = WriteAll(file.get(), data, size) && FlushFileBuffers(file.get());
    written = CloseHandle(file.release()) && written;
    if (written && MoveFileExW(SystemPath(temporary).c_str(), system.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(SystemPath(temporary).c_str());
    return false;
}

} // namespace mirolt::platform
