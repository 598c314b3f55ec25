#pragma once
// Form11: the raster-operation filter. Copies of the source are painted over the result
// along two diagonals, each combined with what is there by a raster operation.
#include "toolkit.h"

#include <cstdint>
#include <string>

namespace mirolt::app {

class Form11 : public platform::Form {
  public:
    Form11();

    platform::Frame Frame1;
    platform::CheckBox Check1;
    platform::ComboBox Combo1;
    platform::CheckBox Check2;
    platform::ComboBox Combo2;
    platform::Label Label1;
    platform::Frame Frame2;
    platform::TextBox Text1;
    platform::TextBox Text2;
    platform::CommandButton Command1;
    platform::CommandButton Command2;

    void Command1_Click();
    void Command2_Click();
    void Combo1_KeyDown(int &KeyCode, int Shift);
    void Combo1_KeyUp(int &KeyCode, int Shift);
    void Text1_KeyPress(int &KeyAscii);
    void Text2_KeyPress(int &KeyAscii);
};

// Shown when a count gives no usable step on a source `width` pixels wide; nothing is
// drawn then.
std::wstring RasterCountRefused(int32_t width);

} // namespace mirolt::app

namespace mirolt::forms {
inline platform::FormInstance<app::Form11> Form11;
}
