#include "picture_header.h"
#include "picture_limits.h"

#include "picture_cases.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace mirolt;
using namespace mirolt::test;

namespace {

std::optional<PictureHeader> Read(const std::string &file) {
    return ReadPictureHeader(
        [&](uint64_t offset, uint8_t *to, size_t count) -> size_t {
            if (offset >= file.size()) return 0;
            const size_t n = std::min<size_t>(count, file.size() - size_t(offset));
            std::memcpy(to, file.data() + offset, n);
            return n;
        },
        file.size());
}

std::string Segment(uint8_t marker, const std::string &body) {
    const size_t n = body.size() + 2;
    return std::string{char(0xFF), char(marker), char(n >> 8), char(n & 0xFF)} + body;
}

} // namespace

TEST(PictureHeader, EveryGeneratedFileReadsAsItsHeaderDeclares) {
    std::vector<PictureCase> cases = BmpCases();
    for (PictureCase &c : JpegCases(JpegSkeleton(32, 24)))
        cases.push_back(std::move(c));
    for (const PictureCase &c : cases) {
        const auto header = Read(c.bytes);
        if (!c.declared) {
            EXPECT_FALSE(header) << c.name << " read as " << header->width << " x "
                                 << header->height;
            continue;
        }
        ASSERT_TRUE(header) << c.name;
        EXPECT_EQ(header->width, c.declared->width) << c.name;
        EXPECT_EQ(header->height, c.declared->height) << c.name;
        EXPECT_EQ(header->format, c.bytes[0] == 'B' ? PictureFormat::Bmp : PictureFormat::Jpeg);
    }
}

TEST(PictureHeader, OtherFilesAreNeitherFormat) {
    for (const std::string &file :
         {std::string(), std::string("B"), std::string("GIF89a\1\0\1\0"),
          std::string("\x89PNG\r\n\x1A\n", 8), std::string("\xFF\xD8", 2)})
        EXPECT_FALSE(Read(file)) << file;
}

// An embedded thumbnail's frame is inside a segment and must not be taken for the
// picture's; segments longer than the reader's window are skipped whole.
TEST(PictureHeader, JpegSegmentsAreWalkedNotSearched) {
    const std::string main = JpegSkeleton(640, 480);
    const std::string thumbnail = JpegSkeleton(8, 8);
    std::string file = main.substr(0, 2) + Segment(0xE1, "Exif\0\0" + thumbnail) +
                       Segment(0xE2, std::string(20000, '\xFF')) + main.substr(2);
    const auto header = Read(file);
    ASSERT_TRUE(header);
    EXPECT_EQ(*header, (PictureHeader{PictureFormat::Jpeg, 640, 480}));
}

TEST(PictureLimit, SixtyFourBitTakesEveryPictureUpTo32763ASideAnd100Megapixels) {
    const PictureLimit limit = PictureLimitFor(8);
    EXPECT_TRUE(limit.Fits(32763, 3052));
    EXPECT_TRUE(limit.Fits(10000, 10000));
    EXPECT_FALSE(limit.Fits(10001, 10000));
    EXPECT_FALSE(limit.Fits(32764, 1)); // its view, with a border of 2 a side, would be cut
    EXPECT_FALSE(limit.Fits(1, 32764));
    EXPECT_FALSE(limit.Fits(0, 1));
    // The working images carry the view's border around the largest picture.
    EXPECT_TRUE(limit.SurfaceFits(10004, 10004));
    EXPECT_TRUE(limit.SurfaceFits(32771, 3055));
    EXPECT_FALSE(limit.SurfaceFits(30004, 30004));
    // 32-bit takes less, and still a picture a camera makes.
    EXPECT_LT(PictureLimitFor(4).maxPixels, limit.maxPixels);
    EXPECT_TRUE(PictureLimitFor(4).Fits(6000, 4000));
}
