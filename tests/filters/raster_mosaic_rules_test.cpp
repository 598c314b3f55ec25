#include "raster_mosaic.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace mirolt;

namespace {
using Positions = std::vector<std::pair<int, int>>;
Positions PositionsOf(const RasterPass &p) {
    Positions out;
    for (int k = 0; k < p.count; ++k)
        out.emplace_back(p.x0 + k * p.dx, p.y0 + k * p.dy);
    return out;
}
Positions Diagonal(int x0, int dx, int y0, int dy, int count) {
    return PositionsOf({x0, dx, y0, dy, count});
}
} // namespace

TEST(RasterFilterRules, CopiesAlongBothDiagonals) {
    auto plan = PlanRasterFilter(200, 100, 10, 10);
    EXPECT_EQ(PositionsOf(plan->pass1), Diagonal(-200, 40, -100, 20, 11));
    EXPECT_EQ(PositionsOf(plan->pass2), Diagonal(200, -40, -100, 20, 11));
    // A square picture: the second pass moves down by the width over n2, ending at y = 0.
    plan = PlanRasterFilter(100, 100, 3, 10);
    EXPECT_EQ(PositionsOf(plan->pass1), Diagonal(-100, 67, -100, 67, 3)); // R(66.67)
    EXPECT_EQ(PositionsOf(plan->pass2), Diagonal(100, -20, -100, 10, 11));
    plan = PlanRasterFilter(5, 5, 4, 4); // R(2.5) = 2
    EXPECT_EQ(PositionsOf(plan->pass1).size(), 6u);
    EXPECT_EQ(plan->pass2.dx, -2);
}

TEST(RasterFilterRules, EveryCountAbove0AndBelowFourTimesTheWidthHasAStep) {
    EXPECT_FALSE(PlanRasterFilter(200, 100, 0, 10));
    EXPECT_FALSE(PlanRasterFilter(200, 100, 10, -1));
    EXPECT_FALSE(PlanRasterFilter(200, 100, 800, 10)); // 2W / n = 0.5 rounds to 0
    EXPECT_FALSE(PlanRasterFilter(200, 100, 10, 800));
    EXPECT_EQ(PlanRasterFilter(200, 100, 799, 10)->pass1.count, 401);
    // Below 1 the step is longer than the picture: one copy, however small the count.
    for (double n : {0.5, 1e-300}) {
        const auto plan = PlanRasterFilter(200, 100, n, n);
        ASSERT_TRUE(plan) << n;
        EXPECT_EQ(PositionsOf(plan->pass1), Diagonal(-200, 0, -100, 0, 1));
        EXPECT_EQ(PositionsOf(plan->pass2), Diagonal(200, 0, -100, 0, 1));
    }
}

TEST(MosaicRules, AveragesBarAndFileNames) {
    EXPECT_EQ(MosaicAverage(75, 6), 12);
    EXPECT_EQ(MosaicAverage(81, 6), 14);
    EXPECT_EQ(MosaicProgressMax(100, 10), 12); // ten rows of blocks
    EXPECT_EQ(MosaicProgressMax(25, 10), 3);

    EXPECT_EQ(StageExportFilter(2), L"*_001～002.bmp|*.bmp");
    EXPECT_EQ(StageFileBase(L"C:\\p\\cat.BMP"), L"C:\\p\\cat");
    // Without the ending the whole name is the base: never beside the chosen folder.
    EXPECT_EQ(StageFileBase(L"C:\\p\\cat"), L"C:\\p\\cat");
    EXPECT_EQ(StageFileBase(L"C:\\p\\cat.png"), L"C:\\p\\cat.png");
    EXPECT_EQ(StageFileName(L"C:\\p\\cat", 99), L"C:\\p\\cat_099.bmp");
}

// A picture of one colour a block, sampled and made again: whole (large enough for the work
// to be shared out), and its top-left part into wider rows, as the flip-book's box takes it.
TEST(MosaicRules, SampledBlocksMakeThePictureAgain) {
    const int w = 703, h = 501, n = 7; // edge blocks 3 wide and 4 high
    std::vector<uint32_t> picture(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            picture[size_t(y) * w + x] = uint32_t(x / n) * 40503u ^ uint32_t(y / n) * 2654435761u;
    const MosaicBlocks m = SampleMosaic(picture.data(), w, w, h, n);
    EXPECT_EQ(m.colors.size(), 101u * 72u);
    std::vector<uint32_t> whole(picture.size());
    ExpandMosaic(m, whole.data(), w, w, h);
    EXPECT_EQ(whole, picture);

    const uint32_t untouched = 0xDEADBEEF;
    std::vector<uint32_t> part(64 * 31, untouched);
    ExpandMosaic(m, part.data(), 64, 50, 30);
    for (int y = 0; y < 31; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(part[size_t(y) * 64 + x],
                      x < 50 && y < 30 ? picture[size_t(y) * w + x] : untouched)
                << x << "," << y;
}
