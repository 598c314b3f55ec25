#include "form7.h"

#include "data_ini.h"
#include "errors.h"
#include "fonts.h"
#include "module1_lengths.h"
#include "module2.h"
#include "number_text.h"
#include "prompts.h"

#include <string>

namespace mirolt::app {
namespace {

using platform::ComboBox;
using platform::CommandButton;
using platform::Frame;
using platform::Label;
using platform::TextBox;
using textart::TextBeforeNul;
using textart::WriteSetting;

const platform::FormDesign kForm7Design = platform::FixedDialog(L"メモ帳の設定", 5400, 4035);

// The two font frames share one layout: name list on the left, size box on the right.
constexpr double kFontFrameTop[] = {1095, 2310};

Frame::Design FontFrame(int row, const wchar_t *caption, int tabIndex) {
    return {
        .place = {120, kFontFrameTop[row], 5160, 1095}, .caption = caption, .tabIndex = tabIndex};
}
Label::Design LabelAbove(double left, double width, const wchar_t *text) {
    Label::Design d;
    d.place = {left, 300, width, 255};
    d.caption = text;
    return d;
}
ComboBox::Design FontList(int tabIndex) {
    return {.place = {120, 600, 3495, 300}, .text = kDefaultNotepadFont, .tabIndex = tabIndex};
}
TextBox::Design SizeBox(const wchar_t *text, int tabIndex) {
    return {.place = {3840, 600, 1200, 300}, .text = text, .tabIndex = tabIndex};
}
CommandButton::Design Button(int column, const wchar_t *caption) {
    return {.place = {120 + 1320.0 * column, 3540, 1200, 375},
            .caption = caption,
            .tabIndex = 3 + column};
}

constexpr wchar_t kDefaultTextArtSize[] = L"8";
constexpr wchar_t kDefaultStandardSize[] = L"16";
// What a size box holds when its text is no 16-bit whole number.
constexpr wchar_t kFallbackSize[] = L"8";

// Run on every change of a size box: its text becomes the 16-bit whole number it stands
// for. The text set here raises the change once more, which finds it normalised.
void NormaliseSizeBox(TextBox &box) {
    if (box.Text().empty()) box.SetText(kFallbackSize);
    const std::optional<int16_t> size = textart::IntegerFromText(box.Text());
    box.SetText(size ? std::to_wstring(*size) : kFallbackSize);
}

// The first empty field stops the save with its box.
bool RefuseEmpty(const std::wstring &text, const wchar_t *prompt, const wchar_t *title) {
    if (!text.empty()) return false;
    platform::MsgBox(prompt, platform::vbCritical, title);
    return true;
}

void ReadInto(const std::optional<std::wstring> &value, TextBox &box) {
    if (value) box.SetText(TextBeforeNul(*value));
}
void ReadInto(const std::optional<std::wstring> &value, ComboBox &list) {
    if (value) list.SetText(TextBeforeNul(*value));
}

std::wstring LengthOf(const std::wstring &text) {
    return std::to_wstring(text.size());
}

} // namespace

Form7::Form7()
    : Form(kForm7Design),
      Frame1(*this, L"Frame1",
             {.place = {120, 120, 5160, 855}, .caption = L"メモ帳の場所", .tabIndex = 0}),
      Text1(Frame1, L"Text1",
            {.place = {120, 360, 3975, 300}, .text = kDefaultNotepadPath, .tabIndex = 0}),
      Command1(Frame1, L"Command1",
               {.place = {4200, 330, 840, 360}, .caption = L"参照", .tabIndex = 1}),
      Frame2(*this, L"Frame2", FontFrame(0, L"メモ帳の最適化に使うフォント", 1)),
      Label1(Frame2, L"Label1", LabelAbove(120, 2000, L"フォントの種類")),
      Combo1(Frame2, L"Combo1", FontList(0)),
      Label2(Frame2, L"Label2", LabelAbove(3720, 1380, L"フォントのサイズ")),
      Text2(Frame2, L"Text2", SizeBox(kDefaultTextArtSize, 1)),
      Frame3(*this, L"Frame3", FontFrame(1, L"標準の設定に戻すときの設定", 2)),
      Label4(Frame3, L"Label4", LabelAbove(120, 2000, L"フォントの種類")),
      Combo2(Frame3, L"Combo2", FontList(1)),
      Label3(Frame3, L"Label3", LabelAbove(3720, 1380, L"フォントのサイズ")),
      Text3(Frame3, L"Text3", SizeBox(kDefaultStandardSize, 0)),
      Command2(*this, L"Command2", Button(0, L"OK")),
      Command3(*this, L"Command3", Button(1, L"キャンセル")),
      Command4(*this, L"Command4", Button(2, L"適用")),
      Command5(*this, L"Command5", Button(3, L"初期設定")) {
    Bind(Combo1.KeyDown, &Form7::Combo1_KeyDown);
    Bind(Combo1.KeyUp, &Form7::Combo1_KeyUp);
    Bind(Combo2.KeyDown, &Form7::Combo2_KeyDown);
    Bind(Combo2.KeyUp, &Form7::Combo2_KeyUp);
    Bind(Text2.Change, &Form7::Text2_Change);
    Bind(Text3.Change, &Form7::Text3_Change);
    Bind(Command1.Click, &Form7::Command1_Click);
    Bind(Command2.Click, &Form7::Command2_Click);
    Bind(Command3.Click, &Form7::Command3_Click);
    Bind(Command4.Click, &Form7::Command4_Click);
    Bind(Command5.Click, &Form7::Command5_Click);
}

// The lists are complete before the stored names are put into their text.
void Form7::Form_Load() {
    {
        platform::ScopedGetDC dc(Hwnd());
        platform::EnumFontFaces(dc, Module2::EnumFontsProc, 0);
    }
    platform::ThrowIfEndPending();
    LoadNotepadSettings();
}

void Form7::LoadNotepadSettings() {
    using textart::ReadLengthSetting;
    using textart::ReadSetting;
    using textart::ReadSizedSetting;
    ReadLengthSetting(L"Notepad", L"Size", Module1::NotepadPathLength);
    ReadLengthSetting(L"FontData", L"BeforeLong", Module1::StandardFontNameLength);
    ReadLengthSetting(L"FontData", L"AfterLong", Module1::TextArtFontNameLength);
    ReadInto(ReadSizedSetting(L"FontData", L"BeforeFont", Module1::StandardFontNameLength), Combo2);
    ReadInto(ReadSizedSetting(L"FontData", L"AfterFont", Module1::TextArtFontNameLength), Combo1);
    ReadInto(ReadSetting(L"FontSizeData", L"BeforeFont", textart::kFontSizeBuffer), Text3);
    ReadInto(ReadSetting(L"FontSizeData", L"AfterFont", textart::kFontSizeBuffer), Text2);
    ReadInto(ReadSizedSetting(L"Notepad", L"Address", Module1::NotepadPathLength), Text1);
}

void Form7::SaveNotepadSettings() {
    constexpr wchar_t kNoSize[] = L"フォントのサイズが不明です";
    constexpr wchar_t kNoSizeTitle[] = L"フォントのサイズが空白です";
    constexpr wchar_t kNoFont[] = L"フォントの種類が不明です";
    constexpr wchar_t kNoFontTitle[] = L"フォントの種類が空白です";
    if (RefuseEmpty(Text1.Text(), L"メモ帳の位置を入力して下さい。", L"メモ帳の場所が空白です") ||
        RefuseEmpty(Text2.Text(), kNoSize, kNoSizeTitle) ||
        RefuseEmpty(Text3.Text(), kNoSize, kNoSizeTitle) ||
        RefuseEmpty(Combo2.Text(), kNoFont, kNoFontTitle) ||
        RefuseEmpty(Combo1.Text(), kNoFont, kNoFontTitle))
        return;
    // The values first, then their lengths in characters, which size the next reads.
    WriteSetting(L"FontData", L"BeforeFont", Combo2.Text());
    WriteSetting(L"FontData", L"AfterFont", Combo1.Text());
    WriteSetting(L"FontSizeData", L"BeforeFont", Text3.Text());
    WriteSetting(L"FontSizeData", L"AfterFont", Text2.Text());
    WriteSetting(L"Notepad", L"Address", Text1.Text());
    WriteSetting(L"FontData", L"BeforeLong", LengthOf(Combo2.Text()));
    WriteSetting(L"FontData", L"AfterLong", LengthOf(Combo1.Text()));
    WriteSetting(L"Notepad", L"Size", LengthOf(Text1.Text()));
}

// A key going down locks the list so that typing never edits the name; a name is picked
// from the drop-down list.
void Form7::Combo1_KeyDown(int & /*KeyCode*/, int /*Shift*/) {
    Combo1.SetLocked(true);
}
void Form7::Combo1_KeyUp(int & /*KeyCode*/, int /*Shift*/) {
    Combo1.SetLocked(false);
}
void Form7::Combo2_KeyDown(int & /*KeyCode*/, int /*Shift*/) {
    Combo2.SetLocked(true);
}
void Form7::Combo2_KeyUp(int & /*KeyCode*/, int /*Shift*/) {
    Combo2.SetLocked(false);
}

void Form7::Text2_Change() {
    NormaliseSizeBox(Text2);
}
void Form7::Text3_Change() {
    NormaliseSizeBox(Text3);
}

// After a cancel the dialog keeps the last chosen name, empty until one was chosen.
void Form7::Command1_Click() {
    CommonDialog1.Filter = L"メモ帳|NOTEPAD.EXE";
    CommonDialog1.ShowOpen();
    Text1.SetText(CommonDialog1.FileName);
    if (Text1.Text().empty()) Text1.SetText(kDefaultNotepadPath);
}

void Form7::Command2_Click() {
    SaveNotepadSettings();
    forms::Form7.Unload();
}
void Form7::Command3_Click() {
    forms::Form7.Unload();
}
void Form7::Command4_Click() {
    SaveNotepadSettings();
}
void Form7::Command5_Click() {
    Combo1.SetText(kDefaultNotepadFont);
    Combo2.SetText(kDefaultNotepadFont);
    Text1.SetText(kDefaultNotepadPath);
    Text2.SetText(kDefaultTextArtSize);
    Text3.SetText(kDefaultStandardSize);
}

} // namespace mirolt::app
