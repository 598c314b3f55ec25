#pragma once
// frmTip: the tips window. It shows a random tip from TIPOFDAY.TXT in the program's folder
// and holds the one per-user setting, whether it opens by itself at start-up.
#include "toolkit.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mirolt::app {

class frmTip : public platform::Form {
  public:
    frmTip();

    platform::PictureBox Picture1;
    platform::Label Label1;
    platform::Label lblTipText;
    platform::CheckBox chkLoadTipsAtStartup;
    platform::CommandButton cmdOK;
    platform::CommandButton cmdNextTip;

    std::vector<std::wstring> TipList;
    int32_t CurrentTipIndex = 0;

    // Fills TipList from the file and shows a random tip; false when there is no file.
    bool LoadTips(const std::wstring &sFile);
    void DisplayCurrentTip();

    void chkLoadTipsAtStartup_Click();
    void cmdNextTip_Click();
    void cmdOK_Click();

  protected:
    void Form_Load() override;
    void Form_Resize() override;

  private:
    void ShowRandomTip();
};

inline constexpr const wchar_t *kTipsFileName = L"TIPOFDAY.TXT";
// Shown in place of a tip when the tips file is not there.
extern const std::wstring kMissingTipsText;

// The stored "Show Tips at Startup" as a number: 1 when it is absent, 0 when it is no
// whole number. Only 1 shows the window at start-up.
int32_t ShowTipsSetting();

// Shows the window modeless, creating it when it is not loaded, and brings it forward.
void ShowTipWindow();

} // namespace mirolt::app

namespace mirolt::forms {
inline platform::FormInstance<app::frmTip> frmTip;
}
