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

#include <windows.h>

#include <string>

namespace mirolt::app {
namespace {

// What one string of the sequence types: fixed keys, or the font name or size in force.
enum class Typed { Keys, FontName, FontSize };

struct Stroke {
    Typed typed;
    const wchar_t *keys = nullptr;
    bool steadyFocus = false; // sent once the active window has settled
};

// Notepad's font dialog through its Edit menu, name, style and size typed into its three boxes,
// then its exit through the File menu. The counts fit Wine's notepad.exe: フォント is the ninth
// entry of 編集, 終了 the eighth of ファイル (disabled entries count, separators do not).
constexpr Stroke kFontSequence[] = {
    {Typed::Keys, L"%(E)", true}, {Typed::Keys, L"{Down 8}"},
    {Typed::Keys, L"{Enter}"},    {Typed::FontName},
    {Typed::Keys, L"{tab}"},      {Typed::Keys, L"標準"},
    {Typed::Keys, L"{tab}"},      {Typed::FontSize},
    {Typed::Keys, L"{tab}"},      {Typed::Keys, L"{Enter}"},
    {Typed::Keys, L"%(F)", true}, {Typed::Keys, L"{Down 7}"},
    {Typed::Keys, L"{Enter}"},
};

constexpr wchar_t kMainCaption[] = L"Mirolt";

// Wine re-reads the held keys from the display when the focus reaches a window, so an Alt sent
// while Notepad's window or font dialog is still taking the focus is dropped and its letter
// typed as text. A menu is therefore opened only once the active window has stayed the same
// for a moment (three seconds at most). Nothing is pumped meanwhile: the main window's own
// late focus events, handled then, pulled the focus away from Notepad now and again.
void WaitForSteadyFocus() {
    constexpr ULONGLONG kSteady = 300, kLongest = 3000;
    const ULONGLONG start = GetTickCount64();
    ULONGLONG since = start;
    HWND last = GetForegroundWindow();
    while (GetTickCount64() - since < kSteady && GetTickCount64() - start < kLongest) {
        Sleep(20);
        if (HWND now = GetForegroundWindow(); now != last) {
            last = now;
            since = GetTickCount64();
        }
    }
}

// Reads the settings afresh, starts Notepad, sets its font to the name and size that
// `name` and `size` pick and closes it. Any failure on the way (a stored length that is no
// number, no such program, a broken keystroke string, the main window gone) says so and opens the
// settings, where the path can be put right; keys already sent stay sent.
void SetNotepadFont(Form1 &form, std::wstring Form1::*name, std::wstring Form1::*size) {
    try {
        form.LoadTextArtSettings(true);
        // Each keeps the NULs of its read buffer; only the text before the first counts.
        platform::Shell(textart::TextBeforeNul(form.NotepadPath), platform::vbMaximizedFocus);
        for (const Stroke &s : kFontSequence) {
            if (s.steadyFocus) WaitForSteadyFocus();
            if (s.typed == Typed::Keys)
                platform::SendKeys(s.keys, true);
            else
                platform::SendKeys(EscapeKeys(textart::TextBeforeNul(
                                       form.*(s.typed == Typed::FontName ? name : size))),
                                   true);
        }
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
