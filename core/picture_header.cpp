#include "picture_header.h"

namespace mirolt {
namespace {

// The file through a small window, so that walking many short segments reads little.
class Bytes {
  public:
    Bytes(const ReadAt &read, uint64_t size) : read_(read), size_(size) {}

    std::optional<uint8_t> At(uint64_t pos) {
        if (pos >= size_) return std::nullopt;
        if (pos < start_ || pos >= start_ + filled_) {
            start_ = pos;
            filled_ = read_(pos, window_, sizeof(window_));
            if (filled_ == 0) return std::nullopt;
        }
        return window_[pos - start_];
    }
    // Unsigned little- or big-endian value of `count` bytes (at most 4).
    std::optional<uint32_t> Le(uint64_t pos, int count) { return Value(pos, count, false); }
    std::optional<uint32_t> Be(uint64_t pos, int count) { return Value(pos, count, true); }

  private:
    std::optional<uint32_t> Value(uint64_t pos, int count, bool bigEndian) {
        uint32_t v = 0;
        for (int i = 0; i < count; ++i) {
            const auto b = At(pos + uint64_t(i));
            if (!b) return std::nullopt;
            v |= uint32_t(*b) << (8 * (bigEndian ? count - 1 - i : i));
        }
        return v;
    }

    const ReadAt &read_;
    uint64_t size_;
    uint8_t window_[4096];
    uint64_t start_ = 0;
    size_t filled_ = 0;
};

enum class BmpForm { Core, Os2, Windows };

std::optional<BmpForm> FormOf(uint32_t headerSize) {
    switch (headerSize) {
    case 12:
        return BmpForm::Core; // OS/2 1.x
    case 16:
    case 64:
        return BmpForm::Os2; // OS/2 2.x, short or whole
    case 40:
    case 52:
    case 56:
    case 108:
    case 124:
        return BmpForm::Windows; // Windows 3, its two extensions, 4 and 5
    default:
        return std::nullopt;
    }
}

enum : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6 };

bool IsJpegFrame(uint8_t marker) {
    // SOF0 to SOF15 but DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

} // namespace

std::optional<PictureHeader> ReadBmpHeader(const ReadAt &read, uint64_t fileSize) {
    Bytes f(read, fileSize);
    if (f.At(0) != uint8_t('B') || f.At(1) != uint8_t('M')) return std::nullopt;
    const auto offBits = f.Le(10, 4);
    const auto headerSize = f.Le(14, 4);
    if (!offBits || !headerSize) return std::nullopt;
    const auto form = FormOf(*headerSize);
    if (!form || !f.At(14 + uint64_t(*headerSize) - 1)) return std::nullopt;

    // The whole header is there; a field that cannot be read after all reads as 0.
    const auto le = [&f](uint64_t pos, int count) { return f.Le(pos, count).value_or(0); };
    int64_t width = 0, height = 0;
    uint32_t planes = 0, bits = 0, compression = kRgb, coloursUsed = 0;
    if (*form == BmpForm::Core) {
        width = le(18, 2);
        height = le(20, 2);
        planes = le(22, 2);
        bits = le(24, 2);
    } else {
        width = int32_t(le(18, 4));
        height = int32_t(le(22, 4));
        planes = le(26, 2);
        bits = le(28, 2);
        if (*headerSize >= 40) {
            compression = le(30, 4);
            coloursUsed = le(46, 4);
        }
    }
    if (planes != 1 || width <= 0 || height == 0) return std::nullopt;
    const bool topDown = height < 0;
    const int64_t rows = topDown ? -height : height;
    if (rows > INT32_MAX) return std::nullopt;

    uint64_t masks = 0; // bit masks stored after a Windows 3 header
    bool packed = true; // uncompressed rows of a known length
    switch (compression) {
    case kRgb:
        if (*form == BmpForm::Core ? bits != 1 && bits != 4 && bits != 8 && bits != 24
                                   : bits != 1 && bits != 2 && bits != 4 && bits != 8 &&
                                         bits != 16 && bits != 24 && bits != 32)
            return std::nullopt;
        break;
    case kRle8:
    case kRle4:
        if (bits != (compression == kRle8 ? 8u : 4u) || topDown) return std::nullopt;
        packed = false;
        break;
    case kBitFields:
    case kAlphaBitFields:
        if (*form != BmpForm::Windows || (bits != 16 && bits != 32)) return std::nullopt;
        if (*headerSize == 40) masks = compression == kBitFields ? 12 : 16;
        break;
    default:
        return std::nullopt; // embedded JPEG or PNG, OS/2 Huffman or RLE24, CMYK forms
    }

    uint64_t colours = 0;
    if (bits <= 8) {
        const uint64_t most = uint64_t{1} << bits;
        if (coloursUsed > most) return std::nullopt;
        colours = coloursUsed ? coloursUsed : most;
    }
    const uint64_t entry = *form == BmpForm::Core ? 3 : 4;
    const uint64_t headerEnd = 14 + uint64_t(*headerSize) + masks + colours * entry;
    if (*offBits < headerEnd || *offBits >= fileSize) return std::nullopt;
    if (packed) {
        const uint64_t stride = (uint64_t(width) * bits + 31) / 32 * 4;
        if (stride * uint64_t(rows) > fileSize - *offBits) return std::nullopt;
    }
    return PictureHeader{PictureFormat::Bmp, int32_t(width), int32_t(rows)};
}

std::optional<PictureHeader> ReadJpegHeader(const ReadAt &read, uint64_t fileSize) {
    Bytes f(read, fileSize);
    if (f.At(0) != 0xFF || f.At(1) != 0xD8) return std::nullopt;
    uint64_t at = 2;
    for (;;) {
        if (f.At(at) != 0xFF) return std::nullopt; // nothing but markers between segments
        std::optional<uint8_t> marker;
        while ((marker = f.At(at)) == 0xFF) // fill bytes
            ++at;
        if (!marker) return std::nullopt;
        ++at;
        if (*marker == 0x01 || (*marker >= 0xD0 && *marker <= 0xD7)) continue; // no length
        // A stuffed zero, a second start, the end or a scan before any frame; hierarchical
        // pictures are not read.
        if (*marker == 0x00 || *marker == 0xD8 || *marker == 0xD9 || *marker == 0xDA ||
            *marker == 0xDE || *marker == 0xDF)
            return std::nullopt;
        const auto length = f.Be(at, 2);
        if (!length || *length < 2 || *length > fileSize - at) return std::nullopt;
        if (IsJpegFrame(*marker)) {
            const auto height = f.Be(at + 3, 2);
            const auto width = f.Be(at + 5, 2);
            const auto components = f.At(at + 7);
            if (*length < 8 || !components || *components == 0 ||
                *length != 8 + 3 * uint32_t(*components) || !width || !height || *width == 0 ||
                *height == 0) // a height of 0 would be given after the first scan
                return std::nullopt;
            return PictureHeader{PictureFormat::Jpeg, int32_t(*width), int32_t(*height)};
        }
        at += *length;
    }
}

std::optional<PictureHeader> ReadPictureHeader(const ReadAt &read, uint64_t fileSize) {
    uint8_t magic[2] = {};
    if (fileSize < 2 || read(0, magic, 2) != 2) return std::nullopt;
    if (magic[0] == 'B' && magic[1] == 'M') return ReadBmpHeader(read, fileSize);
    if (magic[0] == 0xFF && magic[1] == 0xD8) return ReadJpegHeader(read, fileSize);
    return std::nullopt;
}

} // namespace mirolt
