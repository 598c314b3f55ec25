#include "form2.h"

#include "dialog_run.h"
#include "form1.h"
#include "pixel_rules.h"

#include <string>

namespace mirolt::app {
namespace {

using platform::Label;
using platform::ScrollBar;

const platform::FormDesign kForm2Design = platform::FixedDialog(L"色のバランス", 4800, 2280);

// Rows of the three channels, in twips.
constexpr double kRowTop[] = {240, 720, 1200};
constexpr double kRowHeight = 255;

// Name and value labels stand on the preview colour in their row's colour.
Label::Design RowLabel(int row, double left, double width, const wchar_t *caption, int32_t color,
                       Label::Alignment alignment) {
    Label::Design d;
    d.place = {left, kRowTop[row], width, kRowHeight};
    d.caption = caption;
    d.transparent = true;
    d.foreColor = color;
    d.alignment = alignment;
    return d;
}
Label::Design NameLabel(int row, const wchar_t *caption, int32_t color) {
    return RowLabel(row, 240, 660, caption, color, Label::Alignment::Left);
}
Label::Design ValueLabel(int row, int32_t color) {
    return RowLabel(row, 4020, 540, L"0", color, Label::Alignment::Right);
}

// The offset of one channel, -255 to 255.
ScrollBar::Design Bar(int row) {
    return {.place = {960, kRowTop[row], 3000, kRowHeight}, .min = -255, .max = 255};
}

Label::Design NoteLabel() {
    Label::Design d;
    d.place = {240, 1740, 2580, kRowHeight};
    d.caption = L"背景の色は大体の目安です";
    return d;
}

constexpr int32_t kRed = Rgb(255, 0, 0), kGreen = Rgb(0, 255, 0), kBlue = Rgb(0, 0, 255);

} // namespace

Form2::Form2()
    : Form(kForm2Design), Label1(*this, L"Label1", NameLabel(0, L"Red", kRed)),
      HScroll1(*this, L"HScroll1", Bar(0)), Label4(*this, L"Label4", ValueLabel(0, kRed)),
      Label2(*this, L"Label2", NameLabel(1, L"Green", kGreen)),
      HScroll2(*this, L"HScroll2", Bar(1)), Label5(*this, L"Label5", ValueLabel(1, kGreen)),
      Label3(*this, L"Label3", NameLabel(2, L"Blue", kBlue)), HScroll3(*this, L"HScroll3", Bar(2)),
      Label6(*this, L"Label6", ValueLabel(2, kBlue)), Label7(*this, L"Label7", NoteLabel()),
      Command1(*this, L"Command1", {.place = {2940, 1680, 855, 375}, .caption = L"実行"}),
      Command2(*this, L"Command2", {.place = {3840, 1680, 855, 375}, .caption = L"キャンセル"}) {
    Bind(HScroll1.Change, &Form2::HScroll1_Change);
    Bind(HScroll2.Change, &Form2::HScroll2_Change);
    Bind(HScroll3.Change, &Form2::HScroll3_Change);
    Bind(Command1.Click, &Form2::Command1_Click);
    Bind(Command2.Click, &Form2::Command2_Click);
}

void Form2::Form_Load() {
    ShowPreview();
}

void Form2::ShowPreview() {
    SetBackColor(PreviewColor(HScroll1.Value(), HScroll2.Value(), HScroll3.Value()));
}

void Form2::HScroll1_Change() {
    Label4.SetCaption(std::to_wstring(HScroll1.Value()));
    ShowPreview();
}
void Form2::HScroll2_Change() {
    Label5.SetCaption(std::to_wstring(HScroll2.Value()));
    ShowPreview();
}
void Form2::HScroll3_Change() {
    Label6.SetCaption(std::to_wstring(HScroll3.Value()));
    ShowPreview();
}

void Form2::Command1_Click() {
    filters::RunFromDialog(forms::Form2, *this, [this](Form1 &main) {
        const int32_t red = HScroll1.Value(), green = HScroll2.Value(), blue = HScroll3.Value();
        main.RunColorEdit(red, green, blue);
    });
}

void Form2::Command2_Click() {
    Hide();
}

} // namespace mirolt::app
