#pragma once
// The common dialog control: open and save dialogs with "desc|pattern" filters.
#include <cstdint>
#include <string>

namespace mirolt::platform {

class CommonDialog {
  public:
    std::wstring Filter;
    int FilterIndex = 1;   // the initial filter, and the chosen one afterwards
    std::wstring FileName; // the initial name, and the chosen one afterwards
    std::wstring DialogTitle;
    std::wstring InitDir;     // the initial folder
    int32_t Flags = 0;        // cdlOFN flags
    bool CancelError = false; // a cancel raises 32755 instead of returning

    void ShowOpen() { Show(false); }
    void ShowSave() { Show(true); }

  private:
    void Show(bool save);
};

} // namespace mirolt::platform
