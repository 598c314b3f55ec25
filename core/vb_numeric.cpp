#include "vb_numeric.h"

#include "vb_error.h"

#include <charconv>
#include <cmath>
#include <string>

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

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\u3000';
}

// The digits after "&H" or "&O": at most 32 bits of them, read as a signed 32-bit value.
std::optional<double> RadixValue(std::wstring_view digits, unsigned radix) {
    if (digits.empty()) return std::nullopt;
    uint64_t value = 0;
    for (wchar_t c : digits) {
        unsigned d = 0;
        if (c >= L'0' && c <= L'9')
            d = unsigned(c - L'0');
        else if (c >= L'A' && c <= L'F')
            d = unsigned(c - L'A' + 10);
        else if (c >= L'a' && c <= L'f')
            d = unsigned(c - L'a' + 10);
        else
            return std::nullopt;
        if (d >= radix) return std::nullopt;
        value = value * radix + d;
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return double(int32_t(uint32_t(value)));
}

} // namespace

std::optional<double> DoubleFromText(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    if (text.size() >= 2 && text[0] == L'&') {
        const wchar_t kind = wchar_t(text[1] | 0x20);
        if (kind == L'h') return RadixValue(text.substr(2), 16);
        if (kind == L'o') return RadixValue(text.substr(2), 8);
        return std::nullopt;
    }
    // Checked by hand first: the C library would also take hexadecimal, "inf" and "nan".
    std::string ascii;
    size_t i = 0, digits = 0;
    auto take = [&] { ascii += char(text[i++]); };
    auto isDigit = [&] { return i < text.size() && text[i] >= L'0' && text[i] <= L'9'; };
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) take();
    while (isDigit())
        take(), ++digits;
    if (i < text.size() && text[i] == L'.') {
        take();
        while (isDigit())
            take(), ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        take();
        if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) take();
        if (!isDigit()) return std::nullopt;
        while (isDigit())
            take();
    }
    if (i != text.size()) return std::nullopt;
    // from_chars takes no leading plus and reads the same digits in every locale.
    const char *first = ascii.data() + (ascii[0] == '+' ? 1 : 0);
    double value = 0;
    const auto [end, error] = std::from_chars(first, ascii.data() + ascii.size(), value);
    if (error != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace mirolt
