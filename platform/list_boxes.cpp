#include "list_boxes.h"

#include "errors.h"
#include "vb_error.h"

#include <commctrl.h>

namespace mirolt::platform {
namespace {

// Room below a combo box for its dropped list, in pixels.
constexpr int kDroppedListHeight = 160;

constexpr ListItems::Messages kComboBoxItems{CB_ADDSTRING,    CB_RESETCONTENT, CB_GETCOUNT,
                                             CB_GETLBTEXTLEN, CB_GETLBTEXT,    CB_GETCURSEL};
constexpr ListItems::Messages kListBoxItems{LB_ADDSTRING,  LB_RESETCONTENT, LB_GETCOUNT,
                                            LB_GETTEXTLEN, LB_GETTEXT,      LB_GETCURSEL};

} // namespace

std::wstring ItemText(HWND hwnd, UINT lengthMsg, UINT textMsg, int index) {
    if (index < 0) throw RuntimeError(kInvalidPropertyArrayIndex);
    const LRESULT length = SendMessageW(hwnd, lengthMsg, WPARAM(index), 0);
    if (length < 0) return {};
    std::wstring text(size_t(length) + 1, L'\0');
    const LRESULT n =
        SendMessageW(hwnd, textMsg, WPARAM(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(n < 0 ? 0 : size_t(n));
    return text;
}

// ---- ListItems ----

void ListItems::AddItem(const std::wstring &item) {
    if (SendMessageW(hwnd_, messages_.add, 0, reinterpret_cast<LPARAM>(item.c_str())) < 0)
        throw RuntimeError(kOutOfMemory);
}

void ListItems::Clear() {
    SendMessageW(hwnd_, messages_.reset, 0, 0);
}

int ListItems::ListCount() const {
    return int(SendMessageW(hwnd_, messages_.count, 0, 0));
}

std::wstring ListItems::List(int index) const {
    return ItemText(hwnd_, messages_.textLength, messages_.text, index);
}

int ListItems::ListIndex() const {
    return int(SendMessageW(hwnd_, messages_.picked, 0, 0));
}

// ---- ComboBox ----

ComboBox::ComboBox(Container &parent, std::wstring name, const Design &d)
    : ListItems(parent, std::move(name), kComboBoxItems), locked_(d.locked) {
    Create(WindowClass::ComboBox, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, 0, L"", d);
    // The window's height holds the dropped list; the designed height is the box's.
    SetWindowPos(hwnd_, nullptr, 0, 0, rect_.right - rect_.left,
                 rect_.bottom - rect_.top + kDroppedListHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (GetComboBoxInfo(hwnd_, &info) && info.hwndItem) {
        edit_ = info.hwndItem;
        SetWindowLongPtrW(edit_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        editProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditProc)));
    }
    for (const std::wstring &item : d.list)
        AddItem(item);
    text_.SetQuietly(hwnd_, d.text);
    if (locked_) SetLocked(true);
}

ComboBox::~ComboBox() {
    if (edit_ && editProc_) {
        SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc_));
        SetWindowLongPtrW(edit_, GWLP_USERDATA, 0);
    }
}

void ComboBox::ForwardEvents(Indexed &to, int index) {
    ForwardIndexed(Change, to.Change, index);
    ForwardIndexed(Click, to.Click, index);
    ForwardIndexed(KeyPress, to.KeyPress, index);
    ForwardIndexed(KeyDown, to.KeyDown, index);
    ForwardIndexed(KeyUp, to.KeyUp, index);
}

void ComboBox::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) throw RuntimeError(kInvalidPropertyValue);
    SendMessageW(hwnd_, CB_SETCURSEL, WPARAM(index), 0);
    if (index < 0) return;
    // The text part follows the pick at once, so that Click reads the new text.
    text_.SetQuietly(hwnd_, List(index));
    Click();
}

std::wstring ComboBox::Text() const {
    return EditableText::Of(hwnd_);
}

void ComboBox::SetText(const std::wstring &text) {
    text_.Set(hwnd_, text);
}

void ComboBox::SetLocked(bool locked) {
    locked_ = locked;
    if (edit_) SendMessageW(edit_, EM_SETREADONLY, locked, 0);
}

bool ComboBox::OnNotify(UINT msg, WPARAM wp, LPARAM, LRESULT &result) {
    if (msg != WM_COMMAND) return false;
    switch (HIWORD(wp)) {
    case CBN_EDITCHANGE:
        text_.Changed();
        break;
    case CBN_SELCHANGE:
        if (const int index = ListIndex(); index >= 0) {
            text_.SetQuietly(hwnd_, List(index));
            Click();
        }
        break;
    default:
        return false;
    }
    result = 0;
    return true;
}

bool ComboBox::Swallowed(UINT msg, WPARAM wp) const {
    if (!locked_ || msg != WM_KEYDOWN) return false;
    return wp == VK_UP || wp == VK_DOWN || wp == VK_PRIOR || wp == VK_NEXT;
}

LRESULT ComboBox::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (!RaiseKeyEvents(msg, wp, KeyDown, KeyUp, KeyPress) || Swallowed(msg, wp)) return 0;
    return CallBaseProc(msg, wp, lp);
}

LRESULT ComboBox::EditMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (!RaiseKeyEvents(msg, wp, KeyDown, KeyUp, KeyPress) || Swallowed(msg, wp)) return 0;
    return CallWindowProcW(editProc_, edit_, msg, wp, lp);
}

LRESULT CALLBACK ComboBox::EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto *self = reinterpret_cast<ComboBox *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT result = 0;
    RunGuarded([&] { result = self->EditMessage(msg, wp, lp); });
    return result;
}

// ---- ListBox ----

ListBox::ListBox(Container &parent, std::wstring name, const Design &d)
    : ListItems(parent, std::move(name), kListBoxItems) {
    Create(WindowClass::ListBox, LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL, WS_EX_CLIENTEDGE,
           L"", d);
    for (const std::wstring &item : d.list)
        AddItem(item);
}

void ListBox::ForwardEvents(Indexed &to, int index) {
    ForwardIndexed(Click, to.Click, index);
    ForwardIndexed(DblClick, to.DblClick, index);
}

void ListBox::RemoveItem(int index) {
    if (SendMessageW(hwnd_, LB_DELETESTRING, WPARAM(index), 0) < 0)
        throw RuntimeError(kInvalidProcedureCall);
}

void ListBox::SetListIndex(int index) {
    if (index < -1 || index >= ListCount()) throw RuntimeError(kInvalidPropertyValue);
    SendMessageW(hwnd_, LB_SETCURSEL, WPARAM(index), 0);
    Click();
}

std::wstring ListBox::Text() const {
    const int index = ListIndex();
    return index < 0 ? std::wstring() : List(index);
}

bool ListBox::OnNotify(UINT msg, WPARAM wp, LPARAM, LRESULT &result) {
    if (msg != WM_COMMAND) return false;
    if (HIWORD(wp) == LBN_SELCHANGE)
        Click();
    else if (HIWORD(wp) == LBN_DBLCLK)
        DblClick();
    else
        return false;
    result = 0;
    return true;
}

} // namespace mirolt::platform
