#include "forms.h"

#include "errors.h"
#include "prompts.h"
#include "runtime.h"
#include "vb_constants.h"
#include "vb_error.h"
#include "vb_numeric.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace mirolt::platform {
namespace {

std::vector<std::unique_ptr<Form>> &Graveyard() {
    static std::vector<std::unique_ptr<Form>> forms;
    return forms;
}

int Round(double v) {
    return int(RoundHalfEven(v));
}

// ---- Window classes and binding ----

struct ClassInfo {
    const wchar_t *name;
    const wchar_t *systemClass; // superclassed; null for a class of our own
    WNDPROC base = DefWindowProcW;
    bool registered = false;
};

std::array<ClassInfo, 10> g_classes = {{
    {L"MiroltForm", nullptr},
    {L"MiroltPictureBox", nullptr},
    {L"MiroltFrame", nullptr},
    {L"MiroltButton", L"BUTTON"},
    {L"MiroltEdit", L"EDIT"},
    {L"MiroltComboBox", L"COMBOBOX"},
    {L"MiroltListBox", L"LISTBOX"},
    {L"MiroltScrollBar", L"SCROLLBAR"},
    {L"MiroltProgressBar", PROGRESS_CLASSW},
    {L"MiroltStatusBar", STATUSCLASSNAMEW},
}};

// Binds the window to the object passed at its creation, then gives every message to the
// object. An error escaping a handler ends here, at the system's boundary.
LRESULT RouteMessage(WNDPROC base, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto *create = reinterpret_cast<CREATESTRUCTW *>(lp);
        if (auto *target = static_cast<WindowTarget *>(create->lpCreateParams)) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(target));
            target->AttachWindow(hwnd);
        }
    }
    auto *target = reinterpret_cast<WindowTarget *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!target) return CallWindowProcW(base, hwnd, msg, wp, lp);
    LRESULT result = 0;
    RunGuarded([&] { result = target->HandleMessage(msg, wp, lp); });
    return result;
}

template <size_t I> LRESULT CALLBACK ToolkitProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return RouteMessage(g_classes[I].base, hwnd, msg, wp, lp);
}

template <size_t... I>
constexpr std::array<WNDPROC, sizeof...(I)> Procs(std::index_sequence<I...>) {
    return {&ToolkitProc<I>...};
}
constexpr auto kProcs = Procs(std::make_index_sequence<10>());

ClassInfo &Registered(WindowClass cls) {
    const auto i = size_t(cls);
    ClassInfo &info = g_classes[i];
    if (info.registered) return info;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (info.systemClass) {
        static bool common = [] {
            INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
            return InitCommonControlsEx(&icc) != FALSE;
        }();
        (void)common;
        CheckWin32(GetClassInfoExW(nullptr, info.systemClass, &wc), kOutOfMemory);
        info.base = wc.lpfnWndProc;
        wc.style &= ~UINT(CS_GLOBALCLASS);
    } else {
        wc.style = CS_DBLCLKS;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        if (cls == WindowClass::Form) {
            wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
            if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        }
        if (cls == WindowClass::Frame) wc.style |= CS_HREDRAW | CS_VREDRAW;
    }
    wc.lpfnWndProc = kProcs[i];
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = info.name;
    CheckWin32(RegisterClassExW(&wc), kOutOfMemory);
    info.registered = true;
    return info;
}

DWORD StyleFor(const FormDesign &d) {
    switch (d.border) {
    case BorderStyle::None:
        return WS_POPUP | WS_CLIPCHILDREN;
    case BorderStyle::FixedSingle:
    case BorderStyle::FixedDialog:
    case BorderStyle::FixedToolWindow: {
        DWORD s = WS_CAPTION | WS_CLIPCHILDREN;
        if (d.controlBox) s |= WS_SYSMENU;
        if (d.minButton && d.border == BorderStyle::FixedSingle) s |= WS_MINIMIZEBOX;
        if (d.maxButton && d.border == BorderStyle::FixedSingle) s |= WS_MAXIMIZEBOX;
        return s;
    }
    case BorderStyle::Sizable:
    default: {
        DWORD s = WS_CAPTION | WS_THICKFRAME | WS_CLIPCHILDREN;
        if (d.controlBox) s |= WS_SYSMENU;
        if (d.minButton) s |= WS_MINIMIZEBOX;
        if (d.maxButton) s |= WS_MAXIMIZEBOX;
        return s;
    }
    }
}

DWORD ExStyleFor(const FormDesign &d) {
    DWORD ex = 0;
    if (d.border == BorderStyle::FixedDialog) ex |= WS_EX_DLGMODALFRAME;
    if (d.border == BorderStyle::FixedToolWindow) ex |= WS_EX_TOOLWINDOW;
    if (!d.showInTaskbar) ex |= WS_EX_TOOLWINDOW;
    return ex;
}

// A window the focus may go to: a visible, enabled tab stop inside `form`.
bool CanTakeFocus(HWND form, HWND w) {
    return w && w != form && IsChild(form, w) && IsWindowVisible(w) && IsWindowEnabled(w) &&
           (GetWindowLongW(w, GWL_STYLE) & WS_TABSTOP);
}

} // namespace

const wchar_t *ClassName(WindowClass cls) {
    return Registered(cls).name;
}
WNDPROC BaseProc(WindowClass cls) {
    return Registered(cls).base;
}

int32_t ResolveColor(int32_t color) {
    if (uint32_t(color) & 0x80000000u) {
        const COLORREF c = GetSysColor(int(uint32_t(color) & 0xFF));
        return int32_t(c & 0xFFFFFF);
    }
    return color;
}

HFONT GetFont(const FontSpec &spec) {
    static std::map<std::tuple<std::wstring, double, bool>, unique_hfont> cache;
    auto key = std::make_tuple(spec.name, spec.points, spec.bold);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second.get();
    const int dpi = GetDeviceCaps(ScopedGetDC(nullptr), LOGPIXELSY);
    LOGFONTW lf{};
    lf.lfHeight = -Round(spec.points * dpi / 72.0);
    lf.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    wcsncpy(lf.lfFaceName, spec.name.c_str(), LF_FACESIZE - 1);
    HFONT font = CreateFontIndirectW(&lf);
    cache.emplace(key, unique_hfont(font));
    return font;
}

int ShiftState() {
    return (GetKeyState(VK_SHIFT) < 0 ? vbShiftMask : 0) |
           (GetKeyState(VK_CONTROL) < 0 ? vbCtrlMask : 0) |
           (GetKeyState(VK_MENU) < 0 ? vbAltMask : 0);
}

// ---- Container ----

double Container::UnitsPerPixelX() const {
    return Scale() == ScaleMode::Twips ? TwipsPerPixelX() : 1.0;
}
double Container::UnitsPerPixelY() const {
    return Scale() == ScaleMode::Twips ? TwipsPerPixelY() : 1.0;
}

void Container::RemoveChild(Control *control) {
    children_.erase(std::remove(children_.begin(), children_.end(), control), children_.end());
}

void Container::PaintWindowless(HDC dc) const {
    for (const Control *c : children_)
        if (!c->Hwnd() && c->Visible()) c->Paint(dc);
}

void Container::ApplyDesignedOrder() {
    std::vector<Control *> windows;
    for (Control *c : children_)
        if (c->Hwnd()) windows.push_back(c);
    // Designed indexes first, in their order; the rest in the order of declaration.
    std::stable_sort(windows.begin(), windows.end(), [](const Control *a, const Control *b) {
        const bool da = a->TabIndex() >= 0, db = b->TabIndex() >= 0;
        if (da != db) return da;
        return da && a->TabIndex() < b->TabIndex();
    });
    HWND after = HWND_TOP;
    bool previousWasOption = false;
    for (Control *c : windows) {
        SetWindowPos(c->Hwnd(), after, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        after = c->Hwnd();
        // Arrow keys move within a group: it starts at a WS_GROUP window and runs to the
        // next one, so a run of option buttons is a group and every other control ends it.
        const bool option = c->IsOptionButton();
        LONG style = GetWindowLongW(c->Hwnd(), GWL_STYLE);
        style = (option && previousWasOption) ? (style & ~WS_GROUP) : (style | WS_GROUP);
        SetWindowLongW(c->Hwnd(), GWL_STYLE, style);
        previousWasOption = option;
        if (auto *inner = dynamic_cast<Container *>(c)) inner->ApplyDesignedOrder();
    }
}

bool DispatchToControl(UINT msg, WPARAM wp, LPARAM lp, LRESULT &result) {
    HWND child = nullptr;
    switch (msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
        child = reinterpret_cast<HWND>(lp);
        break;
    case WM_NOTIFY:
        child = reinterpret_cast<NMHDR *>(lp)->hwndFrom;
        break;
    default:
        return false;
    }
    if (!child) return false;
    // Only windows of the toolkit's classes hold a control in GWLP_USERDATA.
    const auto proc = reinterpret_cast<WNDPROC>(GetClassLongPtrW(child, GCLP_WNDPROC));
    bool ours = false;
    for (size_t i = 0; i < g_classes.size(); ++i)
        ours = ours || (g_classes[i].registered && proc == kProcs[i]);
    if (!ours) return false;
    auto *target = reinterpret_cast<WindowTarget *>(GetWindowLongPtrW(child, GWLP_USERDATA));
    auto *control = dynamic_cast<Control *>(target);
    return control && control->OnNotify(msg, wp, lp, result);
}

namespace {
std::exception_ptr &KeptError() {
    static std::exception_ptr error;
    return error;
}
int g_sizingDepth = 0; // calls of ours that size or show a window and wait for its errors
} // namespace

bool KeepWindowProcedureError(std::exception_ptr error) {
    if (g_sizingDepth == 0) return false;
    if (!KeptError()) KeptError() = std::move(error);
    return true;
}

void RaiseWindowProcedureError() {
    if (KeptError()) std::rethrow_exception(std::exchange(KeptError(), nullptr));
}

SizingScope::SizingScope() {
    ++g_sizingDepth;
}
SizingScope::~SizingScope() {
    --g_sizingDepth;
}

void ReleaseUnloadedForms() {
    Graveyard().clear();
}
void DeferFormDeletion(std::unique_ptr<Form> form) {
    if (form->Hwnd()) ShowWindow(form->Hwnd(), SW_HIDE);
    Graveyard().push_back(std::move(form));
}

// ---- Form ----

Form::Form(const FormDesign &design) : design_(design) {
    background_.reset(CreateSolidBrush(COLORREF(ResolveColor(design.backColor))));
    const DWORD style = StyleFor(design);
    const DWORD ex = ExStyleFor(design);
    RECT r{0, 0, Round(double(design.clientWidthTwips) / TwipsPerPixelX()),
           Round(double(design.clientHeightTwips) / TwipsPerPixelY())};
    AdjustWindowRectEx(&r, style, FALSE, ex);
    const int w = r.right - r.left, h = r.bottom - r.top;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
    if (design.centred) {
        RECT work;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        x = work.left + (work.right - work.left - w) / 2;
        y = work.top + (work.bottom - work.top - h) / 2;
    }
    CheckWin32(CreateWindowExW(ex, ClassName(WindowClass::Form), design.caption.c_str(), style, x,
                               y, w, h, nullptr, nullptr, GetModuleHandleW(nullptr),
                               static_cast<WindowTarget *>(this)),
               kOutOfMemory);
}

// Runs after the derived form's members (controls, menu items) are gone: touches only
// the window, which takes its menu bar with it.
Form::~Form() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

Form *Form::FromHwnd(HWND hwnd) {
    if (!hwnd || reinterpret_cast<WNDPROC>(GetClassLongPtrW(hwnd, GCLP_WNDPROC)) !=
                     kProcs[size_t(WindowClass::Form)])
        return nullptr;
    auto *target = reinterpret_cast<WindowTarget *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return target ? static_cast<Form *>(target) : nullptr;
}

void Form::FinishDesign() {
    if (designFinished_) return;
    designFinished_ = true;
    ApplyDesignedOrder();
    if (!BuildMenus()) return;
    // The designed size is the client area's: grow the window by the menu bar.
    RECT window, client;
    GetWindowRect(hwnd_, &window);
    GetClientRect(hwnd_, &client);
    const int wantHeight = Round(double(design_.clientHeightTwips) / TwipsPerPixelY());
    const int extra = wantHeight - client.bottom;
    if (extra != 0) {
        int top = window.top;
        if (design_.centred) top -= extra / 2;
        SetWindowPos(hwnd_, nullptr, window.left, top, window.right - window.left,
                     window.bottom - window.top + extra, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

int Form::RegisterControl(Control *control) {
    const int id = nextControlId_++;
    controls_[id] = control;
    return id;
}

void Form::UnregisterControl(Control *control) {
    controls_.erase(control->Id());
}

void Form::ForgetButton(Control *button) {
    if (default_ == button) default_ = nullptr;
    if (cancel_ == button) cancel_ = nullptr;
}

Control *Form::ControlOf(HWND hwnd) const {
    for (auto &[id, control] : controls_)
        if (control->Hwnd() == hwnd) return control;
    return nullptr;
}

Control *Form::ActiveControl() const {
    for (HWND w = GetFocus(); w && w != hwnd_; w = GetParent(w))
        if (Control *control = ControlOf(w)) return control;
    return nullptr;
}

bool Form::HasDefaultLook(const Control &button, HWND focus) const {
    if (button.Hwnd() == focus) return true;
    const Control *focused = focus ? ControlOf(focus) : nullptr;
    return &button == default_ && !(focused && focused->IsPushButton());
}

void Form::ShowDefaultLook(HWND focus) {
    for (auto &[id, control] : controls_)
        if (control->IsPushButton()) control->ShowAsDefault(HasDefaultLook(*control, focus));
}

void Form::NoteDisabling(HWND control) {
    const HWND focus = GetFocus();
    if (focus && (focus == control || IsChild(control, focus))) lastFocus_ = control;
}

void Form::NoteEnabled(HWND control) {
    if (control != lastFocus_) return;
    const HWND focus = GetFocus();
    if (GetActiveWindow() == hwnd_ && (!focus || focus == hwnd_)) ::SetFocus(control);
}

// As if the button had been clicked.
void Form::PressButton(Control *button) {
    if (!button || !button->Visible() || !button->Enabled()) return;
    LRESULT result = 0;
    button->OnNotify(WM_COMMAND, MAKEWPARAM(button->Id(), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button->Hwnd()), result);
}

void Form::FocusNext(HWND from, bool previous) {
    HWND next = GetNextDlgTabItem(hwnd_, from, previous);
    if (!CanTakeFocus(hwnd_, next)) return;
    ::SetFocus(next);
    // As in dialogs, an edit box reached by the keyboard has its text selected.
    if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessageW(next, EM_SETSEL, 0, -1);
}

// Back to the control that had the focus when the form was left, or to the first in the
// focus order; a form without one keeps the focus itself, so that its menus take keys.
void Form::RestoreFocus() {
    HWND focus = nullptr;
    if (lastFocus_ && IsWindow(lastFocus_) && IsChild(hwnd_, lastFocus_) &&
        IsWindowVisible(lastFocus_) && IsWindowEnabled(lastFocus_)) {
        focus = lastFocus_;
    } else if (HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE); CanTakeFocus(hwnd_, first)) {
        focus = first;
    }
    ::SetFocus(focus ? focus : hwnd_);
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (DispatchToControl(msg, wp, lp, result)) return result;
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(hwnd_, &r);
        FillRect(reinterpret_cast<HDC>(wp), &r, background_.get());
        return 1;
    }
    case WM_SIZE:
        for (Control *c : Children())
            c->ParentResized();
        if (shownOnce_) Form_Resize();
        return 0;
    case WM_COMMAND:
        if (lp == 0) {
            const UINT id = LOWORD(wp);
            if (auto it = controls_.find(int(id)); it != controls_.end()) {
                it->second->OnNotify(msg, wp, reinterpret_cast<LPARAM>(it->second->Hwnd()), result);
            } else if (MenuItem *item = FindMenuById(id)) {
                item->RunClick();
            } else if (id == IDOK) {
                PressButton(default_);
            } else if (id == IDCANCEL) {
                PressButton(cancel_);
            }
            return 0;
        }
        break;
    case DM_GETDEFID: // Enter presses the default button, when the window has one
        if (default_ && default_->Visible() && default_->Enabled())
            return MAKELRESULT(default_->Id(), DC_HASDEFID);
        return 0;
    case WM_NEXTDLGCTL: // Tab and Shift+Tab
        if (LOWORD(lp))
            ::SetFocus(reinterpret_cast<HWND>(wp));
        else
            FocusNext(GetFocus(), wp != 0);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
        } else if (!HIWORD(wp)) {
            RestoreFocus();
            return 0;
        }
        break;
    case WM_INITMENUPOPUP:
        if (MenuItem *item = FindMenuByPopup(reinterpret_cast<HMENU>(wp))) item->RunClick();
        return 0;
    case WM_SETCURSOR:
        if (MousePointer() == vbHourglass) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_ENDSESSION: // the system is shutting down
        if (wp) Unload(vbAppWindows);
        return 0;
    case WM_CLOSE:
        Unload(vbFormControlMenu);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        PaintWindowless(dc);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

bool Form::RunQueryUnload(int unloadMode) {
    int cancel = 0;
    Form_QueryUnload(cancel, unloadMode);
    return cancel == 0;
}

void Form::Unload(int unloadMode) {
    if (!RunQueryUnload(unloadMode)) return;
    int cancel = 0;
    Form_Unload(cancel);
    if (release_) release_();
}

void Form::Close() {
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void Form::Show() {
    FinishDesign();
    if (Visible()) { // shown already: it comes to the front and takes the keyboard
        BringWindowToTop(hwnd_);
        SetForegroundWindow(hwnd_);
        return;
    }
    const bool first = !shownOnce_;
    shownOnce_ = true;
    ShowWindow(hwnd_, SW_SHOW);
    if (first) Form_Resize(); // the first display lays the window out
    UpdateWindow(hwnd_);
}

void Form::Hide() {
    ShowWindow(hwnd_, SW_HIDE);
}

void Form::Refresh() {
    RedrawWindow(hwnd_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

bool Form::Visible() const {
    return IsWindowVisible(hwnd_) != FALSE;
}

double Form::Width() const {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return double(r.right - r.left) * TwipsPerPixelX();
}
double Form::Height() const {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return double(r.bottom - r.top) * TwipsPerPixelY();
}
double Form::Left() const {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return double(r.left) * TwipsPerPixelX();
}
double Form::Top() const {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return double(r.top) * TwipsPerPixelY();
}

void Form::SetWidth(double twips) {
    if (IsIconic(hwnd_) || IsZoomed(hwnd_)) throw RuntimeError(kCannotSizeMinimised);
    RECT r;
    GetWindowRect(hwnd_, &r);
    SetWindowPos(hwnd_, nullptr, 0, 0, Round(twips / TwipsPerPixelX()), r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void Form::SetHeight(double twips) {
    if (IsIconic(hwnd_) || IsZoomed(hwnd_)) throw RuntimeError(kCannotSizeMinimised);
    RECT r;
    GetWindowRect(hwnd_, &r);
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, Round(twips / TwipsPerPixelY()),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void Form::Move(double leftTwips, double topTwips) {
    SetWindowPos(hwnd_, nullptr, Round(leftTwips / TwipsPerPixelX()),
                 Round(topTwips / TwipsPerPixelY()), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

double Form::ScaleWidth() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    return double(r.right) * UnitsPerPixelX();
}
double Form::ScaleHeight() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    return double(r.bottom) * UnitsPerPixelY();
}

std::wstring Form::Caption() const {
    std::wstring text(size_t(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(hwnd_, text.data(), int(text.size()))));
    return text;
}
void Form::SetCaption(const std::wstring &caption) {
    SetWindowTextW(hwnd_, caption.c_str());
}

void Form::SetBackColor(int32_t color) {
    backColor_ = color;
    background_.reset(CreateSolidBrush(COLORREF(ResolveColor(color))));
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form::PopupMenu(MenuItem &menu) {
    if (MenuItem *chosen = CurrentPrompts().PopupMenu(menu)) chosen->RunClick();
}

// ---- Control ----

Control::Control(Container &parent, std::wstring name) : parent_(parent), name_(std::move(name)) {
    parent_.AddChild(this);
}

Control::~Control() {
    parent_.RemoveChild(this);
    if (id_) parent_.OwnerForm().UnregisterControl(this);
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    } else {
        InvalidateInParent();
    }
}

LRESULT Control::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    return CallBaseProc(msg, wp, lp);
}

LRESULT Control::CallBaseProc(UINT msg, WPARAM wp, LPARAM lp) {
    return CallWindowProcW(baseProc_, hwnd_, msg, wp, lp);
}

int Control::ToPixelsX(double v) const {
    return Round(v / parent_.UnitsPerPixelX());
}
int Control::ToPixelsY(double v) const {
    return Round(v / parent_.UnitsPerPixelY());
}

RECT Control::PixelRectOf(const Place &p) const {
    const int x = ToPixelsX(p.left), y = ToPixelsY(p.top);
    return {x, y, x + std::max(0, ToPixelsX(p.width)), y + std::max(0, ToPixelsY(p.height))};
}

void Control::CreateWindowed(WindowClass cls, DWORD style, DWORD exStyle, const std::wstring &text,
                             const Place &place, bool visible, bool enabled) {
    visible_ = visible;
    enabled_ = enabled;
    rect_ = PixelRectOf(place);
    baseProc_ = BaseProc(cls);
    id_ = parent_.OwnerForm().RegisterControl(this);
    CheckWin32(
        CreateWindowExW(exStyle, ClassName(cls), text.c_str(),
                        style | WS_CHILD | (visible ? WS_VISIBLE : 0) | (enabled ? 0 : WS_DISABLED),
                        rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top,
                        parent_.Hwnd(), reinterpret_cast<HMENU>(INT_PTR(id_)),
                        GetModuleHandleW(nullptr), static_cast<WindowTarget *>(this)),
        kOutOfMemory);
}

void Control::CreateWindowless(const Place &place, bool visible) {
    visible_ = visible;
    rect_ = PixelRectOf(place);
    InvalidateInParent();
}

void Control::InvalidateInParent() const {
    InvalidateRect(parent_.Hwnd(), &rect_, TRUE);
}

double Control::Left() const {
    return rect_.left * parent_.UnitsPerPixelX();
}
double Control::Top() const {
    return rect_.top * parent_.UnitsPerPixelY();
}
double Control::Width() const {
    return (rect_.right - rect_.left) * parent_.UnitsPerPixelX();
}
double Control::Height() const {
    return (rect_.bottom - rect_.top) * parent_.UnitsPerPixelY();
}

void Control::ApplyRect(int x, int y, int w, int h) {
    w = std::max(w, 0);
    h = std::max(h, 0);
    const bool sized = w != rect_.right - rect_.left || h != rect_.bottom - rect_.top;
    if (!hwnd_) {
        InvalidateInParent();
        rect_ = {x, y, x + w, y + h};
        InvalidateInParent();
        return;
    }
    rect_ = {x, y, x + w, y + h};
    {
        SizingScope sizing;
        SetWindowPos(hwnd_, nullptr, x, y, w, h,
                     SWP_NOZORDER | SWP_NOACTIVATE | (sized ? 0 : SWP_NOSIZE));
    }
    RaiseWindowProcedureError();
}

void Control::SetLeft(double v) {
    ApplyRect(ToPixelsX(v), rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top);
}
void Control::SetTop(double v) {
    ApplyRect(rect_.left, ToPixelsY(v), rect_.right - rect_.left, rect_.bottom - rect_.top);
}
void Control::SetWidth(double v) {
    ApplyRect(rect_.left, rect_.top, ToPixelsX(v), rect_.bottom - rect_.top);
}
void Control::SetHeight(double v) {
    ApplyRect(rect_.left, rect_.top, rect_.right - rect_.left, ToPixelsY(v));
}
void Control::Move(double left, double top, double width, double height) {
    ApplyRect(ToPixelsX(left), ToPixelsY(top), ToPixelsX(width), ToPixelsY(height));
}

void Control::SetVisible(bool visible) {
    visible_ = visible;
    if (!hwnd_) return InvalidateInParent();
    {
        SizingScope sizing;
        // Shown or hidden without painting now: the control, or what it covered, is painted
        // at the next pump with everything else that changed.
        constexpr UINT kFlags =
            SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW;
        if (visible) {
            SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, kFlags | SWP_SHOWWINDOW);
            RedrawWindow(hwnd_, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        } else {
            // The focus leaves with the control, as it does when a window is hidden.
            const HWND focus = GetFocus();
            if (focus && (focus == hwnd_ || IsChild(hwnd_, focus))) ::SetFocus(parent_.Hwnd());
            SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, kFlags | SWP_HIDEWINDOW);
            // What it covered, its siblings included.
            RedrawWindow(parent_.Hwnd(), &rect_, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        }
    }
    RaiseWindowProcedureError();
}

void Control::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (!hwnd_) return InvalidateInParent();
    Form &form = parent_.OwnerForm();
    if (!enabled) form.NoteDisabling(hwnd_); // the system takes the focus away
    EnableWindow(hwnd_, enabled);
    if (enabled) form.NoteEnabled(hwnd_);
}

void Control::ApplyFont() {
    if (!hwnd_) return InvalidateInParent();
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont(font_)), TRUE);
}

void Control::SetFont(const FontSpec &font) {
    font_ = font;
    ApplyFont();
}

void Control::SetFontName(const std::wstring &name) {
    font_.name = name;
    ApplyFont();
}

void Control::SetFontSize(double points) {
    if (!(points > 0 && points <= 2048)) throw RuntimeError(kInvalidPropertyValue);
    font_.points = points;
    ApplyFont();
}

void Control::SetFocus() {
    if (!hwnd_ || !visible_ || !enabled_) throw RuntimeError(kInvalidProcedureCall);
    ::SetFocus(hwnd_);
}

bool RaiseKeyEvents(UINT msg, WPARAM &wp, Event<int &, int> &keyDown, Event<int &, int> &keyUp,
                    Event<int &> &keyPress) {
    int code = int(wp);
    switch (msg) {
    case WM_KEYDOWN:
        keyDown(code, ShiftState());
        break;
    case WM_KEYUP:
        keyUp(code, ShiftState());
        break;
    case WM_CHAR:
        keyPress(code);
        break;
    default:
        return true;
    }
    if (code == 0) return false;
    wp = WPARAM(code);
    return true;
}

} // namespace mirolt::platform
