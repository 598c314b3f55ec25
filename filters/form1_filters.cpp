// Form1's whole-picture operations.
#include "form1.h"

namespace mirolt::app {

void Form1::MakeGrayscale() {}
void Form1::InvertColors() {}
void Form1::MakeMaskImage() {}
void Form1::MakeSepia() {}
void Form1::RunColorEdit(const int32_t &, const int32_t &, const int32_t &) {}
void Form1::RunLightEdit(const int32_t &) {}
void Form1::Mono_Click() {}
void Form1::Hanten_Click() {}
void Form1::MakeMask_Click() {}
void Form1::Sepia_Click() {}
void Form1::Light_Click() {}
void Form1::Color_Click() {}

} // namespace mirolt::app
