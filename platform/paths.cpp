#include "paths.h"

#include "handles.h"

#include <windows.h>

#include <iterator>
#include <vector>

namespace mirolt::platform {
namespace {

// Calls `call(buffer, size)`, which returns the length written or, when the buffer is too
// small, the size it needs; grows the buffer until the text fits. Always with a buffer:
// asked for the size alone, Wine faults on a drive's current directory taken from the
// environment.
template <class Call> std::wstring WithGrowingBuffer(Call call) {
    std::wstring text(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = call(text.data(), DWORD(text.size()));
        if (n == 0) return {};
        if (n < text.size()) {
            text.resize(n);
            return text;
        }
        text.assign(n, L'\0');
    }
}

constexpr wchar_t kExtendedPrefix[] = L"\\\\?\\";
constexpr wchar_t kExtendedUncPrefix[] = L"\\\\?\\UNC\\";

bool StartsWith(const std::wstring &text, const wchar_t *prefix) {
    return text.rfind(prefix, 0) == 0;
}

std::wstring WithoutExtendedPrefix(const std::wstring &path) {
    if (StartsWith(path, kExtendedUncPrefix))
        return L"\\\\" + path.substr(std::size(kExtendedUncPrefix) - 1);
    if (StartsWith(path, kExtendedPrefix)) return path.substr(std::size(kExtendedPrefix) - 1);
    return path;
}

bool OpensFile(const std::wstring &path, const BY_HANDLE_FILE_INFORMATION &file) {
    unique_hfile other(CreateFileW(SystemPath(path).c_str(), 0,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    return other.get() != INVALID_HANDLE_VALUE && GetFileInformationByHandle(other.get(), &info) &&
           info.dwVolumeSerialNumber == file.dwVolumeSerialNumber &&
           info.nFileIndexHigh == file.nFileIndexHigh && info.nFileIndexLow == file.nFileIndexLow;
}

// Wine's GetFinalPathNameByHandleW fails once the path nears MAX_PATH characters, while
// FileNameInfo still gives the path on the file's volume. Its drive is the one under which that
// path opens the same file.
std::wstring FinalPathOnSomeDrive(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION identity;
    std::vector<char> buffer(sizeof(FILE_NAME_INFO) + 65536);
    if (!GetFileInformationByHandle(file, &identity) ||
        !GetFileInformationByHandleEx(file, FileNameInfo, buffer.data(), DWORD(buffer.size())))
        return {};
    const auto *info = reinterpret_cast<const FILE_NAME_INFO *>(buffer.data());
    const std::wstring onVolume(info->FileName, info->FileNameLength / sizeof(wchar_t));
    const DWORD drives = GetLogicalDrives();
    for (int drive = 0; drive < 26; ++drive) {
        if (!(drives >> drive & 1)) continue;
        const std::wstring path = std::wstring{wchar_t(L'A' + drive), L':'} + onVolume;
        if (OpensFile(path, identity)) return path;
    }
    return {};
}

} // namespace

std::wstring FullPathName(const std::wstring &path) {
    if (path.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return {};
    }
    return WithGrowingBuffer([&path](wchar_t *buffer, DWORD size) {
        return GetFullPathNameW(path.c_str(), size, buffer, nullptr);
    });
}

std::wstring SystemPath(const std::wstring &fullPath) {
    if (fullPath.size() < MAX_PATH || StartsWith(fullPath, kExtendedPrefix) ||
        StartsWith(fullPath, L"\\\\.\\"))
        return fullPath;
    if (fullPath.size() >= 3 && fullPath[1] == L':' && fullPath[2] == L'\\')
        return kExtendedPrefix + fullPath;
    if (StartsWith(fullPath, L"\\\\")) return kExtendedUncPrefix + fullPath.substr(2);
    return fullPath;
}

std::wstring FinalPathName(void *file) {
    const std::wstring path = WithGrowingBuffer([file](wchar_t *buffer, DWORD size) {
        return GetFinalPathNameByHandleW(file, buffer, size,
                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    });
    return path.empty() ? FinalPathOnSomeDrive(file) : WithoutExtendedPrefix(path);
}

std::wstring ShortPathName(const std::wstring &fullPath) {
    const std::wstring system = SystemPath(fullPath);
    return WithoutExtendedPrefix(WithGrowingBuffer([&system](wchar_t *buffer, DWORD size) {
        return GetShortPathNameW(system.c_str(), buffer, size);
    }));
}

} // namespace mirolt::platform
