#pragma once
// Colour values laid out 0x00BBGGRR: red lowest byte, green second, blue third.
#include <cstdint>

namespace mirolt {

constexpr int32_t Rgb(int r, int g, int b) {
    return r + 256 * g + 65536 * b;
}
// -1 (a point outside a picture) splits into 255, 255, 255 like any all-ones value.
constexpr int RedOf(int32_t c) {
    return static_cast<int>(static_cast<uint32_t>(c) & 0xFF);
}
constexpr int GreenOf(int32_t c) {
    return static_cast<int>((static_cast<uint32_t>(c) >> 8) & 0xFF);
}
constexpr int BlueOf(int32_t c) {
    return static_cast<int>((static_cast<uint32_t>(c) >> 16) & 0xFF);
}

// A 32-bit DIB pixel (bytes B, G, R, X) to and from a colour value.
constexpr int32_t ColorFromBgrx(uint32_t px) {
    return static_cast<int32_t>(((px & 0xFF) << 16) | (px & 0xFF00) | ((px >> 16) & 0xFF));
}
constexpr uint32_t BgrxFromColor(int32_t c) {
    const auto u = static_cast<uint32_t>(c);
    return ((u & 0xFF) << 16) | (u & 0xFF00) | ((u >> 16) & 0xFF);
}

} // namespace mirolt
