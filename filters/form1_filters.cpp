// Form1's whole-picture operations: the four filters of the menu, the colour balance and
// the brightness, all through the one pixel frame.
#include "form1.h"

#include "form2.h"
#include "form3.h"
#include "pixel_frame.h"
#include "pixel_rows.h"

namespace mirolt::app {

// Each rule is its own type, so the frame is instantiated per rule and inlines it.
void Form1::MakeGrayscale() {
    filters::RunPixelFrame(*this, GrayscaleRule{});
}
void Form1::InvertColors() {
    filters::RunPixelFrame(*this, InversionRule{});
}
void Form1::MakeMaskImage() {
    filters::RunPixelFrame(*this, MaskRule{});
}
void Form1::MakeSepia() {
    filters::RunPixelFrame(*this, SepiaRule{});
}

// The two dialog operations put the finished result into Picture3 before "完了"; their
// dialogs show it and enable the menus.
void Form1::RunColorEdit(const int32_t &Red, const int32_t &Green, const int32_t &Blue) {
    filters::RunPixelFrame(*this, BalanceRule{Red, Green, Blue},
                           [this] { Picture3.SetPicture(Picture2.Image()); });
}

void Form1::RunLightEdit(const int32_t &Akarusa) {
    filters::RunPixelFrame(*this, BalanceRule{Akarusa, Akarusa, Akarusa},
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
