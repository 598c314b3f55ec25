#include "picture_cases.h"

#include "color.h"

#include <cstdlib>

namespace mirolt::test {
namespace {

void Put(std::string &s, size_t at, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        s[at + size_t(i)] = char((value >> (8 * i)) & 0xFF);
}
std::string Le(uint64_t value, int bytes) {
    std::string s(size_t(bytes), '\0');
    Put(s, 0, value, bytes);
    return s;
}

// Eight colours whose channels are 0 or 255, so that 5- and 6-bit channels read exactly.
int32_t Colour(int index) {
    return Rgb(index & 1 ? 255 : 0, index & 2 ? 255 : 0, index & 4 ? 255 : 0);
}

struct BmpSpec {
    const char *name;
    uint32_t headerSize;
    int bits;
    uint32_t compression = 0;
    int height = 3; // negative: top-down
    // A rare form: its header is read, but not every decoder takes its pixels.
    bool rare = false;
    int width = 5;
};

PictureCase MakeBmp(const BmpSpec &s) {
    const bool core = s.headerSize == 12;
    const int rows = std::abs(s.height);
    const int cycle = s.bits == 1 ? 2 : 8;
    const auto index = [cycle](int x, int y) { return (x + 2 * y) % cycle; };
    const int colours = s.bits <= 8 ? 1 << s.bits : 0;

    std::string info(s.headerSize, '\0');
    Put(info, 0, s.headerSize, 4);
    if (core) {
        Put(info, 4, uint32_t(s.width), 2);
        Put(info, 6, uint32_t(rows), 2);
        Put(info, 8, 1, 2);
        Put(info, 10, uint32_t(s.bits), 2);
    } else {
        Put(info, 4, uint32_t(s.width), 4);
        Put(info, 8, uint32_t(s.height), 4);
        Put(info, 12, 1, 2);
        Put(info, 14, uint32_t(s.bits), 2);
        if (s.headerSize >= 40) Put(info, 16, s.compression, 4);
    }
    const uint32_t red = s.bits == 16 ? 0xF800 : 0xFF0000, green = s.bits == 16 ? 0x07E0 : 0xFF00,
                   blue = s.bits == 16 ? 0x001F : 0xFF;
    std::string masks;
    if (s.compression == 3) {
        const std::string m = Le(red, 4) + Le(green, 4) + Le(blue, 4);
        if (s.headerSize == 40)
            masks = m;
        else
            info.replace(40, 12, m);
    }
    std::string palette;
    for (int i = 0; i < colours; ++i) {
        const int32_t c = Colour(i % 8);
        palette += char(BlueOf(c));
        palette += char(GreenOf(c));
        palette += char(RedOf(c));
        if (!core) palette += '\0';
    }

    std::string data;
    for (int r = 0; r < rows; ++r) {
        const int y = s.height < 0 ? r : rows - 1 - r;
        std::string row;
        if (s.compression == 1 || s.compression == 2) { // runs of one pixel, end of line
            for (int x = 0; x < s.width; ++x) {
                row += '\1';
                row += char(s.compression == 1 ? index(x, y) : index(x, y) << 4);
            }
            data += row + std::string(2, '\0');
            continue;
        }
        uint32_t bitsAcc = 0;
        int bitCount = 0;
        for (int x = 0; x < s.width; ++x) {
            const int32_t c = Colour(index(x, y));
            if (s.bits <= 8) {
                bitsAcc = (bitsAcc << s.bits) | uint32_t(index(x, y));
                bitCount += s.bits;
                if (bitCount == 8) {
                    row += char(bitsAcc);
                    bitsAcc = 0;
                    bitCount = 0;
                }
            } else if (s.bits == 16) {
                const bool f565 = s.compression == 3;
                const uint32_t r5 = RedOf(c) >> 3, g = GreenOf(c) >> (f565 ? 2 : 3),
                               b5 = BlueOf(c) >> 3;
                row += Le(f565 ? (r5 << 11) | (g << 5) | b5 : (r5 << 10) | (g << 5) | b5, 2);
            } else {
                row += char(BlueOf(c));
                row += char(GreenOf(c));
                row += char(RedOf(c));
                if (s.bits == 32) row += '\0';
            }
        }
        if (bitCount) row += char(bitsAcc << (8 - bitCount));
        row.resize((row.size() + 3) / 4 * 4, '\0');
        data += row;
    }
    if (s.compression == 1 || s.compression == 2) data += std::string("\0\1", 2);

    const size_t offBits = 14 + info.size() + masks.size() + palette.size();
    std::string file = "BM" + Le(offBits + data.size(), 4) + Le(0, 4) + Le(offBits, 4);
    file += info + masks + palette + data;

    PictureCase c{s.name, file, PictureSize{s.width, rows}, {}};
    for (int y = 0; y < rows && !s.rare; ++y)
        for (int x = 0; x < s.width; ++x)
            c.pixels.push_back(Colour(index(x, y)));
    return c;
}

PictureCase Patched(const PictureCase &base, const std::string &what, size_t at, uint64_t value,
                    int bytes, std::optional<PictureSize> declared = std::nullopt) {
    PictureCase c{base.name + ", " + what, base.bytes, declared, {}};
    Put(c.bytes, at, value, bytes);
    return c;
}

// The file cut after each of its first `upTo` + 1 byte counts.
void AddTruncations(std::vector<PictureCase> &out, const PictureCase &base, size_t upTo) {
    for (size_t n = 0; n <= upTo && n < base.bytes.size(); ++n)
        out.push_back(
            {base.name + ", cut at " + std::to_string(n), base.bytes.substr(0, n), {}, {}});
}

// ... and a BMP without its last byte: its pixel rows are incomplete.
void AddBmpTruncations(std::vector<PictureCase> &out, const PictureCase &base, size_t upTo) {
    AddTruncations(out, base, upTo);
    out.push_back(
        {base.name + ", last byte missing", base.bytes.substr(0, base.bytes.size() - 1), {}, {}});
}

size_t FrameAt(const std::string &jpeg) {
    size_t at = 2;
    while (at + 4 <= jpeg.size() && uint8_t(jpeg[at]) == 0xFF) {
        const uint8_t m = uint8_t(jpeg[at + 1]);
        if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) return at;
        at += 2 + (size_t(uint8_t(jpeg[at + 2])) << 8 | uint8_t(jpeg[at + 3]));
    }
    return std::string::npos;
}

std::string Be16(uint32_t v) {
    return {char(v >> 8), char(v & 0xFF)};
}

std::string Segment(uint8_t marker, const std::string &body) {
    return std::string{char(0xFF), char(marker)} + Be16(uint32_t(body.size()) + 2) + body;
}

} // namespace

std::vector<PictureCase> BmpCases() {
    static const BmpSpec kForms[] = {
        {"OS/2 1.x 24-bit", 12, 24},
        {"OS/2 1.x 8-bit", 12, 8},
        {"OS/2 2.x short header", 16, 24, 0, 3, true},
        {"OS/2 2.x 4-bit", 64, 4},
        {"1-bit", 40, 1},
        {"4-bit", 40, 4},
        {"8-bit", 40, 8},
        {"16-bit", 40, 16},
        {"24-bit", 40, 24},
        {"32-bit", 40, 32},
        {"16-bit bit fields", 40, 16, 3},
        {"32-bit bit fields in a Windows 4 header", 108, 32, 3},
        {"52-byte header", 52, 32, 3, 3, true},
        {"56-byte header", 56, 24, 0, 3, true},
        {"Windows 4 header", 108, 32},
        {"Windows 5 header", 124, 24},
        {"top-down", 40, 24, 0, -3},
        {"RLE8", 40, 8, 1},
        {"RLE4", 40, 4, 2},
    };
    std::vector<PictureCase> out;
    for (const BmpSpec &s : kForms)
        out.push_back(MakeBmp(s));

    const PictureCase rgb = MakeBmp({"24-bit", 40, 24}); // 5 x 3, pixels at 54, 102 bytes
    const uint64_t kMin32 = 0x80000000u, kMax32 = 0x7FFFFFFF;
    const auto refused = [&](const char *what, size_t at, uint64_t value, int bytes = 4) {
        out.push_back(Patched(rgb, what, at, value, bytes));
    };
    for (uint64_t w :
         {uint64_t{0}, uint64_t(uint32_t(-5)), kMin32, kMax32, uint64_t{40000}, uint64_t{65500}})
        refused(("width " + std::to_string(int32_t(w))).c_str(), 18, w);
    for (uint64_t h : {uint64_t{0}, kMin32, kMax32, uint64_t{40000}, uint64_t{65500}})
        refused(("height " + std::to_string(int32_t(h))).c_str(), 22, h);
    out.push_back(Patched(rgb, "narrower than its rows", 18, 4, 4, PictureSize{4, 3}));
    out.push_back(Patched(rgb, "fewer rows than stored", 22, 2, 4, PictureSize{5, 2}));
    for (uint64_t off : {uint64_t{0}, uint64_t{13}, uint64_t{53}, uint64_t{58}, uint64_t{102},
                         uint64_t{103}, uint64_t{0xFFFFFFFF}})
        refused(("pixel offset " + std::to_string(off)).c_str(), 10, off);
    for (uint64_t size :
         {uint64_t{0}, uint64_t{11}, uint64_t{39}, uint64_t{41}, uint64_t{0xFFFFFFFF}})
        refused(("header size " + std::to_string(size)).c_str(), 14, size);
    refused("no planes", 26, 0, 2);
    refused("two planes", 26, 2, 2);
    for (uint64_t bits : {0, 3, 32, 33, 0xFFFF})
        refused(("bits " + std::to_string(bits)).c_str(), 28, bits, 2);
    for (uint64_t comp : {uint64_t{1}, uint64_t{3}, uint64_t{4}, uint64_t{5}, uint64_t{0xFFFFFFFF}})
        refused(("compression " + std::to_string(comp)).c_str(), 30, comp);

    const PictureCase indexed = MakeBmp({"8-bit", 40, 8}); // 256 colours, pixels at 1078
    out.push_back(Patched(indexed, "257 colours", 46, 257, 4));
    out.push_back(Patched(indexed, "colour count overflows", 46, 0xFFFFFFFF, 4));
    out.push_back(Patched(indexed, "palette overlaps the pixels", 10, 1078 - 4, 4));
    PictureCase squeezed =
        Patched(indexed, "8 colours declared, 256 stored", 46, 8, 4, PictureSize{5, 3});
    squeezed.pixels = indexed.pixels;
    out.push_back(squeezed);

    // Every field of the headers, and into the palette or bit masks.
    AddBmpTruncations(out, rgb, 55);
    AddBmpTruncations(out, indexed, 60);
    AddBmpTruncations(out, MakeBmp({"OS/2 1.x 8-bit", 12, 8}), 27);
    AddBmpTruncations(out, MakeBmp({"16-bit bit fields", 40, 16, 3}), 67);
    AddBmpTruncations(out, MakeBmp({"Windows 5 header", 124, 24}), 139);
    AddBmpTruncations(out, MakeBmp({"OS/2 2.x 4-bit", 64, 4}), 79);
    return out;
}

std::string JpegSkeleton(int width, int height, uint8_t frame) {
    std::string jpeg{char(0xFF), char(0xD8)};
    jpeg += Segment(0xE0, std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14));
    jpeg += Segment(0xFE, "made by a test");
    jpeg += Segment(0xDB, std::string(1, '\0') + std::string(64, '\1'));
    jpeg += Segment(frame, std::string(1, 8) + Be16(uint32_t(height)) + Be16(uint32_t(width)) +
                               std::string("\3\1\x22\0\2\x11\1\3\x11\1", 10));
    jpeg += Segment(0xC4, std::string(1, '\0') + std::string(1, '\1') + std::string(15, '\0') +
                              std::string(1, '\0'));
    jpeg += Segment(0xDA, std::string("\3\1\0\2\0\3\0\0\x3F\0", 10));
    jpeg += std::string("\0\0\xFF\xD9", 4);
    return jpeg;
}

std::vector<PictureCase> JpegCases(const std::string &base) {
    std::vector<PictureCase> out;
    const size_t sof = FrameAt(base);
    if (sof == std::string::npos) return out;
    const auto be = [&](size_t at) { return int(uint8_t(base[at])) << 8 | uint8_t(base[at + 1]); };
    const PictureSize size{be(sof + 7), be(sof + 5)};
    const uint8_t kind = uint8_t(base[sof + 1]);
    const auto changed = [&](const std::string &what, size_t at, const std::string &bytes,
                             std::optional<PictureSize> declared = std::nullopt) {
        PictureCase c{"JPEG, " + what, base, declared, {}};
        c.bytes.replace(at, bytes.size(), bytes);
        out.push_back(c);
    };
    out.push_back({"JPEG", base, size, {}});

    for (uint8_t frame : {0xC1, 0xC2, 0xC3, 0xC5, 0xC6, 0xC7, 0xC9, 0xCA, 0xCB, 0xCD, 0xCE, 0xCF})
        changed("frame kind " + std::to_string(frame), sof + 1, std::string(1, char(frame)), size);
    for (uint8_t frame : {kind, uint8_t(0xC2)})
        for (PictureSize lie :
             {PictureSize{40000, 40000}, PictureSize{65500, 65500}, PictureSize{10001, 10000},
              PictureSize{32767, 3052}, PictureSize{1, 65535}, PictureSize{64, 48}})
            changed("frame " + std::to_string(frame) + " claims " + std::to_string(lie.width) +
                        " x " + std::to_string(lie.height),
                    sof + 1,
                    std::string(1, char(frame)) + base.substr(sof + 2, 3) +
                        Be16(uint32_t(lie.height)) + Be16(uint32_t(lie.width)),
                    lie);
    changed("zero height", sof + 5, Be16(0));
    changed("zero width", sof + 7, Be16(0));
    changed("no components", sof + 9, std::string(1, '\0'));
    changed("one component more than its length holds", sof + 9,
            std::string(1, char(base[sof + 9] + 1)));
    for (uint32_t length : {0u, 1u, 7u, 0xFFFFu})
        changed("frame length " + std::to_string(length), sof + 2, Be16(length));
    changed("first segment longer than the file", 4, Be16(0xFFFF));
    changed("a scan before the frame", sof + 1, std::string(1, char(0xDA)));
    changed("hierarchical", sof + 1, std::string(1, char(0xDE)));
    changed("a second start", 3, std::string(1, char(0xD8)));
    changed("ends at once", 0, std::string("\xFF\xD9", 2));

    PictureCase junk{"JPEG, a stray byte before the frame", base, std::nullopt, {}};
    junk.bytes.insert(sof, 1, '\0');
    out.push_back(junk);
    PictureCase fill{"JPEG, fill bytes before the frame", base, size, {}};
    fill.bytes.insert(sof, 2, char(0xFF));
    out.push_back(fill);

    // Every byte up to the last one of the frame header.
    AddTruncations(out, {"JPEG", base, size, {}}, sof + 2 + size_t(be(sof + 2)) - 1);
    return out;
}

} // namespace mirolt::test
