#include "pixel_rows.h"

#include "color.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace mirolt;

namespace {

// Runs the row form over every colour, with rubbish in the fourth byte, in rows of an odd
// length starting at odd and even places, and compares each pixel with the colour rule.
template <class Rule> void ExpectRowsFollowTheRule(const Rule &rule) {
    constexpr uint32_t kColors = 1u << 24;
    std::vector<uint32_t> src(4099), dst(src.size());
    for (uint32_t first = 0, row = 0; first < kColors; ++row) {
        const size_t skip = row % 2, n = std::min<size_t>(src.size() - skip, kColors - first);
        for (size_t i = 0; i < n; ++i)
            src[skip + i] = (first + uint32_t(i)) | ((first + uint32_t(i)) * 2654435761u << 24);
        rule.Row(src.data() + skip, dst.data() + skip, n);
        for (size_t i = 0; i < n; ++i) {
            const uint32_t p = src[skip + i];
            ASSERT_EQ(dst[skip + i], BgrxFromColor(rule(ColorFromBgrx(p)))) << std::hex << p;
        }
        first += uint32_t(n);
    }
}

} // namespace

TEST(PixelRows, EveryRowFormFollowsItsRuleForEveryColour) {
    ExpectRowsFollowTheRule(GrayscaleRule{});
    ExpectRowsFollowTheRule(InversionRule{});
    ExpectRowsFollowTheRule(MaskRule{});
    ExpectRowsFollowTheRule(SepiaRule{});
    for (const BalanceRule &b :
         {BalanceRule{0, 0, 0}, BalanceRule{255, 0, -255}, BalanceRule{-11, 127, 5},
          BalanceRule{-1, 1, 300}, BalanceRule{INT_MAX, INT_MIN, -40000}}) {
        SCOPED_TRACE(testing::Message() << b.red << " " << b.green << " " << b.blue);
        ExpectRowsFollowTheRule(b);
    }
}
