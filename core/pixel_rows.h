#pragma once
// The pixel rules over rows of 32-bit DIB pixels (bytes B, G, R, X), for loops over whole
// pictures. For every pixel p each row form writes exactly BgrxFromColor(rule(ColorFromBgrx(p))):
// the fourth byte is ignored and written as 0. Where the processor has SSE2 they take four
// pixels at a time in integer arithmetic that gives the same results as the rules.
//
// Each rule is also a type pairing the colour-value form (for Point and PSet) with the row
// form, so that one loop can use either.
#include "pixel_rules.h"

#include <cstddef>
#include <cstdint>

namespace mirolt {

void GrayscaleRow(const uint32_t *src, uint32_t *dst, size_t n);
void InvertedRow(const uint32_t *src, uint32_t *dst, size_t n);
void MaskRow(const uint32_t *src, uint32_t *dst, size_t n);
void SepiaRow(const uint32_t *src, uint32_t *dst, size_t n);
void BalancedRow(const uint32_t *src, uint32_t *dst, size_t n, int32_t red, int32_t green,
                 int32_t blue);

struct GrayscaleRule {
    int32_t operator()(int32_t c) const { return GrayscaleOf(c); }
    void Row(const uint32_t *src, uint32_t *dst, size_t n) const { GrayscaleRow(src, dst, n); }
};
struct InversionRule {
    int32_t operator()(int32_t c) const { return InvertedOf(c); }
    void Row(const uint32_t *src, uint32_t *dst, size_t n) const { InvertedRow(src, dst, n); }
};
struct MaskRule {
    int32_t operator()(int32_t c) const { return MaskOf(c); }
    void Row(const uint32_t *src, uint32_t *dst, size_t n) const { MaskRow(src, dst, n); }
};
struct SepiaRule {
    int32_t operator()(int32_t c) const { return SepiaOf(c); }
    void Row(const uint32_t *src, uint32_t *dst, size_t n) const { SepiaRow(src, dst, n); }
};
// Colour balance and, with one offset for all three channels, brightness.
struct BalanceRule {
    int32_t red, green, blue;
    int32_t operator()(int32_t c) const { return BalancedOf(c, red, green, blue); }
    void Row(const uint32_t *src, uint32_t *dst, size_t n) const {
        BalancedRow(src, dst, n, red, green, blue);
    }
};

} // namespace mirolt
