// Form1's plug-in open: a picture of any format a Susie import plug-in reads becomes the
// source picture.
#include "form1.h"

#include "bridge_binding.h"
#include "form5.h"
#include "picture.h"
#include "picture_limits.h"
#include "plugin_discovery.h"
#include "prompts.h"
#include "vb_error.h"

#include <new>

namespace mirolt::app {
namespace {

void ReportUnexpectedError(int number) {
    platform::MsgBox(L"予期せぬエラーが発生しました "
                     L"下記エラー番号と発生した状況を開発者(Gelno)にメールで教えてください。"
                     L"\nエラー番号:" +
                         std::to_wstring(number),
                     platform::vbOKOnly + platform::vbCritical, L"予期せぬエラー");
}

// A size no picture box can take is as good as no information at all.
bool UsableSize(int32_t width, int32_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide;
}

} // namespace

void Form1::SusieOnlyOpen_Click() {
    SusieOpen_Click();
}

void Form1::SusieOpen_Click() {
    try {
        CommonDialog1.Filter = formats::BuildPluginFilter(formats::PluginFolder(), 0);
        try {
            CommonDialog1.ShowOpen();
        } catch (const RuntimeError &) {
            return; // cancelled, or the dialog failed: nothing has changed
        }

        const std::wstring plugin =
            formats::FindPluginForFile(formats::PluginFolder(), CommonDialog1.FileName);
        if (plugin.empty()) {
            platform::MsgBox(L"対応するプラグインが見つかりません。");
            return;
        }
        formats::PictureInfoRecord info;
        if (formats::VBGetPictureInfo(plugin, CommonDialog1.FileName, info) == 0 ||
            !UsableSize(info.Width(), info.Height())) {
            platform::MsgBox(L"画像の情報の取得に失敗しました",
                             platform::vbOKOnly + platform::vbCritical, L"エラー");
            return;
        }
        // A picture too large to hold fails here, while the workspace is still untouched.
        { platform::Bitmap32 probe(info.Width(), info.Height()); }

        // Both sides at once: a height-then-width change could pass through a size larger
        // than either picture.
        Picture1.Move(Picture1.Left(), Picture1.Top(), info.Width(), info.Height());
        Picture1.Cls();
        formats::VBGetPicture(plugin, CommonDialog1.FileName, Picture1.hDC());
        GdiFlush();
        Picture1.Refresh();
        CommonDialog1.Filter = kOpenFilter;
        Picture6.SetPicture(Picture1.Image());

        Picture3.SetVisible(false);
        for (platform::MenuItem *m : {&Idou, &Copy, &Save, &JPEGSave})
            m->SetEnabled(false);
        Picture3.SetPicture(platform::LoadPicture());
        Picture2.SetPicture(platform::LoadPicture());
        ResetPictureLayout();
        SetupImageScrollBars();
        SetupResultScrollBars();
        for (platform::MenuItem *m : {&Save, &JPEGSave, &Syori})
            m->SetEnabled(true);
        Picture6.SetVisible(true);
        Filter.SetEnabled(true);
    } catch (const RuntimeError &e) {
        ReportUnexpectedError(e.Number());
    } catch (const std::bad_alloc &) {
        ReportUnexpectedError(kOutOfMemory);
    }
}

// Modeless and without an owner: the main window stays usable while the dialog is up.
void Form1::JPEGSave_Click() {
    forms::Form5.Show();
}

} // namespace mirolt::app
