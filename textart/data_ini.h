#pragma once
// Data.ini, the settings file of the text art, the Notepad actions and the text editor: its
// place, and the one protocol by which every key is read and written. Values come back as
// read from fixed buffers, followed by NUL characters up to the buffer's end; a key that
// cannot be read shows "設定データの読み込みに失敗しました" and leaves its target as it was.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mirolt::textart {

inline constexpr wchar_t kReadFailed[] = L"設定データの読み込みに失敗しました";
inline constexpr wchar_t kWriteFailed[] = L"設定データの書き込みに失敗しました";

// Buffer sizes in characters.
inline constexpr int32_t kMainBuffer = 2;      // [Mozie] Main: one digit
inline constexpr int32_t kCharacterBuffer = 3; // UseWord, WordP: one double-byte character
inline constexpr int32_t kFontSizeBuffer = 4;  // [FontSizeData]: up to three digits
inline constexpr int32_t kUseSoftBuffer = 8;   // [Mozie] UseSoft
inline constexpr int32_t kLongBuffer = 256;    // lengths, [MiroltTextEditer] keys

// The program's folder followed by "\Data.ini".
std::wstring DataIniPath();
// For tests: Data.ini in `folder` from now on; an empty folder restores the program's.
void SetDataIniFolder(std::wstring folder);

// Reads a key with a buffer of `size` characters: the padded value, or nothing after the
// read-failure box (OK only, no icon, default title).
std::optional<std::wstring> ReadSetting(const std::wstring &section, const std::wstring &key,
                                        int32_t size);

// Reads a key that holds a decimal whole number: the number before the first NUL, or nothing
// after the read-failure box when the key cannot be read or holds anything but digits that
// fit a signed 32-bit integer.
std::optional<int32_t> ReadNumberSetting(const std::wstring &section, const std::wstring &key,
                                         int32_t size);

// Reads a stored length (buffer 256) into one of the shared lengths. A length that is no
// decimal whole number, or whose double overflows a signed 32-bit integer, is unreadable:
// the box, and `length` keeps its value; with `malformedRaises` such a length raises type
// mismatch (13) or overflow (6) instead, for a caller that reports it on its own failure path
// (a key that cannot be read at all still gives the box). Returns whether `length` was set.
bool ReadLengthSetting(const std::wstring &section, const std::wstring &key, int32_t &length,
                       bool malformedRaises = false);

// Reads a value sized by its stored length: a buffer of length x 2 characters, room for the
// value when every character takes two ANSI bytes, so a longer value is cut to length x 2 - 1
// bytes. A length of 0 gives an empty buffer, whose read fails with the box; so does a
// negative length or one whose double overflows.
std::optional<std::wstring> ReadSizedSetting(const std::wstring &section, const std::wstring &key,
                                             int32_t length);

// Writes a key; a failure shows "設定データの書き込みに失敗しました" (OK only, no icon,
// default title). Returns whether it was written; a writer goes on with its next key.
bool WriteSetting(const std::wstring &section, const std::wstring &key, const std::wstring &value);

// Whether a padded value is exactly `word` followed by NULs up to `size` characters, letter
// case included: how [Mozie] UseSoft is compared with "Mirolt" and "Notepad" (size 8).
bool PaddedEquals(const std::wstring &value, std::wstring_view word, int32_t size);

// A padded value's text: what comes before its first NUL.
std::wstring TextBeforeNul(const std::wstring &value);

} // namespace mirolt::textart
