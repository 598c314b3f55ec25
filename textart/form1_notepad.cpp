// Form1's settings menu items that open the Notepad and the text-editor settings, and the two
// that set Notepad's font by keystrokes.
#include "form1.h"

#include "data_ini.h"
#include "form10.h"
#include "form7.h"
#include "keystrokes.h"
#include "prompts.h"
#include "shell.h"
#include "vb_error.h"

#include <optional>
#include <string>

namespace mirolt::app {
namespace {

// What one string of the sequence types: fixed keys, or the font name or size in force.
enum class Typed { Keys, FontName, FontSize };

struct Stroke {
    Typed typed;
    const wchar_t *keys = nullptr;
    // What the started Notepad must show before the string is sent, if anything.
    std::optional<platform::ProgramState> needs;
};

using enum platform::ProgramState;

// Notepad's font dialog through its Edit menu, name, style and size typed into its three boxes,
// then its exit through the File menu. The counts fit Wine's notepad.exe: フォント is the ninth
// entry of 編集, 終了 the eighth of ファイル (disabled entries count, separators do not). Each
// menu is opened only from Notepad's main window, each menu's keys go only into the open menu
// and the name only into the dialog's first box: a step whose window does not come ends the
// item before its keys.
constexpr Stroke kFontSequence[] = {
    {Typed::Keys, L"%(E)", MainWindowActive},
    {Typed::Keys, L"{Down 8}", MenuOpen},
    {Typed::Keys, L"{Enter}"},
    {Typed::FontName, nullptr, DialogActive},
    {Typed::Keys, L"{tab}"},
    {Typed::Keys, L"標準"},
    {Typed::Keys, L"{tab}"},
    {Typed::FontSize},
    {Typed::Keys, L"{tab}"},
    {Typed::Keys, L"{Enter}"},
    {Typed::Keys, L"%(F)", MainWindowActive},
    {Typed::Keys, L"{Down 7}", MenuOpen},
    {Typed::Keys, L"{Enter}"},
};

constexpr wchar_t kMainCaption[] = L"Mirolt";

// Reads the settings afresh, starts Notepad, sets its font to the name and size that `name` and
// `size` pick and closes it, sending keys only into that Notepad and its font dialog. Any failure
// on the way (a stored length that is no number, no such program, a window of it that does not
// come, Notepad still open at the end, the main window gone) says so and opens the settings,
// where the path can be put right; keys already sent stay sent.
void SetNotepadFont(Form1 &form, std::wstring Form1::*name, std::wstring Form1::*size) {
    try {
        form.LoadTextArtSettings(true);
        // Each keeps the NULs of its read buffer; only the text before the first counts.
        const uint32_t notepad =
            platform::Shell(textart::TextBeforeNul(form.NotepadPath), platform::vbMaximizedFocus);
        for (const Stroke &s : kFontSequence) {
            if (s.needs) platform::WaitForProgram(notepad, *s.needs);
            platform::SendKeysTo(notepad,
                                 s.typed == Typed::Keys
                                     ? std::wstring(s.keys)
                                     : EscapeKeys(textart::TextBeforeNul(
                                           form.*(s.typed == Typed::FontName ? name : size))));
        }
        // Still open, it did not take the keys as meant (a question to save typed text).
        platform::WaitForProgram(notepad, Ended);
        platform::AppActivate(kMainCaption);
    } catch (const RuntimeError &) {
        platform::MsgBox(L"メモ帳が見つかりません");
        forms::Form7.Show();
    }
}

} // namespace

void Form1::MTextEditerSettei_Click() {
    forms::Form10.Show();
}

void Form1::TrueMemoSettei_Click() {
    forms::Form7.Show();
}

// The submenu that holds the Notepad items does nothing of its own.
void Form1::MemoSettei_Click() {}

void Form1::Saitekika_Click() {
    SetNotepadFont(*this, &Form1::TextArtFontName, &Form1::TextArtFontSize);
}

void Form1::Hyouzyun_Click() {
    SetNotepadFont(*this, &Form1::StandardFontName, &Form1::StandardFontSize);
}

} // namespace mirolt::app
