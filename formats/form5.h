#pragma once
// Form5: the save-as-JPEG dialog. The result picture goes to a JPEG file of the chosen
// quality in the chosen folder, written by SaveJPG.DLL's DCSavetoJPEG.
#include "toolkit.h"

#include <string>

namespace mirolt::app {

class Form5 : public platform::Form {
  public:
    Form5();

    platform::DriveListBox Drive1;
    platform::FileListBox File1;
    platform::DirListBox Dir1;
    platform::Label Label1;
    platform::TextBox Text1;
    platform::CommandButton Command1;
    platform::CommandButton Command2;
    platform::ScrollBar HScroll1;
    platform::Label Label2;
    platform::TextBox Text2;

    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void HScroll1_Change();
    void Command1_Click();
    void Command2_Click();
};

// The name the picture is saved under: the text, with ".jpg" added unless it already
// ends in exactly ".jpg".
std::wstring JpegFileName(const std::wstring &text);

} // namespace mirolt::app

namespace mirolt::formats {
// Tests: DCSavetoJPEG is bound from this library at its next call (the binding so far is
// dropped, its library stays loaded).
void BindSaveJpegFrom(const char *library);
} // namespace mirolt::formats

namespace mirolt::forms {
inline platform::FormInstance<app::Form5> Form5;
}
