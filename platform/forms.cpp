#include "forms.h"

#include <commctrl.h>

#include "menu.h"
#include "prompts.h"
#include "runtime.h"
#include "vb_error.h"
#include "vb_numeric.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace mirolt::platform {
namespace {

constexpr wchar_t kFormClass[] = L"MiroltForm";
constexpr wchar_t kControlProp[] = L"MiroltControl";
constexpr int kCannotSizeMinimised = 384;

std::vector<std::unique_ptr<Form>> &Graveyard() {
    static std::vector<std::unique_ptr<Form>> forms;
    return forms;
}

int Round(double v) {
    return int(RoundHalfEven(v));
}

void RegisterFormClass() {
    static bool done = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = DefWindowProcW; // replaced per window at creation
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
        if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        wc.lpszClassName = kFormClass;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)done;
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

} // namespace

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
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
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

double Container::UnitsPerPixelX() const {
    return Scale() == ScaleMode::Twips ? TwipsPerPixelX() : 1.0;
}
double Container::UnitsPerPixelY() const {
    return Scale() == ScaleMode::Twips ? TwipsPerPixelY() : 1.0;
}

void Container::RemoveWindowless(Control *control) {
    windowless_.erase(std::remove(windowless_.begin(), windowless_.end(), control),
                      windowless_.end());
}

void Container::PaintWindowless(HDC dc) const {
    for (const Control *c : windowless_)
        if (c->Visible()) c->Paint(dc);
}

bool DispatchToControl(UINT msg, WPARAM wp, LPARAM lp, LRESULT &result) {
    HWND child = nullptr;
    switch (msg) {
    case WM_COMMAND:
        child = reinterpret_cast<HWND>(lp);
        break;
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
    auto *control = static_cast<Control *>(GetPropW(child, kControlProp));
    return control && control->OnNotify(msg, wp, lp, result);
}

namespace {
std::exception_ptr &KeptError() {
    static std::exception_ptr error;
    return error;
}
} // namespace

void KeepWindowProcedureError(std::exception_ptr error) {
    if (!KeptError()) KeptError() = std::move(error);
}

void RaiseWindowProcedureError() {
    if (KeptError()) std::rethrow_exception(std::exchange(KeptError(), nullptr));
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
    RegisterFormClass();
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
    hwnd_ = CreateWindowExW(ex, kFormClass, design.caption.c_str(), style, x, y, w, h, nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) throw RuntimeError(kOutOfMemory);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Form::StaticWndProc));
}

Form::~Form() {
    for (MenuItem *m : topMenus_)
        if (!m->Visible() && m->PopupHandle()) DestroyMenu(m->PopupHandle());
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

LRESULT CALLBACK Form::StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto *form = reinterpret_cast<Form *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcW(hwnd, msg, wp, lp);
    return form->WndProc(msg, wp, lp);
}

LRESULT Form::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
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
        // Bars of the common controls place themselves when told of a new size.
        for (HWND c = GetWindow(hwnd_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            wchar_t cls[64];
            if (GetClassNameW(c, cls, 64) && lstrcmpiW(cls, STATUSCLASSNAMEW) == 0)
                SendMessageW(c, WM_SIZE, 0, 0);
        }
        if (shownOnce_) Form_Resize();
        return 0;
    case WM_COMMAND:
        if (lp == 0 && HIWORD(wp) == 0) {
            if (MenuItem *item = FindMenuById(LOWORD(wp))) item->RunClick();
            return 0;
        }
        break;
    case WM_INITMENUPOPUP: {
        HMENU opened = reinterpret_cast<HMENU>(wp);
        for (auto &[id, item] : menuIds_)
            if (item->PopupHandle() == opened) {
                item->RunClick();
                break;
            }
        return 0;
    }
    case WM_SETCURSOR:
        if (MousePointer() == 11) {
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
    wchar_t buf[512];
    const int n = GetWindowTextW(hwnd_, buf, 512);
    return std::wstring(buf, size_t(n));
}
void Form::SetCaption(const std::wstring &caption) {
    SetWindowTextW(hwnd_, caption.c_str());
}

void Form::SetBackColor(int32_t color) {
    backColor_ = color;
    background_.reset(CreateSolidBrush(COLORREF(ResolveColor(color))));
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form::BuildMenus() {
    if (topMenus_.empty()) return;
    for (MenuItem *m : topMenus_)
        m->Build();
    RebuildMenuBar();
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

void Form::RebuildMenuBar() {
    if (!menuBar_) {
        menuBar_ = CreateMenu();
        SetMenu(hwnd_, menuBar_);
    }
    while (GetMenuItemCount(menuBar_) > 0)
        RemoveMenu(menuBar_, 0, MF_BYPOSITION);
    for (MenuItem *m : topMenus_)
        if (m->Visible()) m->AppendTo(menuBar_);
    DrawMenuBar(hwnd_);
}

MenuItem *Form::FindMenuById(UINT id) const {
    for (auto &[i, item] : menuIds_)
        if (i == id) return item;
    return nullptr;
}

void Form::PopupMenu(MenuItem &menu) {
    if (MenuItem *chosen = CurrentPrompts().PopupMenu(menu)) chosen->RunClick();
}

// ---- Control ----

Control::Control(Container &parent, std::wstring name) : parent_(parent), name_(std::move(name)) {}

Control::~Control() {
    parent_.RemoveWindowless(this);
    if (hwnd_) {
        RemovePropW(hwnd_, kControlProp);
        DestroyWindow(hwnd_);
    }
}

int Control::ToPixelsX(double v) const {
    return Round(v / parent_.UnitsPerPixelX());
}
int Control::ToPixelsY(double v) const {
    return Round(v / parent_.UnitsPerPixelY());
}

RECT Control::PixelRectOf(double left, double top, double width, double height) const {
    const int x = ToPixelsX(left), y = ToPixelsY(top);
    return {x, y, x + std::max(0, ToPixelsX(width)), y + std::max(0, ToPixelsY(height))};
}

void Control::Create(const wchar_t *windowClass, DWORD style, DWORD exStyle,
                     const std::wstring &text, double left, double top, double width, double height,
                     bool visible) {
    visible_ = visible;
    rect_ = PixelRectOf(left, top, width, height);
    hwnd_ = CreateWindowExW(exStyle, windowClass, text.c_str(),
                            style | WS_CHILD | (visible ? WS_VISIBLE : 0), rect_.left, rect_.top,
                            rect_.right - rect_.left, rect_.bottom - rect_.top, parent_.Hwnd(),
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) throw RuntimeError(kOutOfMemory);
    SetPropW(hwnd_, kControlProp, this);
}

void Control::CreateWindowless(double left, double top, double width, double height, bool visible) {
    visible_ = visible;
    rect_ = PixelRectOf(left, top, width, height);
    parent_.AddWindowless(this);
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
    SetWindowPos(hwnd_, nullptr, x, y, w, h,
                 SWP_NOZORDER | SWP_NOACTIVATE | (sized ? 0 : SWP_NOSIZE));
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
    ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
    RaiseWindowProcedureError();
}

void Control::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (!hwnd_) return InvalidateInParent();
    EnableWindow(hwnd_, enabled);
}

void Control::SetFont(const FontSpec &font) {
    if (!hwnd_) return InvalidateInParent();
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(GetFont(font)), TRUE);
}

} // namespace mirolt::platform
