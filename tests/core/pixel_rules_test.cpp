#include "pixel_rules.h"

#include "color.h"
#include "vb_numeric.h"

#include <gtest/gtest.h>

#include <climits>

using namespace mirolt;

TEST(PixelRules, MeanOfTheChannelsRoundsLikeTheRuntime) {
    for (int s = 0; s <= 765; ++s) {
        EXPECT_EQ(ThirdRounded(s), int(RoundHalfEven(s / 3.0))) << s;
        EXPECT_EQ(ThirdRounded(s), (s + 1) / 3) << s;
    }
    EXPECT_EQ(GrayscaleOf(Rgb(10, 20, 31)), Rgb(20, 20, 20)); // 20.33
    EXPECT_EQ(GrayscaleOf(Rgb(1, 2, 2)), Rgb(2, 2, 2));       // 1.67
    EXPECT_EQ(GrayscaleOf(Rgb(0, 0, 1)), 0);
    EXPECT_EQ(GrayscaleOf(Rgb(255, 255, 255)), Rgb(255, 255, 255));
    // The highest byte takes no part; -1 splits into 255, 255, 255.
    EXPECT_EQ(GrayscaleOf(int32_t(0x7F030201)), Rgb(2, 2, 2));
    EXPECT_EQ(GrayscaleOf(-1), Rgb(255, 255, 255));
}

TEST(PixelRules, SepiaWarmsTheMeanAndClamps) {
    EXPECT_EQ(SepiaOf(Rgb(255, 255, 255)), Rgb(255, 255, 225));
    EXPECT_EQ(SepiaOf(Rgb(0, 0, 0)), Rgb(40, 10, 0));
    EXPECT_EQ(SepiaOf(Rgb(100, 100, 100)), Rgb(140, 110, 70));
    EXPECT_EQ(SepiaOf(Rgb(10, 20, 31)), Rgb(60, 30, 0)); // mean 20: blue clamps at 0
    EXPECT_EQ(SepiaOf(Rgb(215, 215, 215)), Rgb(255, 225, 185));
}

TEST(PixelRules, InversionAndMask) {
    EXPECT_EQ(InvertedOf(Rgb(0, 128, 255)), Rgb(255, 127, 0));
    for (int32_t c : {0, 0x123456, 0xFFFFFF, 0x010000})
        EXPECT_EQ(InvertedOf(InvertedOf(c)), c);
    EXPECT_EQ(InvertedOf(-1), 0);
    // Only exactly black becomes white.
    EXPECT_EQ(MaskOf(Rgb(0, 0, 0)), Rgb(255, 255, 255));
    EXPECT_EQ(MaskOf(Rgb(0, 0, 1)), 0);
    EXPECT_EQ(MaskOf(Rgb(1, 0, 0)), 0);
    EXPECT_EQ(MaskOf(Rgb(255, 255, 255)), 0);
}

TEST(PixelRules, BalanceAndBrightnessAddOffsetsAndClamp) {
    const int32_t c = Rgb(10, 128, 250);
    EXPECT_EQ(BalancedOf(c, 0, 0, 0), c);
    EXPECT_EQ(BalancedOf(c, 255, 0, -255), Rgb(255, 128, 0));
    EXPECT_EQ(BalancedOf(c, -11, 127, 5), Rgb(0, 255, 255));
    EXPECT_EQ(BalancedOf(c, -10, -1, 1), Rgb(0, 127, 251));
    EXPECT_EQ(BrightenedOf(c, 255), Rgb(255, 255, 255));
    EXPECT_EQ(BrightenedOf(c, -255), 0);
    EXPECT_EQ(BrightenedOf(c, 5), Rgb(15, 133, 255));
    // Offsets no dialog produces still clamp instead of overflowing.
    EXPECT_EQ(BalancedOf(c, INT_MAX, INT_MIN, 40000), Rgb(255, 0, 255));
    EXPECT_EQ(BrightenedOf(Rgb(255, 255, 255), INT_MIN), 0);
}

TEST(PixelRules, PreviewLevelRoundsHalvesToEven) {
    const std::pair<int, int> cases[] = {{-255, 0}, {-2, 126}, {-1, 127},  {0, 128},
                                         {1, 128},  {2, 128},  {254, 254}, {255, 255}};
    for (auto [v, level] : cases)
        EXPECT_EQ(PreviewLevel(v), level) << v;
    EXPECT_EQ(PreviewColor(0, 0, 0), Rgb(128, 128, 128));
    EXPECT_EQ(PreviewColor(255, -255, 0), Rgb(255, 0, 128));
}
