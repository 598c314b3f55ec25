#include "number_text.h"

#include "vb_numeric.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <string>

namespace mirolt::textart {
namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\u3000';
}
bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

} // namespace

std::optional<double> NumberFromText(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    // Checked by hand first: the C library would take hex, "inf" and "nan" too.
    size_t i = 0;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) ++i;
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == L'.') {
        ++i;
        while (i < text.size() && IsDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        ++i;
        if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) ++i;
        size_t exponent = 0;
        while (i < text.size() && IsDigit(text[i]))
            ++i, ++exponent;
        if (exponent == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    const std::string narrow(text.begin(), text.end()); // ASCII only by now
    const double value = std::strtod(narrow.c_str(), nullptr);
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<int16_t> IntegerFromText(std::wstring_view text) {
    const std::optional<double> value = NumberFromText(text);
    if (!value) return std::nullopt;
    const double rounded = RoundHalfEven(*value);
    if (!(rounded >= -32768.0 && rounded <= 32767.0)) return std::nullopt;
    return int16_t(rounded);
}

std::optional<float> SingleFromText(std::wstring_view text) {
    const std::optional<double> value = NumberFromText(text);
    if (!value || std::fabs(*value) > double(FLT_MAX)) return std::nullopt;
    return float(*value);
}

} // namespace mirolt::textart
