#include "form10.h"

#include "data_ini.h"
#include "number_text.h"
#include "vb_constants.h"
#include "vb_error.h"

namespace mirolt::app {
namespace {

using textart::ReadSetting;
using textart::TextBeforeNul;
using textart::WriteSetting;

const platform::FormDesign kForm10Design =
    platform::FixedDialog(L"MiroltTextエディターの設定", 4080, 2700);

constexpr wchar_t kSection[] = L"MiroltTextEditer";
constexpr wchar_t kDefaultSize[] = L"8";

platform::Label::Design LabelAbove(double left, double width, const wchar_t *text) {
    platform::Label::Design d;
    d.place = {left, 300, width, 255};
    d.caption = text;
    return d;
}

platform::CommandButton::Design Button(int column, const wchar_t *caption) {
    return {.place = {120 + 975.0 * column, 2220, 915, 375}, .caption = caption};
}

} // namespace

Form10::Form10()
    : Form(kForm10Design),
      Frame1(*this, L"Frame1",
             {.place = {120, 60, 3840, 2040}, .caption = L"使用するフォントの設定"}),
      Label1(Frame1, L"Label1", LabelAbove(120, 2415, L"フォントの種類")),
      Combo1(Frame1, L"Combo1", {.place = {120, 600, 2535, 300}, .text = L"Combo1"}),
      Label2(Frame1, L"Label2", LabelAbove(2760, 855, L"サイズ")),
      Text1(Frame1, L"Text1",
            {.place = {2760, 600, 855, 300},
             .text = kDefaultSize,
             .alignment = platform::TextBox::Alignment::Right}),
      Text2(Frame1, L"Text2", {.place = {120, 1140, 3495, 735}, .text = kEditorSample}),
      Command1(*this, L"Command1", Button(0, L"OK")),
      Command2(*this, L"Command2", Button(1, L"キャンセル")),
      Command3(*this, L"Command3", Button(2, L"適用")),
      Command4(*this, L"Command4", Button(3, L"初期設定")) {
    Bind(Combo1.Change, &Form10::Combo1_Change);
    Bind(Combo1.Click, &Form10::Combo1_Click);
    Bind(Text1.KeyPress, &Form10::Text1_KeyPress);
    Bind(Text1.Change, &Form10::Text1_Change);
    Bind(Command1.Click, &Form10::Command1_Click);
    Bind(Command2.Click, &Form10::Command2_Click);
    Bind(Command3.Click, &Form10::Command3_Click);
    Bind(Command4.Click, &Form10::Command4_Click);
}

void Form10::Form_Load() {
    LoadEditorSettings();
}

// As a fresh dialog shows it: caret and scroll at the start, also when the preview held the
// sample already (scrolled along by a Tab into it, which selects it whole).
void Form10::ShowSample() {
    Text2.SetText(kEditorSample);
    Text2.SetSelStart(0);
}

// Any name goes to the preview: one that is no installed face shows the system's
// substitute, and the typed text stays in the box.
void Form10::Combo1_Change() {
    Text2.SetFontName(Combo1.Text());
    ShowSample();
}
void Form10::Combo1_Click() {
    Combo1_Change();
}

void Form10::Text1_KeyPress(int &KeyAscii) {
    if (KeyAscii == vbKeyBack) return;
    if (KeyAscii < L'0' || KeyAscii > L'9') KeyAscii = 0;
}

// The preview takes sizes above 0 up to 2048 points; anything else, an emptied box or
// pasted text that is no number, puts "8" back, whose own change brings the preview along.
void Form10::Text1_Change() {
    if (const std::optional<float> size = textart::SingleFromText(Text1.Text())) {
        try {
            Text2.SetFontSize(*size);
            ShowSample();
            return;
        } catch (const RuntimeError &) { // a size no font can take
        }
    }
    Text1.SetText(kDefaultSize);
}

void Form10::Command1_Click() {
    SaveEditorSettings();
    Hide();
}
void Form10::Command2_Click() {
    Hide();
}
void Form10::Command3_Click() {
    SaveEditorSettings();
}
void Form10::Command4_Click() {
    Combo1.SetText(L"ＭＳ ゴシック");
    Text1.SetText(kDefaultSize);
}

void Form10::SaveEditorSettings() {
    WriteSetting(kSection, L"FontName", Combo1.Text());
    WriteSetting(kSection, L"FontSize", Text1.Text());
}

void Form10::LoadEditorSettings() {
    if (auto name = ReadSetting(kSection, L"FontName", textart::kLongBuffer))
        Combo1.SetText(TextBeforeNul(*name));
    if (auto size = ReadSetting(kSection, L"FontSize", textart::kLongBuffer))
        Text1.SetText(TextBeforeNul(*size));
}

} // namespace mirolt::app
