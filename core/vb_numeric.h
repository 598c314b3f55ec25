#pragma once
// Numeric rules of the classic runtime: rounding halves to even, checked 16/32-bit results.
#include <cstdint>

namespace mirolt {

// Nearest integer, halves to the even neighbour (as every float-to-integer conversion here).
double RoundHalfEven(double v);

// Conversion to a signed 16-bit integer; out of range raises overflow (6).
int16_t CInt(double v);
// Conversion to a signed 32-bit integer; out of range raises overflow (6).
int32_t CLng(double v);
// Product of two 16-bit integers as a 16-bit integer; out of range raises overflow (6).
int16_t MulInt(int16_t a, int16_t b);

} // namespace mirolt
