#pragma once
// Form7: where Notepad is and which fonts the program switches it to, for text art and
// back to its standard. Everything lives in Data.ini; the dialog keeps nothing else.
#include "common_dialog.h"
#include "toolkit.h"

namespace mirolt::app {

class Form7 : public platform::Form {
  public:
    Form7();

    // Containers before what they hold.
    platform::Frame Frame1;
    platform::TextBox Text1;
    platform::CommandButton Command1;
    platform::Frame Frame2;
    platform::Label Label1;
    platform::ComboBox Combo1;
    platform::Label Label2;
    platform::TextBox Text2;
    platform::Frame Frame3;
    platform::Label Label4;
    platform::ComboBox Combo2;
    platform::Label Label3;
    platform::TextBox Text3;
    platform::CommandButton Command2;
    platform::CommandButton Command3;
    platform::CommandButton Command4;
    platform::CommandButton Command5;
    platform::CommonDialog CommonDialog1;

    void Combo1_KeyDown(int &KeyCode, int Shift);
    void Combo1_KeyUp(int &KeyCode, int Shift);
    void Combo2_KeyDown(int &KeyCode, int Shift);
    void Combo2_KeyUp(int &KeyCode, int Shift);
    void Text2_Change();
    void Text3_Change();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();

    // The eight keys: read into the shared lengths and the controls, written from them.
    void LoadNotepadSettings();
    void SaveNotepadSettings();

  protected:
    void Form_Load() override;
};

inline constexpr wchar_t kDefaultNotepadPath[] = L"C:\\Windows\\NOTEPAD.EXE";
inline constexpr wchar_t kDefaultNotepadFont[] = L"ＭＳ Ｐゴシック";

} // namespace mirolt::app

namespace mirolt::forms {
inline platform::FormInstance<app::Form7> Form7;
}
