#include "text_box.h"

#include "runtime.h"

#include <algorithm>
#include <chrono>
#include <string_view>
#include <utility>

namespace mirolt::platform {
namespace {

// The box lays out a line whole each time it grows: a line cut in pieces is laid out again
// for each, so pieces are whole lines, a line longer than a piece one piece of its own.
// Pieces are sized to take about kPieceMs each, from how long the last one took: the box
// slows down as its text grows, and a busy machine slows it more.
constexpr size_t kFirstPiece = 16384;
constexpr size_t kMinPiece = 1024;
constexpr size_t kMaxPiece = size_t(1) << 22;
constexpr double kPieceMs = 10.0;

size_t PieceEnd(std::wstring_view text, size_t from, size_t chars) {
    if (text.size() - from <= chars) return text.size();
    size_t lineEnd = text.substr(from, chars).rfind(L'\n');
    if (lineEnd != std::wstring_view::npos) return from + lineEnd + 1;
    lineEnd = text.find(L'\n', from + chars);
    return lineEnd == std::wstring_view::npos ? text.size() : lineEnd + 1;
}

size_t NextPieceChars(size_t chars, double ms) {
    const double scale = std::clamp(kPieceMs / std::max(ms, 0.01), 0.5, 2.0);
    return std::clamp(size_t(double(chars) * scale), kMinPiece, kMaxPiece);
}

void PumpIfDue() {
    if (MsUntilPump() <= 0) PumpMessagesButInput();
}

// Gives an empty multi-line box a buffer for `chars` characters at once: growing its own as
// the pieces come, the box would copy its whole text again and again. Without the memory, or
// in a box that takes no buffer (a single-line one), it grows its own.
void ReserveText(HWND box, size_t chars) {
    const HLOCAL old = reinterpret_cast<HLOCAL>(SendMessageW(box, EM_GETHANDLE, 0, 0));
    if (!old) return;
    const HLOCAL buffer = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, (chars + 1) * sizeof(wchar_t));
    if (!buffer) return;
    SendMessageW(box, EM_SETHANDLE, reinterpret_cast<WPARAM>(buffer), 0);
    // The box frees the buffer it holds; the one it gave up is ours.
    if (reinterpret_cast<HLOCAL>(SendMessageW(box, EM_GETHANDLE, 0, 0)) == buffer)
        LocalFree(old);
    else
        LocalFree(buffer);
}

// Puts a text into an empty box a piece at a time, pumping between pieces when a pump is due,
// and leaves the box as a text set at once does: it ends at a NUL. False when the box was
// closed, or `goOn` said to stop, meanwhile.
bool FillInPieces(HWND box, const std::wstring &whole, const std::function<bool()> &goOn) {
    const std::wstring_view text(whole.data(), std::min(whole.find(L'\0'), whole.size()));
    ReserveText(box, text.size());
    size_t chars = kFirstPiece;
    for (size_t at = 0;;) {
        const auto began = std::chrono::steady_clock::now();
        const size_t end = PieceEnd(text, at, chars);
        const std::wstring piece(text.substr(at, end - at));
        SendMessageW(box, EM_SETSEL, WPARAM(at), LPARAM(at));
        SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
        if ((at = end) == text.size()) break;
        chars = NextPieceChars(chars, std::chrono::duration<double, std::milli>(
                                          std::chrono::steady_clock::now() - began)
                                          .count());
        PumpIfDue();
        if (!IsWindow(box) || (goOn && !goOn())) return false;
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

bool TextBox::ReplaceTextInSteps(const std::wstring &text, const std::function<bool()> &goOn) {
    FormDrawingHeld held(hwnd_);
    SetText(L"");
    if (!text.empty()) {
        if (!text_.Quietly([&] { return FillInPieces(hwnd_, text, goOn); })) return false;
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
    return true;
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
