#include "vb_numeric.h"

#include "vb_error.h"

#include <cmath>

namespace mirolt {

double RoundHalfEven(double v) {
    return std::nearbyint(v); // default rounding mode is to nearest, ties to even
}

int16_t CInt(double v) {
    const double r = RoundHalfEven(v);
    if (!(r >= -32768.0 && r <= 32767.0)) throw RuntimeError(kOverflow);
    return static_cast<int16_t>(r);
}

int32_t CLng(double v) {
    const double r = RoundHalfEven(v);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw RuntimeError(kOverflow);
    return static_cast<int32_t>(r);
}

int16_t MulInt(int16_t a, int16_t b) {
    const int32_t p = int32_t{a} * int32_t{b};
    if (p < -32768 || p > 32767) throw RuntimeError(kOverflow);
    return static_cast<int16_t>(p);
}

} // namespace mirolt
