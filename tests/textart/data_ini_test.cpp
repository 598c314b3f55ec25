#include "data_ini.h"

#include "fake_prompts.h"
#include "picture_files.h"

#include <windows.h>
#include <gtest/gtest.h>

using namespace mirolt;
using namespace mirolt::textart;

namespace {

class DataIni : public testing::Test {
  protected:
    void SetUp() override { SetDataIniFolder(dir.Path()); }
    void TearDown() override { SetDataIniFolder({}); }

    void Write(const std::wstring &text) {
        std::string bytes(text.size() * 2, '\0');
        bytes.resize(size_t(WideCharToMultiByte(932, 0, text.data(), int(text.size()), bytes.data(),
                                                int(bytes.size()), nullptr, nullptr)));
        test::WriteBytes(dir.File(L"Data.ini"), bytes);
    }

    // The boxes seen, each checked to be the plain settings box: OK only, no icon, the
    // default title.
    int Boxes(const wchar_t *text) {
        int n = 0;
        for (const test::SeenPrompt &p : prompts.seen) {
            EXPECT_EQ(p.text, text);
            EXPECT_EQ(p.buttons, 0);
            EXPECT_EQ(p.title, L"Mirolt");
            ++n;
        }
        prompts.seen.clear();
        return n;
    }

    test::TempFolder dir;
    test::FakePrompts prompts;
};

} // namespace

TEST_F(DataIni, UseSoftMatchesOnlyTheExactWordsInTheirPaddedBuffer) {
    Write(L"[Mozie]\r\nA=Mirolt\r\nB=Notepad\r\nC=Notepad++\r\nD=MiroltX\r\nE=notepad\r\n"
          L"F=ミロルト\r\n");
    const struct {
        const wchar_t *key;
        bool mirolt, notepad;
    } cases[] = {{L"A", true, false},  {L"B", false, true},  {L"C", false, true},
                 {L"D", false, false}, {L"E", false, false}, {L"F", false, false}};
    for (const auto &c : cases) {
        const std::optional<std::wstring> v = ReadSetting(L"Mozie", c.key, kUseSoftBuffer);
        ASSERT_TRUE(v);
        EXPECT_EQ(PaddedEquals(*v, L"Mirolt", kUseSoftBuffer), c.mirolt) << char(c.key[0]);
        EXPECT_EQ(PaddedEquals(*v, L"Notepad", kUseSoftBuffer), c.notepad) << char(c.key[0]);
    }
    EXPECT_EQ(Boxes(kReadFailed), 0);
}

TEST_F(DataIni, UnreadableKeysShowOneBoxEach) {
    EXPECT_FALSE(ReadSetting(L"Mozie", L"UseWord0", kCharacterBuffer)); // no file
    Write(L"[Mozie]\r\nUseWord0=\r\n[FontData]\r\nBeforeFont=ＭＳ\r\n");
    EXPECT_FALSE(ReadSetting(L"Mozie", L"UseWord0", kCharacterBuffer)); // empty value
    EXPECT_FALSE(ReadSetting(L"Mozie", L"UseWord1", kCharacterBuffer)); // no key
    EXPECT_FALSE(ReadSizedSetting(L"FontData", L"BeforeFont", 0));      // length 0
    EXPECT_EQ(Boxes(kReadFailed), 4);
    EXPECT_EQ(TextBeforeNul(*ReadSizedSetting(L"FontData", L"BeforeFont", 3)), L"ＭＳ");
    EXPECT_EQ(Boxes(kReadFailed), 0);
}

TEST_F(DataIni, LengthsAndNumbersThatAreNoWholeNumbersAreUnreadable) {
    Write(L"[FontData]\r\nBeforeLong=8\r\nBeforeFont=ＭＳ Ｐゴシック\r\nText=abc\r\nNegative=-5\r\n"
          L"Fraction=1.5\r\nDoubleOverflows=1073741824\r\nHuge=99999999999\r\n"
          L"Largest=1073741823\r\n[Mozie]\r\nMain=12\r\nBad=x\r\n");
    int32_t length = 3;
    EXPECT_TRUE(ReadLengthSetting(L"FontData", L"BeforeLong", length));
    EXPECT_EQ(length, 8);
    EXPECT_EQ(ReadSizedSetting(L"FontData", L"BeforeFont", length),
              std::wstring(L"ＭＳ Ｐゴシック\0", 9));
    for (const wchar_t *key : {L"Text", L"Negative", L"Fraction", L"DoubleOverflows", L"Huge"}) {
        EXPECT_FALSE(ReadLengthSetting(L"FontData", key, length));
        EXPECT_EQ(length, 8) << "changed by " << testing::PrintToString(key);
    }
    EXPECT_EQ(Boxes(kReadFailed), 5);

    // The largest length that doubles reads its value without a buffer of gigabytes.
    EXPECT_TRUE(ReadLengthSetting(L"FontData", L"Largest", length));
    EXPECT_EQ(TextBeforeNul(*ReadSizedSetting(L"FontData", L"BeforeFont", length)),
              L"ＭＳ Ｐゴシック");
    EXPECT_FALSE(ReadSizedSetting(L"FontData", L"BeforeFont", -1));
    EXPECT_FALSE(ReadSizedSetting(L"FontData", L"BeforeFont", 1073741824));
    EXPECT_EQ(Boxes(kReadFailed), 2);

    EXPECT_EQ(ReadNumberSetting(L"Mozie", L"Main", kMainBuffer), 1);
    EXPECT_FALSE(ReadNumberSetting(L"Mozie", L"Bad", kMainBuffer));
    EXPECT_EQ(Boxes(kReadFailed), 1);
}

TEST_F(DataIni, AFailedWriteShowsItsBoxAndTheNextWriteIsStillMade) {
    SetDataIniFolder(dir.File(L"no such folder"));
    EXPECT_FALSE(WriteSetting(L"Mozie", L"UseWord0", L"■"));
    EXPECT_FALSE(WriteSetting(L"Mozie", L"UseWord1", L"□"));
    EXPECT_EQ(Boxes(kWriteFailed), 2);

    SetDataIniFolder(dir.Path());
    EXPECT_TRUE(WriteSetting(L"Mozie", L"UseSoft", L"Mirolt"));
    EXPECT_TRUE(WriteSetting(L"Mozie", L"UseWord0", L"■"));
    EXPECT_TRUE(PaddedEquals(*ReadSetting(L"Mozie", L"UseSoft", kUseSoftBuffer), L"Mirolt", 8));
    EXPECT_EQ(*ReadSetting(L"Mozie", L"UseWord0", kCharacterBuffer), std::wstring(L"■\0", 2));
    EXPECT_EQ(Boxes(kReadFailed), 0);
}
