#include "data_ini.h"

#include "profile.h"
#include "prompts.h"
#include "runtime.h"
#include "vb_error.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace mirolt::textart {
namespace {

std::wstring g_folder; // empty: the program's folder

constexpr int32_t kLargestLength = 1073741823; // doubles within a signed 32-bit integer

void ReadFailed() {
    platform::MsgBox(kReadFailed);
}

// Digits only, within a signed 32-bit integer.
std::optional<int32_t> DecimalWholeNumber(const std::wstring &text) {
    if (text.empty()) return std::nullopt;
    int64_t n = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        n = n * 10 + (c - L'0');
        if (n > INT32_MAX) return std::nullopt;
    }
    return int32_t(n);
}

// A read with a buffer of `size` characters; nothing when it fails.
std::optional<std::wstring> Read(const std::wstring &section, const std::wstring &key,
                                 int32_t size) {
    try {
        platform::ProfileRead read =
            platform::ReadPrivateProfile(section, key, L"", size, DataIniPath());
        if (read.result == 0) return std::nullopt;
        return std::move(read.buffer);
    } catch (const RuntimeError &) { // no buffer of that size can be had
        return std::nullopt;
    }
}

std::optional<int32_t> ReadNumber(const std::wstring &section, const std::wstring &key,
                                  int32_t size) {
    const std::optional<std::wstring> value = Read(section, key, size);
    return value ? DecimalWholeNumber(TextBeforeNul(*value)) : std::nullopt;
}

} // namespace

std::wstring DataIniPath() {
    return (g_folder.empty() ? platform::AppPath() : g_folder) + L"\\Data.ini";
}

void SetDataIniFolder(std::wstring folder) {
    g_folder = std::move(folder);
}

std::optional<std::wstring> ReadSetting(const std::wstring &section, const std::wstring &key,
                                        int32_t size) {
    std::optional<std::wstring> value = Read(section, key, size);
    if (!value) ReadFailed();
    return value;
}

std::optional<int32_t> ReadNumberSetting(const std::wstring &section, const std::wstring &key,
                                         int32_t size) {
    const std::optional<int32_t> n = ReadNumber(section, key, size);
    if (!n) ReadFailed();
    return n;
}

bool ReadLengthSetting(const std::wstring &section, const std::wstring &key, int32_t &length,
                       bool malformedRaises) {
    const std::optional<std::wstring> value = Read(section, key, kLongBuffer);
    const std::optional<int32_t> n =
        value ? DecimalWholeNumber(TextBeforeNul(*value)) : std::nullopt;
    if (n && *n <= kLargestLength) {
        length = *n;
        return true;
    }
    if (value && malformedRaises) {
        const std::wstring text = TextBeforeNul(*value);
        const bool digits = text.find_first_not_of(L"0123456789") == std::wstring::npos;
        throw RuntimeError(digits ? kOverflow : kTypeMismatch);
    }
    ReadFailed();
    return false;
}

std::optional<std::wstring> ReadSizedSetting(const std::wstring &section, const std::wstring &key,
                                             int32_t length) {
    if (length < 0 || length > kLargestLength) {
        ReadFailed();
        return std::nullopt;
    }
    // No value holds more bytes than its file, so a buffer beyond the file's size reads the
    // same: a huge stored length must not ask for gigabytes.
    std::error_code error;
    const uintmax_t fileSize = std::filesystem::file_size(DataIniPath(), error);
    const int64_t room = error ? 1 : int64_t(std::min<uintmax_t>(fileSize, INT32_MAX - 1)) + 1;
    return ReadSetting(section, key, int32_t(std::min<int64_t>(int64_t(length) * 2, room)));
}

bool WriteSetting(const std::wstring &section, const std::wstring &key, const std::wstring &value) {
    if (platform::WritePrivateProfile(section, key, value, DataIniPath())) return true;
    platform::MsgBox(kWriteFailed);
    return false;
}

bool PaddedEquals(const std::wstring &value, std::wstring_view word, int32_t size) {
    return size >= 0 && word.size() <= size_t(size) && value.size() == size_t(size) &&
           value.compare(0, word.size(), word) == 0 &&
           value.find_first_not_of(L'\0', word.size()) == std::wstring::npos;
}

std::wstring TextBeforeNul(const std::wstring &value) {
    return value.substr(0, value.find(L'\0'));
}

} // namespace mirolt::textart
