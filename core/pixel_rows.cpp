#include "pixel_rows.h"

#include "color.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mirolt {
namespace {

// Pixel by pixel through the colour-value rule: the tail of a row, and every pixel where
// there is no SSE2.
template <class Rule> void RowByRule(const uint32_t *src, uint32_t *dst, size_t n, Rule rule) {
    for (size_t i = 0; i < n; ++i)
        dst[i] = BgrxFromColor(rule(ColorFromBgrx(src[i])));
}

#if defined(__SSE2__)
// Four pixels at a time through `quad`, the rest through `rule`. The four go out with
// streaming stores, from the first 16-byte boundary on: a whole picture's result is not read
// again soon, so it need not displace the source from the cache.
template <class Quad, class Rule>
void RowByQuads(const uint32_t *src, uint32_t *dst, size_t n, Quad quad, Rule rule) {
    const size_t head =
        std::min(n, ((16 - (reinterpret_cast<uintptr_t>(dst) & 15)) & 15) / sizeof(uint32_t));
    RowByRule(src, dst, head, rule);
    size_t i = head;
    for (; i + 4 <= n; i += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
        _mm_stream_si128(reinterpret_cast<__m128i *>(dst + i), quad(v));
    }
    _mm_sfence();
    RowByRule(src + i, dst + i, n - i, rule);
}

inline __m128i Lanes(uint32_t v) {
    return _mm_set1_epi32(int(v));
}

// The gray level of each pixel, (B + G + R + 1) / 3, in its lane. The sum fits the lane's
// low 16 bits, so the division is a 16-bit high multiply by 0xAAAB and a shift: exact for
// every value those bits can hold.
inline __m128i GrayLevels(__m128i v) {
    const __m128i byte = Lanes(0xFF);
    const __m128i sum = _mm_add_epi32(
        _mm_add_epi32(_mm_and_si128(v, byte), _mm_and_si128(_mm_srli_epi32(v, 8), byte)),
        _mm_and_si128(_mm_srli_epi32(v, 16), byte));
    const __m128i plusOne = _mm_add_epi32(sum, Lanes(1));
    return _mm_srli_epi32(_mm_mulhi_epu16(plusOne, Lanes(0xAAAB)), 1);
}

// A level k in each lane as the gray pixel (k, k, k, 0).
inline __m128i GrayPixels(__m128i k) {
    return _mm_or_si128(_mm_or_si128(k, _mm_slli_epi32(k, 8)), _mm_slli_epi32(k, 16));
}
#endif

constexpr uint32_t kColorBytes = 0x00FFFFFF;

} // namespace

void GrayscaleRow(const uint32_t *src, uint32_t *dst, size_t n) {
#if defined(__SSE2__)
    RowByQuads(
        src, dst, n, [](__m128i v) { return GrayPixels(GrayLevels(v)); }, GrayscaleOf);
#else
    RowByRule(src, dst, n, GrayscaleOf);
#endif
}

void InvertedRow(const uint32_t *src, uint32_t *dst, size_t n) {
#if defined(__SSE2__)
    RowByQuads(
        src, dst, n, [](__m128i v) { return _mm_andnot_si128(v, Lanes(kColorBytes)); }, InvertedOf);
#else
    RowByRule(src, dst, n, InvertedOf);
#endif
}

void MaskRow(const uint32_t *src, uint32_t *dst, size_t n) {
#if defined(__SSE2__)
    RowByQuads(
        src, dst, n,
        [](__m128i v) {
            const __m128i color = Lanes(kColorBytes);
            const __m128i black = _mm_cmpeq_epi32(_mm_and_si128(v, color), _mm_setzero_si128());
            return _mm_and_si128(black, color);
        },
        MaskOf);
#else
    RowByRule(src, dst, n, MaskOf);
#endif
}

void SepiaRow(const uint32_t *src, uint32_t *dst, size_t n) {
#if defined(__SSE2__)
    // Red + 40 and green + 10 saturate at 255, blue - 30 at 0: the clamps of the rule.
    RowByQuads(
        src, dst, n,
        [](__m128i v) {
            const __m128i warmed =
                _mm_adds_epu8(GrayPixels(GrayLevels(v)), Lanes(BgrxFromColor(Rgb(40, 10, 0))));
            return _mm_subs_epu8(warmed, Lanes(BgrxFromColor(Rgb(0, 0, 30))));
        },
        SepiaOf);
#else
    RowByRule(src, dst, n, SepiaOf);
#endif
}

void BalancedRow(const uint32_t *src, uint32_t *dst, size_t n, int32_t red, int32_t green,
                 int32_t blue) {
    const auto rule = [=](int32_t c) { return BalancedOf(c, red, green, blue); };
#if defined(__SSE2__)
    // A channel in 0..255 plus any offset clamps as it would with the offset cut to
    // -255..255; then a saturating add of the positive part and a saturating subtraction
    // of the negative part give the clamped sum, byte by byte.
    const auto part = [](int32_t offset, int sign) {
        return std::clamp(int64_t{offset} * sign, int64_t{0}, int64_t{255});
    };
    const auto bytes = [&](int sign) {
        return Lanes(BgrxFromColor(
            Rgb(int(part(red, sign)), int(part(green, sign)), int(part(blue, sign)))));
    };
    const __m128i up = bytes(1), down = bytes(-1), color = Lanes(kColorBytes);
    RowByQuads(
        src, dst, n,
        [=](__m128i v) { return _mm_and_si128(_mm_subs_epu8(_mm_adds_epu8(v, up), down), color); },
        rule);
#else
    RowByRule(src, dst, n, rule);
#endif
}

} // namespace mirolt
