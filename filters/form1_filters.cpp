// Form1's whole-picture operations: the four filters of the menu, the colour balance and
// the brightness, all through the one pixel frame.
#include "form1.h"

#include "form2.h"
#include "form3.h"
#include "pixel_frame.h"
#include "pixel_rules.h"

namespace mirolt::app {

// Each rule is its own closure type, so the frame is instantiated per rule and inlines it.
void Form1::MakeGrayscale() {
    filters::RunPixelFrame(*this, [](int32_t c) { return GrayscaleOf(c); });
}
void Form1::InvertColors() {
    filters::RunPixelFrame(*this, [](int32_t c) { return InvertedOf(c); });
}
void Form1::MakeMaskImage() {
    filters::RunPixelFrame(*this, [](int32_t c) { return MaskOf(c); });
}
void Form1::MakeSepia() {
    filters::RunPixelFrame(*this, [](int32_t c) { return SepiaOf(c); });
}

// The two dialog operations put the finished result into Picture3 before "完了"; their
// dialogs show it and enable the menus.
void Form1::RunColorEdit(const int32_t &Red, const int32_t &Green, const int32_t &Blue) {
    const int32_t red = Red, green = Green, blue = Blue;
    filters::RunPixelFrame(
        *this, [=](int32_t c) { return BalancedOf(c, red, green, blue); },
        [this] { Picture3.SetPicture(Picture2.Image()); });
}

void Form1::RunLightEdit(const int32_t &Akarusa) {
    const int32_t akarusa = Akarusa;
    filters::RunPixelFrame(
        *this, [=](int32_t c) { return BrightenedOf(c, akarusa); },
        [this] { Picture3.SetPicture(Picture2.Image()); });
}

namespace {
// A menu filter: the operation, finished or cancelled, then the result published. A
// picture the frame refuses publishes nothing, so the old result stays as it was.
void RunAndPublish(Form1 &f, void (Form1::*operation)()) {
    if (!filters::PixelFrameAccepts(f)) return;
    (f.*operation)();
    f.PublishResult();
}
} // namespace

void Form1::Mono_Click() {
    RunAndPublish(*this, &Form1::MakeGrayscale);
}
void Form1::Hanten_Click() {
    RunAndPublish(*this, &Form1::InvertColors);
}
void Form1::MakeMask_Click() {
    RunAndPublish(*this, &Form1::MakeMaskImage);
}
void Form1::Sepia_Click() {
    RunAndPublish(*this, &Form1::MakeSepia);
}

void Form1::Light_Click() {
    forms::Form3.Show();
}
void Form1::Color_Click() {
    forms::Form2.Show();
}

} // namespace mirolt::app
