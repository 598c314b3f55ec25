#include "form1.h"

#include "clipboard.h"
#include "layout.h"
#include "runtime.h"
#include "vb_error.h"

#include <shellapi.h>

namespace mirolt::app {
namespace {

using platform::MenuItem;
using platform::PictureBox;
using platform::ScaleMode;
using platform::ScrollBar;
using platform::SystemColor;

// Designed places are stored in twips; Form1 works in pixels.
constexpr double Px(double twips) {
    return twips / 15.0;
}

constexpr int32_t kTitleTextColor = SystemColor(COLOR_CAPTIONTEXT); // system colour 9
constexpr double kMinWidthTwips = 7425;
constexpr double kMinHeightTwips = 3870;
constexpr double kScrollBarThickness = Px(255);

const platform::FormDesign kForm1Design = {.caption = L"Mirolt",
                                           .clientWidthTwips = 12015,
                                           .clientHeightTwips = 5475,
                                           .border = platform::BorderStyle::Sizable,
                                           .scale = ScaleMode::Pixels};

// The two panes take files dropped from other programs.
PictureBox::Design Pane(double leftTwips) {
    return {.place = {Px(leftTwips), Px(120), Px(5175), Px(4575)},
            .border = true,
            .oleDropManual = true};
}

PictureBox::Design View(bool dropTarget) {
    return {.border = true,
            .autoSize = true,
            .backColor = kTitleTextColor,
            .oleDropManual = dropTarget,
            .visible = false};
}

// The working pictures sit outside the visible area and are never shown.
PictureBox::Design Working(double leftTwips, double topTwips) {
    return {.place = {Px(leftTwips), Px(topTwips)},
            .autoSize = true,
            .backColor = kTitleTextColor,
            .visible = false};
}

const PictureBox::Design kProbe = {
    .place = {Px(12720), Px(2400), Px(855), Px(735)}, .scale = ScaleMode::Twips, .visible = false};

ScrollBar::Design Bar(ScrollBar::Orientation orientation, platform::Place place) {
    return {.place = place, .orientation = orientation, .visible = false};
}
constexpr auto kHorizontal = ScrollBar::Orientation::Horizontal;
constexpr auto kVertical = ScrollBar::Orientation::Vertical;

} // namespace

Form1::Form1()
    : Form(kForm1Design), File(*this, L"File", L"ファイル"),
      FileOpen(File, L"FileOpen", L"画像を開く"),
      SusieOpen(File, L"SusieOpen", L"Susieプラグインで開く"), line1(File, L"line1", L"-"),
      Save(File, L"Save", L"画像をBMP形式で保存"),
      JPEGSave(File, L"JPEGSave", L"画像をJPEG形式で保存"), Line2(File, L"Line2", L"-"),
      KidouText(File, L"KidouText", L"MiroltTextエディターの起動"), Line4(File, L"Line4", L"-"),
      End(File, L"End", L"終了"), Syori(*this, L"Syori", L"処理の実行"),
      Mono(Syori, L"Mono", L"グレースケール"), Hanten(Syori, L"Hanten", L"色の反転"),
      Light(Syori, L"Light", L"明るさの変更"), Color(Syori, L"Color", L"色のバランスの設定"),
      Sepia(Syori, L"Sepia", L"セピア調にする"), Line3(Syori, L"Line3", L"-"),
      Mozie(Syori, L"Mozie", L"文字絵作成"), Line5(Syori, L"Line5", L"-"),
      MakeMask(Syori, L"MakeMask", L"マスクよう画像の作成"),
      Filter(*this, L"Filter", L"フィルター"), Sonoiti(Filter, L"Sonoiti", L"その①"),
      Mozaiku(Filter, L"Mozaiku", L"モザイクにする"), Clip(*this, L"Clip", L"クリップボード"),
      Copy(Clip, L"Copy", L"クリップボードにコピーする"),
      Load(Clip, L"Load", L"クリップボードから開く"), Idou(*this, L"Idou", L"ピクチャの移動"),
      settei(*this, L"settei", L"設定"),
      MTextEditerSettei(settei, L"MTextEditerSettei", L"MiroltTextエディターの設定"),
      MemoSettei(settei, L"MemoSettei", L"メモ帳の設定"),
      TrueMemoSettei(MemoSettei, L"TrueMemoSettei", L"メモ帳の設定"),
      Saitekika(MemoSettei, L"Saitekika", L"メモ帳の最適化"),
      Hyouzyun(MemoSettei, L"Hyouzyun", L"メモ帳を標準の設定にもどす"),
      Mozienosettei(settei, L"Mozienosettei", L"文字絵の設定"),
      Tukaumozi(Mozienosettei, L"Tukaumozi", L"文字絵に使う文字"),
      Siyou(Mozienosettei, L"Siyou", L"使用するソフト"),
      MoziMirolt(Siyou, L"MoziMirolt", L"MiroltTextエディター"),
      MoziMemotyou(Siyou, L"MoziMemotyou", L"メモ帳"), Sonota(*this, L"Sonota", L"その他"),
      OnePoint(Sonota, L"OnePoint", L"ワンポイント"), GoHP(*this, L"GoHP", L"Miroltホームページ"),
      OpenOnly(*this, L"OpenOnly", L"オープンだけ", false),
      OnlyOpen(OpenOnly, L"OnlyOpen", L"画像を開く"),
      SusieOnlyOpen(OpenOnly, L"SusieOnlyOpen", L"Susieプラグインで開く"),
      Line6(OpenOnly, L"Line6", L"-"),
      OnlyClipOpen(OpenOnly, L"OnlyClipOpen", L"クリップボードから開く"),
      OnlySyori(*this, L"OnlySyori", L"処理とフィルター", false),
      OnlyMono(OnlySyori, L"OnlyMono", L"モノクロ化"),
      OnlyHantenn(OnlySyori, L"OnlyHantenn", L"色の反転"),
      OnlyLight(OnlySyori, L"OnlyLight", L"明るさの変更"),
      OnlyColor(OnlySyori, L"OnlyColor", L"色のバランスの設定"),
      OnlySepia(OnlySyori, L"OnlySepia", L"セピア調にする"), Line7(OnlySyori, L"Line7", L"-"),
      OnlyMozie(OnlySyori, L"OnlyMozie", L"文字絵作成"), Line8(OnlySyori, L"Line8", L"-"),
      OnlyMask(OnlySyori, L"OnlyMask", L"マスク用画像の作成"), Line9(OnlySyori, L"Line9", L"-"),
      OnlySonoiti(OnlySyori, L"OnlySonoiti", L"フィルターその①"),
      OnlyMozaiku(OnlySyori, L"OnlyMozaiku", L"モザイクにする"),
      OnlyHozon(*this, L"OnlyHozon", L"保存するだけ", false),
      OnlyBMP(OnlyHozon, L"OnlyBMP", L"画像をBMP形式で保存"),
      OnlyJPEG(OnlyHozon, L"OnlyJPEG", L"画像をJPEG形式で保存"), Line10(OnlyHozon, L"Line10", L"-"),
      OnlyCopy(OnlyHozon, L"OnlyCopy", L"クリップボードにコピーする"),
      line11(OnlyHozon, L"line11", L"-"), OnlyIdou(OnlyHozon, L"OnlyIdou", L"ピクチャの移動"),
      Picture5(*this, L"Picture5", Pane(360)), Picture6(Picture5, L"Picture6", View(true)),
      Picture4(*this, L"Picture4", Pane(6240)), Picture3(Picture4, L"Picture3", View(false)),
      Picture1(*this, L"Picture1", Working(480, 8520)),
      Picture2(*this, L"Picture2", Working(6960, 7080)), Picture7(*this, L"Picture7", kProbe),
      HScroll1(*this, L"HScroll1",
               Bar(kHorizontal, {Px(360), Px(4800), Px(5175), kScrollBarThickness})),
      VScroll1(*this, L"VScroll1",
               Bar(kVertical, {Px(5640), Px(120), kScrollBarThickness, Px(4575)})),
      HScroll2(*this, L"HScroll2",
               Bar(kHorizontal, {Px(6240), Px(4800), Px(5175), kScrollBarThickness})),
      VScroll2(*this, L"VScroll2",
               Bar(kVertical, {Px(11520), Px(120), kScrollBarThickness, Px(4575)})),
      Command1(*this, L"Command1",
               {.place = {Px(9000), Px(5160), Px(735), Px(255)},
                .caption = L"Cancel",
                .visible = false}),
      ProgressBar1(*this, L"ProgressBar1",
                   {.place = {Px(9840), Px(5160), Px(1875), Px(255)}, .visible = false}),
      StatusBar1(*this, L"StatusBar1", {.text = L"画像を編集するソフトです", .height = Px(405)}) {
    for (ScrollBar *bar : {&HScroll1, &VScroll1, &HScroll2, &VScroll2})
        bar->SetMin(0);
    WireEvents();
}

// Each pop-up item runs the handler of its menu-bar twin.
void Form1::WireEvents() {
    Bind(Command1.Click, &Form1::Command1_Click);
    Bind(HScroll1.Change, &Form1::HScroll1_Change);
    Bind(VScroll1.Change, &Form1::VScroll1_Change);
    Bind(HScroll2.Change, &Form1::HScroll2_Change);
    Bind(VScroll2.Change, &Form1::VScroll2_Change);
    Bind(Picture6.Resize, &Form1::Picture6_Resize);
    Bind(Picture3.Resize, &Form1::Picture3_Resize);
    Bind(End.Click, &Form1::End_Click);
    Bind(Mono.Click, &Form1::Mono_Click);
    Bind(Hanten.Click, &Form1::Hanten_Click);
    Bind(MakeMask.Click, &Form1::MakeMask_Click);
    Bind(Sepia.Click, &Form1::Sepia_Click);
    Bind(Light.Click, &Form1::Light_Click);
    Bind(Color.Click, &Form1::Color_Click);
    Bind(OnlyMono.Click, &Form1::Mono_Click);
    Bind(OnlyHantenn.Click, &Form1::Hanten_Click);
    Bind(OnlyMask.Click, &Form1::MakeMask_Click);
    Bind(OnlySepia.Click, &Form1::Sepia_Click);
    Bind(OnlyLight.Click, &Form1::Light_Click);
    Bind(OnlyColor.Click, &Form1::Color_Click);
    Bind(Sonoiti.Click, &Form1::Sonoiti_Click);
    Bind(OnlySonoiti.Click, &Form1::Sonoiti_Click);
    Bind(Mozaiku.Click, &Form1::Mozaiku_Click);
    Bind(OnlyMozaiku.Click, &Form1::Mozaiku_Click);

    Bind(FileOpen.Click, &Form1::FileOpen_Click);
    Bind(OnlyOpen.Click, &Form1::OnlyOpen_Click);
    Bind(SusieOpen.Click, &Form1::SusieOpen_Click);
    Bind(SusieOnlyOpen.Click, &Form1::SusieOnlyOpen_Click);
    Bind(Save.Click, &Form1::Save_Click);
    Bind(OnlyBMP.Click, &Form1::Save_Click);
    Bind(Copy.Click, &Form1::Copy_Click);
    Bind(OnlyCopy.Click, &Form1::Copy_Click);
    Bind(Load.Click, &Form1::Load_Click);
    Bind(OnlyClipOpen.Click, &Form1::Load_Click);
    Bind(Clip.Click, &Form1::Clip_Click);
    Bind(Idou.Click, &Form1::Idou_Click);
    Bind(OnlyIdou.Click, &Form1::Idou_Click);
    Bind(GoHP.Click, &Form1::GoHP_Click);
    Bind(MTextEditerSettei.Click, &Form1::MTextEditerSettei_Click);
    Bind(TrueMemoSettei.Click, &Form1::TrueMemoSettei_Click);
    Bind(MemoSettei.Click, &Form1::MemoSettei_Click);
    Bind(Saitekika.Click, &Form1::Saitekika_Click);
    Bind(Hyouzyun.Click, &Form1::Hyouzyun_Click);
    Bind(Mozie.Click, &Form1::Mozie_Click);
    Bind(OnlyMozie.Click, &Form1::Mozie_Click);
    Bind(MoziMemotyou.Click, &Form1::MoziMemotyou_Click);
    Bind(MoziMirolt.Click, &Form1::MoziMirolt_Click);
    Bind(KidouText.Click, &Form1::KidouText_Click);
    Bind(Tukaumozi.Click, &Form1::Tukaumozi_Click);
    Bind(JPEGSave.Click, &Form1::JPEGSave_Click);
    Bind(OnlyJPEG.Click, &Form1::JPEGSave_Click);
    Bind(OnePoint.Click, &Form1::OnePoint_Click);
    Bind(Picture5.MouseUp, &Form1::Picture5_MouseUp);
    Bind(Picture6.MouseUp, &Form1::Picture6_MouseUp);
    Bind(Picture3.MouseUp, &Form1::Picture3_MouseUp);
    Bind(Picture3.DblClick, &Form1::Picture3_DblClick);
    Bind(Picture5.OLEDragDrop, &Form1::Picture5_OLEDragDrop);
    Bind(Picture6.OLEDragDrop, &Form1::Picture6_OLEDragDrop);
}

void Form1::PublishResult() {
    Picture3.SetPicture(Picture2.Image());
    Picture3.SetVisible(true);
    for (MenuItem *m : {&Idou, &Copy, &Save, &JPEGSave})
        m->SetEnabled(true);
}

void Form1::Form_Load() {
    Picture6.SetLeft(0);
    Picture6.SetTop(0);
    Picture3.SetTop(0);
    Picture3.SetLeft(0);
    Picture6.SetWidth(0);
    Picture6.SetHeight(0);
    ResetPictureLayout();
    Run = false;
    CommonDialog1.Filter = kOpenFilter;
    CommonDialog1.CancelError = true;
    LoadTextArtSettings();
    for (MenuItem *m : {&Save, &JPEGSave, &Copy, &Idou, &Syori, &Filter})
        m->SetEnabled(false);
    Picture6.SetVisible(false);
    Picture3.SetVisible(false);
}

void Form1::Form_Resize() {
    try {
        if (Width() <= kMinWidthTwips) SetWidth(kMinWidthTwips);
        if (Height() <= kMinHeightTwips) SetHeight(kMinHeightTwips);
    } catch (const RuntimeError &) {
        return; // minimised or maximised: nothing of the layout changes
    }
    Command1.SetTop(ScaleHeight() - 20);
    ProgressBar1.SetTop(ScaleHeight() - 20);
    Command1.SetLeft(ScaleWidth() - 207);
    ProgressBar1.SetLeft(ScaleWidth() - 151);
    Picture5.SetWidth(ScaleWidth() / 2 - 55);
    Picture4.SetWidth(Picture5.Width());
    Picture4.SetLeft(2 * Picture5.Left() + Picture5.ScaleWidth());
    Picture5.SetHeight(ScaleHeight() - 55);
    Picture4.SetHeight(Picture5.Height());
    Picture4.SetLeft(2 * Picture5.Left() + Picture5.ScaleWidth() + 35);
    VScroll1.SetLeft(Picture5.Left() + Picture5.ScaleWidth() + 5);
    VScroll2.SetLeft(Picture4.Left() + Picture4.ScaleWidth() + 5);
    HScroll1.SetLeft(Picture5.Left());
    HScroll2.SetLeft(Picture4.Left());
    HScroll1.SetTop(Picture5.Top() + Picture5.ScaleHeight() + 5);
    HScroll2.SetTop(Picture4.Top() + Picture4.ScaleHeight() + 5);
    VScroll1.SetHeight(Picture5.Height());
    VScroll2.SetHeight(Picture4.Height());
    HScroll1.SetWidth(Picture5.Width());
    HScroll2.SetWidth(Picture4.Width());
    SetupImageScrollBars();
    SetupResultScrollBars();
}

void Form1::ResetPictureLayout() {
    Picture3.SetWidth(Picture6.Width());
    Picture3.SetHeight(Picture6.Height());
    // The working pictures have no resize handler, so each takes its size in one step
    // rather than holding, for a moment, a whole image of the new width and the old height.
    Picture2.Move(Picture2.Left(), Picture2.Top(), Picture6.Width(), Picture6.Height());
    Picture1.Move(Picture1.Left(), Picture1.Top(), Picture6.Width(), Picture6.Height());
    Picture6.SetTop(0);
    Picture6.SetLeft(0);
    Picture3.SetTop(0);
    Picture3.SetLeft(0);
}

namespace {
// Shows a bar set back to 0 when the view is larger than its pane; hides it otherwise.
bool SetupBar(ScrollBar &bar, double view, double pane) {
    if (auto max = ScrollBarMax(view, pane)) {
        bar.SetMax(*max);
        bar.SetVisible(true);
        bar.SetValue(0);
        return true;
    }
    bar.SetVisible(false);
    return false;
}
} // namespace

void Form1::SetupImageScrollBars() {
    if (!SetupBar(HScroll1, Picture6.Width(), Picture5.Width())) ResetPictureLayout();
    SetupBar(VScroll1, Picture6.Height(), Picture5.Height());
}

void Form1::SetupResultScrollBars() {
    SetupBar(HScroll2, Picture3.Width(), Picture4.Width());
    SetupBar(VScroll2, Picture3.Height(), Picture4.Height());
}

void Form1::HScroll1_Change() {
    Picture6.SetLeft(ScrollOffset(int16_t(HScroll1.Value())));
}
void Form1::VScroll1_Change() {
    Picture6.SetTop(ScrollOffset(int16_t(VScroll1.Value())));
}
void Form1::HScroll2_Change() {
    Picture3.SetLeft(ScrollOffset(int16_t(HScroll2.Value())));
}
void Form1::VScroll2_Change() {
    Picture3.SetTop(ScrollOffset(int16_t(VScroll2.Value())));
}

void Form1::Picture6_Resize() {
    SetupImageScrollBars();
}
void Form1::Picture3_Resize() {
    SetupResultScrollBars();
}

void Form1::Command1_Click() {
    Run = true;
}

void Form1::EnterPictureLoadedState(bool fromImage) {
    if (fromImage) Picture6.SetPicture(Picture1.Image());
    Picture3.SetVisible(false);
    for (MenuItem *m : {&Idou, &Copy, &Save, &JPEGSave})
        m->SetEnabled(false);
    Picture6.SetPicture(fromImage ? Picture1.Image() : Picture1.GetPicture());
    Picture3.SetPicture(platform::LoadPicture());
    Picture2.SetPicture(platform::LoadPicture());
    ResetPictureLayout();
    for (MenuItem *m : {&Save, &JPEGSave, &Syori})
        m->SetEnabled(true);
    Picture6.SetVisible(true);
    Filter.SetEnabled(true);
}

void Form1::End_Click() {
    platform::EndProgram();
}

// The source pane re-probes the clipboard for every button; only the right one opens
// its pop-up.
void Form1::Picture5_MouseUp(int button, int, double, double) {
    OnlyClipOpen.SetEnabled(platform::ClipboardGetBitmap().Handle() != 0);
    if (button == vbRightButton) PopupMenu(OpenOnly);
}

void Form1::Picture6_MouseUp(int button, int, double, double) {
    if (button == vbRightButton) PopupMenu(OnlySyori);
}

void Form1::Picture3_MouseUp(int button, int, double, double) {
    if (button == vbRightButton) PopupMenu(OnlyHozon);
}

void Form1::Picture3_DblClick() {
    Idou_Click();
}

void Form1::GoHP_Click() {
    ShellExecuteA(Hwnd(), "open", kHomePage, "", "", SW_SHOW);
}

// Closing the main window by any means ends the program at once, asking nothing.
void Form1::Form_QueryUnload(int &, int) {
    platform::EndProgram();
}
void Form1::Form_Unload(int &) {
    platform::EndProgram();
}

} // namespace mirolt::app
