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

TEST(RasterFilterRules, CodesByExactName) {
    EXPECT_EQ(RasterCodeOf(L"SrcInvert"), 0x00660046u);
    EXPECT_EQ(RasterCodeOf(L"NotSrcCopy"), 0x00330008u); // typed only, yet known
    EXPECT_EQ(RasterCodeOf(L"srcinvert"), 0u);
    EXPECT_EQ(RasterCodeOf(L""), 0u);
    EXPECT_EQ(std::size(kRasterOperationList), 9u);
}

TEST(RasterFilterRules, CopiesAlongBothDiagonals) {
    auto plan = PlanRasterFilter(200, 100, 10, 10);
    ASSERT_TRUE(plan);
    EXPECT_EQ(PositionsOf(plan->pass1), Diagonal(-200, 40, -100, 20, 11));
    EXPECT_EQ(PositionsOf(plan->pass2), Diagonal(200, -40, -100, 20, 11));

    // A square picture: the second pass moves down by the width over n2, ending at y = 0.
    plan = PlanRasterFilter(100, 100, 10, 10);
    ASSERT_TRUE(plan);
    EXPECT_EQ(PositionsOf(plan->pass1), Diagonal(-100, 20, -100, 20, 11));
    EXPECT_EQ(PositionsOf(plan->pass2), Diagonal(100, -20, -100, 10, 11));

    plan = PlanRasterFilter(100, 100, 3, 10); // R(66.67) = 67: three copies
    ASSERT_TRUE(plan);
    EXPECT_EQ(PositionsOf(plan->pass1), Diagonal(-100, 67, -100, 67, 3));

    plan = PlanRasterFilter(5, 5, 4, 4); // R(2.5) = 2, halves to even
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->pass1.dx, 2);
    EXPECT_EQ(plan->pass1.count, 6);
    EXPECT_EQ(plan->pass2.dx, -2);
}

TEST(RasterFilterRules, CountsWithoutAStepAreRefused) {
    EXPECT_FALSE(PlanRasterFilter(200, 100, 0, 10));
    EXPECT_FALSE(PlanRasterFilter(200, 100, 10, 0));
    EXPECT_FALSE(PlanRasterFilter(200, 100, 800, 10)); // 2W / n = 0.5 rounds to 0
    EXPECT_TRUE(PlanRasterFilter(200, 100, 799, 10));
    EXPECT_FALSE(PlanRasterFilter(0, 0, 10, 10)); // no picture

    EXPECT_EQ(RasterCountOf(L"10"), 10.0);
    EXPECT_FALSE(RasterCountOf(L""));
    EXPECT_FALSE(RasterCountOf(L"1x"));
}

TEST(MosaicRules, AveragesAndBarMaximum) {
    EXPECT_EQ(MosaicAverage(75, 6), 12);
    EXPECT_EQ(MosaicAverage(81, 6), 14);
    EXPECT_EQ(MosaicAverage(0, 0), 0);
    EXPECT_EQ(MosaicAverage(2'550'000, 10'000), 255);

    EXPECT_EQ(MosaicProgressMax(100, 10), 12); // ten rows of blocks
    EXPECT_EQ(MosaicProgressMax(25, 10), 3);
    EXPECT_EQ(MosaicProgressMax(1, 3), 1);
}

TEST(MosaicRules, StageFileNames) {
    EXPECT_EQ(StageExportFilter(2), L"*_001～002.bmp|*.bmp");
    EXPECT_EQ(StageExportFilter(99), L"*_001～099.bmp|*.bmp");

    EXPECT_EQ(StageFileBase(L"C:\\pics\\cat.bmp"), L"C:\\pics\\cat");
    EXPECT_EQ(StageFileBase(L"C:\\pics\\cat.BMP"), L"C:\\pics\\cat");
    // Without the ending the whole name is the base: never beside the chosen folder.
    EXPECT_EQ(StageFileBase(L"C:\\pics\\cat"), L"C:\\pics\\cat");
    EXPECT_EQ(StageFileBase(L"C:\\pics\\cat.png"), L"C:\\pics\\cat.png");
    EXPECT_EQ(StageFileBase(L"bmp"), L"bmp");

    EXPECT_EQ(StageFileName(L"C:\\pics\\cat", 1), L"C:\\pics\\cat_001.bmp");
    EXPECT_EQ(StageFileName(L"x", 99), L"x_099.bmp");
}
