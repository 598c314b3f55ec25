#include "text_box.h"

#include "runtime.h"

#include <utility>

namespace mirolt::platform {
namespace {

// About this many characters go into the box at a time, cut after a line end where there is
// one: the box lays out each line as it comes.
constexpr size_t kPiece = 16384;

size_t PieceEnd(const std::wstring &text, size_t from) {
    if (text.size() - from <= kPiece) return text.size();
    const size_t limit = from + kPiece;
    const size_t lineEnd = text.rfind(L'\n', limit - 1);
    if (lineEnd != std::wstring::npos && lineEnd >= from) return lineEnd + 1;
    return IS_HIGH_SURROGATE(text[limit - 1]) ? limit - 1 : limit; // a pair stays whole
}

void PumpIfDue() {
    if (MsUntilPump() <= 0) PumpMessagesButInput();
}

// Puts a text into an empty box a piece at a time, pumping between pieces when a pump is due,
// and leaves the box as a text set at once does. False when the box was closed meanwhile.
bool FillInPieces(HWND box, const std::wstring &text) {
    for (size_t at = 0;;) {
        const size_t end = PieceEnd(text, at);
        const std::wstring piece = text.substr(at, end - at);
        SendMessageW(box, EM_SETSEL, WPARAM(at), LPARAM(at));
        SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
        if ((at = end) == text.size()) break;
        PumpIfDue();
        if (!IsWindow(box)) return false;
    }
    // The caret at the start and in view, nothing to undo, not modified.
    SendMessageW(box, EM_SETSEL, 0, 0);
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
    SendMessageW(box, EM_EMPTYUNDOBUFFER, 0, 0);
    SendMessageW(box, EM_SETMODIFY, FALSE, 0);
    return true;
}

// The drawing of a shown form and everything in it held back: a box that is not shown lays
// out a piece without drawing it or its scroll bars, which would cost far more than the piece.
// Let go of early, everything is drawn anew.
class FormDrawingHeld {
  public:
    explicit FormDrawingHeld(HWND inside)
        : form_(GetAncestor(inside, GA_ROOT)), held_(IsWindowVisible(form_)) {
        if (held_) SendMessageW(form_, WM_SETREDRAW, FALSE, 0);
    }
    FormDrawingHeld(const FormDrawingHeld &) = delete;
    FormDrawingHeld &operator=(const FormDrawingHeld &) = delete;
    ~FormDrawingHeld() {
        if (Resume())
            RedrawWindow(form_, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    HWND Form() const { return form_; }
    // True when it was held: the caller has it drawn.
    bool Resume() {
        if (!std::exchange(held_, false) || !IsWindow(form_)) return false;
        SendMessageW(form_, WM_SETREDRAW, TRUE, 0);
        return true;
    }

  private:
    HWND form_;
    bool held_;
};

DWORD StyleOf(const TextBox::Design &d) {
    using SB = TextBox::ScrollBars;
    DWORD style = ES_AUTOHSCROLL;
    if (d.multiLine) {
        style = (style & ~DWORD(ES_AUTOHSCROLL)) | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
        if (d.scrollBars == SB::Horizontal || d.scrollBars == SB::Both)
            style |= WS_HSCROLL | ES_AUTOHSCROLL;
        if (d.scrollBars == SB::Vertical || d.scrollBars == SB::Both) style |= WS_VSCROLL;
    }
    if (d.locked) style |= ES_READONLY;
    if (d.alignment == TextBox::Alignment::Right) style |= ES_RIGHT;
    if (d.alignment == TextBox::Alignment::Center) style |= ES_CENTER;
    return style;
}

} // namespace

std::wstring EditableText::Of(HWND hwnd) {
    std::wstring text(size_t(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(hwnd, text.data(), int(text.size()))));
    return text;
}

void EditableText::Set(HWND hwnd, const std::wstring &text) {
    if (text == Of(hwnd)) return;
    // A window tells of a change by code in some styles and not in others: say it once here.
    SetQuietly(hwnd, text);
    change_();
}

void EditableText::SetQuietly(HWND hwnd, const std::wstring &text) {
    setting_ = true;
    SetWindowTextW(hwnd, text.c_str());
    setting_ = false;
}

TextBox::TextBox(Container &parent, std::wstring name, const Design &d)
    : Control(parent, std::move(name)), locked_(d.locked) {
    Create(WindowClass::Edit, StyleOf(d), WS_EX_CLIENTEDGE, d.text, d);
    SendMessageW(hwnd_, EM_SETLIMITTEXT, 0, 0); // as much as the box can hold
}

void TextBox::ForwardEvents(Indexed &to, int index) {
    ForwardIndexed(Change, to.Change, index);
    ForwardIndexed(KeyPress, to.KeyPress, index);
    ForwardIndexed(KeyDown, to.KeyDown, index);
    ForwardIndexed(KeyUp, to.KeyUp, index);
}

std::wstring TextBox::Text() const {
    return EditableText::Of(hwnd_);
}

size_t TextBox::TextLength() const {
    return size_t(GetWindowTextLengthW(hwnd_));
}

void TextBox::SetText(const std::wstring &text) {
    text_.Set(hwnd_, text);
}

void TextBox::ReplaceTextInSteps(const std::wstring &text) {
    FormDrawingHeld held(hwnd_);
    SetText(L"");
    if (!text.empty()) {
        if (!text_.Quietly([&] { return FillInPieces(hwnd_, text); })) return;
        Change();
    }
    if (held.Resume()) {
        // The text first, then the box's frame and scroll bars, then the rest of the form; each
        // is one long paint on these systems.
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        PumpIfDue();
        SendMessageW(hwnd_, WM_NCPAINT, 1, 0);
        PumpIfDue();
        RedrawWindow(held.Form(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_VALIDATE | RDW_NOFRAME | RDW_NOERASE);
    }
}

void TextBox::SetLocked(bool locked) {
    locked_ = locked;
    SendMessageW(hwnd_, EM_SETREADONLY, locked, 0);
}

int TextBox::SelStart() const {
    DWORD start = 0;
    SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    return int(start);
}

int TextBox::SelLength() const {
    DWORD start = 0, end = 0;
    SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return int(end - start);
}

void TextBox::SetSelStart(int start) {
    SendMessageW(hwnd_, EM_SETSEL, WPARAM(start), LPARAM(start));
}

void TextBox::SetSelLength(int length) {
    const int start = SelStart();
    SendMessageW(hwnd_, EM_SETSEL, WPARAM(start), LPARAM(start + length));
}

bool TextBox::OnNotify(UINT msg, WPARAM wp, LPARAM, LRESULT &result) {
    if (msg != WM_COMMAND || HIWORD(wp) != EN_CHANGE) return false;
    text_.Changed();
    result = 0;
    return true;
}

LRESULT TextBox::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (!RaiseKeyEvents(msg, wp, KeyDown, KeyUp, KeyPress)) return 0;
    return CallBaseProc(msg, wp, lp);
}

} // namespace mirolt::platform
