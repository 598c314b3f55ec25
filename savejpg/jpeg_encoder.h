#pragma once
// A baseline JPEG (JFIF) encoder over 32-bit blue-green-red-unused pixels. Portable code:
// the library hands it the rows and a place to put the bytes.
#include <cstddef>
#include <cstdint>
#include <functional>

namespace savejpg {

inline constexpr int kMaxJpegSide = 65535; // what the frame header can hold

struct PixelRows {
    const uint8_t *top = nullptr; // first byte of the top row
    ptrdiff_t stride = 0;         // bytes from one row to the next one down; may be negative
    int width = 0;
    int height = 0;
};

// Receives the file in order, piece by piece; false stops the encoder.
using ByteSink = std::function<bool(const uint8_t *data, size_t size)>;

// Encodes at `quality` 1..100 on up to `threads` threads (the calling one included).
// Returns false when the sink refused a piece. Throws std::bad_alloc when memory runs out.
bool EncodeJpeg(const PixelRows &pixels, int quality, unsigned threads, const ByteSink &sink);

} // namespace savejpg
