#pragma once
// PPM and PGM pictures, binary (P6, P5) and plain (P3, P2): the header and the conversion of
// the samples into the device-independent bitmap that the PPM plug-in hands over. Portable
// code: the file arrives as bytes, and nothing is read outside the bytes it is given.
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
    bool gray = false;           // PGM
    bool plain = false;          // P3, P2: the samples are decimal numbers in text
    uint32_t maxValue = 0;       // 1..65535; above 255 two bytes a sample, high byte first
    uint64_t samplesAt = 0;      // offset of the first sample in the file
    uint64_t sourceRowBytes = 0; // binary only
    uint64_t bitmapStride = 0;   // bytes of a bitmap row, a multiple of four
    uint64_t bitmapBytes = 0;
};

enum class Status { Ok, NotNetpbm, Broken, TooLarge };

// "P2", "P3", "P5" or "P6" followed by white space or a comment.
bool HasSignature(const uint8_t *head, size_t size);

// Reads the header from the first `size` bytes of a file of `fileSize` bytes. Ok only when
// the file is long enough for every sample (a plain one for a digit each and white space
// between them) and the bitmap stays within kMaxBitmapBytes.
Status ReadHeader(const uint8_t *head, size_t size, uint64_t fileSize, Picture &picture);

// Converts `rowCount` rows of binary samples, the first of them picture row `firstRow` (counted
// from the top), into `bitmap` (picture.bitmapBytes bytes). A PPM becomes a 24-bit
// bottom-up bitmap (blue, green, red), a PGM an 8-bit top-down bitmap for a gray colour
// table. `levels` maps every sample value 0..maxValue to 0..255 (see Levels).
void ConvertRows(const uint8_t *samples, const Picture &picture, const uint8_t *levels,
                 int32_t firstRow, int32_t rowCount, uint8_t *bitmap);

// The samples of a plain picture into its bitmap (as ConvertRows lays it out), read from
// the pieces of the file as they come: a number may be cut between two pieces. Comments
// ("#" to the end of the line) and any white space may stand between the numbers.
class PlainSamples {
  public:
    PlainSamples(const Picture &picture, const uint8_t *levels, uint8_t *bitmap);

    // The next `size` bytes of the file. False when they hold anything but numbers up to
    // 65535, white space and comments. Bytes after the last sample are not looked at.
    bool Read(const uint8_t *bytes, size_t size);
    // At the end of the file: true when it held every sample.
    bool Finish();

    bool Complete() const { return row_ == picture_.height; }
    int32_t RowsDone() const { return row_; }

  private:
    void Store();

    const Picture &picture_;
    const uint8_t *levels_;
    uint8_t *bitmap_;
    size_t rowSamples_;
    size_t column_ = 0; // samples of the current row stored so far
    int32_t row_ = 0;
    uint32_t value_ = 0;
    bool inNumber_ = false;
    bool inComment_ = false;
};

// Fills `levels` (maxValue + 1 entries) with the sample values scaled to 0..255.
void Levels(uint32_t maxValue, uint8_t *levels);

} // namespace netpbm
