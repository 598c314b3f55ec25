#pragma once
// Binary PPM (P6) and PGM (P5) pictures: the header and the conversion of the samples into
// the device-independent bitmap that the PPM plug-in hands over. Portable code: the file
// arrives as bytes, and nothing is read outside the bytes it is given.
#include <cstddef>
#include <cstdint>

namespace netpbm {

// Rows of the bitmap may take at most this many bytes in all.
inline constexpr uint64_t kMaxBitmapBytes = 0x7FFFFFFF;
// The header must end within this many bytes.
inline constexpr size_t kMaxHeaderBytes = 4096;

struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    bool gray = false;      // PGM
    uint32_t maxValue = 0;  // 1..65535; above 255 two bytes a sample, high byte first
    uint64_t samplesAt = 0; // offset of the first sample in the file
    uint64_t sourceRowBytes = 0;
    uint64_t bitmapStride = 0; // bytes of a bitmap row, a multiple of four
    uint64_t bitmapBytes = 0;
};

enum class Status { Ok, NotNetpbm, Broken, TooLarge };

// "P5" or "P6" followed by white space.
bool HasSignature(const uint8_t *head, size_t size);

// Reads the header from the first `size` bytes of a file of `fileSize` bytes. Ok only when
// the file holds every sample and the bitmap stays within kMaxBitmapBytes.
Status ReadHeader(const uint8_t *head, size_t size, uint64_t fileSize, Picture &picture);

// Converts `rowCount` rows of samples, the first of them picture row `firstRow` (counted
// from the top), into `bitmap` (picture.bitmapBytes bytes). A PPM becomes a 24-bit
// bottom-up bitmap (blue, green, red), a PGM an 8-bit top-down bitmap for a gray colour
// table. `levels` maps every sample value 0..maxValue to 0..255 (see Levels).
void ConvertRows(const uint8_t *samples, const Picture &picture, const uint8_t *levels,
                 int32_t firstRow, int32_t rowCount, uint8_t *bitmap);

// Fills `levels` (maxValue + 1 entries) with the sample values scaled to 0..255.
void Levels(uint32_t maxValue, uint8_t *levels);

} // namespace netpbm
