// Form1: pictures in and out — open, drop, save, clipboard and the move of the result.
#include "form1.h"

#include "clipboard.h"
#include "prompts.h"
#include "vb_error.h"

namespace mirolt::app {

using platform::MenuItem;

void Form1::FileOpen_Click() {
    OpenPictureFile();
}
void Form1::OnlyOpen_Click() {
    OpenPictureFile();
}

void Form1::OpenPictureFile() {
    try {
        CommonDialog1.Filter = kOpenFilter;
        CommonDialog1.ShowOpen();
        Picture1.SetPicture(platform::LoadPicture(CommonDialog1.FileName));
        EnterPictureLoadedState();
    } catch (const RuntimeError &) {
        // Cancelled, or not a picture: nothing has changed.
    }
}

void Form1::Picture5_OLEDragDrop(const platform::DataObject &data) {
    if (!data.GetFormat(platform::vbCFFiles)) return;
    const std::vector<std::wstring> files = data.Files();
    if (files.empty()) return;
    LoadPictureFile(files.front());
    EnterPictureLoadedState();
}

void Form1::Picture6_OLEDragDrop(const platform::DataObject &data) {
    Picture5_OLEDragDrop(data);
}

void Form1::LoadPictureFile(const std::wstring &path) {
    platform::MsgBox(path);
    try {
        Picture1.SetPicture(platform::LoadPicture(path));
    } catch (const RuntimeError &) {
        platform::MsgBox(L"開けない！");
    }
}

void Form1::Save_Click() {
    CommonDialog1.Filter = kBmpSaveFilter;
    SaveBmpFile();
    CommonDialog1.Filter = kOpenFilter;
}

void Form1::SaveBmpFile() {
    try {
        CommonDialog1.ShowSave();
        platform::SavePicture(Picture2.Image(), CommonDialog1.FileName);
    } catch (const RuntimeError &) {
        // Cancelled or not written: no message, and no partial file.
    }
}

void Form1::Copy_Click() {
    CopyPictureToClipboard();
}

void Form1::CopyPictureToClipboard() {
    platform::ClipboardSetBitmap(Picture2.Image());
}

void Form1::Load_Click() {
    LoadPictureFromClipboard();
    if (Picture1.GetPicture().Handle() != 0) {
        Picture3.SetVisible(false);
        for (MenuItem *m : {&Save, &JPEGSave, &Copy, &Idou})
            m->SetEnabled(false);
    }
}

void Form1::LoadPictureFromClipboard() {
    Picture1.SetPicture(platform::ClipboardGetBitmap());
    if (Picture1.GetPicture().Handle() == 0) {
        platform::MsgBox(L"クリップボードの内容が正しい画像ではありません。", platform::vbOKOnly,
                         L"読みこみエラー");
        return;
    }
    Picture6.SetPicture(Picture1.Image());
    ResetPictureLayout();
    for (MenuItem *m : {&Save, &JPEGSave, &Syori, &Filter, &Copy})
        m->SetEnabled(true);
    Picture6.SetVisible(true);
}

void Form1::Clip_Click() {
    Load.SetEnabled(platform::ClipboardGetBitmap().Handle() != 0);
}

void Form1::Idou_Click() {
    // Only Yes moves: the box closed by Esc or its close button answers Cancel, and the
    // source a move replaces is gone for good.
    if (platform::MsgBox(L"ピクチャを移動してよろしいですか?",
                         platform::vbYesNo + platform::vbInformation,
                         L"ピクチャの移動") != platform::vbYes)
        return;
    Picture1.SetPicture(Picture2.Image());
    Picture2.Cls();
    Picture6.SetPicture(Picture1.GetPicture());
    Picture3.SetPicture(Picture2.Image());
    for (MenuItem *m : {&Save, &JPEGSave, &Copy, &Idou})
        m->SetEnabled(false);
    Picture3.SetVisible(false);
}

} // namespace mirolt::app
