#pragma once
// Form1: the main window with the source pane (left) and the result pane (right).
#include "common_dialog.h"
#include "toolkit.h"

#include <array>

namespace mirolt::app {

class Form1 : public platform::Form {
  public:
    Form1();

    // The cancel flag of long operations: True asks the running one to stop.
    bool Run = false;

    // The menu bar, in order; hidden top-level menus are the pop-ups.
    platform::MenuItem File, FileOpen, SusieOpen, line1, Save, JPEGSave, Line2, KidouText, Line4,
        End;
    platform::MenuItem Syori, Mono, Hanten, Light, Color, Sepia, Line3, Mozie, Line5, MakeMask;
    platform::MenuItem Filter, Sonoiti, Mozaiku;
    platform::MenuItem Clip, Copy, Load;
    platform::MenuItem Idou;
    platform::MenuItem settei, MTextEditerSettei, MemoSettei, TrueMemoSettei, Saitekika, Hyouzyun,
        Mozienosettei, Tukaumozi, Siyou, MoziMirolt, MoziMemotyou;
    platform::MenuItem Sonota, OnePoint;
    platform::MenuItem GoHP;
    platform::MenuItem OpenOnly, OnlyOpen, SusieOnlyOpen, Line6, OnlyClipOpen;
    platform::MenuItem OnlySyori, OnlyMono, OnlyHantenn, OnlyLight, OnlyColor, OnlySepia, Line7,
        OnlyMozie, Line8, OnlyMask, Line9, OnlySonoiti, OnlyMozaiku;
    platform::MenuItem OnlyHozon, OnlyBMP, OnlyJPEG, Line10, OnlyCopy, line11, OnlyIdou;

    // Panes and views; Picture1 and Picture2 are the working pictures.
    platform::PictureBox Picture5, Picture6, Picture4, Picture3, Picture1, Picture2, Picture7;
    platform::ScrollBar HScroll1, VScroll1, HScroll2, VScroll2;
    platform::CommandButton Command1;
    platform::ProgressBar ProgressBar1;
    platform::StatusBar StatusBar1;
    platform::CommonDialog CommonDialog1;

    // The picture-loaded state, entered by every loader once the picture is in Picture1.
    // `fromImage` is the command-line form, which shows Picture1.Image around the steps.
    void EnterPictureLoadedState(bool fromImage = false);

    void ResetPictureLayout();
    void SetupImageScrollBars();
    void SetupResultScrollBars();

    // Result publication: Picture3 shows Picture2.Image and the result menus come on.
    void PublishResult();

    // Whole-picture operations from Picture1 into Picture2 (defined with the filters).
    void MakeGrayscale();
    void InvertColors();
    void MakeMaskImage();
    void MakeSepia();
    void RunColorEdit(const int32_t &Red, const int32_t &Green, const int32_t &Blue);
    void RunLightEdit(const int32_t &Akarusa);
    void Mono_Click();
    void Hanten_Click();
    void MakeMask_Click();
    void Sepia_Click();
    void Light_Click();
    void Color_Click();
    void Sonoiti_Click();
    void Mozaiku_Click();

    void Command1_Click();
    void HScroll1_Change();
    void VScroll1_Change();
    void HScroll2_Change();
    void VScroll2_Change();
    void Picture6_Resize();
    void Picture3_Resize();
    void End_Click();

    // Pictures in and out.
    void OpenPictureFile();
    void LoadPictureFile(const std::wstring &path);
    void SaveBmpFile();
    void CopyPictureToClipboard();
    void LoadPictureFromClipboard();
    void FileOpen_Click();
    void OnlyOpen_Click();
    void Picture5_OLEDragDrop(const platform::DataObject &data);
    void Picture6_OLEDragDrop(const platform::DataObject &data);
    void Save_Click();
    void Copy_Click();
    void Load_Click();
    void Clip_Click();
    void Idou_Click();

    // Pictures of other formats through the Susie plug-ins (defined in formats/).
    void SusieOpen_Click();
    void SusieOnlyOpen_Click();

    // Pop-ups, the double click and the home page.
    void Picture5_MouseUp(int button, int shift, double x, double y);
    void Picture6_MouseUp(int button, int shift, double x, double y);
    void Picture3_MouseUp(int button, int shift, double x, double y);
    void Picture3_DblClick();
    void GoHP_Click();

    // The settings windows of Notepad and of the text editor (defined with the text art).
    void MTextEditerSettei_Click();
    void TrueMemoSettei_Click();
    void MemoSettei_Click();
    // Notepad's font set to the text-art one or back to the standard one, by keystrokes.
    void Saitekika_Click();
    void Hyouzyun_Click();
    // Text art and its viewers (defined with the text art). The settings come from
    // Data.ini, read afresh by LoadTextArtSettings; each keeps the NULs of its read buffer.
    std::wstring NotepadPath, StandardFontName, StandardFontSize, TextArtFontName, TextArtFontSize;
    std::array<std::wstring, 11> TextArtChars; // 0 stands for the darkest cells
    // `lengthErrorsRaise`: a stored length that is no usable number raises a run-time error
    // (for the Notepad items' failure path) rather than counting as an unreadable key.
    void LoadTextArtSettings(bool lengthErrorsRaise = false);
    void MakeTextArt();
    void Mozie_Click();
    void MoziMemotyou_Click();
    void MoziMirolt_Click();
    void KidouText_Click();
    void Tukaumozi_Click();
    // The save-as-JPEG dialog (defined with the file formats) and the tips window.
    void JPEGSave_Click();
    void OnePoint_Click();

  protected:
    void Form_Load() override;
    void Form_Resize() override;
    void Form_QueryUnload(int &cancel, int unloadMode) override;
    void Form_Unload(int &cancel) override;

  private:
    void WireEvents();
};

// The open dialog's filter, in force whenever no other dialog has set its own.
inline constexpr const wchar_t *kOpenFilter = L"BMPファイル|*.bmp*|JPEGファイル|*.JPG;*.JPEG";
inline constexpr const wchar_t *kBmpSaveFilter = L"BMPファイル(*.bmp)|*.bmp";
// Where the home-page item leads.
inline constexpr const char *kHomePage = "https://mirolt.example.jp/";

} // namespace mirolt::app

namespace mirolt::forms {
inline platform::FormInstance<app::Form1> Form1;
}
