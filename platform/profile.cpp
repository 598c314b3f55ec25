#include "profile.h"

#include "ansi.h"
#include "paths.h"
#include "vb_error.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

namespace mirolt::platform {
namespace {

// The INI functions hold the file's full path in MAX_PATH characters; given a longer one,
// Wine's read and write a file of another name and report success. A longer path is
// passed by its folder's short name; when even that is too long there is no usable path.
std::optional<std::wstring> UsablePath(const std::wstring &file) {
    const std::wstring full = FullPathName(file);
    if (full.size() < MAX_PATH) return file; // the system reports what is wrong with it
    const size_t slash = full.find_last_of(L'\\');
    const std::wstring folder = ShortPathName(full.substr(0, slash));
    if (folder.empty()) return std::nullopt;
    std::wstring shorter = folder + full.substr(slash);
    if (shorter.size() >= MAX_PATH) return std::nullopt;
    return shorter;
}

} // namespace

ProfileRead ReadPrivateProfile(const std::wstring &section, const std::wstring &key,
                               const std::wstring &defaultValue, int32_t size,
                               const std::wstring &file) {
    if (size < 0) throw RuntimeError(kInvalidProcedureCall);
    try {
        std::string buffer = ToAnsi(std::wstring(size_t(size), L'\0'));
        const std::string a = ToAnsi(section), k = ToAnsi(key), d = ToAnsi(defaultValue);
        ProfileRead read;
        if (const std::optional<std::wstring> path = UsablePath(file)) {
            char empty = 0; // the call wants a buffer even when it may write nothing
            read.result = GetPrivateProfileStringA(a.c_str(), k.c_str(), d.c_str(),
                                                   buffer.empty() ? &empty : buffer.data(),
                                                   DWORD(buffer.size()), ToAnsi(*path).c_str());
        } else if (!buffer.empty()) {
            // What the system gives for a file that does not exist: the default, without
            // trailing blanks, as far as the buffer holds it.
            const size_t end = d.find_last_not_of(' ');
            const size_t length =
                std::min(end == std::string::npos ? 0 : end + 1, buffer.size() - 1);
            std::memcpy(buffer.data(), d.data(), length);
            read.result = uint32_t(length);
        }
        read.buffer = FromAnsi(buffer);
        return read;
    } catch (const std::bad_alloc &) {
        throw RuntimeError(kOutOfMemory);
    }
}

bool WritePrivateProfile(const std::wstring &section, const std::wstring &key,
                         const std::wstring &value, const std::wstring &file) {
    const std::optional<std::wstring> path = UsablePath(file);
    return path && WritePrivateProfileStringA(ToAnsi(section).c_str(), ToAnsi(key).c_str(),
                                              ToAnsi(value).c_str(), ToAnsi(*path).c_str()) != 0;
}

} // namespace mirolt::platform
