// The PPM plug-in's decoder natively, under the address and undefined-behaviour sanitizers:
// every input lives in a buffer of exactly its size, so a read past it fails the test.
#include "netpbm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using netpbm::Status;

std::vector<uint8_t> Bytes(const std::string &text) {
    return {text.begin(), text.end()};
}

Status Header(const std::string &text, netpbm::Picture &picture) {
    const std::vector<uint8_t> data = Bytes(text);
    return netpbm::ReadHeader(data.data(), data.size(), data.size(), picture);
}

Status Header(const std::string &text) {
    netpbm::Picture picture;
    return Header(text, picture);
}

// The bitmap of a whole file, converted in one go.
std::vector<uint8_t> Convert(const std::string &text) {
    const std::vector<uint8_t> data = Bytes(text);
    netpbm::Picture picture;
    if (netpbm::ReadHeader(data.data(), data.size(), data.size(), picture) != Status::Ok) {
        ADD_FAILURE() << "header refused";
        return {};
    }
    std::vector<uint8_t> levels(picture.maxValue + 1);
    netpbm::Levels(picture.maxValue, levels.data());
    // The samples alone, in a buffer of their own size.
    const std::vector<uint8_t> samples(data.begin() + picture.samplesAt,
                                       data.begin() + picture.samplesAt +
                                           picture.sourceRowBytes * picture.height);
    std::vector<uint8_t> bitmap(picture.bitmapBytes, 0xEE);
    netpbm::ConvertRows(samples.data(), picture, levels.data(), 0, picture.height, bitmap.data());
    return bitmap;
}

TEST(NetpbmHeader, HostileHeadersAreRefused) {
    const struct {
        const char *text;
        Status status;
    } cases[] = {
        {"", Status::NotNetpbm},
        {"P4 1 1\n\x80", Status::NotNetpbm},       // bitmaps are not read
        {"P3 2 1 255\n1 2 3 4 5", Status::Broken}, // six numbers cannot take fewer bytes
        {"P2 30000 30000 255\n0", Status::Broken},
        {"P6", Status::NotNetpbm},
        {"P6\n", Status::Broken},
        {"P6 4 4", Status::Broken},
        {"P6 4 4 255", Status::Broken}, // no white space before the samples
        {"P6 4 4 255\nshort", Status::Broken},
        {"P5 1 1 255\n", Status::Broken},
        {"P6 0 4 255\n", Status::Broken},
        {"P6 4 0 255\n", Status::Broken},
        {"P6 4 4 0\n", Status::Broken},
        {"P6 4 4 65536\n", Status::Broken},
        {"P6 -1 4 255\n", Status::Broken},
        {"P6 4x 4 255\n", Status::Broken},
        {"P6 # a comment that never ends", Status::Broken},
        {"P6#", Status::Broken},
        {"P6 1 1 255# no line end", Status::Broken},
        {"P6 2147483648 1 255\n", Status::Broken},
        {"P6 99999999999999999999999999 1 255\n", Status::Broken},
        {"P6 65536 65536 255\n", Status::TooLarge},
        {"P6 2147483647 2147483647 65535\n", Status::TooLarge},
        {"P5 2147483647 2 255\n", Status::TooLarge},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Header(c.text), c.status);
    }
}

TEST(NetpbmHeader, EveryTruncationOfAGoodFileIsRefused) {
    const std::string samples(3 * 2 * 3 * 2, '\x7f');
    for (const std::string &file :
         {"P6\n# made by hand\n3 2\n65535\n" + samples, "P6#a\n3#b\n2#c\n65535#d\n" + samples}) {
        ASSERT_EQ(Header(file), Status::Ok);
        for (size_t size = 0; size < file.size(); ++size) {
            SCOPED_TRACE(size);
            EXPECT_NE(Header(file.substr(0, size)), Status::Ok);
        }
    }
}

TEST(NetpbmHeader, CommentsAndTrailingBytes) {
    netpbm::Picture picture;
    ASSERT_EQ(Header("P5 # gray\n#\n2\t1 # two\n15\rab and more", picture), Status::Ok);
    EXPECT_EQ(picture.width, 2);
    EXPECT_EQ(picture.height, 1);
    EXPECT_TRUE(picture.gray);
    EXPECT_EQ(picture.maxValue, 15u);
    EXPECT_EQ(picture.samplesAt, 25u);
}

TEST(NetpbmConvert, PpmRowsGoBottomUpAsBlueGreenRedWithZeroPadding) {
    const std::vector<uint8_t> bitmap = Convert("P6 1 2 255\n\x01\x02\x03\x04\x05\x06");
    EXPECT_EQ(bitmap, (std::vector<uint8_t>{6, 5, 4, 0, 3, 2, 1, 0}));
}

TEST(NetpbmConvert, SamplesAreScaledFromTheirMaximum) {
    // 16-bit gray, high byte first, top-down: 0, the maximum, half, and above the maximum.
    EXPECT_EQ(Convert("P5 4 1 1000\n" + std::string("\x00\x00\x03\xe8\x01\xf4\xff\xff", 8)),
              (std::vector<uint8_t>{0, 255, 128, 255}));
    // Four-bit colour.
    EXPECT_EQ(Convert(std::string("P6 1 1 15\n\x0f\x07\x00", 13)),
              (std::vector<uint8_t>{0, 119, 255, 0}));
}

// A plain file read from pieces of `piece` bytes, each in a buffer of exactly its size; an
// empty bitmap when the samples are refused.
std::vector<uint8_t> ConvertPlain(const std::string &text, size_t piece) {
    const std::vector<uint8_t> data = Bytes(text);
    netpbm::Picture picture;
    if (netpbm::ReadHeader(data.data(), data.size(), data.size(), picture) != Status::Ok ||
        !picture.plain) {
        ADD_FAILURE() << "header refused";
        return {};
    }
    std::vector<uint8_t> levels(picture.maxValue + 1);
    netpbm::Levels(picture.maxValue, levels.data());
    std::vector<uint8_t> bitmap(picture.bitmapBytes, 0xEE);
    netpbm::PlainSamples samples(picture, levels.data(), bitmap.data());
    for (size_t at = picture.samplesAt; at < data.size() && !samples.Complete(); at += piece) {
        const std::vector<uint8_t> bytes(data.begin() + at,
                                         data.begin() + std::min(at + piece, data.size()));
        if (!samples.Read(bytes.data(), bytes.size())) return {};
    }
    return samples.Finish() ? bitmap : std::vector<uint8_t>{};
}

TEST(NetpbmPlain, ColourAndGrayArePixelExactWhereverTheFileIsCut) {
    const std::string ppm = "P3\n# two by two\n2 2\n255\n255 0 0  0 255 0\n"
                            "0 0 255 # blue\n\t10 20\r\n30";
    const std::string pgm = "P2 3 1 65535 # sixteen bits\n0\n65535 32768 and what follows";
    for (size_t piece : {1, 2, 5, 1000}) {
        SCOPED_TRACE(piece);
        // Bottom-up, blue first, rows padded with zeros to four bytes.
        EXPECT_EQ(ConvertPlain(ppm, piece),
                  (std::vector<uint8_t>{255, 0, 0, 30, 20, 10, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0}));
        EXPECT_EQ(ConvertPlain(pgm, piece), (std::vector<uint8_t>{0, 255, 128, 0}));
    }
    // Above the maximum counts as the maximum, as in the binary forms.
    EXPECT_EQ(ConvertPlain("P2 2 1 15\n15 40", 1000), (std::vector<uint8_t>{255, 255, 0, 0}));
}

TEST(NetpbmPlain, SamplesThatAreNotNumbersOrTooFewAreRefused) {
    for (const char *text : {"P2 2 1 255\n1 x", "P2 2 1 255\n1 70000", "P2 2 1 255\n1-2",
                             "P2 2 1 255\n1 # 2", "P2 2 1 255\n1 +2", "P3 1 1 255\n1 2 3.5"}) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(ConvertPlain(text, 1).empty());
        EXPECT_TRUE(ConvertPlain(text, 1000).empty());
    }
}

// A comment may follow the signature and each number directly. After the maximum, the
// comment's line end is the one white-space character before the samples: here the binary
// samples begin with bytes that are white space and '#' themselves.
TEST(NetpbmHeader, CommentsRightAfterTheTokens) {
    EXPECT_TRUE(netpbm::HasSignature(Bytes("P6#").data(), 3));
    EXPECT_EQ(Convert("P5#a\n2#b\n1#c\n255#d\n\n#"), (std::vector<uint8_t>{10, 35, 0, 0}));
    EXPECT_EQ(Convert("P6#a\n1#b\n2#c\n255#d\r\r#\x01\x02\x03\x04"),
              (std::vector<uint8_t>{4, 3, 2, 0, 1, 35, 13, 0}));
    EXPECT_EQ(ConvertPlain("P3#a\n1#b\n1#c\n255#d\n1 2 3", 1), (std::vector<uint8_t>{3, 2, 1, 0}));
    EXPECT_EQ(ConvertPlain("P2#a\r2#b\r1#c\r15#d\r15#e\r0", 1000),
              (std::vector<uint8_t>{255, 0, 0, 0}));
}

} // namespace
