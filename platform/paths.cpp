#include "paths.h"

#include <windows.h>

#include <iterator>

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

std::wstring ShortPathName(const std::wstring &fullPath) {
    const std::wstring system = SystemPath(fullPath);
    std::wstring shortPath = WithGrowingBuffer([&system](wchar_t *buffer, DWORD size) {
        return GetShortPathNameW(system.c_str(), buffer, size);
    });
    if (StartsWith(shortPath, kExtendedUncPrefix))
        return L"\\\\" + shortPath.substr(std::size(kExtendedUncPrefix) - 1);
    if (StartsWith(shortPath, kExtendedPrefix))
        return shortPath.substr(std::size(kExtendedPrefix) - 1);
    return shortPath;
}

} // namespace mirolt::platform
