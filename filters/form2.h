#pragma once
// Form2: the colour-balance dialog. Three bars give the offsets of red, green and blue;
// the window's background previews them as one colour.
#include "toolkit.h"

namespace mirolt::app {

class Form2 : public platform::Form {
  public:
    Form2();

    platform::Label Label1;
    platform::ScrollBar HScroll1;
    platform::Label Label4;
    platform::Label Label2;
    platform::ScrollBar HScroll2;
    platform::Label Label5;
    platform::Label Label3;
    platform::ScrollBar HScroll3;
    platform::Label Label6;
    platform::Label Label7;
    platform::CommandButton Command1;
    platform::CommandButton Command2;

    void HScroll1_Change();
    void HScroll2_Change();
    void HScroll3_Change();
    void Command1_Click();
    void Command2_Click();

  protected:
    void Form_Load() override;

  private:
    void ShowPreview();
};

} // namespace mirolt::app

namespace mirolt::forms {
inline platform::FormInstance<app::Form2> Form2;
}
