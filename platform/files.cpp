#include "files.h"

#include "ansi.h"
#include "handles.h"
#include "vb_error.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string_view>

namespace mirolt::platform {
namespace {

[[noreturn]] void RaiseFileError(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        throw RuntimeError(kFileNotFound);
    case ERROR_PATH_NOT_FOUND:
        throw RuntimeError(kPathNotFound);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
        throw RuntimeError(kBadFileNameOrNumber);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        throw RuntimeError(kDiskFull);
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        throw RuntimeError(kOutOfMemory);
    default: // access denied, a folder, a sharing violation, ...
        throw RuntimeError(kPathFileAccessError);
    }
}

unique_hfile Open(const std::wstring &path, bool write) {
    if (path.empty()) throw RuntimeError(kPathFileAccessError);
    HANDLE h = CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                           FILE_SHARE_READ | (write ? 0 : FILE_SHARE_WRITE), nullptr,
                           write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) RaiseFileError(GetLastError());
    return unique_hfile(h);
}

struct FindCloser {
    void operator()(HANDLE h) const { FindClose(h); }
};
using unique_hfind = std::unique_ptr<void, FindCloser>;

constexpr DWORD kNotOrdinary =
    FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

} // namespace

std::vector<std::wstring> ReadTextLines(const std::wstring &path) {
    unique_hfile file = Open(path, false);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) RaiseFileError(GetLastError());
    if (size.QuadPart > 0x7FFFFFFF) throw RuntimeError(kOutOfMemory);
    std::string bytes(size_t(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + done, DWORD(bytes.size() - done), &got, nullptr))
            RaiseFileError(GetLastError());
        if (got == 0) break; // the file shrank meanwhile
        done += got;
    }
    bytes.resize(done);

    // CR and LF never occur inside a double-byte character, so the bytes split safely.
    std::vector<std::wstring> lines;
    const std::string_view all(bytes);
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\r', start);
        if (end == std::string_view::npos) end = all.size();
        lines.push_back(FromAnsi(all.substr(start, end - start)));
        start = end + 1;
        if (start < all.size() && all[start] == '\n') ++start;
    }
    return lines;
}

void WriteTextFile(const std::wstring &path, const std::wstring &text) {
    unique_hfile file = Open(path, true);
    const std::string bytes = ToAnsi(text);
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = DWORD(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD put = 0;
        if (!WriteFile(file.get(), bytes.data() + done, chunk, &put, nullptr) || put == 0)
            RaiseFileError(GetLastError());
        done += put;
    }
}

std::vector<std::wstring> ListFiles(const std::wstring &pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    unique_hfind find(FindFirstFileW(pattern.c_str(), &found));
    if (find.get() == INVALID_HANDLE_VALUE) {
        find.release();
        return names;
    }
    do {
        if (!(found.dwFileAttributes & kNotOrdinary)) names.push_back(found.cFileName);
    } while (FindNextFileW(find.get(), &found));
    return names;
}

bool FileExists(const std::wstring &path) {
    return !path.empty() && !ListFiles(path).empty();
}

} // namespace mirolt::platform
