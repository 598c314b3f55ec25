#pragma once
// The width and height of a BMP or JPEG file, read from its own header so that a picture
// can be refused before any decoder is given the file.
#include <cstdint>
#include <functional>
#include <optional>

namespace mirolt {

enum class PictureFormat { Bmp, Jpeg };

struct PictureHeader {
    PictureFormat format;
    int32_t width;  // > 0
    int32_t height; // > 0; a top-down BMP's negative height is given as positive
    bool operator==(const PictureHeader &) const = default;
};

// Reads up to `count` bytes of the file at `offset` into `to`; returns how many it read,
// fewer only at the end of the file.
using ReadAt = std::function<size_t(uint64_t offset, uint8_t *to, size_t count)>;

// The header of a file of `fileSize` bytes: nothing when the file is neither BMP nor JPEG,
// or when its header is truncated or does not hold together.
std::optional<PictureHeader> ReadPictureHeader(const ReadAt &read, uint64_t fileSize);

// Every header form of BMP (OS/2 1.x and 2.x, Windows 3 to 5): the palette and bit
// masks must lie between the header and the pixel data, and uncompressed pixel data
// must be in the file.
std::optional<PictureHeader> ReadBmpHeader(const ReadAt &read, uint64_t fileSize);

// The first frame header of a JPEG file (baseline, extended, progressive or lossless),
// found by walking the marker segments from the start of the file.
std::optional<PictureHeader> ReadJpegHeader(const ReadAt &read, uint64_t fileSize);

} // namespace mirolt
