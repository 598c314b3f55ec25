#pragma once
// BMP file writing: 24 bits per pixel, bottom-up rows padded to four bytes.
#include <cstdint>
#include <vector>

namespace mirolt {

// `pixels` holds `height` top-down rows of `stride` 32-bit B,G,R,X values.
std::vector<uint8_t> EncodeBmp24(int width, int height, const uint32_t *pixels, int stride);

} // namespace mirolt
