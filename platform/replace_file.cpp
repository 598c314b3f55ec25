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

// What the new file takes over from the old one (a read-only one is never replaced).
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

struct Target {
    std::wstring path; // full, links followed
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
};

// The file that the full path `name` stands for. Replacing a link would leave the file it
// leads to as it was, so the target is where the links finally lead, and the temporary file
// goes into that file's folder, where renaming it is one step.
DWORD FindTarget(const std::wstring &name, Target &target) {
    const std::wstring system = SystemPath(name);
    unique_hfile file(CreateFileW(system.c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) return error;
        // A new file, unless a link that leads nowhere holds the name (creating the name
        // itself fails then). Such a link is refused: replacing it would lose the link, and
        // following it would create a file in a place nobody chose. The probe goes again as
        // it is closed.
        unique_hfile probe(
            CreateFileW(system.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (probe.get() == INVALID_HANDLE_VALUE) return GetLastError();
        target = {name, FILE_ATTRIBUTE_NORMAL};
        return ERROR_SUCCESS;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.get(), &info)) return GetLastError();
    if (info.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
        return ERROR_ACCESS_DENIED;
    // Where the system cannot tell, the name is written as it is.
    target.path = FinalPathName(file.get());
    if (target.path.empty()) target.path = name;
    target.attributes = info.dwFileAttributes & kKeptAttributes;
    if (!target.attributes) target.attributes = FILE_ATTRIBUTE_NORMAL;
    return ERROR_SUCCESS;
}

// A new, empty file in `folder` under a name of our own making: "mrt", eight hex digits,
// ".tmp". The name is built here rather than by GetTempFileName, whose result must fit in
// MAX_PATH characters and which does not check that the folder does.
DWORD CreateTemporaryFile(const std::wstring &folder, DWORD attributes, unique_hfile &file,
                          std::wstring &path) {
    static std::atomic<uint32_t> counter{GetTickCount() ^ (GetCurrentProcessId() << 16)};
    for (int attempt = 0;; ++attempt) {
        wchar_t name[16];
        std::swprintf(name, std::size(name), L"\\mrt%08x.tmp", unsigned(counter++));
        path = folder + name;
        file.reset(CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               attributes, nullptr));
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
    Target target;
    if (const DWORD error = FindTarget(name, target)) return error;
    const size_t slash = target.path.find_last_of(L'\\');
    if (slash == std::wstring::npos) return ERROR_INVALID_NAME;

    unique_hfile file(INVALID_HANDLE_VALUE);
    std::wstring temporary;
    if (const DWORD error =
            CreateTemporaryFile(target.path.substr(0, slash), target.attributes, file, temporary))
        return error;
    DWORD error = WriteAll(file.get(), static_cast<const uint8_t *>(data), size);
    if (!error && !FlushFileBuffers(file.get())) error = GetLastError();
    if (!CloseHandle(file.release()) && !error) error = GetLastError();
    if (!error && !MoveFileExW(SystemPath(temporary).c_str(), SystemPath(target.path).c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = GetLastError();
    if (error) DeleteFileW(SystemPath(temporary).c_str());
    return error;
}

void FailWritesAfterForTesting(std::optional<uint64_t> bytes) {
    g_failWritesAfter = bytes;
}

} // namespace mirolt::platform
