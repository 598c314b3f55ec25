// The program's side of the bridge: binding Brovik.dll, information texts, the search for a
// picture's plug-in and the open dialog's filter.
#include "bridge_binding.h"
#include "plugin_discovery.h"
#include "plugin_files.h"
#include "vb_error.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace mirolt;
using namespace mirolt::test;
using formats::BuildPluginFilter;
using formats::FindPluginForFile;
using formats::GetPluginInfoText;

namespace {

int ErrorOf(const std::function<void()> &call) {
    try {
        call();
    } catch (const RuntimeError &e) {
        return e.Number();
    }
    return 0;
}

// A folder with a Japanese name, as ANSI paths must survive the trip through the library.
class PluginFolderTest : public ::testing::Test {
  protected:
    PluginFolderTest() : folder(dir.File(L"プラグイン")) {
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    // The one of two names that the folder lists first.
    std::wstring FirstListed(const std::wstring &a, const std::wstring &b) {
        for (const std::wstring &name : formats::ListPluginFiles(folder))
            if (name == a || name == b) return name;
        return L"";
    }
    TempFolder dir;
    std::wstring folder;
};

TEST_F(PluginFolderTest, InformationTextsCrossAsAnsiAndFailQuietly) {
    InstallConfigurable(folder, L"jp.spi", L"00IN\n*.jpp\n日本語の説明\n");
    WriteBytes(folder + L"\\broken.spi", "not a library");
    const std::wstring jp = folder + L"\\jp.spi";
    EXPECT_EQ(GetPluginInfoText(jp, 3), L"日本語の説明");
    EXPECT_EQ(GetPluginInfoText(jp, 0), L"00IN");
    EXPECT_EQ(GetPluginInfoText(jp, 1), L"");                       // no such information
    EXPECT_EQ(GetPluginInfoText(folder + L"\\broken.spi", 0), L""); // not loadable
#if defined(_WIN64) && defined(WIN32_PPM_PLUGIN)
    // A 32-bit plug-in cannot be loaded into the 64-bit program.
    EXPECT_EQ(GetPluginInfoText(WindowsPath(WIN32_PPM_PLUGIN), 0), L"");
#endif
    EXPECT_EQ(ErrorOf([&] { GetPluginInfoText(jp, 9); }), kInvalidProcedureCall);
}

TEST_F(PluginFolderTest, TheFirstListedImportPluginThatSupportsTheFileIsFound) {
    const std::wstring picture = dir.File(L"絵.abc");
    WriteBytes(picture, "ABC picture");
    // Only an exact "00IN" counts, and refusals or failures do not stop the search.
    InstallConfigurable(folder, L"lower.spi", L"00in\n*.abc\nlower\nABC\n");
    InstallConfigurable(folder, L"spaced.spi", L"00IN \n*.abc\nspaced\nABC\n");
    InstallConfigurable(folder, L"refuses.spi", L"00IN\n*.xyz\nrefuses\nXYZ\n");
    InstallPlugin(folder, L"archive", L"archive.spi"); // claims every file, not an importer
    InstallPlugin(folder, L"failing", L"failing.spi");
    WriteBytes(folder + L"\\broken.spi", "not a library");
    InstallConfigurable(folder, L"one.spi", L"00IN\n*.abc\none\nABC\n");
    InstallConfigurable(folder, L"two.spi", L"00IN\n*.abc\ntwo\nABC\n");
    EXPECT_EQ(FindPluginForFile(folder, picture),
              folder + L"\\" + FirstListed(L"one.spi", L"two.spi"));

    EXPECT_EQ(FindPluginForFile(folder, dir.File(L"missing.abc")), L"");
    EXPECT_EQ(FindPluginForFile(dir.File(L"no folder"), picture), L"");
}

TEST_F(PluginFolderTest, RealPluginsMakeTheFilterWhateverTheTrailingBackslash) {
    InstallPlugin(folder, L"archive", L"archive.spi");
    InstallConfigurable(folder, L"older.spi", L"00AM\n*.zzz\nold\n");
    EXPECT_EQ(BuildPluginFilter(folder, 0), L""); // no import plug-in at all

    InstallPlugin(folder, L"ppm", L"ppm.spi");
    EXPECT_EQ(BuildPluginFilter(folder, 0), L"PPM picture|*.ppm");
    EXPECT_EQ(BuildPluginFilter(folder + L"\\", 0), L"PPM picture|*.ppm");
    EXPECT_EQ(BuildPluginFilter(folder, 1), L"*.ppm");
}

#ifdef _WIN64
TEST_F(PluginFolderTest, SixtyFourBitPluginsAreListedBeforeThirtyTwoBitNames) {
    InstallConfigurable(folder, L"a.spi", L"00IN\n*.abc\na\nABC\n");
    InstallConfigurable(folder, L"z.sph", L"00IN\n*.abc\nz\nABC\n");
    const std::wstring picture = dir.File(L"p.abc");
    WriteBytes(picture, "ABC");
    EXPECT_EQ(FindPluginForFile(folder, picture), folder + L"\\z.sph");
}
#endif

// The filter over a given listing, in the order it is given.
struct FakeCatalog {
    std::vector<std::wstring> names;
    std::vector<std::wstring> listedFolders = {};
    formats::PluginCatalog Catalog() {
        return {[this](const std::wstring &folder) {
                    listedFolders.push_back(folder);
                    return names;
                },
                [](const std::wstring &plugin, int32_t number) -> std::wstring {
                    const std::wstring name = plugin.substr(plugin.rfind(L'\\') + 1);
                    if (name[0] == L'x') return L""; // not an import plug-in
                    if (number == 0) return L"00IN";
                    if (number == 2) return L"*." + name.substr(0, 1);
                    return name[0] == L'e' ? L"" : L"D" + name.substr(0, 1);
                }};
    }
};

TEST(PluginFilter, SeparatorsCountEveryListedFile) {
    FakeCatalog c{{L"x.spi", L"b.spi", L"c.spi"}};
    EXPECT_EQ(BuildPluginFilter(L"C:\\p", 0, c.Catalog()), L"Db|*.b|Dc|*.c");
    EXPECT_EQ(BuildPluginFilter(L"C:\\p", 7, c.Catalog()), L"*.b;*.c");

    c.names = {L"e.spi"}; // an empty description, alone
    EXPECT_EQ(BuildPluginFilter(L"C:\\p", 0, c.Catalog()), L"*.e");
    c.names = {L"b.spi", L"e.spi"};
    EXPECT_EQ(BuildPluginFilter(L"C:\\p", 0, c.Catalog()), L"Db|*.b||*.e");
}

TEST(PluginFilter, OneTrailingBackslashIsDropped) {
    FakeCatalog c{{L"b.spi"}};
    BuildPluginFilter(L"C:\\p\\", 0, c.Catalog());
    BuildPluginFilter(L"C:\\p\\\\", 0, c.Catalog());
    EXPECT_EQ(c.listedFolders, (std::vector<std::wstring>{L"C:\\p", L"C:\\p\\"}));
}

TEST(PluginFilter, The32768thListedFileOverflows) {
    FakeCatalog c{std::vector<std::wstring>(32766, L"x.spi")};
    c.names.push_back(L"b.spi");
    EXPECT_EQ(BuildPluginFilter(L"C:\\p", 0, c.Catalog()), L"Db|*.b");
    c.names.push_back(L"x.spi");
    EXPECT_EQ(ErrorOf([&] { BuildPluginFilter(L"C:\\p", 0, c.Catalog()); }), kOverflow);
}

TEST(BridgeBinding, MissingLibraryOrExportRaisesAtTheCall) {
    formats::RebindBridgeForTest("NoSuchBrovik.dll");
    EXPECT_EQ(ErrorOf([] { GetPluginInfoText(L"C:\\p.spi", 0); }), kDllNotFound);
    const std::string notTheBridge = platform::ToAnsi(WindowsPath(CONFIGURABLE_PLUGIN));
    formats::RebindBridgeForTest(notTheBridge);
    EXPECT_EQ(ErrorOf([] { formats::VBIsSupported(L"C:\\p.spi", L"C:\\f"); }), kEntryPointNotFound);
    formats::RebindBridgeForTest("Brovik.dll");
    EXPECT_EQ(formats::VBIsSupported(L"C:\\none.spi", L"C:\\f"), 2); // bound, plug-in missing
}

} // namespace
