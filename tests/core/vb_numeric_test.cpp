#include "color.h"
#include "vb_error.h"
#include "vb_numeric.h"

#include <gtest/gtest.h>

#include <optional>

using namespace mirolt;

TEST(VbNumeric, RoundsHalvesToEven) {
    EXPECT_EQ(CInt(0.5), 0);
    EXPECT_EQ(CInt(1.5), 2);
    EXPECT_EQ(CInt(2.5), 2);
    EXPECT_EQ(CInt(-2.5), -2);
    EXPECT_EQ(CInt(1.02), 1);
    EXPECT_EQ(CInt(2.51), 3);
    EXPECT_EQ(CLng(-0.5), 0);
}

TEST(VbNumeric, OverflowRaisesErrorSix) {
    EXPECT_EQ(CInt(32767.4), 32767);
    EXPECT_EQ(CInt(-32768.0), -32768);
    try {
        CInt(32767.5); // rounds to 32768
        FAIL();
    } catch (const RuntimeError &e) {
        EXPECT_EQ(e.Number(), kOverflow);
    }
    EXPECT_THROW(CLng(2147483648.0), RuntimeError);
    EXPECT_EQ(MulInt(-50, 655), -32750);
    EXPECT_THROW(MulInt(-50, 656), RuntimeError);
}

TEST(VbNumeric, TextsReadAsNumbersAsTheClassicConversionReadsThem) {
    const struct {
        const wchar_t *text;
        std::optional<double> value;
    } cases[] = {
        {L" 5", 5},          {L"5\t", 5},       {L"0.5", 0.5},  {L"-.5", -0.5},       {L"+5.", 5},
        {L"1e1", 10},        {L"2.5E-1", 0.25}, {L"&H10", 16},  {L"&h1f", 31},        {L"&O17", 15},
        {L"&HFFFFFFFF", -1}, {L"0x10", {}},     {L"", {}},      {L" ", {}},           {L"1e", {}},
        {L"1 0", {}},        {L"&H", {}},       {L"&O8", {}},   {L"&H100000000", {}}, {L"- 5", {}},
        {L"inf", {}},        {L"nan", {}},      {L"1e999", {}}, {L"５", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DoubleFromText(c.text), c.value) << c.text;
}

TEST(Color, SplitAndCompose) {
    EXPECT_EQ(Rgb(1, 2, 3), 0x030201);
    EXPECT_EQ(RedOf(-1), 255);
    EXPECT_EQ(GreenOf(-1), 255);
    EXPECT_EQ(BlueOf(-1), 255);
    const int32_t c = Rgb(10, 200, 30);
    EXPECT_EQ(ColorFromBgrx(BgrxFromColor(c)), c);
    EXPECT_EQ(BgrxFromColor(Rgb(0x11, 0x22, 0x33)), 0x112233u); // DIB byte order B,G,R
}

TEST(ErrorTable, EveryClassicNumberHasItsOwnText) {
    const std::wstring unknown = mirolt::ErrorText(1);
    for (int n : {5,  6,  7,  9,  11, 13, 48,  52,  53,  55,  57,  58,  61,
                  62, 68, 70, 71, 75, 76, 340, 380, 381, 384, 453, 481, 32755})
        EXPECT_NE(mirolt::ErrorText(n), unknown) << n;
    EXPECT_EQ(mirolt::ErrorText(13), L"型が一致しません。");
}
