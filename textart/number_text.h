#pragma once
// Numbers typed into the size boxes: the classic conversion of a text to a number.
#include <cstdint>
#include <optional>
#include <string_view>

namespace mirolt::textart {

// The value of a decimal text: surrounding blanks, a sign, digits with an optional
// fraction and an optional exponent. Nothing for any other text, an empty one included.
std::optional<double> NumberFromText(std::wstring_view text);

// The text as a 16-bit integer, halves rounded to even; nothing when it is no number or
// lies outside -32768..32767.
std::optional<int16_t> IntegerFromText(std::wstring_view text);

// The text as a single-precision number; nothing when it is no number or overflows.
std::optional<float> SingleFromText(std::wstring_view text);

} // namespace mirolt::textart
