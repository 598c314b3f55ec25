#include "frmtip.h"

#include "files.h"
#include "form1.h"
#include "system.h"

#include <cmath>
#include <cwchar>
#include <new>

namespace mirolt::app {
namespace {

constexpr const wchar_t *kApp = L"Mirolt";
constexpr const wchar_t *kSection = L"Options";
constexpr const wchar_t *kKey = L"Show Tips at Startup";
constexpr int32_t kWhite = 0xFFFFFF;

const platform::FormDesign kTipDesign = {.caption = L"ﾜﾝﾎﾟｲﾝﾄ",
                                         .clientWidthTwips = 8370,
                                         .clientHeightTwips = 2730,
                                         .border = platform::BorderStyle::Sizable,
                                         .minButton = false,
                                         .maxButton = false};

} // namespace

const std::wstring kMissingTipsText =
    std::wstring(L"ﾌｧｲﾙ ") + kTipsFileName + L" が見つかりませんでした。 " + L"\r\n" + L"\r\n" +
    L"「メモ帳」を使用して、1 行に 1 つのﾜﾝﾎﾟｲﾝﾄという形式でﾃｷｽﾄ ﾌｧｲﾙを作成し、" + kTipsFileName +
    L" という名前で保存してください。 " +
    L"その後、そのﾌｧｲﾙをｱﾌﾟﾘｹｰｼｮﾝと同じﾌｫﾙﾀﾞに保存してください。";

int32_t ShowTipsSetting() {
    const std::wstring text = platform::GetSetting(kApp, kSection, kKey, L"1");
    wchar_t *end = nullptr;
    const long value = std::wcstol(text.c_str(), &end, 10);
    // Whatever else the store holds counts as "do not show" rather than stopping the start.
    if (text.empty() || *end != L'\0' || value < INT32_MIN || value > INT32_MAX) return 0;
    return int32_t(value);
}

frmTip::frmTip()
    : Form(kTipDesign), Picture1(*this, L"Picture1",
                                 {.place = {120, 120, 6735, 1995},
                                  .border = true,
                                  .scale = platform::ScaleMode::Twips,
                                  .backColor = kWhite}),
      Label1(Picture1, L"Label1",
             {.place = {540, 180, 3000, 255}, .caption = L"便利な使い方...", .backColor = kWhite}),
      lblTipText(Picture1, L"lblTipText", {.place = {180, 600, 6375, 1155}, .backColor = kWhite}),
      chkLoadTipsAtStartup(
          *this, L"chkLoadTipsAtStartup",
          {.place = {120, 2280, 3900, 315}, .caption = L"起動時にﾜﾝﾎﾟｲﾝﾄを表示する(&S)"}),
      cmdOK(*this, L"cmdOK",
            {.place = {6960, 240, 1215, 375}, .caption = L"OK", .isDefault = true, .cancel = true}),
      cmdNextTip(*this, L"cmdNextTip",
                 {.place = {6960, 720, 1215, 375}, .caption = L"次を表示(&N)"}) {
    Bind(chkLoadTipsAtStartup.Click, &frmTip::chkLoadTipsAtStartup_Click);
    Bind(cmdNextTip.Click, &frmTip::cmdNextTip_Click);
    Bind(cmdOK.Click, &frmTip::cmdOK_Click);
    // The icon at the panel's top left, left of the heading.
    if (HICON icon = LoadIconW(nullptr, IDI_INFORMATION))
        DrawIconEx(Picture1.hDC(), 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
}

void frmTip::Form_Load() {
    platform::Randomize();
    if (!LoadTips(platform::AppPath() + L"\\" + kTipsFileName))
        lblTipText.SetCaption(kMissingTipsText);
}

bool frmTip::LoadTips(const std::wstring &sFile) {
    if (sFile.empty() || !platform::FileExists(sFile)) return false;
    try {
        TipList = platform::ReadTextLines(sFile);
    } catch (const RuntimeError &) {
        // There but unreadable: as good as missing, and the text says what to do.
        return false;
    } catch (const std::bad_alloc &) {
        return false;
    }
    ShowRandomTip();
    return true;
}

void frmTip::ShowRandomTip() {
    const double n = double(TipList.size());
    CurrentTipIndex = int32_t(std::floor(double(platform::Rnd()) * n + 1));
    DisplayCurrentTip();
}

void frmTip::DisplayCurrentTip() {
    if (TipList.empty() || CurrentTipIndex < 1 || size_t(CurrentTipIndex) > TipList.size()) return;
    lblTipText.SetCaption(TipList[size_t(CurrentTipIndex) - 1]);
}

void frmTip::Form_Resize() {
    chkLoadTipsAtStartup.SetValue(ShowTipsSetting() == 1 ? vbChecked : vbUnchecked);
}

void frmTip::chkLoadTipsAtStartup_Click() {
    platform::SaveSetting(kApp, kSection, kKey, std::to_wstring(chkLoadTipsAtStartup.Value()));
}

void frmTip::cmdNextTip_Click() {
    ShowRandomTip();
}

void frmTip::cmdOK_Click() {
    platform::SaveSetting(kApp, kSection, kKey, std::to_wstring(chkLoadTipsAtStartup.Value()));
    forms::frmTip.Unload();
}

void ShowTipWindow() {
    forms::frmTip.Show();
    SetForegroundWindow(forms::frmTip->Hwnd());
}

void Form1::OnePoint_Click() {
    ShowTipWindow();
}

} // namespace mirolt::app
