#include "buttons.h"

#include "vb_error.h"

namespace mirolt::platform {

// ---- CommandButton ----

CommandButton::CommandButton(Container &parent, std::wstring name, const Design &d)
    : Control(parent, std::move(name)) {
    Create(WindowClass::Button, d.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, 0, d.caption, d);
    if (d.isDefault) parent_.OwnerForm().SetDefaultButton(this);
    if (d.cancel) parent_.OwnerForm().SetCancelButton(this);
}

CommandButton::~CommandButton() {
    parent_.OwnerForm().ForgetButton(this);
}

std::wstring CommandButton::Caption() const {
    std::wstring text(size_t(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(hwnd_, text.data(), int(text.size()))));
    return text;
}

void CommandButton::SetCaption(const std::wstring &caption) {
    SetWindowTextW(hwnd_, caption.c_str());
}

bool CommandButton::OnNotify(UINT msg, WPARAM wp, LPARAM, LRESULT &result) {
    if (msg != WM_COMMAND || HIWORD(wp) != BN_CLICKED) return false;
    Click();
    result = 0;
    return true;
}

void CommandButton::ShowAsDefault(bool on) {
    const LONG want = on ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((GetWindowLongW(hwnd_, GWL_STYLE) & BS_TYPEMASK) != want)
        CallBaseProc(BM_SETSTYLE, WPARAM(want), TRUE);
}

LRESULT CommandButton::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    Form &form = parent_.OwnerForm();
    switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        const LRESULT result = CallBaseProc(msg, wp, lp);
        const HWND focus = msg == WM_SETFOCUS ? hwnd_ : reinterpret_cast<HWND>(wp);
        // Focus gone to another window (a message box, another form) keeps the looks.
        if (!focus || GetAncestor(focus, GA_ROOT) == form.Hwnd()) form.ShowDefaultLook(focus);
        return result;
    }
    case BM_SETSTYLE: {
        // The system's dialog keyboard handling restyles buttons as it moves the focus, by
        // a rule of its own: the look stays the one the focus gives.
        const bool on = form.HasDefaultLook(*this, GetFocus());
        const WPARAM type = on ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        return CallBaseProc(msg, (wp & ~WPARAM(BS_TYPEMASK)) | type, lp);
    }
    default:
        return CallBaseProc(msg, wp, lp);
    }
}

// ---- CheckBox ----

CheckBox::CheckBox(Container &parent, std::wstring name, const Design &d)
    : ValueButton(parent, std::move(name)), value_(d.value) {
    Create(WindowClass::Button, BS_CHECKBOX, 0, d.caption, d);
    SendMessageW(hwnd_, BM_SETCHECK, WPARAM(value_), 0);
}

void CheckBox::SetValue(int value) {
    if (value < vbUnchecked || value > vbGrayed) throw RuntimeError(kInvalidPropertyValue);
    if (value == value_) return;
    value_ = value;
    SendMessageW(hwnd_, BM_SETCHECK, WPARAM(value_), 0);
    Click();
}

bool CheckBox::OnNotify(UINT msg, WPARAM wp, LPARAM, LRESULT &result) {
    if (msg != WM_COMMAND || HIWORD(wp) != BN_CLICKED) return false;
    SetValue(value_ == vbChecked ? vbUnchecked : vbChecked);
    result = 0;
    return true;
}

// ---- OptionButton ----

OptionButton::OptionButton(Container &parent, std::wstring name, const Design &d)
    : ValueButton(parent, std::move(name)), value_(false), tabStop_(d.tabStop) {
    Create(WindowClass::Button, BS_RADIOBUTTON, 0, d.caption, d);
    if (d.value) {
        for (OptionButton *o : Group())
            if (o != this && o->value_) {
                o->value_ = false;
                SendMessageW(o->hwnd_, BM_SETCHECK, BST_UNCHECKED, 0);
            }
        value_ = true;
        SendMessageW(hwnd_, BM_SETCHECK, BST_CHECKED, 0);
    }
    UpdateTabStops();
}

std::vector<OptionButton *> OptionButton::Group() const {
    std::vector<OptionButton *> group;
    for (Control *c : parent_.Children())
        if (c->IsOptionButton()) group.push_back(static_cast<OptionButton *>(c));
    return group;
}

void OptionButton::UpdateTabStops() const {
    const std::vector<OptionButton *> group = Group();
    bool anySelected = false;
    for (const OptionButton *o : group)
        anySelected = anySelected || o->value_;
    for (const OptionButton *o : group) {
        if (!o->hwnd_) continue;
        const bool stop = o->tabStop_ && (o->value_ || (!anySelected && o == group.front()));
        const LONG style = GetWindowLongW(o->hwnd_, GWL_STYLE);
        SetWindowLongW(o->hwnd_, GWL_STYLE, stop ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
    }
}

void OptionButton::SetValue(bool value) {
    if (value == value_) return;
    if (value)
        for (OptionButton *o : Group())
            if (o != this && o->value_) {
                o->value_ = false;
                SendMessageW(o->hwnd_, BM_SETCHECK, BST_UNCHECKED, 0);
            }
    value_ = value;
    SendMessageW(hwnd_, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
    UpdateTabStops();
    if (value) Click();
}

bool OptionButton::OnNotify(UINT msg, WPARAM wp, LPARAM, LRESULT &result) {
    if (msg != WM_COMMAND || HIWORD(wp) != BN_CLICKED) return false;
    SetValue(true);
    result = 0;
    return true;
}

} // namespace mirolt::platform

namespace mirolt::platform {

LRESULT OptionButton::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_GETDLGCODE) return CallBaseProc(msg, wp, lp) | DLGC_WANTARROWS;
    if (msg == WM_KEYDOWN && (wp == VK_UP || wp == VK_DOWN || wp == VK_LEFT || wp == VK_RIGHT)) {
        const bool previous = wp == VK_UP || wp == VK_LEFT;
        HWND next = GetNextDlgGroupItem(GetParent(hwnd_), hwnd_, previous);
        for (OptionButton *o : Group())
            if (o->hwnd_ == next && o != this && o->Visible() && o->Enabled()) {
                ::SetFocus(next);
                o->SetValue(true);
            }
        return 0;
    }
    return CallBaseProc(msg, wp, lp);
}

} // namespace mirolt::platform
