#include "form9.h"

#include "data_ini.h"

#include <string>

namespace mirolt::app {
namespace {

using platform::TextBox;

const platform::FormDesign kForm9Design = {.caption = L"文字絵の設定",
                                           .clientWidthTwips = 5895,
                                           .clientHeightTwips = 6585,
                                           .border = platform::BorderStyle::FixedSingle,
                                           .centred = false,
                                           .maxButton = false};

std::wstring UseWordKey(int k) {
    return L"UseWord" + std::to_wstring(k);
}
std::wstring WordKey(int p, int k) {
    return L"WordP" + std::to_wstring(p) + L":" + std::to_wstring(k);
}

} // namespace

const wchar_t *const kDesignedPatterns[kPatterns][kPatternChars] = {
    {L"鬱", L"餓", L"樹", L"記", L"倶", L"母", L"正", L"虫", L"子", L"三", L"一"},
    {L"鬱", L"纜", L"醗", L"厰", L"寓", L"剏", L"奴", L"双", L"廿", L"小", L"丶"},
    {L"瀟", L"嚴", L"麗", L"霤", L"鮟", L"鮓", L"欧", L"京", L"占", L"入", L"丶"},
    {L"W", L"B", L"M", L"K", L"F", L"E", L"g", L"h", L"e", L"j", L"o"},
    {L"鬱", L"瀟", L"纜", L"霤", L"鮟", L"剏", L"欧", L"双", L"甘", L"入", L"＞"},
};

Form9::Form9()
    : Form(kForm9Design),
      Frame3(*this, L"Frame3", {.place = {120, 120, 5655, 5655}, .caption = L"文字絵に使う文字"}),
      Option1(Frame3, L"Option1", kPatterns,
              [](int p) {
                  return platform::OptionButton::Design{.place = {240 + 1080.0 * p, 480, 255, 255},
                                                        .caption = L"Option1",
                                                        .value = p == 0};
              }),
      Frame1(Frame3, L"Frame1", kPatterns,
             [](int p) {
                 return platform::Frame::Design{.place = {120 + 1080.0 * p, 840, 1095, 4455},
                                                .caption = L"パターン" + std::to_wstring(p + 1)};
             }),
      Text1(
          L"Text1", kPatterns * kPatternChars,
          [this](int i) -> platform::Container & { return Frame1(i / kPatternChars); },
          [](int i) {
              return TextBox::Design{.place = {240, 360 + 360.0 * (i % kPatternChars), 615, 270},
                                     .text =
                                         kDesignedPatterns[i / kPatternChars][i % kPatternChars],
                                     .alignment = TextBox::Alignment::Center};
          }),
      Label1(
          Frame3, L"Label1",
          {.place = {240, 5340, 5175, 255}, .caption = L"上にある文字のほうが濃い色を担当します"}),
      Command1(*this, L"Command1", {.place = {2280, 6000, 1095, 375}, .caption = L"OK"}),
      Command2(*this, L"Command2", {.place = {3480, 6000, 1095, 375}, .caption = L"キャンセル"}),
      Command3(*this, L"Command3", {.place = {4680, 6000, 1095, 375}, .caption = L"適用"}) {
    Bind(Option1.Click, &Form9::Option1_Click);
    Bind(Command1.Click, &Form9::Command1_Click);
    Bind(Command2.Click, &Form9::Command2_Click);
    Bind(Command3.Click, &Form9::Command3_Click);
}

void Form9::Form_Load() {
    LoadTextArtPatterns();
}

void Form9::Option1_Click(int Index) {
    SelectedPattern = Index;
}

void Form9::Command1_Click() {
    SaveTextArtPatterns();
    Hide();
}

void Form9::Command2_Click() {
    Hide();
}

void Form9::Command3_Click() {
    SaveTextArtPatterns();
}

void Form9::LoadTextArtPatterns() {
    using namespace textart;
    // Only a hand-edited file holds anything but 0 to 4: such a selection is left alone.
    if (const std::optional<int32_t> main = ReadNumberSetting(L"Mozie", L"Main", kMainBuffer))
        if (*main >= 0 && *main < kPatterns) Option1(*main).SetValue(true);
    for (int p = 0; p < kPatterns; ++p)
        for (int k = 0; k < kPatternChars; ++k)
            if (const std::optional<std::wstring> v =
                    ReadSetting(L"Mozie", WordKey(p, k), kCharacterBuffer))
                Text1(p * kPatternChars + k).SetText(TextBeforeNul(*v));
}

void Form9::SaveTextArtPatterns() {
    using textart::WriteSetting;
    for (int k = 0; k < kPatternChars; ++k)
        WriteSetting(L"Mozie", UseWordKey(k), Text1(SelectedPattern * kPatternChars + k).Text());
    for (int p = 0; p < kPatterns; ++p)
        for (int k = 0; k < kPatternChars; ++k)
            WriteSetting(L"Mozie", WordKey(p, k), Text1(p * kPatternChars + k).Text());
    WriteSetting(L"Mozie", L"Main", std::to_wstring(SelectedPattern));
}

} // namespace mirolt::app
