#pragma once
// Form4: the loading screen shown while Main creates the windows.
#include "toolkit.h"

namespace mirolt::app {

class Form4 : public platform::Form {
  public:
    Form4();

    platform::Label Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9, Label10,
        Label11;
    platform::ProgressBar ProgressBar1;
};

} // namespace mirolt::app

namespace mirolt::forms {
inline platform::FormInstance<app::Form4> Form4;
}
