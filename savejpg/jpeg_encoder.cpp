// Baseline sequential JPEG with the standard's example tables: 4:2:0 chroma below quality
// 90, full chroma from 90 up. Each row of blocks is a restart interval of its own, so rows
// are encoded on several threads at once and joined in order.
#include "jpeg_encoder.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace savejpg {
namespace {

// Quantization at quality 50, row by row (the standard's Annex K).
constexpr uint8_t kLuminanceQuant[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr uint8_t kChrominanceQuant[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// Huffman tables of the same annex: how many codes of each length 1..16, then the symbols.
constexpr uint8_t kDcLuminanceCounts[16] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
constexpr uint8_t kDcChrominanceCounts[16] = {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
constexpr uint8_t kDcSymbols[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
constexpr uint8_t kAcLuminanceCounts[16] = {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d};
constexpr uint8_t kAcLuminanceSymbols[162] = {
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61,
    0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52,
    0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25,
    0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45,
    0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64,
    0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99,
    0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6,
    0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3,
    0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8,
    0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};
constexpr uint8_t kAcChrominanceCounts[16] = {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77};
constexpr uint8_t kAcChrominanceSymbols[162] = {
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61,
    0x71, 0x13, 0x22, 0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33,
    0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1, 0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18,
    0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44,
    0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63,
    0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
    0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97,
    0x98, 0x99, 0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4,
    0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca,
    0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7,
    0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};

constexpr int Sum(const uint8_t (&counts)[16]) {
    int total = 0;
    for (uint8_t count : counts)
        total += count;
    return total;
}
static_assert(Sum(kDcLuminanceCounts) == 12 && Sum(kDcChrominanceCounts) == 12);
static_assert(Sum(kAcLuminanceCounts) == 162 && Sum(kAcChrominanceCounts) == 162);

// The coded order of a block: natural index of each position along the zigzag.
constexpr std::array<uint8_t, 64> MakeZigzag() {
    std::array<uint8_t, 64> order{};
    int at = 0;
    for (int diagonal = 0; diagonal < 15; ++diagonal)
        for (int step = 0; step <= diagonal; ++step) {
            const int row = diagonal % 2 == 0 ? diagonal - step : step;
            const int column = diagonal - row;
            if (row < 8 && column < 8) order[at++] = static_cast<uint8_t>(row * 8 + column);
        }
    return order;
}
constexpr std::array<uint8_t, 64> kZigzag = MakeZigzag();
static_assert(kZigzag[2] == 8 && kZigzag[3] == 16 && kZigzag[62] == 62 && kZigzag[63] == 63);

struct Code {
    uint16_t bits = 0;
    uint8_t length = 0;
};

struct HuffmanTable {
    std::array<Code, 256> codes{};
    HuffmanTable(const uint8_t (&counts)[16], const uint8_t *symbols) {
        uint32_t code = 0;
        int at = 0;
        for (int length = 1; length <= 16; ++length, code <<= 1)
            for (int i = 0; i < counts[length - 1]; ++i, ++code)
                codes[symbols[at++]] = {static_cast<uint16_t>(code), static_cast<uint8_t>(length)};
    }
};

// Orthonormal 8-point DCT basis: kBasis[x * 8 + k] = c(k) cos((2x + 1) k pi / 16), so that
// two passes give the standard's forward transform.
struct Basis {
    float m[64];
    Basis() {
        const double pi = std::acos(-1.0);
        for (int x = 0; x < 8; ++x)
            for (int k = 0; k < 8; ++k)
                m[x * 8 + k] = static_cast<float>((k == 0 ? std::sqrt(0.125) : 0.5) *
                                                  std::cos((2 * x + 1) * k * pi / 16));
    }
};

// Writes codes into a row's bytes, 0xFF followed by a stuffed 0, four bytes at a time
// where none of them is 0xFF.
class BitWriter {
  public:
    explicit BitWriter(std::vector<uint8_t> &out) : out_(out), used_(out.size()) {}

    // Room for everything one block can write (64 codes of at most 26 bits, each byte
    // possibly stuffed), so that Put need not look.
    void Reserve() {
        if (out_.size() - used_ < 512) out_.resize(std::max<size_t>(used_ + 512, out_.size() * 2));
    }
    // Up to 27 bits at a time.
    void Put(uint32_t bits, int count) {
        buffer_ = buffer_ << count | bits;
        filled_ += count;
        if (filled_ < 32) return;
        filled_ -= 32;
        const auto word = static_cast<uint32_t>(buffer_ >> filled_);
        uint8_t *at = out_.data() + used_;
        if (((~word - 0x01010101u) & word & 0x80808080u) == 0) {
            at[0] = static_cast<uint8_t>(word >> 24);
            at[1] = static_cast<uint8_t>(word >> 16);
            at[2] = static_cast<uint8_t>(word >> 8);
            at[3] = static_cast<uint8_t>(word);
            used_ += 4;
            return;
        }
        for (int shift = 24; shift >= 0; shift -= 8) {
            const auto byte = static_cast<uint8_t>(word >> shift);
            out_[used_++] = byte;
            if (byte == 0xFF) out_[used_++] = 0;
        }
    }
    // Ends the segment: its last byte is filled with 1 bits, and `out` holds what was
    // written and no more.
    void Finish() {
        Reserve();
        if (filled_ % 8) Put((1u << (8 - filled_ % 8)) - 1, 8 - filled_ % 8);
        while (filled_ > 0) {
            filled_ -= 8;
            const auto byte = static_cast<uint8_t>(buffer_ >> filled_);
            out_[used_++] = byte;
            if (byte == 0xFF) out_[used_++] = 0;
        }
        out_.resize(used_);
    }

  private:
    std::vector<uint8_t> &out_;
    size_t used_;
    uint64_t buffer_ = 0;
    int filled_ = 0;
};

int MagnitudeBits(int value) {
    const auto magnitude = static_cast<unsigned>(value < 0 ? -value : value);
    return magnitude == 0 ? 0 : 32 - __builtin_clz(magnitude);
}

// The low `size` bits that stand for `value` after its magnitude category.
uint32_t ValueBits(int value, int size) {
    return static_cast<uint32_t>(value < 0 ? value - 1 : value) & ((1u << size) - 1);
}

class Encoder {
  public:
    Encoder(const PixelRows &pixels, int quality)
        : pixels_(pixels), dcLuminance_(kDcLuminanceCounts, kDcSymbols),
          dcChrominance_(kDcChrominanceCounts, kDcSymbols),
          acLuminance_(kAcLuminanceCounts, kAcLuminanceSymbols),
          acChrominance_(kAcChrominanceCounts, kAcChrominanceSymbols) {
        subsampled_ = quality < 90;
        mcuSide_ = subsampled_ ? 16 : 8;
        mcusPerRow_ = (pixels.width + mcuSide_ - 1) / mcuSide_;
        mcuRows_ = (pixels.height + mcuSide_ - 1) / mcuSide_;
        paddedWidth_ = mcusPerRow_ * mcuSide_;
        // The usual scaling of the quality-50 tables.
        const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
        for (int i = 0; i < 64; ++i) {
            luminanceQuant_[i] =
                static_cast<uint8_t>(std::clamp((kLuminanceQuant[i] * scale + 50) / 100, 1, 255));
            chrominanceQuant_[i] =
                static_cast<uint8_t>(std::clamp((kChrominanceQuant[i] * scale + 50) / 100, 1, 255));
            luminanceScale_[i] = 1.0f / static_cast<float>(luminanceQuant_[i]);
            chrominanceScale_[i] = 1.0f / static_cast<float>(chrominanceQuant_[i]);
        }
    }

    int McuRows() const { return mcuRows_; }
    std::vector<uint8_t> Headers() const;

    // Working memory of one thread: the three planes of one row of blocks.
    struct Planes {
        std::vector<float> y, cb, cr, cbSmall, crSmall;
    };
    // One row of blocks as a complete restart interval, its marker included unless it is
    // the last row.
    void EncodeRow(int row, Planes &planes, std::vector<uint8_t> &out) const;

  private:
    void ConvertRows(int row, Planes &planes) const;
    void EncodeBlock(const float *plane, int stride, int x, int y, const float *scale,
                     const HuffmanTable &dc, const HuffmanTable &ac, int &previousDc,
                     BitWriter &writer) const;

    PixelRows pixels_;
    bool subsampled_ = false;
    int mcuSide_ = 8;
    int mcusPerRow_ = 0;
    int mcuRows_ = 0;
    int paddedWidth_ = 0;
    uint8_t luminanceQuant_[64];
    uint8_t chrominanceQuant_[64];
    float luminanceScale_[64];
    float chrominanceScale_[64];
    HuffmanTable dcLuminance_, dcChrominance_, acLuminance_, acChrominance_;
    Basis basis_;
};

std::vector<uint8_t> Encoder::Headers() const {
    std::vector<uint8_t> out;
    const auto word = [&](int value) {
        out.push_back(static_cast<uint8_t>(value >> 8));
        out.push_back(static_cast<uint8_t>(value));
    };
    const auto bytes = [&](const uint8_t *data, size_t size) {
        out.insert(out.end(), data, data + size);
    };
    word(0xFFD8); // start of image
    word(0xFFE0); // JFIF 1.01, square pixels
    word(16);
    bytes(reinterpret_cast<const uint8_t *>("JFIF\0\1\1\0\0\1\0\1\0\0"), 14);
    word(0xFFDB); // both quantization tables, in coded order
    word(2 + 2 * 65);
    for (int table = 0; table < 2; ++table) {
        out.push_back(static_cast<uint8_t>(table));
        for (uint8_t natural : kZigzag)
            out.push_back(table == 0 ? luminanceQuant_[natural] : chrominanceQuant_[natural]);
    }
    word(0xFFC0); // baseline frame, three components
    word(17);
    out.push_back(8);
    word(pixels_.height);
    word(pixels_.width);
    out.push_back(3);
    const uint8_t lumaSampling = subsampled_ ? 0x22 : 0x11;
    const uint8_t components[9] = {1, lumaSampling, 0, 2, 0x11, 1, 3, 0x11, 1};
    bytes(components, sizeof components);
    word(0xFFC4); // Huffman tables
    word(2 + 4 * 17 + 12 + 12 + 162 + 162);
    const struct {
        uint8_t id;
        const uint8_t *counts;
        const uint8_t *symbols;
        int symbolCount;
    } tables[4] = {{0x00, kDcLuminanceCounts, kDcSymbols, 12},
                   {0x10, kAcLuminanceCounts, kAcLuminanceSymbols, 162},
                   {0x01, kDcChrominanceCounts, kDcSymbols, 12},
                   {0x11, kAcChrominanceCounts, kAcChrominanceSymbols, 162}};
    for (const auto &table : tables) {
        out.push_back(table.id);
        bytes(table.counts, 16);
        bytes(table.symbols, static_cast<size_t>(table.symbolCount));
    }
    word(0xFFDD); // a restart interval per row of blocks
    word(4);
    word(mcusPerRow_);
    word(0xFFDA); // the scan
    word(12);
    const uint8_t scan[10] = {3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0};
    bytes(scan, sizeof scan);
    return out;
}

// Colour conversion of the rows of one row of blocks; rows and columns past the picture
// repeat its last row and column, which keeps the edge blocks free of ringing.
void Encoder::ConvertRows(int row, Planes &planes) const {
    const size_t planeSize = static_cast<size_t>(paddedWidth_) * mcuSide_;
    planes.y.resize(planeSize);
    planes.cb.resize(planeSize);
    planes.cr.resize(planeSize);
    const int width = pixels_.width;
    for (int line = 0; line < mcuSide_; ++line) {
        const int y = std::min(row * mcuSide_ + line, pixels_.height - 1);
        const uint8_t *source = pixels_.top + pixels_.stride * y;
        float *luma = planes.y.data() + static_cast<size_t>(line) * paddedWidth_;
        float *blue = planes.cb.data() + static_cast<size_t>(line) * paddedWidth_;
        float *red = planes.cr.data() + static_cast<size_t>(line) * paddedWidth_;
        for (int x = 0; x < width; ++x) {
            const float b = source[4 * x], g = source[4 * x + 1], r = source[4 * x + 2];
            luma[x] = 0.299f * r + 0.587f * g + 0.114f * b - 128.0f;
            blue[x] = -0.168736f * r - 0.331264f * g + 0.5f * b;
            red[x] = 0.5f * r - 0.418688f * g - 0.081312f * b;
        }
        for (int x = width; x < paddedWidth_; ++x) {
            luma[x] = luma[width - 1];
            blue[x] = blue[width - 1];
            red[x] = red[width - 1];
        }
    }
    if (!subsampled_) return;
    const int half = paddedWidth_ / 2;
    planes.cbSmall.resize(static_cast<size_t>(half) * 8);
    planes.crSmall.resize(static_cast<size_t>(half) * 8);
    for (int line = 0; line < 8; ++line) {
        const size_t top = static_cast<size_t>(2 * line) * paddedWidth_;
        const size_t bottom = top + paddedWidth_;
        for (int x = 0; x < half; ++x) {
            const size_t at = static_cast<size_t>(line) * half + x;
            planes.cbSmall[at] =
                0.25f * (planes.cb[top + 2 * x] + planes.cb[top + 2 * x + 1] +
                         planes.cb[bottom + 2 * x] + planes.cb[bottom + 2 * x + 1]);
            planes.crSmall[at] =
                0.25f * (planes.cr[top + 2 * x] + planes.cr[top + 2 * x + 1] +
                         planes.cr[bottom + 2 * x] + planes.cr[bottom + 2 * x + 1]);
        }
    }
}

void Encoder::EncodeBlock(const float *plane, int stride, int x, int y, const float *scale,
                          const HuffmanTable &dc, const HuffmanTable &ac, int &previousDc,
                          BitWriter &writer) const {
    // Rows of the block, then the two passes of the transform.
    float rows[64], pass[64], result[64];
    for (int line = 0; line < 8; ++line)
        std::copy_n(plane + static_cast<size_t>(y + line) * stride + x, 8, rows + line * 8);
    for (int line = 0; line < 8; ++line) {
        float sum[8] = {};
        for (int n = 0; n < 8; ++n) {
            const float sample = rows[line * 8 + n];
            for (int k = 0; k < 8; ++k)
                sum[k] += sample * basis_.m[n * 8 + k];
        }
        std::copy_n(sum, 8, pass + line * 8);
    }
    for (int u = 0; u < 8; ++u) {
        float sum[8] = {};
        for (int n = 0; n < 8; ++n) {
            const float weight = basis_.m[n * 8 + u];
            for (int k = 0; k < 8; ++k)
                sum[k] += weight * pass[n * 8 + k];
        }
        std::copy_n(sum, 8, result + u * 8);
    }
    int quantized[64];
    for (int i = 0; i < 64; ++i) {
        const float value = result[i] * scale[i];
        quantized[i] = static_cast<int>(value + (value < 0 ? -0.5f : 0.5f));
    }
    int coded[64]; // in coded order
    for (int k = 0; k < 64; ++k)
        coded[k] = quantized[kZigzag[k]];

    writer.Reserve();
    const int dcValue = coded[0];
    const int difference = dcValue - previousDc;
    previousDc = dcValue;
    int size = MagnitudeBits(difference);
    writer.Put(dc.codes[size].bits, dc.codes[size].length);
    if (size) writer.Put(ValueBits(difference, size), size);

    // The coefficients that are not zero, in coded order, as bits of a mask.
    uint64_t present = 0;
    for (int k = 1; k < 64; ++k)
        present |= uint64_t{coded[k] != 0} << k;
    int last = 0;
    while (present) {
        const int k = __builtin_ctzll(present);
        present &= present - 1;
        int run = k - last - 1;
        for (; run >= 16; run -= 16)
            writer.Put(ac.codes[0xF0].bits, ac.codes[0xF0].length);
        // Baseline codes hold at most 10 bits of magnitude.
        const int value = std::clamp(coded[k], -1023, 1023);
        size = MagnitudeBits(value);
        const Code &code = ac.codes[run << 4 | size];
        writer.Put(static_cast<uint32_t>(code.bits) << size | ValueBits(value, size),
                   code.length + size);
        last = k;
    }
    if (last != 63) writer.Put(ac.codes[0x00].bits, ac.codes[0x00].length);
}

void Encoder::EncodeRow(int row, Planes &planes, std::vector<uint8_t> &out) const {
    ConvertRows(row, planes);
    BitWriter writer(out);
    int previous[3] = {0, 0, 0}; // each restart interval starts its predictions afresh
    const int chromaStride = subsampled_ ? paddedWidth_ / 2 : paddedWidth_;
    const float *cb = subsampled_ ? planes.cbSmall.data() : planes.cb.data();
    const float *cr = subsampled_ ? planes.crSmall.data() : planes.cr.data();
    for (int mcu = 0; mcu < mcusPerRow_; ++mcu) {
        const int x = mcu * mcuSide_;
        for (int by = 0; by < mcuSide_; by += 8)
            for (int bx = 0; bx < mcuSide_; bx += 8)
                EncodeBlock(planes.y.data(), paddedWidth_, x + bx, by, luminanceScale_,
                            dcLuminance_, acLuminance_, previous[0], writer);
        EncodeBlock(cb, chromaStride, mcu * 8, 0, chrominanceScale_, dcChrominance_, acChrominance_,
                    previous[1], writer);
        EncodeBlock(cr, chromaStride, mcu * 8, 0, chrominanceScale_, dcChrominance_, acChrominance_,
                    previous[2], writer);
    }
    writer.Finish();
    if (row + 1 < mcuRows_) {
        out.push_back(0xFF);
        out.push_back(static_cast<uint8_t>(0xD0 + row % 8));
    }
}

} // namespace

bool EncodeJpeg(const PixelRows &pixels, int quality, unsigned threads, const ByteSink &sink) {
    const Encoder encoder(pixels, std::clamp(quality, 1, 100));
    const int rowCount = encoder.McuRows();
    std::vector<std::vector<uint8_t>> rows(static_cast<size_t>(rowCount));

    std::atomic<int> next{0};
    std::mutex failureLock;
    std::exception_ptr failure;
    const auto work = [&] {
        try {
            Encoder::Planes planes;
            for (int row; (row = next++) < rowCount;)
                encoder.EncodeRow(row, planes, rows[static_cast<size_t>(row)]);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failureLock);
            if (!failure) failure = std::current_exception();
            next = rowCount;
        }
    };
    std::vector<std::thread> helpers;
    const unsigned wanted = std::min<unsigned>(std::max(threads, 1u), unsigned(rowCount));
    for (unsigned i = 1; i < wanted; ++i) {
        try {
            helpers.emplace_back(work);
        } catch (...) {
            break; // the threads there are share the rows
        }
    }
    work();
    for (std::thread &helper : helpers)
        helper.join();
    if (failure) std::rethrow_exception(failure);

    const std::vector<uint8_t> headers = encoder.Headers();
    if (!sink(headers.data(), headers.size())) return false;
    for (const std::vector<uint8_t> &row : rows)
        if (!sink(row.data(), row.size())) return false;
    const uint8_t end[2] = {0xFF, 0xD9};
    return sink(end, sizeof end);
}

} // namespace savejpg
