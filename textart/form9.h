#pragma once
// Form9: the five patterns of eleven text-art characters, and the one the conversion uses.
// Its only output is Data.ini's [Mozie] section.
#include "toolkit.h"

#include <cstdint>

namespace mirolt::app {

class Form9 : public platform::Form {
  public:
    Form9();

    platform::Frame Frame3;
    platform::ControlArray<platform::OptionButton> Option1;
    platform::ControlArray<platform::Frame> Frame1;
    platform::ControlArray<platform::TextBox> Text1; // pattern p, character k: p * 11 + k
    platform::Label Label1;
    platform::CommandButton Command1, Command2, Command3;

    // The selected pattern, 0 to 4; set only by Option1_Click.
    int32_t SelectedPattern = 0;

    void Option1_Click(int Index);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    void LoadTextArtPatterns();
    void SaveTextArtPatterns();

  protected:
    void Form_Load() override;
};

inline constexpr int kPatterns = 5;
inline constexpr int kPatternChars = 11;
// The designed characters, pattern by pattern, darkest first.
extern const wchar_t *const kDesignedPatterns[kPatterns][kPatternChars];

} // namespace mirolt::app

namespace mirolt::forms {
inline platform::FormInstance<app::Form9> Form9;
}
