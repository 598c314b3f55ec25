#include "raster_mosaic.h"

#include "row_workers.h"
#include "vb_numeric.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <cwctype>

namespace mirolt {

uint32_t RasterCodeOf(std::wstring_view name) {
    uint32_t code = 0;
    for (const RasterOperation &op : kRasterOperations)
        if (name == op.name) code = op.code;
    return code;
}

namespace {
// R(): nearest integer, halves to even. A count below 1 makes a step longer than the
// picture, so its pass paints one copy and never adds the step: such a step is only kept
// within 32 bits.
int32_t R(double v) {
    return int32_t(std::clamp(RoundHalfEven(v), double(INT32_MIN), double(INT32_MAX)));
}
} // namespace

std::optional<RasterPlan> PlanRasterFilter(int32_t w, int32_t h, double n1, double n2) {
    if (!(n1 > 0) || !(n2 > 0)) return std::nullopt;
    const int32_t s1 = R(2.0 * w / n1);
    const int32_t s2 = R(-2.0 * w / n2);
    if (s1 <= 0 || s2 >= 0) return std::nullopt;
    RasterPlan plan;
    plan.pass1 = {-w, s1, -h, R(2.0 * h / n1), R(2.0 * w) / s1 + 1};
    // The second pass moves down by the width over n2, not twice the height.
    plan.pass2 = {w, s2, -h, R(double(w) / n2), R(2.0 * w) / -s2 + 1};
    return plan;
}

int32_t MosaicProgressMax(int32_t h, int32_t n) {
    return (h - 1) / (n - 1) + 1; // truncating, as integer division does
}

int32_t MosaicAverage(int32_t sum, int32_t count) {
    return R(double(sum) / double(count == 0 ? 1 : count));
}

MosaicBlocks SampleMosaic(const uint32_t *pixels, size_t stride, int32_t width, int32_t height,
                          int32_t n) {
    MosaicBlocks m{.width = std::max(width, 0), .height = std::max(height, 0), .n = n};
    m.colors.resize(size_t(m.Columns()) * size_t(m.Rows()));
    uint32_t *color = m.colors.data();
    for (int32_t y = 0; y < m.height; y += n) {
        const uint32_t *row = pixels + size_t(y) * stride;
        for (int32_t x = 0; x < m.width; x += n)
            *color++ = row[x];
    }
    return m;
}

void ExpandMosaic(const MosaicBlocks &mosaic, uint32_t *pixels, size_t stride, int32_t width,
                  int32_t height) {
    width = std::clamp(width, 0, mosaic.width);
    height = std::clamp(height, 0, mosaic.height);
    const int32_t n = mosaic.n;
    const int32_t rows = (height + n - 1) / n;
    ForEachRowRange(rows, size_t(width) * size_t(height), [&](int first, int last) {
        for (int32_t by = first; by < last; ++by) {
            const uint32_t *color = mosaic.colors.data() + size_t(by) * size_t(mosaic.Columns());
            const int32_t top = by * n, bottom = std::min(top + n, height);
            uint32_t *row = pixels + size_t(top) * stride;
            for (int32_t x = 0; x < width; x += n)
                std::fill_n(row + x, std::min(n, width - x), *color++);
            for (int32_t y = top + 1; y < bottom; ++y)
                std::memcpy(pixels + size_t(y) * stride, row, size_t(width) * sizeof(uint32_t));
        }
    });
}

namespace {
std::wstring ThreeDigits(int32_t number) {
    wchar_t buf[16];
    std::swprintf(buf, 16, L"%03d", int(number));
    return buf;
}
} // namespace

std::wstring StageExportFilter(int32_t lastNumber) {
    return L"*_001～" + ThreeDigits(lastNumber) + L".bmp|*.bmp";
}

std::wstring StageFileBase(const std::wstring &chosen) {
    if (chosen.size() >= 4) {
        std::wstring ending = chosen.substr(chosen.size() - 4);
        for (wchar_t &c : ending)
            c = wchar_t(std::towlower(c));
        if (ending == L".bmp") return chosen.substr(0, chosen.size() - 4);
    }
    return chosen;
}

std::wstring StageFileName(const std::wstring &base, int32_t number) {
    return base + L"_" + ThreeDigits(number) + L".bmp";
}

} // namespace mirolt
