#include "controls.h"

#include "errors.h"
#include "message_loop.h"

#include "vb_error.h"
#include "vb_numeric.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace mirolt::platform {

// ---- Label ----

Label::Label(Container &parent, std::wstring name, const Design &design)
    : Control(parent, std::move(name)), design_(design), caption_(design.caption) {
    font_ = design.font;
    CreateWindowless(design.place, design.visible);
    if (design.autoSize) FitToText();
}

void Label::SetCaption(const std::wstring &caption) {
    caption_ = caption;
    if (design_.autoSize) FitToText();
    InvalidateInParent();
}

void Label::FitToText() {
    ScopedGetDC dc(parent_.Hwnd());
    ScopedSelectObject font(dc, GetFont(font_));
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, caption_.c_str(), int(caption_.size()), &r, DT_CALCRECT | DT_NOPREFIX);
    ApplyRect(rect_.left, rect_.top, r.right, r.bottom);
}

void Label::Paint(HDC dc) const {
    RECT r = rect_;
    if (!design_.transparent) {
        unique_hbrush back(CreateSolidBrush(COLORREF(ResolveColor(design_.backColor))));
        FillRect(dc, &r, back.get());
    }
    ScopedSelectObject font(dc, GetFont(font_));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, COLORREF(ResolveColor(design_.foreColor)));
    const UINT align = design_.alignment == Alignment::Right    ? DT_RIGHT
                       : design_.alignment == Alignment::Center ? DT_CENTER
                                                                : DT_LEFT;
    DrawTextW(dc, caption_.c_str(), int(caption_.size()), &r, DT_NOPREFIX | DT_WORDBREAK | align);
}

// ---- Shape ----

Shape::Shape(Container &parent, std::wstring name, const Design &design)
    : Control(parent, std::move(name)), design_(design) {
    CreateWindowless(design.place, design.visible);
}

void Shape::Paint(HDC dc) const {
    RECT r = rect_;
    if (design_.kind == Kind::Square) {
        const int side = std::min(r.right - r.left, r.bottom - r.top);
        r.left += (r.right - r.left - side) / 2;
        r.top += (r.bottom - r.top - side) / 2;
        r.right = r.left + side;
        r.bottom = r.top + side;
    }
    unique_hpen pen(CreatePen(PS_INSIDEFRAME, design_.borderWidth,
                              COLORREF(ResolveColor(design_.borderColor))));
    ScopedSelectObject selectedPen(dc, pen.get());
    ScopedSelectObject brush(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

// ---- ScrollBar ----

ScrollBar::ScrollBar(Container &parent, std::wstring name, const Design &d)
    : Control(parent, std::move(name)), min_(d.min), max_(d.max), value_(d.value),
      smallChange_(d.smallChange), largeChange_(d.largeChange) {
    Create(WindowClass::ScrollBar, d.orientation == Orientation::Horizontal ? SBS_HORZ : SBS_VERT,
           0, L"", d);
    Sync();
}

void ScrollBar::Sync() {
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_POS | SIF_PAGE | SIF_DISABLENOSCROLL;
    si.nMin = min_;
    si.nMax = max_;
    si.nPage = 0;
    si.nPos = value_;
    // Drawn at the next paint, not at once: a layout sets several properties in a row.
    SetScrollInfo(hwnd_, SB_CTL, &si, FALSE);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void ScrollBar::SetMin(int v) {
    min_ = v;
    Sync();
    if (value_ < min_) SetValueClamped(min_);
}

void ScrollBar::SetMax(int v) {
    max_ = v;
    Sync();
    if (value_ > max_) SetValueClamped(max_);
}

void ScrollBar::SetValue(int v) {
    if (v < std::min(min_, max_) || v > std::max(min_, max_))
        throw RuntimeError(kInvalidPropertyValue);
    SetValueClamped(v);
}

void ScrollBar::SetValueClamped(int v) {
    if (v == value_) return;
    value_ = v;
    Sync();
    Change();
}

bool ScrollBar::OnNotify(UINT msg, WPARAM wp, LPARAM, LRESULT &result) {
    if (msg != WM_HSCROLL && msg != WM_VSCROLL) return false;
    int v = value_;
    const int lo = std::min(min_, max_), hi = std::max(min_, max_);
    switch (LOWORD(wp)) {
    case SB_LINEUP:
        v -= smallChange_;
        break;
    case SB_LINEDOWN:
        v += smallChange_;
        break;
    case SB_PAGEUP:
        v -= largeChange_;
        break;
    case SB_PAGEDOWN:
        v += largeChange_;
        break;
    case SB_TOP:
        v = lo;
        break;
    case SB_BOTTOM:
        v = hi;
        break;
    case SB_THUMBPOSITION: { // the end of dragging the thumb
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(hwnd_, SB_CTL, &si);
        v = si.nTrackPos;
        break;
    }
    default: // SB_THUMBTRACK and SB_ENDSCROLL move nothing
        result = 0;
        return true;
    }
    SetValueClamped(std::clamp(v, lo, hi));
    result = 0;
    return true;
}

// ---- ProgressBar ----

namespace {

std::vector<ProgressBar *> &PendingBars() {
    static std::vector<ProgressBar *> bars;
    return bars;
}

} // namespace

ProgressBar::ProgressBar(Container &parent, std::wstring name, const Design &d)
    : Control(parent, std::move(name)), min_(d.min), max_(d.max), value_(d.min) {
    static const bool showsAtEachPump = (AddBeforePump(&ProgressBar::ShowPending), true);
    (void)showsAtEachPump;
    Create(WindowClass::ProgressBar, 0, 0, L"", d);
    Sync();
}

ProgressBar::~ProgressBar() {
    std::erase(PendingBars(), this);
}

ProgressBar::Position ProgressBar::Wanted() const {
    const int range = std::max(1, int(rect_.right - rect_.left));
    const float span = max_ - min_;
    return {range,
            std::clamp(span > 0 ? int(std::lround((value_ - min_) / span * float(range))) : 0, 0,
                       range)};
}

// A new position repaints a shown bar at once, which for every column of a long operation
// would cost more than the operation's own work; so a shown bar hears of its position before
// each pump of the queue, when it could be seen to change, and a hidden one at once.
void ProgressBar::Sync() {
    if (Wanted() == shown_) return;
    if (!hwnd_ || !IsWindowVisible(hwnd_)) return Show();
    auto &pending = PendingBars();
    if (std::find(pending.begin(), pending.end(), this) == pending.end()) pending.push_back(this);
}

void ProgressBar::Show() {
    const Position wanted = Wanted();
    if (!hwnd_ || wanted == shown_) return;
    if (wanted.range != shown_.range) SendMessageW(hwnd_, PBM_SETRANGE32, 0, wanted.range);
    SendMessageW(hwnd_, PBM_SETPOS, WPARAM(wanted.pos), 0);
    shown_ = wanted;
    shownAt_ = GetTickCount();
}

// A shown bar repaints at once when told; a few times a second is smooth enough to watch and
// keeps each pump short when the processor is busy. A position held back is shown by a timer
// if no pump comes for it.
void ProgressBar::ShowPending() {
    constexpr DWORD kLeastIntervalMs = 25;
    const DWORD now = GetTickCount();
    auto &pending = PendingBars();
    std::erase_if(pending, [now](ProgressBar *bar) {
        if (now - bar->shownAt_ < kLeastIntervalMs) return false;
        bar->Show();
        return true;
    });
    if (!pending.empty() && !heldBackTimer_)
        heldBackTimer_ = SetTimer(nullptr, 0, kLeastIntervalMs, &ShowHeldBack);
}

void CALLBACK ProgressBar::ShowHeldBack(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    heldBackTimer_ = 0;
    RunGuarded([] { ShowPending(); });
}

LRESULT ProgressBar::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    const LRESULT result = Control::HandleMessage(msg, wp, lp);
    // Hidden now: the last position costs no paint, and the window holds it at once.
    if (msg == WM_WINDOWPOSCHANGED &&
        (reinterpret_cast<const WINDOWPOS *>(lp)->flags & SWP_HIDEWINDOW))
        Show();
    return result;
}

void ProgressBar::SetMin(float v) {
    if (v > max_) throw RuntimeError(kInvalidPropertyValue);
    min_ = v;
    if (value_ < min_) value_ = min_;
    Sync();
}

void ProgressBar::SetMax(float v) {
    if (v < min_) throw RuntimeError(kInvalidPropertyValue);
    max_ = v;
    if (value_ > max_) value_ = max_;
    Sync();
}

void ProgressBar::SetValue(float v) {
    if (v < min_ || v > max_) throw RuntimeError(kInvalidPropertyValue);
    value_ = v;
    Sync();
}

// ---- StatusBar ----

StatusBar::StatusBar(Container &parent, std::wstring name, const Design &d)
    : Control(parent, std::move(name)) {
    struct {
        Place place;
        bool visible;
    } window{{0, 0, 0, d.height}, d.visible};
    Create(WindowClass::StatusBar, SBARS_SIZEGRIP | CCS_BOTTOM, 0, d.text, window);
    SendMessageW(hwnd_, SB_SETMINHEIGHT, WPARAM(ToPixelsY(d.height)), 0);
    SendMessageW(hwnd_, WM_SIZE, 0, 0);
    SendMessageW(hwnd_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(d.text.c_str()));
}

// The bar places itself along the bottom when told of a new size.
void StatusBar::ParentResized() {
    SendMessageW(hwnd_, WM_SIZE, 0, 0);
}

std::wstring StatusBar::Text() const {
    wchar_t buf[512] = {};
    SendMessageW(hwnd_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(buf));
    return buf;
}

} // namespace mirolt::platform
