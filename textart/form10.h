#pragma once
// Form10: the font of the program's text editor, chosen with a preview of a sample text.
// Its font list is filled from outside, by the font enumeration of the Notepad settings.
#include "toolkit.h"

namespace mirolt::app {

class Form10 : public platform::Form {
  public:
    Form10();

    platform::Frame Frame1;
    platform::Label Label1;
    platform::ComboBox Combo1;
    platform::Label Label2;
    platform::TextBox Text1;
    platform::TextBox Text2;
    platform::CommandButton Command1;
    platform::CommandButton Command2;
    platform::CommandButton Command3;
    platform::CommandButton Command4;

    void Combo1_Change();
    void Combo1_Click();
    void Text1_KeyPress(int &KeyAscii);
    void Text1_Change();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();

    // The two keys of [MiroltTextEditer]: font name from Combo1, size from Text1.
    void SaveEditorSettings();
    void LoadEditorSettings();

  protected:
    void Form_Load() override;

  private:
    void ShowSample();
};

// What the preview shows after each change of the font.
inline constexpr wchar_t kEditorSample[] = L"あ　亜　イ　Ａ　ａ";

} // namespace mirolt::app

namespace mirolt::forms {
inline platform::FormInstance<app::Form10> Form10;
}
