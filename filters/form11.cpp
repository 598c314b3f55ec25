#include "form11.h"

#include "form1.h"
#include "progress_scope.h"
#include "raster_mosaic.h"

#include "prompts.h"
#include "runtime.h"
#include "vb_constants.h"
#include "vb_numeric.h"

#include <iterator>
#include <vector>

namespace mirolt::app {
namespace {

const platform::FormDesign kForm11Design =
    platform::FixedDialog(L"Filter①：名称募集中", 4890, 2130);

platform::ComboBox::Design OperationList(double top, int tabIndex) {
    return {.place = {600, top, 2415, 300},
            .text = L"DstInvert",
            .list = std::vector<std::wstring>(std::begin(kRasterOperationList),
                                              std::end(kRasterOperationList)),
            .tabIndex = tabIndex};
}

platform::TextBox::Design CountBox(double top, int tabIndex) {
    return {.place = {240, top, 855, 300},
            .text = L"10",
            .alignment = platform::TextBox::Alignment::Right,
            .tabIndex = tabIndex};
}

void DigitsOnly(int &KeyAscii) {
    const bool digit = KeyAscii >= '0' && KeyAscii <= '9';
    if (!digit && KeyAscii != 8) KeyAscii = 0;
}

} // namespace

std::wstring RasterCountRefused(int32_t width) {
    return L"回数には0より大きく、" + std::to_wstring(int64_t{4} * width) +
           L"（画像の幅の4倍）より小さい数を入れてください。";
}

Form11::Form11()
    : Form(kForm11Design),
      Frame1(*this, L"Frame1", {.place = {120, 120, 3255, 1335}, .caption = L"描画方法"}),
      Check1(Frame1, L"Check1",
             {.place = {120, 360, 435, 255}, .caption = L"1", .value = vbChecked, .tabIndex = 0}),
      Combo1(Frame1, L"Combo1", OperationList(330, 1)),
      Check2(Frame1, L"Check2",
             {.place = {120, 840, 435, 255}, .caption = L"2", .value = vbChecked, .tabIndex = 2}),
      Combo2(Frame1, L"Combo2", OperationList(810, 3)),
      Label1(Frame1, L"Label1", {.place = {600, 1140, 2415, 135}}),
      Frame2(*this, L"Frame2", {.place = {3480, 120, 1335, 1335}, .caption = L"回数"}),
      Text1(Frame2, L"Text1", CountBox(330, 0)), Text2(Frame2, L"Text2", CountBox(810, 1)),
      Command1(*this, L"Command1", {.place = {2520, 1620, 1095, 375}, .caption = L"実行"}),
      Command2(*this, L"Command2", {.place = {3720, 1620, 1095, 375}, .caption = L"閉じる"}) {
    Bind(Command1.Click, &Form11::Command1_Click);
    Bind(Command2.Click, &Form11::Command2_Click);
    Bind(Combo1.KeyDown, &Form11::Combo1_KeyDown);
    Bind(Combo1.KeyUp, &Form11::Combo1_KeyUp);
    Bind(Text1.KeyPress, &Form11::Text1_KeyPress);
    Bind(Text2.KeyPress, &Form11::Text2_KeyPress);
}

// The first list is picked with the mouse only: no key changes its text.
void Form11::Combo1_KeyDown(int & /*KeyCode*/, int /*Shift*/) {
    Combo1.SetLocked(true);
}
void Form11::Combo1_KeyUp(int & /*KeyCode*/, int /*Shift*/) {
    Combo1.SetLocked(false);
}

void Form11::Text1_KeyPress(int &KeyAscii) {
    DigitsOnly(KeyAscii);
}
void Form11::Text2_KeyPress(int &KeyAscii) {
    DigitsOnly(KeyAscii);
}

void Form11::Command1_Click() {
    Form1 &f = forms::Form1.Get();
    const uint32_t code1 = RasterCodeOf(Combo1.Text());
    const uint32_t code2 = RasterCodeOf(Combo2.Text());

    // Counts without a usable step would divide by zero or never end: refuse before
    // anything changes.
    const int32_t w = int32_t(f.Picture1.Width()), h = int32_t(f.Picture1.Height());
    const auto n1 = DoubleFromText(Text1.Text()), n2 = DoubleFromText(Text2.Text());
    const auto plan = n1 && n2 ? PlanRasterFilter(w, h, *n1, *n2) : std::nullopt;
    if (!plan) {
        platform::MsgBox(RasterCountRefused(w), platform::vbExclamation);
        return;
    }

    f.Picture2.Cls();
    ProgressScope progress(f, ProgressScope::ButtonOnly{});
    // The one yield: a Cancel pressed after it is not seen until the passes end.
    platform::PumpMessages();

    auto runPass = [&f, &progress](const RasterPass &pass, bool on, uint32_t code) {
        progress.ShowBar(float(pass.count));
        if (!on) return true;
        const platform::Picture &source = f.Picture1.GetPicture();
        for (int32_t k = 0; k < pass.count; ++k) {
            if (progress.Cancelled()) return false;
            f.Picture2.PaintPicture(source, pass.x0 + k * pass.dx, pass.y0 + k * pass.dy,
                                    source.Width(), source.Height(), 0, 0, source.Width(),
                                    source.Height(), code);
            progress.SetValue(float(k + 1));
        }
        return true;
    };

    // A cancel has ended the run already, without publishing.
    if (!runPass(plan->pass1, Check1.Value() == vbChecked, code1) ||
        !runPass(plan->pass2, Check2.Value() == vbChecked, code2))
        return;
    progress.End();
    f.PublishResult();
}

void Form11::Command2_Click() {
    Hide();
}

} // namespace mirolt::app
