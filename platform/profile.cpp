#include "profile.h"

#include "ansi.h"
#include "vb_error.h"

#include <windows.h>

#include <new>

namespace mirolt::platform {

ProfileRead ReadPrivateProfile(const std::wstring &section, const std::wstring &key,
                               const std::wstring &defaultValue, int32_t size,
                               const std::wstring &file) {
    if (size < 0) throw RuntimeError(kInvalidProcedureCall);
    try {
        std::string buffer = ToAnsi(std::wstring(size_t(size), L'\0'));
        const std::string a = ToAnsi(section), k = ToAnsi(key), d = ToAnsi(defaultValue),
                          f = ToAnsi(file);
        char empty = 0; // the call wants a buffer even when it may write nothing
        ProfileRead read;
        read.result = GetPrivateProfileStringA(a.c_str(), k.c_str(), d.c_str(),
                                               buffer.empty() ? &empty : buffer.data(),
                                               DWORD(buffer.size()), f.c_str());
        read.buffer = FromAnsi(buffer);
        return read;
    } catch (const std::bad_alloc &) {
        throw RuntimeError(kOutOfMemory);
    }
}

bool WritePrivateProfile(const std::wstring &section, const std::wstring &key,
                         const std::wstring &value, const std::wstring &file) {
    return WritePrivateProfileStringA(ToAnsi(section).c_str(), ToAnsi(key).c_str(),
                                      ToAnsi(value).c_str(), ToAnsi(file).c_str()) != 0;
}

} // namespace mirolt::platform
