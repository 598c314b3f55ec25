#pragma once
// Form8: the program's own text editor, one multi-line box over the whole client area. It
// shows the text art and opens and saves Shift_JIS text files.
#include "common_dialog.h"
#include "toolkit.h"

namespace mirolt::app {

class Form8 : public platform::Form {
  public:
    Form8();

    platform::MenuItem File, Save, TextOpen, Sen, End;
    platform::MenuItem Settei, Setteisuru, CanHenkou, Line, Yuukou;
    platform::TextBox Text1;
    platform::CommonDialog CommonDialog1; // one file name for open and save

    void Save_Click();
    void TextOpen_Click();
    void End_Click();
    void CanHenkou_Click();
    void Yuukou_Click();
    void Setteisuru_Click();

    // Reads the editor's font from Data.ini [MiroltTextEditer].
    void ApplyEditorSettings();

  protected:
    void Form_Load() override;
    void Form_Resize() override;

  private:
    bool StillLoaded() const;
};

inline constexpr const wchar_t *kTextFilter = L"Textファイル(*.txt)|*.txt|";
// The largest text file the editor opens, in bytes and in lines: room for every text the
// program writes, up to the text art of the largest picture (8,024,170 bytes in 6545 rows),
// and for thousands of saves of it by the editor, each of which adds a line end. Wine's text
// box takes a file this large in one to a few seconds, in steps; one line this long, in one
// step of seconds (README).
inline constexpr uint64_t kMaxTextFileBytes = uint64_t(8) << 20;
inline constexpr size_t kMaxTextFileLines = 32768;

} // namespace mirolt::app

namespace mirolt::forms {
inline platform::FormInstance<app::Form8> Form8;
}
