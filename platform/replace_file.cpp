#include "replace_file.h"

#include "handles.h"
#include "paths.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cwchar>

namespace mirolt::platform {
namespace {

std::optional<uint64_t> g_failWritesAfter;

// The file that the full path `name` stands for; a read-only file is not ours to replace, nor
// is a folder.
DWORD FindTarget(const std::wstring &name, std::wstring &target) {
    const DWORD attributes = GetFileAttributesW(SystemPath(name).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return ERROR_ACCESS_DENIED;
    target = name;
    return ERROR_SUCCESS;
}

// A new, empty file in `folder` under a name of our own making: "mrt", eight hex digits,
// ".tmp". The name is built here rather than by GetTempFileName, whose result must fit in
// MAX_PATH characters and which does not check that the folder does.
DWORD CreateTemporaryFile(const std::wstring &folder, unique_hfile &file, std::wstring &path) {
    static std::atomic<uint32_t> counter{GetTickCount() ^ (GetCurrentProcessId() << 16)};
    for (int attempt = 0;; ++attempt) {
        wchar_t name[16];
        std::swprintf(name, std::size(name), L"\\mrt%08x.tmp", unsigned(counter++));
        path = folder + name;
        file.reset(CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() != INVALID_HANDLE_VALUE) return ERROR_SUCCESS;
        const DWORD error = GetLastError();
        if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt == 100)
            return error;
    }
}

DWORD WriteAll(HANDLE file, const uint8_t *data, size_t size) {
    size_t done = 0;
    while (done < size) {
        size_t chunk = std::min<size_t>(size - done, 1u << 30);
        if (g_failWritesAfter) chunk = std::min<size_t>(chunk, *g_failWritesAfter - done);
        DWORD put = 0;
        if (chunk == 0) return ERROR_DISK_FULL;
        if (!WriteFile(file, data + done, DWORD(chunk), &put, nullptr)) return GetLastError();
        if (put == 0) return ERROR_DISK_FULL;
        done += put;
    }
    return ERROR_SUCCESS;
}

} // namespace

uint32_t ReplaceWholeFile(const std::wstring &path, const void *data, size_t size) {
    const std::wstring name = FullPathName(path);
    if (name.empty()) return GetLastError();
    std::wstring target;
    if (const DWORD error = FindTarget(name, target)) return error;
    const size_t slash = target.find_last_of(L'\\');
    if (slash == std::wstring::npos) return ERROR_INVALID_NAME;

    unique_hfile file(INVALID_HANDLE_VALUE);
    std::wstring temporary;
    if (const DWORD error = CreateTemporaryFile(target.substr(0, slash), file, temporary))
        return error;
    DWORD error = WriteAll(file.get(), static_cast<const uint8_t *>(data), size);
    if (!error && !FlushFileBuffers(file.get())) error = GetLastError();
    if (!CloseHandle(file.release()) && !error) error = GetLastError();
    if (!error && !MoveFileExW(SystemPath(temporary).c_str(), SystemPath(target).c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error) DeleteFileW(SystemPath(temporary).c_str());
    return error;
}

void FailWritesAfterForTesting(std::optional<uint64_t> bytes) {
    g_failWritesAfter = bytes;
}

} // namespace mirolt::platform
