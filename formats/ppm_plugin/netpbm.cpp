#include "netpbm.h"

#include <algorithm>
#include <cstring>

namespace netpbm {
namespace {

bool IsSpace(uint8_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A token ends at white space or at a comment, which may follow it directly.
bool EndsToken(uint8_t c) {
    return IsSpace(c) || c == '#';
}

// Reads the header's tokens one after the other, never past its end.
class Reader {
  public:
    Reader(const uint8_t *data, size_t size) : data_(data), size_(size) {}

    // Skips white space and comments, then reads a decimal number no larger than `limit`
    // that white space or a comment ends.
    bool Number(uint64_t limit, uint64_t &value) {
        for (;;) {
            while (at_ < size_ && IsSpace(data_[at_]))
                ++at_;
            if (at_ >= size_ || data_[at_] != '#') break;
            SkipComment();
        }
        value = 0;
        const size_t start = at_;
        for (; at_ < size_ && data_[at_] >= '0' && data_[at_] <= '9'; ++at_) {
            value = value * 10 + (data_[at_] - '0');
            if (value > limit) return false;
        }
        return at_ > start && at_ < size_ && EndsToken(data_[at_]);
    }
    // After the last number: the offset just after the single white-space character that
    // ends the header. A comment right after the number ends the header with its line end,
    // which must lie within the header.
    bool End(size_t &end) {
        if (data_[at_] == '#') SkipComment();
        if (at_ >= size_) return false;
        end = at_ + 1;
        return true;
    }

  private:
    // From '#' up to the line end (CR or LF), which stays unread.
    void SkipComment() {
        while (at_ < size_ && data_[at_] != '\n' && data_[at_] != '\r')
            ++at_;
    }

    const uint8_t *data_;
    size_t size_;
    size_t at_ = 2; // after the signature
};

} // namespace

bool HasSignature(const uint8_t *head, size_t size) {
    return size >= 3 && head[0] == 'P' &&
           (head[1] == '2' || head[1] == '3' || head[1] == '5' || head[1] == '6') &&
           EndsToken(head[2]);
}

Status ReadHeader(const uint8_t *head, size_t size, uint64_t fileSize, Picture &picture) {
    picture = {};
    size = static_cast<size_t>(std::min<uint64_t>({size, kMaxHeaderBytes, fileSize}));
    if (!HasSignature(head, size)) return Status::NotNetpbm;
    picture.gray = head[1] == '2' || head[1] == '5';
    picture.plain = head[1] == '2' || head[1] == '3';
    Reader reader(head, size);
    uint64_t width = 0, height = 0, maxValue = 0;
    size_t end = 0;
    if (!reader.Number(INT32_MAX, width) || !reader.Number(INT32_MAX, height) ||
        !reader.Number(65535, maxValue) || !reader.End(end) || width == 0 || height == 0 ||
        maxValue == 0)
        return Status::Broken;
    picture.width = static_cast<int32_t>(width);
    picture.height = static_cast<int32_t>(height);
    picture.maxValue = static_cast<uint32_t>(maxValue);
    picture.samplesAt = end;

    // Every product in 64 bits, checked: the sizes may have been written to overflow.
    const uint64_t channels = picture.gray ? 1 : 3;
    uint64_t bitmapRow = 0;
    if (__builtin_mul_overflow(width, channels, &bitmapRow)) return Status::TooLarge;
    picture.bitmapStride = (bitmapRow + 3) & ~uint64_t{3};
    if (__builtin_mul_overflow(picture.bitmapStride, height, &picture.bitmapBytes) ||
        picture.bitmapBytes > kMaxBitmapBytes)
        return Status::TooLarge;
    // Within the bitmap's size now, so nothing below overflows.
    const uint64_t samples = bitmapRow * height;
    uint64_t sampleBytes = 0;
    if (picture.plain) {
        sampleBytes = 2 * samples - 1; // a digit each and white space between
    } else {
        picture.sourceRowBytes = bitmapRow * (maxValue > 255 ? 2 : 1);
        sampleBytes = picture.sourceRowBytes * height;
    }
    // A file that is shorter than its header says is broken.
    if (fileSize < picture.samplesAt || fileSize - picture.samplesAt < sampleBytes)
        return Status::Broken;
    return Status::Ok;
}

PlainSamples::PlainSamples(const Picture &picture, const uint8_t *levels, uint8_t *bitmap)
    : picture_(picture), levels_(levels), bitmap_(bitmap),
      rowSamples_(static_cast<size_t>(picture.width) * (picture.gray ? 1 : 3)) {}

bool PlainSamples::Read(const uint8_t *bytes, size_t size) {
    for (size_t i = 0; i < size && !Complete(); ++i) {
        const uint8_t c = bytes[i];
        if (inComment_) {
            inComment_ = c != '\n' && c != '\r';
        } else if (c >= '0' && c <= '9') {
            value_ = value_ * 10 + (c - '0');
            if (value_ > 65535) return false;
            inNumber_ = true;
        } else if (IsSpace(c) || c == '#') {
            inComment_ = c == '#';
            if (inNumber_) Store();
        } else {
            return false;
        }
    }
    return true;
}

bool PlainSamples::Finish() {
    if (inNumber_ && !Complete()) Store();
    return Complete();
}

void PlainSamples::Store() {
    // A sample above the maximum counts as the maximum, as in the binary forms.
    const uint8_t level = levels_[std::min(value_, picture_.maxValue)];
    value_ = 0;
    inNumber_ = false;
    // PPM rows go bottom-up as blue, green, red; PGM rows top-down.
    const size_t line = static_cast<size_t>(picture_.gray ? row_ : picture_.height - 1 - row_);
    const size_t stride = static_cast<size_t>(picture_.bitmapStride);
    uint8_t *row = bitmap_ + stride * line;
    row[picture_.gray ? column_ : column_ / 3 * 3 + 2 - column_ % 3] = level;
    if (++column_ < rowSamples_) return;
    std::memset(row + rowSamples_, 0, stride - rowSamples_);
    column_ = 0;
    ++row_;
}

void Levels(uint32_t maxValue, uint8_t *levels) {
    for (uint32_t value = 0; value <= maxValue; ++value)
        levels[value] = static_cast<uint8_t>((value * 255u + maxValue / 2) / maxValue);
}

void ConvertRows(const uint8_t *samples, const Picture &picture, const uint8_t *levels,
                 int32_t firstRow, int32_t rowCount, uint8_t *bitmap) {
    const size_t width = static_cast<size_t>(picture.width);
    const size_t stride = static_cast<size_t>(picture.bitmapStride);
    const size_t used = width * (picture.gray ? 1 : 3);
    const bool wide = picture.maxValue > 255;
    const uint32_t maxValue = picture.maxValue;
    // A sample above the maximum counts as the maximum.
    const auto level = [&](const uint8_t *at) {
        const uint32_t value = wide ? uint32_t{at[0]} << 8 | at[1] : at[0];
        return levels[std::min(value, maxValue)];
    };
    const size_t step = wide ? 2 : 1;
    for (int32_t i = 0; i < rowCount; ++i) {
        const int32_t y = firstRow + i;
        const uint8_t *source = samples + static_cast<size_t>(picture.sourceRowBytes) * i;
        // PPM rows go bottom-up, PGM rows top-down.
        const size_t line =
            picture.gray ? static_cast<size_t>(y) : static_cast<size_t>(picture.height - 1 - y);
        uint8_t *row = bitmap + stride * line;
        if (maxValue == 255 && picture.gray) { // the common cases, without the table
            std::memcpy(row, source, width);
        } else if (maxValue == 255) {
            for (size_t x = 0; x < width; ++x) {
                row[x * 3] = source[x * 3 + 2];
                row[x * 3 + 1] = source[x * 3 + 1];
                row[x * 3 + 2] = source[x * 3];
            }
        } else if (picture.gray) {
            for (size_t x = 0; x < width; ++x)
                row[x] = level(source + x * step);
        } else {
            for (size_t x = 0; x < width; ++x) {
                const uint8_t *pixel = source + x * 3 * step;
                row[x * 3] = level(pixel + 2 * step);
                row[x * 3 + 1] = level(pixel + step);
                row[x * 3 + 2] = level(pixel);
            }
        }
        std::memset(row + used, 0, stride - used);
    }
}

} // namespace netpbm
