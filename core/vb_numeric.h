#pragma once
// Numeric rules of the classic runtime: rounding halves to even, checked 16/32-bit results.
#include <cstdint>
#include <optional>
#include <string_view>

namespace mirolt {

// Nearest integer, halves to the even neighbour (as every float-to-integer conversion here).
double RoundHalfEven(double v);

// Conversion to a signed 16-bit integer; out of range raises overflow (6).
int16_t CInt(double v);
// Conversion to a signed 32-bit integer; out of range raises overflow (6).
int32_t CLng(double v);
// Product of two 16-bit integers as a 16-bit integer; out of range raises overflow (6).
int16_t MulInt(int16_t a, int16_t b);

// A text read as a double the way the classic runtime converts text to a number: blanks
// around it; a sign, digits with a decimal point and an exponent ("-1.5e3", ".5", "5.");
// or "&H" hexadecimal and "&O" octal digits, a 32-bit pattern as the classic literals are
// ("&HFFFFFFFF" is -1). Nothing for any other text ("0x10", the empty text) or a value
// beyond the double range.
std::optional<double> DoubleFromText(std::wstring_view text);

} // namespace mirolt
