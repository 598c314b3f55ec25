#include "layout.h"
#include "vb_error.h"

#include <gtest/gtest.h>

using namespace mirolt;

TEST(ScrollBarMax, RoundingCases) {
    EXPECT_EQ(ScrollBarMax(101, 100), 1); // 1.02 -> 1
    EXPECT_EQ(ScrollBarMax(125, 100), 2); // 1.5  -> 2
    EXPECT_EQ(ScrollBarMax(175, 100), 2); // 2.5  -> 2
    EXPECT_EQ(ScrollBarMax(176, 100), 3);
    EXPECT_EQ(ScrollBarMax(100, 100), std::nullopt); // equal: no bar
    EXPECT_EQ(ScrollBarMax(50, 100), std::nullopt);
    EXPECT_EQ(ScrollBarMax(100.5, 100), 1); // fractional pane sizes from the layout
}

TEST(ScrollBarMax, LastStepLeavesBetween25And75PixelsOfBackground) {
    for (int diff = 1; diff < 2000; ++diff) {
        const int max = *ScrollBarMax(1000 + diff, 1000);
        const int beyond = max * kScrollStep - diff;
        EXPECT_GE(beyond, 25) << diff;
        EXPECT_LE(beyond, 75) << diff;
    }
}

TEST(ScrollOffset, SixteenBitProduct) {
    EXPECT_EQ(ScrollOffset(0), 0);
    EXPECT_EQ(ScrollOffset(3), -150);
    EXPECT_EQ(ScrollOffset(655), -32750);
    EXPECT_THROW(ScrollOffset(656), RuntimeError);
}
