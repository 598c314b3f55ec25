#include "form5.h"

#include "ansi.h"
#include "form1.h"
#include "savejpg.h"

#include <cstdint>

namespace mirolt::formats {
namespace {

std::string g_library = savejpg::kLibraryName;
savejpg::DCSavetoJPEGFn g_saveJpeg = nullptr;

// Bound by name at the first call and kept for the run; a library or function that is not
// there is looked for again at the next call.
savejpg::DCSavetoJPEGFn SaveJpegFunction() {
    if (g_saveJpeg) return g_saveJpeg;
    HMODULE library = LoadLibraryA(g_library.c_str());
    if (!library) return nullptr;
    g_saveJpeg = reinterpret_cast<savejpg::DCSavetoJPEGFn>(
        reinterpret_cast<void *>(GetProcAddress(library, savejpg::kFunctionName)));
    if (!g_saveJpeg) FreeLibrary(library);
    return g_saveJpeg;
}

} // namespace

void BindSaveJpegFrom(const char *library) {
    g_library = library;
    g_saveJpeg = nullptr;
}

} // namespace mirolt::formats

namespace mirolt::app {
namespace {

using platform::Label;
using platform::TextBox;

const platform::FormDesign kForm5Design =
    platform::FixedDialog(L"ファイルをJPGで保存する", 6855, 5925);

constexpr const wchar_t *kFailureTitle = L"エラー：書きこみ失敗";

} // namespace

std::wstring JpegFileName(const std::wstring &text) {
    if (text.size() >= 4 && text.compare(text.size() - 4, 4, L".jpg") == 0) return text;
    return text + L".jpg";
}

Form5::Form5()
    : Form(kForm5Design), Drive1(*this, L"Drive1", {.place = {120, 120, 3015, 300}, .tabIndex = 0}),
      File1(*this, L"File1",
            {.place = {3255, 120, 3480, 3540}, .pattern = L"*.jpg", .tabIndex = 1}),
      Dir1(*this, L"Dir1", {.place = {120, 540, 3015, 3120}, .tabIndex = 2}),
      Label1(*this, L"Label1", {.place = {120, 3840, 1095, 255}, .caption = L"ファイル名"}),
      Text1(*this, L"Text1", {.place = {1320, 3780, 5415, 330}, .text = L"*.jpg", .tabIndex = 3}),
      Command1(*this, L"Command1",
               {.place = {3960, 5280, 1335, 495}, .caption = L"保存", .tabIndex = 5}),
      Command2(*this, L"Command2",
               {.place = {5400, 5280, 1335, 495}, .caption = L"キャンセル", .tabIndex = 6}),
      HScroll1(*this, L"HScroll1",
               {.place = {1320, 4440, 4455, 255},
                .min = 1,
                .max = 100,
                .value = 75,
                .largeChange = 10,
                .tabIndex = 7}),
      Label2(*this, L"Label2", {.place = {120, 4440, 1095, 255}, .caption = L"圧縮率"}),
      Text2(*this, L"Text2",
            {.place = {5880, 4395, 855, 330},
             .text = L"75",
             .locked = true,
             .alignment = TextBox::Alignment::Right,
             .tabStop = false,
             .tabIndex = 4}) {
    Bind(Drive1.Change, &Form5::Drive1_Change);
    Bind(Dir1.Change, &Form5::Dir1_Change);
    Bind(File1.Click, &Form5::File1_Click);
    Bind(HScroll1.Change, &Form5::HScroll1_Change);
    Bind(Command1.Click, &Form5::Command1_Click);
    Bind(Command2.Click, &Form5::Command2_Click);
}

// Moves the folder list to the chosen drive; false when that drive cannot be read.
static bool MoveToDrive(platform::DirListBox &dir, const std::wstring &drive) {
    try {
        dir.SetPath(drive);
        return true;
    } catch (const RuntimeError &) {
        return false;
    }
}

void Form5::Drive1_Change() {
    // Each Retry is a fresh attempt, as often as the user wishes, without nesting deeper.
    while (!MoveToDrive(Dir1, Drive1.Drive())) {
        if (platform::MsgBox(L"デバイスがにアクセスできません",
                             platform::vbRetryCancel + platform::vbCritical,
                             L"あれっ") != platform::vbRetry) {
            // Back to the program's own drive, which moves the folder list there in turn. A
            // program on a network path has no drive: the list goes back to the folder's.
            const std::wstring home = platform::AppPath();
            const bool hasDrive = home.size() >= 2 && home[1] == L':';
            Drive1.SetDrive(hasDrive ? home.substr(0, 3) : Dir1.Path().substr(0, 3));
            return;
        }
    }
}

void Form5::Dir1_Change() {
    File1.SetPath(Dir1.Path());
}

void Form5::File1_Click() {
    Text1.SetText(File1.FileName());
}

void Form5::HScroll1_Change() {
    Text2.SetText(std::to_wstring(HScroll1.Value()));
}

void Form5::Command1_Click() {
    const std::wstring name = JpegFileName(Text1.Text());
    Form1 &main = forms::Form1.Get();
    const HDC dc = main.Picture2.hDC();
    const auto width = int32_t(main.Picture2.ScaleWidth());
    const auto height = int32_t(main.Picture2.ScaleHeight());
    // At a drive's root the folder already ends in a backslash: the path then holds two.
    const std::string path = platform::ToAnsi(Dir1.Path() + L"\\" + name);
    const auto quality = uint8_t(HScroll1.Value());

    const savejpg::DCSavetoJPEGFn save = formats::SaveJpegFunction();
    const int16_t result = save ? int16_t(save(dc, width, height, path.c_str(), quality, 0)) : -1;
    switch (result) {
    case 0:
        platform::MsgBox(L"保存しました", platform::vbInformation, L"成功");
        Hide();
        return;
    case 1:
        platform::MsgBox(L"ファイルをオープンできません", platform::vbCritical, kFailureTitle);
        return;
    case 2:
        platform::MsgBox(L"ファイルを書きこめません", platform::vbCritical, kFailureTitle);
        return;
    case 3:
        platform::MsgBox(L"ファイルのフォーマットエラーです", platform::vbCritical, kFailureTitle);
        return;
    case 4:
        platform::MsgBox(L"スタックオーバーフローです", platform::vbCritical, kFailureTitle);
        return;
    default:
        platform::MsgBox(L"原因不明のエラーです", platform::vbCritical, kFailureTitle);
        return;
    }
}

void Form5::Command2_Click() {
    Hide();
}

} // namespace mirolt::app
