#pragma once
// Private-profile (INI) files through the system's ANSI functions, with the caller's exact
// buffer size.
#include <cstdint>
#include <string>

namespace mirolt::platform {

struct ProfileRead {
    // The whole buffer converted back: the value followed by NULs up to the buffer's end
    // (fewer characters than the buffer's size when the value has double-byte characters).
    std::wstring buffer;
    // The call's result, the number of bytes copied; 0 is a failed read (no file, section
    // or key, an empty value, or a buffer of 0).
    uint32_t result = 0;
};

// Reads with a buffer of `size` NUL characters converted to ANSI (`size` bytes), so at most
// size - 1 bytes of the value come back. A negative size raises invalid procedure call (5),
// one that cannot be had out of memory (7).
ProfileRead ReadPrivateProfile(const std::wstring &section, const std::wstring &key,
                               const std::wstring &defaultValue, int32_t size,
                               const std::wstring &file);

// Writes the value converted to ANSI; false when the system reports a failure.
bool WritePrivateProfile(const std::wstring &section, const std::wstring &key,
                         const std::wstring &value, const std::wstring &file);

} // namespace mirolt::platform
