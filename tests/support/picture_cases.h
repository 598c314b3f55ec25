#pragma once
// Valid and malformed BMP and JPEG files made by the tests: every header form, and headers
// whose sizes lie, overflow, are zero or negative, whose offsets point outside the file,
// whose palettes overlap the pixels, or that end at any byte.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mirolt::test {

struct PictureSize {
    int width = 0;
    int height = 0;
    bool operator==(const PictureSize &) const = default;
};

struct PictureCase {
    std::string name;
    std::string bytes;
    // What the header declares, or nothing when it must be refused.
    std::optional<PictureSize> declared;
    // For files that are whole and valid: every pixel, top row first, as 0x00BBGGRR.
    std::vector<int32_t> pixels;
};

// Every BMP header form, each valid and then changed field by field.
std::vector<PictureCase> BmpCases();

// A JPEG file's frame header changed in every way; `base` is a whole JPEG file.
std::vector<PictureCase> JpegCases(const std::string &base);

// A JPEG file of marker segments only (its scan is not decodable), frame marker `frame`.
std::string JpegSkeleton(int width, int height, uint8_t frame = 0xC0);

} // namespace mirolt::test
