#pragma once
// The per-pixel colour rules of the whole-picture filters, and the colour-balance
// dialog's preview level. Each rule maps one colour value (0x00BBGGRR) to a new one.
// They are inline: the pixel loop calls them once per pixel.
#include "color.h"

#include <algorithm>
#include <cstdint>

namespace mirolt {

// Channel sum / 3 in double precision, to the nearest integer with halves to even. A third
// never ends in a half, so for sums from 0 up this is (s + 1) / 3 in integers.
constexpr int ThirdRounded(int s) {
    return (s + 1) / 3;
}

// A channel result clamped to 0..255. Wide, so that any 32-bit offset plus a channel fits.
constexpr int ClampChannel(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, 0, 255));
}

constexpr int ChannelSum(int32_t c) {
    return RedOf(c) + GreenOf(c) + BlueOf(c);
}

// Grayscale: the rounded mean of the three channels, as gray.
constexpr int32_t GrayscaleOf(int32_t c) {
    const int k = ThirdRounded(ChannelSum(c));
    return Rgb(k, k, k);
}

// Colour inversion: each channel from 255 down.
constexpr int32_t InvertedOf(int32_t c) {
    return Rgb(255 - RedOf(c), 255 - GreenOf(c), 255 - BlueOf(c));
}

// Mask: exactly black becomes white, everything else black.
constexpr int32_t MaskOf(int32_t c) {
    return c == 0 ? Rgb(255, 255, 255) : Rgb(0, 0, 0);
}

// Sepia: the rounded mean, warmed by +40 red, +10 green and -30 blue, clamped.
constexpr int32_t SepiaOf(int32_t c) {
    const int g = ThirdRounded(ChannelSum(c));
    return Rgb(ClampChannel(g + 40), ClampChannel(g + 10), ClampChannel(g - 30));
}

// Colour balance: an offset added to each channel, clamped.
constexpr int32_t BalancedOf(int32_t c, int32_t red, int32_t green, int32_t blue) {
    return Rgb(ClampChannel(int64_t{RedOf(c)} + red), ClampChannel(int64_t{GreenOf(c)} + green),
               ClampChannel(int64_t{BlueOf(c)} + blue));
}

// Brightness: one offset added to all three channels, clamped.
constexpr int32_t BrightenedOf(int32_t c, int32_t akarusa) {
    return BalancedOf(c, akarusa, akarusa, akarusa);
}

// The colour-balance preview maps a bar value -255..255 onto a channel level:
// (v + 255) / 2 in double precision, halves to even.
int PreviewLevel(int v);
// The preview colour of three bar values.
int32_t PreviewColor(int red, int green, int blue);

} // namespace mirolt
