#include "form3.h"

#include "dialog_run.h"
#include "form1.h"

#include <string>

namespace mirolt::app {
namespace {

using platform::Label;
using platform::ScrollBar;

const platform::FormDesign kForm3Design = platform::FixedDialog(L"明るさの変更", 4800, 1320);

constexpr double kRowTop = 240, kRowHeight = 255;

Label::Design RowLabel(double left, double width, const wchar_t *caption,
                       Label::Alignment alignment = Label::Alignment::Left) {
    Label::Design d;
    d.place = {left, kRowTop, width, kRowHeight};
    d.caption = caption;
    d.alignment = alignment;
    return d;
}

} // namespace

Form3::Form3()
    : Form(kForm3Design), Label2(*this, L"Label2", RowLabel(120, 600, L"明るい")),
      HScroll1(*this, L"HScroll1",
               {.place = {780, kRowTop, 2880, kRowHeight}, .min = -255, .max = 255}),
      Label3(*this, L"Label3", RowLabel(3720, 420, L"暗い")),
      Label1(*this, L"Label1", RowLabel(4140, 540, L"0", Label::Alignment::Right)),
      Command1(*this, L"Command1", {.place = {1320, 720, 855, 375}, .caption = L"実行"}),
      Command2(*this, L"Command2", {.place = {2280, 720, 855, 375}, .caption = L"キャンセル"}) {
    Bind(HScroll1.Change, &Form3::HScroll1_Change);
    Bind(Command1.Click, &Form3::Command1_Click);
    Bind(Command2.Click, &Form3::Command2_Click);
}

// The label shows the bar as it stands: a brightening by 100 reads "-100".
void Form3::HScroll1_Change() {
    Label1.SetCaption(std::to_wstring(HScroll1.Value()));
}

void Form3::Command1_Click() {
    filters::RunFromDialog(forms::Form3, *this, [this](Form1 &main) {
        const int32_t akarusa = -int32_t{HScroll1.Value()};
        main.RunLightEdit(akarusa);
    });
}

void Form3::Command2_Click() {
    Hide();
}

} // namespace mirolt::app
