#include "files.h"
#include "profile.h"
#include "vb_error.h"

#include "long_folder.h"
#include "picture_files.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace mirolt;
using namespace mirolt::platform;
using mirolt::test::TempFolder;

namespace {

std::string ShiftJis(const std::wstring &text) {
    std::string out(text.size() * 2, '\0');
    out.resize(size_t(WideCharToMultiByte(932, 0, text.data(), int(text.size()), out.data(),
                                          int(out.size()), nullptr, nullptr)));
    return out;
}

int ErrorOf(const std::function<void()> &f) {
    try {
        f();
    } catch (const RuntimeError &e) {
        return e.Number();
    }
    return 0;
}

} // namespace

TEST(Profile, BufferSizesCutValuesInCodePage932) {
    TempFolder dir;
    const std::wstring ini = dir.File(L"設定.ini");
    test::WriteBytes(ini, ShiftJis(L"[S]\r\nsize=1000\r\nmain=12\r\nword=文字\r\n"
                                   L"font=ＭＳ Ｐゴシック\r\nempty=\r\n"));
    const struct {
        const wchar_t *key;
        int32_t size;
        std::wstring buffer;
    } cases[] = {
        {L"size", 4, std::wstring(L"100\0", 4)},
        {L"main", 2, std::wstring(L"1\0", 2)},
        {L"word", 3, std::wstring(L"文\0", 2)},               // the second character does not fit
        {L"font", 16, std::wstring(L"ＭＳ Ｐゴシック\0", 9)}, // 15 bytes fit exactly
        {L"font", 6, std::wstring(L"ＭＳ \0", 4)},
        {L"size", 8, std::wstring(L"1000\0\0\0\0", 8)},
    };
    for (const auto &c : cases) {
        const ProfileRead read = ReadPrivateProfile(L"S", c.key, L"", c.size, ini);
        EXPECT_EQ(read.buffer, c.buffer) << testing::PrintToString(c.key) << " " << c.size;
        EXPECT_NE(read.result, 0u);
    }
    for (auto [key, size] : {std::pair{L"empty", 8}, {L"missing", 8}, {L"size", 0}})
        EXPECT_EQ(ReadPrivateProfile(L"S", key, L"", size, ini).result, 0u);
    EXPECT_EQ(ReadPrivateProfile(L"S", L"size", L"", 8, dir.File(L"none.ini")).result, 0u);
    EXPECT_EQ(ErrorOf([&] { ReadPrivateProfile(L"S", L"size", L"", -1, ini); }),
              kInvalidProcedureCall);

    EXPECT_TRUE(WritePrivateProfile(L"S", L"new", L"ＭＳ ゴシック", ini));
    EXPECT_EQ(ReadPrivateProfile(L"S", L"new", L"", 14, ini).buffer,
              std::wstring(L"ＭＳ ゴシック\0", 8));
    EXPECT_FALSE(WritePrivateProfile(L"S", L"k", L"v", dir.File(L"no folder\\Data.ini")));
}

// Given a path over MAX_PATH characters, the system's INI functions wrote a file of another
// name and reported success.
TEST(Profile, LongFoldersAreReachedByTheirShortNameOrRefused) {
    TempFolder dir;
    const std::wstring reachable = test::MakeFolderOfLength(dir.File(L"300"), 300);
    const std::wstring ini = reachable + L"\\Data.ini";
    EXPECT_TRUE(WritePrivateProfile(L"S", L"k", L"value", ini));
    EXPECT_EQ(test::ReadBytes(ini), "[S]\r\nk=value\r\n");
    EXPECT_EQ(ReadPrivateProfile(L"S", L"k", L"", 8, ini).buffer, std::wstring(L"value\0\0\0", 8));

    // So deep that even the short names of its folders are too long together.
    const std::wstring deep = test::MakeFolderOfLength(dir.File(L"2600"), 2600) + L"\\Data.ini";
    EXPECT_FALSE(WritePrivateProfile(L"S", L"k", L"value", deep));
    const ProfileRead read = ReadPrivateProfile(L"S", L"k", L"default  ", 5, deep);
    EXPECT_EQ(read.buffer, std::wstring(L"defa\0", 5));
    EXPECT_EQ(read.result, 4u);
}

TEST(TextFiles, LinesEndAtCrLfOrLoneCrInShiftJis) {
    TempFolder dir;
    const std::wstring path = dir.File(L"文書.txt");
    test::WriteBytes(path, ShiftJis(L"一行目\r\n二\n行\r\r\n最後"));
    EXPECT_EQ(ReadTextLines(path), (std::vector<std::wstring>{L"一行目", L"二\n行", L"", L"最後"}));
    test::WriteBytes(path, "");
    EXPECT_TRUE(ReadTextLines(path).empty());
    test::WriteBytes(path, "\r\n");
    EXPECT_EQ(ReadTextLines(path), std::vector<std::wstring>{L""});

    // The editor's reading: the same lines, each followed by CR LF.
    for (const std::string &bytes :
         {std::string(), std::string("\r\n"), std::string("a\r"), std::string("a\n"),
          std::string("\r\rb\r\n\nc"), ShiftJis(L"一行目\r\n二\n行\r\r\n最後")}) {
        test::WriteBytes(path, bytes);
        std::wstring joined;
        for (const std::wstring &line : ReadTextLines(path))
            joined += line + L"\r\n";
        EXPECT_EQ(ReadTextWithLineEnds(path, 100, 100), joined);
    }

    WriteTextFile(path, L"表示\r\nｶﾅ\n");
    EXPECT_EQ(test::ReadBytes(path), ShiftJis(L"表示\r\nｶﾅ\n"));
    WriteTextFile(path, L"");
    EXPECT_EQ(test::ReadBytes(path), "");

    EXPECT_EQ(ErrorOf([&] { ReadTextLines(dir.File(L"none.txt")); }), kFileNotFound);
    EXPECT_EQ(ErrorOf([&] { ReadTextLines(dir.File(L"none\\a.txt")); }), kPathNotFound);
    EXPECT_EQ(ErrorOf([&] { ReadTextLines(dir.Path()); }), kPathFileAccessError);
    EXPECT_EQ(ErrorOf([&] { WriteTextFile(dir.Path(), L"x"); }), kPathFileAccessError);
}

TEST(Listing, OnlyOrdinaryFilesMatch) {
    TempFolder dir;
    for (const wchar_t *name : {L"b.spi", L"a.spi", L"hidden.spi", L"system.spi", L"c.txt"})
        test::WriteBytes(dir.File(name), "x");
    SetFileAttributesW(dir.File(L"hidden.spi").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(dir.File(L"system.spi").c_str(), FILE_ATTRIBUTE_SYSTEM);
    CreateDirectoryW(dir.File(L"folder.spi").c_str(), nullptr);

    std::vector<std::wstring> names = ListFiles(dir.Path() + L"\\*.spi");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"a.spi", L"b.spi"}));
    EXPECT_TRUE(ListFiles(dir.File(L"none\\*.spi")).empty());

    EXPECT_TRUE(FileExists(dir.File(L"c.txt")));
    EXPECT_FALSE(FileExists(dir.File(L"hidden.spi")));
    EXPECT_FALSE(FileExists(dir.File(L"folder.spi")));
    EXPECT_FALSE(FileExists(dir.File(L"none.txt")));
    EXPECT_FALSE(FileExists(L""));
}
