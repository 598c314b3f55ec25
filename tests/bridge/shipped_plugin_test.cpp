// The PPM/PGM plug-in that ships (ifppm.spi / ifppm.sph) through Brovik.dll: what it
// reads, the packed record it fills, and the files it refuses.
#include "bridge_harness.h"
#include "plugins/plugin_support.h"

#include <cstring>

using namespace bridge_test;

namespace {

#ifdef _WIN64
constexpr char kShipped[] = "ifppm.sph";
#else
constexpr char kShipped[] = "ifppm.spi";
#endif
constexpr uint32_t kFill = 0x00ABCDEF;

using ShippedPlugin = BridgeTest;

int32_t WINAPI StopAtOnce(int32_t, int32_t, LONG_PTR) {
    return 1;
}

TEST_F(ShippedPlugin, ReadsEightAndSixteenBitPpmAndPgmBinaryAndPlain) {
    const std::string plugin = Plugin(kShipped);
    char text[256];
    ASSERT_EQ(bridge.getPluginInfo(plugin.c_str(), susie::kInfoVersion, text), 0);
    EXPECT_STREQ(text, "00IN");
    ASSERT_EQ(bridge.getPluginInfo(plugin.c_str(), susie::kInfoFirstPattern, text), 0);
    EXPECT_STREQ(text, "*.ppm;*.pgm;*.pnm");

    const struct {
        const char *name;
        std::string content;
        uint32_t left, right;
    } pictures[] = {
        {"wide.ppm",
         std::string("P6 2 1 65535\n\xff\xff\x00\x00\x80\x00\x00\x00\x00\x00\x00\x00", 25),
         0xFF0080, 0x000000},
        {"four.pgm", std::string("P5 2 1 15\n\x0f\x05", 12), 0xFFFFFF, 0x555555},
        {"plain.ppm", Ppm(2, 1, {0x102030, 0x405060}), 0x102030, 0x405060},
        {"text.ppm", "P3 2 1 255\n16 32 48\n64 80 96\n", 0x102030, 0x405060},
        {"text.pgm", "P2\n# four bits\n2 1\n15\n15 5", 0xFFFFFF, 0x555555},
    };
    for (const auto &picture : pictures) {
        SCOPED_TRACE(picture.name);
        const std::string path = WriteFile(picture.name, picture.content);
        EXPECT_EQ(bridge.isSupported(plugin.c_str(), path.c_str()), 0);
        Canvas canvas(3, 2, kFill);
        ASSERT_EQ(bridge.getPicture(plugin.c_str(), path.c_str(), canvas.dc()), 1);
        EXPECT_EQ(canvas.At(0, 0), picture.left);
        EXPECT_EQ(canvas.At(1, 0), picture.right);
        EXPECT_EQ(canvas.ChangedOutside(2, 1), 0);
    }
}

TEST_F(ShippedPlugin, FillsThePackedRecordAndNothingPastIt) {
    const std::string path = WriteFile("a.pgm", Pgm(5, 3, std::vector<uint8_t>(15, 9)));
    unsigned char record[40];
    memset(record, 0xEE, sizeof record);
    ASSERT_EQ(bridge.getPictureInfo(Plugin(kShipped).c_str(), path.c_str(),
                                    reinterpret_cast<susie::PictureInfo *>(record)),
              1);
    int32_t width = 0, height = 0;
    int16_t depth = 0;
    memcpy(&width, record + 8, 4);
    memcpy(&height, record + 12, 4);
    memcpy(&depth, record + 20, 2);
    EXPECT_EQ(width, 5);
    EXPECT_EQ(height, 3);
    EXPECT_EQ(depth, 8);
    // As real plug-ins lay it out: packed in 64-bit code, naturally aligned in 32-bit code.
    const size_t textAt = sizeof(void *) == 8 ? 22 : 24;
    const size_t size = sizeof(void *) == 8 ? 30 : 28;
    EXPECT_EQ(std::string(record + textAt, record + textAt + sizeof(HLOCAL)),
              std::string(sizeof(HLOCAL), '\0'));
    EXPECT_EQ(std::string(record + size, record + sizeof record),
              std::string(sizeof record - size, '\xEE'));
}

TEST_F(ShippedPlugin, FilesThatLieAreRefusedWithoutDrawing) {
    const std::string plugin = Plugin(kShipped);
    const char *files[] = {
        "P6 100 100 255\nonly a few bytes", // a size the data does not have
        "P6 65536 65536 255\n",             // more than a bitmap may hold
        "P6 4294967296 4294967296 255\n",   // sizes that overflow
        "P6 4 4 0\n",                       // no maximum value
        "P5 4 4 65536\n",
        "P6 4",
        "P3 100 100 255\n1 2 3", // plain: at least a digit and a blank a sample
    };
    for (const char *content : files) {
        SCOPED_TRACE(content);
        const std::string path = WriteFile("bad.ppm", content);
        susie::PictureInfo record{};
        EXPECT_EQ(bridge.getPictureInfo(plugin.c_str(), path.c_str(), &record), 0);
        Canvas canvas(4, 4, kFill);
        EXPECT_EQ(bridge.getPicture(plugin.c_str(), path.c_str(), canvas.dc()), 0);
        EXPECT_TRUE(canvas.Untouched());
    }
    // Plain samples that are no numbers are found while decoding.
    const std::string path = WriteFile("bad.ppm", "P3 2 1 255\n1 2 3 4 5 x");
    Canvas canvas(4, 4, kFill);
    EXPECT_EQ(bridge.getPicture(plugin.c_str(), path.c_str(), canvas.dc()), 0);
    EXPECT_TRUE(canvas.Untouched());
}

// What the bridge never asks but other hosts do: a picture inside a larger file, input
// from memory, a progress callback that stops the decoding.
TEST_F(ShippedPlugin, OffsetsMemoryInputAndProgress) {
    HMODULE module = LoadLibraryA(Plugin(kShipped).c_str());
    ASSERT_TRUE(module);
    const auto getPicture = reinterpret_cast<susie::GetPictureProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, susie::kGetPictureName)));
    ASSERT_TRUE(getPicture);
    const std::string path = WriteFile("inside.bin", "junk!" + Ppm(1, 1, {0x102030}));
    HLOCAL info = nullptr, bits = nullptr;
    EXPECT_EQ(getPicture(path.c_str(), 5, 0, &info, &bits, nullptr, 0), 0);
    EXPECT_TRUE(info && bits);
    LocalFree(info);
    LocalFree(bits);
    info = bits = nullptr;
    EXPECT_EQ(getPicture(path.c_str(), 0, 0, &info, &bits, nullptr, 0), 2); // junk first
    EXPECT_EQ(getPicture(path.c_str(), 5, 1, &info, &bits, nullptr, 0), -1);
    EXPECT_EQ(getPicture(path.c_str(), 5, 0, &info, &bits, &StopAtOnce, 0), 1);
    EXPECT_FALSE(info || bits);
    FreeLibrary(module);
}

} // namespace
