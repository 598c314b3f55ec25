#include "bmp.h"

#include <gtest/gtest.h>

using namespace mirolt;

namespace {
uint32_t Le32(const std::vector<uint8_t> &b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}
} // namespace

TEST(Bmp, WritesBottomUpPaddedRows) {
    // 3 x 2, stride 4: rows are 9 bytes, padded to 12.
    const uint32_t px[] = {0x010203, 0x040506, 0x070809, 0xFFFFFFFF,
                           0x0A0B0C, 0x0D0E0F, 0x101112, 0xFFFFFFFF};
    const auto b = EncodeBmp24(3, 2, px, 4);
    ASSERT_EQ(b.size(), 54u + 24u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(Le32(b, 2), b.size());
    EXPECT_EQ(Le32(b, 10), 54u);
    EXPECT_EQ(Le32(b, 18), 3u);
    EXPECT_EQ(Le32(b, 22), 2u);
    EXPECT_EQ(b[28], 24);
    // First stored row is the bottom one, bytes B, G, R.
    EXPECT_EQ(b[54], 0x0C);
    EXPECT_EQ(b[55], 0x0B);
    EXPECT_EQ(b[56], 0x0A);
    EXPECT_EQ(b[54 + 9], 0); // padding
    EXPECT_EQ(b[54 + 12], 0x03);
    EXPECT_EQ(b[54 + 12 + 8], 0x07);
}

TEST(Bmp, EmptyPictureIsAValidFile) {
    const auto b = EncodeBmp24(0, 0, nullptr, 0);
    EXPECT_EQ(b.size(), 54u);
}
