#pragma once
// Form12: the mosaic. The upper part makes one mosaic of the chosen block size; the lower
// part builds the sequence of stages (the source, then block sizes 3 up to the chosen
// one), plays it as a flip-book and exports it as numbered BMP files.
#include "common_dialog.h"
#include "toolkit.h"

#include "raster_mosaic.h"

#include <array>
#include <cstdint>

namespace mirolt::app {

class Form12 : public platform::Form {
  public:
    Form12();

    platform::CommandButton Command1;
    platform::CommandButton Command2;
    platform::CommandButton Command3;
    platform::Shape Shape1;
    platform::Label Label3;
    platform::Label Label1;
    platform::TextBox Text1;
    platform::ScrollBar HScroll1;
    platform::Label Label2;
    platform::PictureBox Picture1;
    platform::ScrollBar HScroll2;
    platform::CommandButton Command5;
    platform::CommandButton Command4;
    platform::ProgressBar ProgressBar1;
    platform::Label Label4;
    platform::TimerControl Timer1;
    platform::CommonDialog CommonDialog1;

    // The snapshot of the main window's Picture2 at the end of the last mosaic.
    platform::Picture MosaicResult;
    // A frame of the sequence: the source picture as it was taken, or a mosaic as its block
    // colours (a whole copy a frame would not fit in memory for a large picture), made into
    // pixels only when it is shown or saved.
    struct MosaicFrame {
        platform::Picture source;
        MosaicBlocks blocks;
    };
    // Frame 2 is the source, frame b (3..100) the mosaic of block size b; 0 and 1 unused.
    std::array<MosaicFrame, 101> MosaicFrames;
    int32_t FrameCount = 0; // last frame of the sequence; 0 until the first build
    int32_t FrameCursor = 1;
    bool AnimationStopped = true;

    // The main window's Picture1 as a mosaic of n x n blocks (n >= 2) in its Picture2,
    // with the main window's bar and Cancel button; Run is left as it is found.
    void MakeMosaic(const int32_t &n);

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void HScroll1_Change();
    void HScroll2_Change();
    void Timer1_Timer();

  protected:
    void Form_Load() override;

  private:
    void SizeSample();
    // Shows what of the frame fits Picture1, as the box shows a picture set into it.
    void ShowFrame(const MosaicFrame &frame);
    // False once the dialog was closed from its title bar during a yield.
    bool StillLoaded() const;
};

// Outer heights: the upper part; with the flip-book; with the export's strip.
inline constexpr double kMosaicUpperHeight = 3360;
inline constexpr double kMosaicFlipBookHeight = 7425;
inline constexpr double kMosaicSavingHeight = 7740;

// A stage build that ran out of memory: it stops, keeping the stages made so far.
inline constexpr const wchar_t *kMosaicOutOfMemory =
    L"メモリーが不足しています。\nもう少し小さな画像でお試しください。";
inline constexpr const wchar_t *kMosaicOutOfMemoryTitle = L"エラー";

inline constexpr const wchar_t *kNoMosaicSequence =
    L"連番画像がまだありません。先に「連番画像」で作ってください。";

} // namespace mirolt::app

namespace mirolt::forms {
inline platform::FormInstance<app::Form12> Form12;
}
