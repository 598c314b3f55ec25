// Brovik.dll with our test plug-ins: results, what the plug-ins are handed, drawing, and
// that no call leaves a plug-in, a file or memory behind (checked after every test).
#include "bridge_harness.h"
#include "plugins/plugin_support.h"
#include "plugins/test_plugins.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

using namespace bridge_test;
namespace fs = std::filesystem;

namespace {

constexpr uint32_t kFill = 0x00ABCDEF;
const std::string kSrcCopy = "0 cc0020"; // DIB_RGB_COLORS and SRCCOPY as recorded

// The four results for one plug-in path and one picture file: picture, picture
// information, information 0, support test.
struct Results {
    int32_t picture, pictureInfo, pluginInfo, supported;
    bool operator==(const Results &) const = default;
};

void PrintTo(const Results &r, std::ostream *out) {
    *out << r.picture << "/" << r.pictureInfo << "/" << r.pluginInfo << "/" << r.supported;
}

class BridgeCalls : public BridgeTest {
  protected:
    Results CallAll(const std::string &plugin, const std::string &file) {
        Canvas canvas(8, 8, kFill);
        susie::PictureInfo record{};
        char text[256] = {};
        const Results results{
            bridge.getPicture(plugin.c_str(), file.c_str(), canvas.dc()),
            bridge.getPictureInfo(plugin.c_str(), file.c_str(), &record),
            bridge.getPluginInfo(plugin.c_str(), susie::kInfoVersion, text),
            bridge.isSupported(plugin.c_str(), file.c_str()),
        };
        if (results.picture == brovik::kPictureFailed) {
            EXPECT_TRUE(canvas.Untouched()) << "a failed picture call drew";
        }
        return results;
    }

    // The handles a plug-in said it handed over, from the last "handles" log line.
    static std::pair<std::string, std::string> Handles(const std::vector<std::string> &log) {
        for (auto line = log.rbegin(); line != log.rend(); ++line)
            if (line->find(" handles ") != std::string::npos)
                return {Field(*line, "info"), Field(*line, "bits")};
        return {"<none>", "<none>"};
    }
};

using Failures = BridgeCalls;
using PluginArguments = BridgeCalls;
using Drawing = BridgeCalls;
using Lifetime = BridgeCalls;
using BadInput = BridgeCalls;

// --- Each kind of failure ----------------------------------------------------------

TEST_F(Failures, PluginThatCannotBeLoadedGivesTheNotLoadableResultsAndNothingElse) {
    const std::string picture = WriteFile("a.ppm", Ppm(1, 1, {0x102030}));
    fs::create_directory(Folder() / "folder.spi");
    const std::vector<std::string> plugins = {
        Path("missing.spi"),                    // no such file
        WriteFile("text.spi", "not a library"), // a file, but no library
        WriteFile("empty.spi", ""),             // empty file
        Path("folder.spi"),                     // a folder named like a plug-in
        Ansi(Folder()),                         // the folder itself
        "",                                     // no path at all
    };
    for (const std::string &plugin : plugins) {
        SCOPED_TRACE("plug-in path \"" + plugin + "\"");
        EXPECT_EQ(CallAll(plugin, picture), (Results{0, 0, 2, 2}));
        // A missing picture file does not turn "not loadable" into "cannot be opened".
        EXPECT_EQ(bridge.isSupported(plugin.c_str(), Path("missing.ppm").c_str()), 2);
        EXPECT_EQ(TakeCalls(), std::vector<std::string>(5, "LoadLibraryA"));
        EXPECT_TRUE(TakeLog().empty());
    }
}

TEST_F(Failures, PluginLackingTheEntryIsFreedAndCountsAsNotLoadable) {
    const std::string picture = WriteFile("a.ppm", Ppm(1, 1, {0x102030}));
    EXPECT_EQ(CallAll(Plugin(testspi::kNoEntries), picture), (Results{0, 0, 2, 2}));
    EXPECT_EQ(TakeCalls(), (std::vector<std::string>{
                               "LoadLibraryA", "GetProcAddress GetPicture", "FreeLibrary",
                               "LoadLibraryA", "GetProcAddress GetPictureInfo", "FreeLibrary",
                               "LoadLibraryA", "GetProcAddress GetPluginInfo", "FreeLibrary",
                               "LoadLibraryA", "GetProcAddress IsSupported", "FreeLibrary"}));

    // Only the missing entries fail: the archive plug-in answers what it has.
    EXPECT_EQ(CallAll(Plugin(testspi::kArchive), picture), (Results{0, 0, 0, 0}));
    const std::vector<std::string> log = TakeLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(StartsWith(log[0], "archive GetPluginInfo"));
    EXPECT_TRUE(StartsWith(log[1], "archive IsSupported"));
}

TEST_F(Failures, PictureFileThatCannotBeOpenedIsLeftToThePicturesEntries) {
    const std::string plugin = Plugin(testspi::kPpm);
    fs::create_directory(Folder() / "folder.ppm");
    for (const std::string &picture : {Path("missing.ppm"), Path("folder.ppm")}) {
        SCOPED_TRACE(picture);
        EXPECT_EQ(CallAll(plugin, picture), (Results{0, 0, 0, 3}));
        // The picture entries were asked and said no; the support test never asked.
        const std::vector<std::string> log = TakeLog();
        ASSERT_EQ(log.size(), 3u);
        EXPECT_TRUE(StartsWith(log[0], "ppm GetPicture "));
        EXPECT_TRUE(StartsWith(log[1], "ppm GetPictureInfo "));
        EXPECT_TRUE(StartsWith(log[2], "ppm GetPluginInfo "));
        const std::vector<std::string> trace = TakeCalls();
        EXPECT_EQ(std::vector<std::string>(trace.end() - 4, trace.end()),
                  (std::vector<std::string>{"LoadLibraryA", "GetProcAddress IsSupported",
                                            "CreateFileA 80000000 1 3 80", "FreeLibrary"}));
    }
}

TEST_F(Failures, EntryThatReportsFailure) {
    const std::string picture = WriteFile("a.ppm", Ppm(1, 1, {0x102030}));
    char text[256];
    strcpy(text, "kept");
    EXPECT_EQ(CallAll(Plugin(testspi::kFailing), picture), (Results{0, 0, 1, 1}));
    EXPECT_EQ(bridge.getPluginInfo(Plugin(testspi::kFailing).c_str(), 2, text), 1);
    EXPECT_STREQ(text, "kept");
    EXPECT_EQ(TakeLog().size(), 5u);
    // A failed decode hands nothing over: nothing to lock, draw or free.
    const std::vector<std::string> trace = TakeCalls();
    EXPECT_EQ(
        std::vector<std::string>(trace.begin(), trace.begin() + 3),
        (std::vector<std::string>{"LoadLibraryA", "GetProcAddress GetPicture", "FreeLibrary"}));
}

TEST_F(Failures, DrawingThatReturnsGdiErrorStillFreesThePicture) {
    const std::string picture = WriteFile("a.ppm", Ppm(2, 1, {0x102030, 0x405060}));
    Calls().drawResult = static_cast<int>(GDI_ERROR);
    Canvas canvas(4, 4, kFill);
    EXPECT_EQ(bridge.getPicture(Plugin(testspi::kPpm).c_str(), picture.c_str(), canvas.dc()), 0);
    const auto [info, bits] = Handles(TakeLog());
    const std::vector<std::string> trace = TakeCalls();
    EXPECT_EQ(std::vector<std::string>(trace.end() - 5, trace.end()),
              (std::vector<std::string>{"LocalUnlock " + info, "LocalUnlock " + bits,
                                        "LocalFree " + info, "LocalFree " + bits, "FreeLibrary"}));
}

// --- Successful calls: their sequences and what the plug-in is handed ----------------

TEST_F(PluginArguments, EachExportKeepsItsCallSequence) {
    const std::string plugin = Plugin(testspi::kPpm);
    const std::string picture = WriteFile("a.ppm", Ppm(3, 2, std::vector<uint32_t>(6, 0x808080)));
    char text[256];
    susie::PictureInfo record{};
    Canvas canvas(4, 4, kFill);

    EXPECT_EQ(bridge.getPluginInfo(plugin.c_str(), susie::kInfoVersion, text), 0);
    EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"LoadLibraryA", "GetProcAddress GetPluginInfo",
                                                     "FreeLibrary"}));

    EXPECT_EQ(bridge.getPictureInfo(plugin.c_str(), picture.c_str(), &record), 1);
    EXPECT_EQ(TakeCalls(), (std::vector<std::string>{
                               "LoadLibraryA", "GetProcAddress GetPictureInfo", "FreeLibrary"}));

    EXPECT_EQ(bridge.isSupported(plugin.c_str(), picture.c_str()), 0);
    ASSERT_EQ(Calls().allocated.size(), 1u);
    EXPECT_EQ(TakeCalls(),
              (std::vector<std::string>{
                  "LoadLibraryA", "GetProcAddress IsSupported", "CreateFileA 80000000 1 3 80",
                  "LocalAlloc 40 2048", "ReadFile 2048", "CloseHandle",
                  "LocalFree " + HandleText(Calls().allocated[0]), "FreeLibrary"}));

    TakeLog();
    EXPECT_EQ(bridge.getPicture(plugin.c_str(), picture.c_str(), canvas.dc()), 1);
    const auto [info, bits] = Handles(TakeLog());
    EXPECT_EQ(TakeCalls(), (std::vector<std::string>{
                               "LoadLibraryA", "GetProcAddress GetPicture", "LocalLock " + info,
                               "LocalLock " + bits, "StretchDIBits 0 0 3 2 0 0 3 2 " + kSrcCopy,
                               "LocalUnlock " + info, "LocalUnlock " + bits, "LocalFree " + info,
                               "LocalFree " + bits, "FreeLibrary"}));
}

TEST_F(PluginArguments, InformationIsWrittenInPlaceAndThePluginIsAlwaysTold256Bytes) {
    const std::string plugin = Plugin(testspi::kPpm);
    char text[256];
    EXPECT_EQ(bridge.getPluginInfo(plugin.c_str(), susie::kInfoVersion, text), 0);
    EXPECT_STREQ(text, "00IN");
    EXPECT_EQ(bridge.getPluginInfo(plugin.c_str(), susie::kInfoFirstPattern, text), 0);
    EXPECT_STREQ(text, testspi::kPpmPattern);
    EXPECT_EQ(bridge.getPluginInfo(plugin.c_str(), susie::kInfoFirstDescription, text), 0);
    EXPECT_STREQ(text, testspi::kPpmDescription);
    EXPECT_EQ(bridge.getPluginInfo(plugin.c_str(), 7, text), 1);
    EXPECT_EQ(bridge.getPluginInfo(plugin.c_str(), -5, text), 1);

    // A larger buffer changes nothing: the plug-in fills 256 bytes and no more.
    std::string large(1000, '#');
    EXPECT_EQ(bridge.getPluginInfo(plugin.c_str(), testspi::kFillInfoNumber, large.data()), 0);
    EXPECT_EQ(large.substr(0, 255), std::string(255, 'x'));
    EXPECT_EQ(large[255], '\0');
    EXPECT_EQ(large.substr(256), std::string(744, '#'));

    const std::vector<std::string> log = TakeLog();
    ASSERT_EQ(log.size(), 6u);
    const char *numbers[] = {"0", "2", "3", "7", "-5", "99"};
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(Field(log[i], "number"), numbers[i]);
        EXPECT_EQ(Field(log[i], "length"), "256");
    }
}

TEST_F(PluginArguments, SupportTestHandsTheFileNameAndA2048ByteZeroPaddedHead) {
    std::string content = "P6 1 1 255\n";
    while (content.size() < 3000)
        content += static_cast<char>(content.size() * 7);
    const struct {
        const char *name;
        std::string content;
        int32_t result;
    } files[] = {
        {"long.ppm", content, 0}, // only the first 2048 bytes
        {"short.ppm", content.substr(0, 10), 0},
        {"empty.ppm", "", 1}, // still asked, with 2048 zero bytes
        {"other.qrk", "QUIRK nolines 1 1", 1},
    };
    for (const auto &file : files) {
        SCOPED_TRACE(file.name);
        const std::string path = WriteFile(file.name, file.content);
        EXPECT_EQ(bridge.isSupported(Plugin(testspi::kPpm).c_str(), path.c_str()), file.result);
        std::string head = file.content.substr(0, susie::kHeadLength);
        head.resize(susie::kHeadLength, '\0');
        const std::vector<std::string> log = TakeLog();
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(Field(log[0], "head"), spi::Hex(head.data(), head.size()));
        EXPECT_EQ(Field(log[0], "file"), path);
    }
}

TEST_F(PluginArguments, PictureEntriesGetOffsetZeroFlagsZeroAndTheCallersRecord) {
    const std::string picture = WriteFile("a.ppm", Ppm(5, 3, std::vector<uint32_t>(15, 0)));
    unsigned char record[sizeof(susie::PictureInfo)] = {};
    EXPECT_EQ(bridge.getPictureInfo(Plugin(testspi::kPpm).c_str(), picture.c_str(),
                                    reinterpret_cast<susie::PictureInfo *>(record)),
              1);
    int32_t width = 0, height = 0;
    memcpy(&width, record + 8, 4);
    memcpy(&height, record + 12, 4);
    EXPECT_EQ(width, 5);
    EXPECT_EQ(height, 3);

    Canvas canvas(8, 8, kFill);
    EXPECT_EQ(bridge.getPicture(Plugin(testspi::kPpm).c_str(), picture.c_str(), canvas.dc()), 1);
    const std::vector<std::string> log = TakeLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "ppm GetPictureInfo offset=0 flags=0 file=" + picture);
    EXPECT_EQ(log[1], "ppm GetPicture offset=0 flags=0 progress=null data=0 file=" + picture);
}

// --- Drawing into the device context -------------------------------------------------

TEST_F(Drawing, BottomUpAndTopDownPicturesLandUprightAtTheOriginAndNowhereElse) {
    const std::vector<uint32_t> colours = {0xFF0000, 0x00FF00, 0x0000FF,
                                           0x102030, 0x405060, 0x708090};
    const std::vector<uint8_t> levels = {0x00, 0x40, 0x80, 0xC0, 0xE0, 0xFF};
    const struct {
        const char *name;
        std::string content;
        std::function<uint32_t(int)> expected;
    } pictures[] = {
        {"colour.ppm", Ppm(3, 2, colours), [&](int i) { return colours[i]; }},
        {"gray.pgm", Pgm(3, 2, levels), [&](int i) { return levels[i] * 0x010101u; }},
    };
    for (const auto &picture : pictures) {
        SCOPED_TRACE(picture.name);
        Canvas canvas(6, 5, kFill);
        const std::string path = WriteFile(picture.name, picture.content);
        EXPECT_EQ(bridge.getPicture(Plugin(testspi::kPpm).c_str(), path.c_str(), canvas.dc()), 1);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(canvas.At(x, y), picture.expected(y * 3 + x)) << x << "," << y;
        EXPECT_EQ(canvas.ChangedOutside(3, 2), 0);
    }
    // Both one-to-one copies of the whole picture.
    int draws = 0;
    for (const std::string &call : TakeCalls())
        if (StartsWith(call, "StretchDIBits")) {
            EXPECT_EQ(call, "StretchDIBits 0 0 3 2 0 0 3 2 " + kSrcCopy);
            ++draws;
        }
    EXPECT_EQ(draws, 2);
}

TEST_F(Drawing, NoScanLinesCopiedIsStillSuccess) {
    const std::string picture = WriteFile("a.qrk", "QUIRK nolines 2 2");
    Canvas canvas(4, 4, kFill);
    EXPECT_EQ(bridge.getPicture(Plugin(testspi::kQuirk).c_str(), picture.c_str(), canvas.dc()), 1);
    EXPECT_TRUE(canvas.Untouched());
    const auto [info, bits] = Handles(TakeLog());
    EXPECT_EQ(Calls().freed,
              (std::vector<HLOCAL>{reinterpret_cast<HLOCAL>(std::stoull(info, nullptr, 16)),
                                   reinterpret_cast<HLOCAL>(std::stoull(bits, nullptr, 16))}));

    // The same holds when the drawing itself reports 0 lines.
    Calls().drawResult = 0;
    const std::string ppm = WriteFile("a.ppm", Ppm(1, 1, {0x102030}));
    EXPECT_EQ(bridge.getPicture(Plugin(testspi::kPpm).c_str(), ppm.c_str(), canvas.dc()), 1);
}

TEST_F(Drawing, FailedPictureLeavesTheDeviceContextWhollyUntouched) {
    const struct {
        const char *plugin;
        const char *content;
    } cases[] = {
        {testspi::kFailing, "P6 1 1 255\nabc"},
        {testspi::kQuirk, "QUIRK nodecode 2 2"},
        {testspi::kPpm, "P6 4 4 255\nshort"},
        // Success claimed without the memory to draw from: nothing drawn, nothing crashes.
        {testspi::kQuirk, "QUIRK nullhandles 2 2"},
        {testspi::kQuirk, "QUIRK nobits 2 2"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.plugin) + " with " + c.content);
        Canvas canvas(4, 4, kFill);
        const std::string picture = WriteFile("a.pic", c.content);
        EXPECT_EQ(bridge.getPicture(Plugin(c.plugin).c_str(), picture.c_str(), canvas.dc()), 0);
        EXPECT_TRUE(canvas.Untouched());
        for (const std::string &call : TakeCalls())
            EXPECT_FALSE(StartsWith(call, "StretchDIBits"));
    }
    // The header that was handed over alone is freed all the same.
    const auto [info, bits] = Handles(TakeLog());
    EXPECT_EQ(bits, "0");
    ASSERT_FALSE(Calls().freed.empty());
    EXPECT_NE(std::find(Calls().freed.begin(), Calls().freed.end(),
                        reinterpret_cast<HLOCAL>(std::stoull(info, nullptr, 16))),
              Calls().freed.end());
}

// --- Nothing survives a call ---------------------------------------------------------

TEST_F(Lifetime, TwoCallsWithDifferentPluginsAreIndependent) {
    const std::string picture = WriteFile("a.ppm", Ppm(1, 1, {0x102030}));
    const std::string ppm = Plugin(testspi::kPpm);
    char text[256];
    susie::PictureInfo record{};
    Canvas canvas(4, 4, kFill);

    // After a plug-in that has the entry, one that lacks it or fails on its own.
    EXPECT_EQ(bridge.getPluginInfo(ppm.c_str(), 0, text), 0);
    EXPECT_EQ(bridge.getPluginInfo(Plugin(testspi::kNoEntries).c_str(), 0, text), 2);
    EXPECT_EQ(bridge.getPluginInfo(ppm.c_str(), 0, text), 0);
    EXPECT_EQ(bridge.getPluginInfo(Plugin(testspi::kFailing).c_str(), 0, text), 1);
    EXPECT_EQ(bridge.isSupported(ppm.c_str(), picture.c_str()), 0);
    EXPECT_EQ(bridge.isSupported(Plugin(testspi::kArchive).c_str(), picture.c_str()), 0);
    EXPECT_EQ(bridge.isSupported(Plugin(testspi::kNoEntries).c_str(), picture.c_str()), 2);
    EXPECT_EQ(bridge.getPicture(ppm.c_str(), picture.c_str(), canvas.dc()), 1);
    EXPECT_EQ(bridge.getPicture(Path("missing.spi").c_str(), picture.c_str(), canvas.dc()), 0);
    EXPECT_EQ(bridge.getPictureInfo(ppm.c_str(), picture.c_str(), &record), 1);
    EXPECT_EQ(bridge.getPictureInfo(Plugin(testspi::kArchive).c_str(), picture.c_str(), &record),
              0);

    std::vector<std::string> callers;
    for (const std::string &line : TakeLog())
        if (line.find(" handles ") == std::string::npos)
            callers.push_back(line.substr(0, line.find(' ', line.find(' ') + 1)));
    EXPECT_EQ(callers, (std::vector<std::string>{"ppm GetPluginInfo", "ppm GetPluginInfo",
                                                 "failing GetPluginInfo", "ppm IsSupported",
                                                 "archive IsSupported", "ppm GetPicture",
                                                 "ppm GetPictureInfo"}));
}

TEST_F(Lifetime, PluginCanBeDeletedOrReplacedRightAfterEveryCall) {
    const std::string picture = WriteFile("a.ppm", Ppm(1, 1, {0x102030}));
    const struct {
        const char *name;
        std::function<int32_t(const std::string &)> call;
        int32_t working, failing;
    } exports[] = {
        {"VBGetPicture",
         [&](const std::string &plugin) {
             Canvas canvas(2, 2, kFill);
             return bridge.getPicture(plugin.c_str(), picture.c_str(), canvas.dc());
         },
         1, 0},
        {"VBGetPictureInfo",
         [&](const std::string &plugin) {
             susie::PictureInfo record{};
             return bridge.getPictureInfo(plugin.c_str(), picture.c_str(), &record);
         },
         1, 0},
        {"VBGetPluginInfo",
         [&](const std::string &plugin) {
             char text[256];
             return bridge.getPluginInfo(plugin.c_str(), 0, text);
         },
         0, 1},
        {"VBIsSupported",
         [&](const std::string &plugin) {
             return bridge.isSupported(plugin.c_str(), picture.c_str());
         },
         0, 1},
    };
    for (const auto &e : exports) {
        SCOPED_TRACE(e.name);
        const std::string plugin = CopyPlugin(testspi::kPpm, "swap.spi");
        EXPECT_EQ(e.call(plugin), e.working);
        EXPECT_EQ(GetModuleHandleA(plugin.c_str()), nullptr);
        EXPECT_TRUE(DeleteFileA(plugin.c_str())) << "error " << GetLastError();
        CopyPlugin(testspi::kFailing, "swap.spi");
        EXPECT_EQ(e.call(plugin), e.failing);
        EXPECT_TRUE(DeleteFileA(plugin.c_str())) << "error " << GetLastError();
    }
}

// --- Bad input -----------------------------------------------------------------------

TEST_F(BadInput, PictureFileThatVanishesBetweenCalls) {
    const std::string plugin = Plugin(testspi::kPpm);
    const std::string picture = WriteFile("a.ppm", Ppm(1, 1, {0x102030}));
    susie::PictureInfo record{};
    EXPECT_EQ(bridge.isSupported(plugin.c_str(), picture.c_str()), 0);
    EXPECT_EQ(bridge.getPictureInfo(plugin.c_str(), picture.c_str(), &record), 1);
    // The support test's handle is closed: the file can go at once.
    ASSERT_TRUE(DeleteFileA(picture.c_str())) << "error " << GetLastError();
    EXPECT_EQ(CallAll(plugin, picture), (Results{0, 0, 0, 3}));
}

TEST_F(BadInput, PathsInTheSystemCodePage) {
    const fs::path folder = Folder() / L"\u30d7\u30e9\u30b0\u30a4\u30f3"; // プラグイン
    const fs::path picture = folder / L"\u753b\u50cf.ppm";                // 画像.ppm
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, 0, picture.c_str(), -1, nullptr, 0, nullptr, &lossy);
    if (lossy) GTEST_SKIP() << "the system code page cannot spell the Japanese names";
    fs::create_directory(folder);
    fs::copy_file(fs::path(CopyPlugin(testspi::kPpm, "ppm.spi")), folder / "ppm.spi");
    std::ofstream(picture, std::ios::binary) << Ppm(2, 1, {0x112233, 0x445566});
    const std::string plugin = Ansi(folder / "ppm.spi");

    susie::PictureInfo record{};
    Canvas canvas(3, 3, kFill);
    EXPECT_EQ(bridge.isSupported(plugin.c_str(), Ansi(picture).c_str()), 0);
    EXPECT_EQ(bridge.getPictureInfo(plugin.c_str(), Ansi(picture).c_str(), &record), 1);
    EXPECT_EQ(record.width, 2);
    EXPECT_EQ(bridge.getPicture(plugin.c_str(), Ansi(picture).c_str(), canvas.dc()), 1);
    EXPECT_EQ(canvas.At(1, 0), 0x445566u);
}

TEST_F(BadInput, HeadBufferThatCannotBeAllocatedCountsAsAnUnreadableFile) {
    const std::string picture = WriteFile("a.ppm", Ppm(1, 1, {0x102030}));
    Calls().failLocalAlloc = true;
    EXPECT_EQ(bridge.isSupported(Plugin(testspi::kPpm).c_str(), picture.c_str()), 3);
    EXPECT_TRUE(TakeLog().empty());
    EXPECT_EQ(TakeCalls(),
              (std::vector<std::string>{"LoadLibraryA", "GetProcAddress IsSupported",
                                        "CreateFileA 80000000 1 3 80", "LocalAlloc 40 2048",
                                        "CloseHandle", "FreeLibrary"}));
}

} // namespace
