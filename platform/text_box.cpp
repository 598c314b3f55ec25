#include "text_box.h"

namespace mirolt::platform {
namespace {

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
