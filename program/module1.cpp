#include "module1.h"

#include "form1.h"
#include "form10.h"
#include "form11.h"
#include "form12.h"
#include "form2.h"
#include "form3.h"
#include "form4.h"
#include "form5.h"
#include "form7.h"
#include "form8.h"
#include "form9.h"
#include "frmtip.h"
#include "plugin_discovery.h"
#include "prompts.h"
#include "runtime.h"
#include "vb_error.h"

namespace mirolt::app {
namespace {

struct StartupStep {
    const wchar_t *window;
    void (*load)();
    float progress;
};

// Every window the program keeps for its whole run, in creation order, one a line.
// clang-format off
constexpr StartupStep kStartupOrder[] = {
    {L"Form1", [] { forms::Form1.Load(); }, 1},
    {L"Form2", [] { forms::Form2.Load(); }, 2},
    {L"Form3", [] { forms::Form3.Load(); }, 3},
    {L"Form5", [] { forms::Form5.Load(); }, 4},
    {L"Form7", [] { forms::Form7.Load(); }, 5},
    {L"Form8", [] { forms::Form8.Load(); }, 6},
    {L"Form9", [] { forms::Form9.Load(); }, 7},
    {L"Form10", [] { forms::Form10.Load(); }, 8}, // already created by Form7's fonts
    {L"Form11", [] { forms::Form11.Load(); }, 9},
    {L"Form12", [] { forms::Form12.Load(); }, 10},
};
// clang-format on

} // namespace

void Main(const StartupObserver &observe) {
    formats::SetPluginFolder(formats::DefaultPluginFolder());
    forms::Form4.Show();
    forms::Form4->Refresh();
    forms::Form4->ProgressBar1.SetValue(0);
    forms::Form4->ProgressBar1.SetMax(10);
    for (const StartupStep &step : kStartupOrder) {
        step.load();
        forms::Form4->ProgressBar1.SetValue(step.progress);
        if (observe) observe(step.window, forms::Form4->ProgressBar1.Value());
    }
    forms::Form4.Unload();

    forms::Form1.Show();
    if (ShowTipsSetting() == 1) ShowTipWindow();

    const std::wstring commandLine = platform::CommandLine();
    if (!commandLine.empty()) LoadCommandLinePicture(commandLine);
}

void LoadCommandLinePicture(const std::wstring &commandLine) {
    app::Form1 &f = forms::Form1.Get();
    try {
        f.Picture1.SetPicture(platform::LoadPicture(platform::UCase(commandLine)));
    } catch (const RuntimeError &) {
        // Nothing was loaded: the window stays in the state it had; say why.
        platform::MsgBox(L"開けない！");
        return;
    }
    f.EnterPictureLoadedState(true);
}

} // namespace mirolt::app
