#include "bmp.h"

#include "vb_error.h"

#include <cstring>

namespace mirolt {
namespace {
void Put16(std::vector<uint8_t> &out, size_t at, uint32_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t> &out, size_t at, uint32_t v) {
    Put16(out, at, v & 0xFFFF);
    Put16(out, at + 2, v >> 16);
}
} // namespace

std::vector<uint8_t> EncodeBmp24(int width, int height, const uint32_t *pixels, int stride) {
    if (width < 0 || height < 0 || stride < width) throw RuntimeError(kInvalidProcedureCall);
    const uint64_t rowBytes = (uint64_t(width) * 3 + 3) & ~uint64_t{3};
    const uint64_t dataBytes = rowBytes * uint64_t(height);
    constexpr uint32_t kHeader = 14 + 40;
    if (dataBytes + kHeader > 0xFFFFFFFFu) throw RuntimeError(kOutOfMemory);
    std::vector<uint8_t> out(kHeader + dataBytes, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<uint32_t>(out.size()));
    Put32(out, 10, kHeader);
    Put32(out, 14, 40);
    Put32(out, 18, static_cast<uint32_t>(width));
    Put32(out, 22, static_cast<uint32_t>(height)); // positive: bottom-up
    Put16(out, 26, 1);
    Put16(out, 28, 24);
    Put32(out, 34, static_cast<uint32_t>(dataBytes));
    Put32(out, 38, 3780); // 96 DPI in pixels per metre
    Put32(out, 42, 3780);
    for (int y = 0; y < height; ++y) {
        const uint32_t *src = pixels + size_t(height - 1 - y) * size_t(stride);
        uint8_t *dst = out.data() + kHeader + size_t(y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            const uint32_t p = src[x];
            dst[3 * x] = static_cast<uint8_t>(p);
            dst[3 * x + 1] = static_cast<uint8_t>(p >> 8);
            dst[3 * x + 2] = static_cast<uint8_t>(p >> 16);
        }
    }
    return out;
}

} // namespace mirolt
