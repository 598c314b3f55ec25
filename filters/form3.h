#pragma once
// Form3: the brightness dialog. Left of the bar's centre brightens, right of it darkens.
#include "toolkit.h"

namespace mirolt::app {

class Form3 : public platform::Form {
  public:
    Form3();

    platform::Label Label2;
    platform::ScrollBar HScroll1;
    platform::Label Label3;
    platform::Label Label1;
    platform::CommandButton Command1;
    platform::CommandButton Command2;

    void HScroll1_Change();
    void Command1_Click();
    void Command2_Click();
};

} // namespace mirolt::app

namespace mirolt::forms {
inline platform::FormInstance<app::Form3> Form3;
}
