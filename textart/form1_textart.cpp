// Form1's text art: its settings from Data.ini, the conversion, the two viewers and the
// menu items that open the editor and the characters dialog.
#include "form1.h"

#include "data_ini.h"
#include "form8.h"
#include "form9.h"
#include "keystrokes.h"
#include "module1_lengths.h"
#include "progress_scope.h"
#include "runtime.h"
#include "shell.h"
#include "text_art.h"
#include "vb_error.h"
#include "vb_numeric.h"

#include <algorithm>
#include <new>
#include <optional>

namespace mirolt::app {
namespace {

constexpr wchar_t kMainCaption[] = L"Mirolt";

// The next cell of a 16-bit counter: past 32767 it overflows (6).
inline int32_t Step16(int32_t v) {
    v += 5;
    if (v > INT16_MAX) [[unlikely]]
        throw RuntimeError(kOverflow);
    return v;
}

void ShowConversionError(int number) {
    if (number == kOutOfMemory) {
        platform::MsgBox(L"メモリーが不足しています。\nもう少し小さな画像でお試しください。",
                         platform::vbCritical, L"エラー");
        return;
    }
    platform::MsgBox(L"予期せぬエラーです。\nエラーナンバー右：" + std::to_wstring(number) +
                         L"\n製作者（Gelno）にエラーナンバーと発生した状況を送ってください。",
                     platform::vbCritical, L"予期せぬエラー");
}

} // namespace

void Form1::LoadTextArtSettings(bool lengthErrorsRaise) {
    using namespace textart;
    ReadLengthSetting(L"Notepad", L"Size", Module1::NotepadPathLength, lengthErrorsRaise);
    ReadLengthSetting(L"FontData", L"BeforeLong", Module1::StandardFontNameLength,
                      lengthErrorsRaise);
    ReadLengthSetting(L"FontData", L"AfterLong", Module1::TextArtFontNameLength, lengthErrorsRaise);
    if (auto v = ReadSizedSetting(L"FontData", L"BeforeFont", Module1::StandardFontNameLength))
        StandardFontName = std::move(*v);
    if (auto v = ReadSetting(L"FontSizeData", L"BeforeFont", kFontSizeBuffer))
        StandardFontSize = std::move(*v);
    if (auto v = ReadSizedSetting(L"FontData", L"AfterFont", Module1::TextArtFontNameLength))
        TextArtFontName = std::move(*v);
    if (auto v = ReadSetting(L"FontSizeData", L"AfterFont", kFontSizeBuffer))
        TextArtFontSize = std::move(*v);
    if (auto v = ReadSizedSetting(L"Notepad", L"Address", Module1::NotepadPathLength))
        NotepadPath = std::move(*v);
    // Only ever sets a mark: the one the file names.
    if (auto v = ReadSetting(L"Mozie", L"UseSoft", kUseSoftBuffer)) {
        if (PaddedEquals(*v, L"Mirolt", kUseSoftBuffer)) MoziMirolt.SetChecked(true);
        if (PaddedEquals(*v, L"Notepad", kUseSoftBuffer)) MoziMemotyou.SetChecked(true);
    }
    for (size_t k = 0; k < TextArtChars.size(); ++k)
        if (auto v = ReadSetting(L"Mozie", L"UseWord" + std::to_wstring(k), kCharacterBuffer))
            TextArtChars[k] = std::move(*v);
}

void Form1::MoziMemotyou_Click() {
    MoziMirolt.SetChecked(false);
    MoziMemotyou.SetChecked(true);
    textart::WriteSetting(L"Mozie", L"UseSoft", L"Notepad");
}

void Form1::MoziMirolt_Click() {
    MoziMirolt.SetChecked(true);
    MoziMemotyou.SetChecked(false);
    textart::WriteSetting(L"Mozie", L"UseSoft", L"Mirolt");
}

void Form1::KidouText_Click() {
    forms::Form8.Show();
}

void Form1::Tukaumozi_Click() {
    forms::Form9.Show();
}

void Form1::Mozie_Click() {
    MakeTextArt();
    Picture3.SetPicture(Picture2.Image());
}

void Form1::MakeTextArt() {
    Picture2.Cls();
    std::optional<ProgressScope> progress; // from the hourglass on
    std::wstring text;
    try {
        try {
            LoadTextArtSettings();
            progress.emplace(*this, float(Picture1.Height() - 5) / 5.0f + 1.0f);
            int32_t rows = 0;

            const bool notepad = MoziMemotyou.Checked();
            if (!notepad && !MoziMirolt.Checked()) return;
            const wchar_t *const rowEnd = notepad ? L"\n" : L"\r\n";

            // Cells counted as 16-bit integers: the bound, and the step past it, must fit.
            const int32_t lastY = CInt(Picture1.Height() - 5);
            if (lastY >= 0) {
                const int32_t columns = int32_t(Picture1.Width()) / 5 + 1;
                text.reserve(size_t(lastY / 5 + 1) * size_t(std::max(columns, 0) + 2));
            }
            for (int32_t y = 0; y <= lastY; y = Step16(y)) {
                const int32_t lastX = CInt(Picture1.Width() - 5); // anew for each row
                for (int32_t x = 0; x <= lastX; x = Step16(x)) {
                    if (progress->Cancelled()) [[unlikely]]
                        return;
                    const int32_t c = Picture1.Point(x, y);
                    const int32_t s = (c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF);
                    const std::wstring &chars = TextArtChars[size_t(textart::TextArtIndex(s))];
                    if (!chars.empty() && chars[0] != L'\0') text += chars[0];
                    platform::DoEvents();
                }
                text += rowEnd;
                progress->SetValue(float(++rows));
                if (!notepad) platform::DoEvents();
            }

            platform::AppActivate(kMainCaption);
            progress->End();
            if (notepad) {
                // Typed only into the Notepad started here, once its window has the focus for
                // good; characters the keystroke syntax reads as key codes are typed as
                // themselves.
                const uint32_t started = platform::Shell(NotepadPath, platform::vbNormalFocus);
                platform::WaitForProgram(started, platform::ProgramState::MainWindowActive);
                platform::SendKeysTo(started, EscapeKeys(text));
                text = std::wstring();
                Picture2.Cls();
                Picture3.SetPicture(Picture2.Image());
                platform::AppActivate(kMainCaption);
            } else {
                Picture2.Cls();
                Picture3.SetPicture(Picture2.Image());
                forms::Form8.Show();
                forms::Form8->Text1.ReplaceTextInSteps(text);
                text = std::wstring();
            }
            platform::MsgBox(L"完了");
        } catch (const std::bad_alloc &) {
            throw RuntimeError(kOutOfMemory);
        }
    } catch (const RuntimeError &e) {
        text = std::wstring();
        ShowConversionError(e.Number());
        // The bar and the button would otherwise stay up for good.
        if (progress) progress->End();
        forms::Form8.Hide();
    }
}

} // namespace mirolt::app
