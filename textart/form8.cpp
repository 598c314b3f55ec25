#include "form8.h"

#include "data_ini.h"
#include "files.h"
#include "form10.h"
#include "prompts.h"
#include "vb_error.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <optional>

namespace mirolt::app {
namespace {

using platform::TextBox;

const platform::FormDesign kForm8Design = {.caption = L"MiroltTextエディター",
                                           .clientWidthTwips = 10935,
                                           .clientHeightTwips = 9855,
                                           .border = platform::BorderStyle::Sizable,
                                           .centred = false};

// A size as the editor takes it: a decimal number in single precision; nothing for text
// that is no number at all.
std::optional<float> FontSizeOf(const std::wstring &text) {
    const wchar_t *begin = text.c_str();
    wchar_t *end = nullptr;
    const double v = std::wcstod(begin, &end);
    if (end == begin || !std::isfinite(v)) return std::nullopt;
    while (*end == L' ')
        ++end;
    if (*end != L'\0') return std::nullopt;
    return float(v);
}

} // namespace

Form8::Form8()
    : Form(kForm8Design), File(*this, L"File", L"ファイル"), Save(File, L"Save", L"保存"),
      TextOpen(File, L"TextOpen", L"開く"), Sen(File, L"Sen", L"-"), End(File, L"End", L"終了"),
      Settei(*this, L"Settei", L"設定"), Setteisuru(Settei, L"Setteisuru", L"Textエディターの設定"),
      CanHenkou(Settei, L"CanHenkou", L"ﾃｷｽﾄの変更を可能にする"), Line(Settei, L"Line", L"-"),
      Yuukou(Settei, L"Yuukou", L"設定を有効にする"),
      Text1(*this, L"Text1",
            {.place = {0, 0, 10935, 9855},
             .multiLine = true,
             .scrollBars = TextBox::ScrollBars::Both,
             .locked = true,
             .font = {.name = L"ＭＳ Ｐゴシック", .points = 8.25}}) {
    CommonDialog1.Filter = kTextFilter;
    Bind(Save.Click, &Form8::Save_Click);
    Bind(TextOpen.Click, &Form8::TextOpen_Click);
    Bind(End.Click, &Form8::End_Click);
    Bind(CanHenkou.Click, &Form8::CanHenkou_Click);
    Bind(Yuukou.Click, &Form8::Yuukou_Click);
    Bind(Setteisuru.Click, &Form8::Setteisuru_Click);
}

void Form8::Form_Load() {
    ApplyEditorSettings();
}

void Form8::Form_Resize() {
    Text1.SetWidth(ScaleWidth());
    Text1.SetHeight(ScaleHeight());
}

// A name or size the box cannot take (only a hand-edited file holds one) is left unapplied.
void Form8::ApplyEditorSettings() {
    using namespace textart;
    if (const std::optional<std::wstring> name =
            ReadSetting(L"MiroltTextEditer", L"FontName", kLongBuffer)) {
        const std::wstring face = TextBeforeNul(*name);
        if (!face.empty()) Text1.SetFontName(face);
    }
    if (const std::optional<std::wstring> size =
            ReadSetting(L"MiroltTextEditer", L"FontSize", kLongBuffer)) {
        if (const std::optional<float> points = FontSizeOf(TextBeforeNul(*size))) {
            try {
                Text1.SetFontSize(*points);
            } catch (const RuntimeError &) {
            }
        }
    }
}

void Form8::End_Click() {
    Hide();
}

void Form8::CanHenkou_Click() {
    const bool editable = !CanHenkou.Checked();
    CanHenkou.SetChecked(editable);
    Text1.SetLocked(!editable);
}

void Form8::Yuukou_Click() {
    ApplyEditorSettings();
}

void Form8::Setteisuru_Click() {
    forms::Form10.Show();
}

// Every failure, the cancel included, ends the save without a word; the text stays.
void Form8::Save_Click() {
    try {
        CommonDialog1.CancelError = true; // only to tell a cancel from a choice
        CommonDialog1.ShowSave();
        CommonDialog1.CancelError = false;
        platform::WriteTextFile(CommonDialog1.FileName, Text1.Text() + L"\r\n");
    } catch (const RuntimeError &) {
        CommonDialog1.CancelError = false;
    }
}

// The dialog's outcome is not looked at: a cancel reads the file named before. A file too
// large for the box, or one whose text does not fit in memory, cannot be opened. The read
// yields, and the text goes into the box in steps: if meanwhile the window was closed, the
// open ends there (the form, unloaded, is not touched again).
void Form8::TextOpen_Click() {
    CommonDialog1.ShowOpen();
    try {
        const std::wstring text = platform::ReadTextWithLineEnds(
            CommonDialog1.FileName, kMaxTextFileBytes, kMaxTextFileLines);
        if (!StillLoaded()) return;
        const std::wstring before = Text1.Text();
        const auto stillLoaded = [this] { return StillLoaded(); };
        if (!Text1.ReplaceTextInSteps(text, stillLoaded) || !StillLoaded()) return;
        // The box ends a text at a NUL; short of that, it ran out of memory.
        if (Text1.TextLength() != std::min(text.find(L'\0'), text.size())) {
            Text1.ReplaceTextInSteps(before, stillLoaded);
            throw RuntimeError(kOutOfMemory);
        }
        return;
    } catch (const RuntimeError &) {
    } catch (const std::bad_alloc &) {
    }
    if (StillLoaded()) platform::MsgBox(L"開けない！");
}

bool Form8::StillLoaded() const {
    return forms::Form8.IsLoaded() && &forms::Form8.Get() == this;
}

} // namespace mirolt::app
