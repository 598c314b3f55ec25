#include "picture_box.h"

#include "message_loop.h"
#include "picture_limits.h"
#include "runtime.h"
#include "vb_constants.h"
#include "vb_error.h"
#include "vb_numeric.h"

#include <windowsx.h>

#include <algorithm>

namespace mirolt::platform {
namespace {

std::vector<PictureBox *> &AllBoxes() {
    static std::vector<PictureBox *> boxes;
    return boxes;
}

// Large surfaces let go of are kept for the next one of the same size: a fresh one costs
// a page fault per 4 KiB on first touch, which for a whole picture is a noticeable pause.
std::shared_ptr<Bitmap32> NewSurface(int width, int height) {
    static std::vector<std::unique_ptr<Bitmap32>> spare;
    constexpr size_t kKeep = 2;
    constexpr int64_t kWorthKeeping = 1 << 20; // pixels
    const auto keepOrDelete = [](Bitmap32 *b) {
        if (spare.size() < kKeep)
            spare.emplace_back(b);
        else
            delete b;
    };
    for (auto it = spare.begin(); it != spare.end(); ++it)
        if ((*it)->Width() == width && (*it)->Height() == height) {
            Bitmap32 *reused = it->release();
            spare.erase(it);
            return std::shared_ptr<Bitmap32>(reused, keepOrDelete);
        }
    auto *fresh = new Bitmap32(width, height);
    if (int64_t{width} * height < kWorthKeeping) return std::shared_ptr<Bitmap32>(fresh);
    return std::shared_ptr<Bitmap32>(fresh, keepOrDelete);
}

} // namespace

// WS_EX_CONTROLPARENT: Tab and the arrow keys go on into the controls the box holds.
PictureBox::PictureBox(Container &parent, std::wstring name, const Design &design)
    : Control(parent, std::move(name)), scale_(design.scale), border_(design.border),
      autoSize_(design.autoSize), backColor_(design.backColor),
      surface_(std::make_shared<Bitmap32>(0, 0)) {
    static const bool repaintsAtEachPump = (AddBeforePump(&PictureBox::InvalidateDrawn), true);
    (void)repaintsAtEachPump;
    // The name doubles as window text so that the box can be found from outside.
    Create(WindowClass::PictureBox, WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
           WS_EX_CONTROLPARENT | (border_ ? WS_EX_CLIENTEDGE : 0), name_, design);
    RECT client;
    GetClientRect(hwnd_, &client);
    ResizeSurface(client.right, client.bottom);
    Cls();
    AllBoxes().push_back(this);
    if (design.oleDropManual) {
        EnableDrop(*this, [this](const DataObject &data) { OLEDragDrop(data); });
        dropTarget_ = true;
    }
}

PictureBox::~PictureBox() {
    if (dropTarget_) DisableDrop(*this);
    auto &boxes = AllBoxes();
    boxes.erase(std::remove(boxes.begin(), boxes.end(), this), boxes.end());
}

void PictureBox::ForwardEvents(Indexed &to, int index) {
    ForwardIndexed(Resize, to.Resize, index);
    ForwardIndexed(MouseDown, to.MouseDown, index);
    ForwardIndexed(MouseUp, to.MouseUp, index);
    ForwardIndexed(DblClick, to.DblClick, index);
    ForwardIndexed(OLEDragDrop, to.OLEDragDrop, index);
}

void PictureBox::UseSurface(std::shared_ptr<Bitmap32> surface) {
    surface_ = std::move(surface);
    bits_ = surface_->Bits();
    surfaceWidth_ = surface_->Width();
    surfaceHeight_ = surface_->Height();
}

void PictureBox::ResizeSurface(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == surfaceWidth_ && height == surfaceHeight_) return;
    if (Adopt(width, height)) return;
    // Width and height are set one after the other, so a box may pass through a size far
    // larger than the pictures before and after (a tall picture replaced by a wide one).
    // Beyond the old image there is only background, so while the size is larger than any
    // picture's the box keeps just the part of its old image that the size covers.
    if (!kPictureLimit.SurfaceFits(width, height)) {
        width = std::min(width, surfaceWidth_);
        height = std::min(height, surfaceHeight_);
        if (width == surfaceWidth_ && height == surfaceHeight_) return;
    }
    // The drawing survives a resize; new area takes the background colour.
    auto next = NewSurface(width, height);
    next->Fill(BgrxFromColor(ResolveColor(backColor_)));
    next->CopyFrom(*surface_);
    UseSurface(std::move(next));
    shared_ = false;
}

bool PictureBox::Adopt(int width, int height) {
    if (!adopting_ || adopting_->Width() != width || adopting_->Height() != height) return false;
    UseSurface(std::move(adopting_));
    adopting_.reset();
    shared_ = true;
    return true;
}

void PictureBox::Own() {
    if (!shared_) return;
    if (surface_.use_count() > 1) {
        auto copy = NewSurface(surfaceWidth_, surfaceHeight_);
        copy->CopyFrom(*surface_);
        UseSurface(std::move(copy));
    }
    shared_ = false;
}

void PictureBox::Cls() {
    if (shared_) { // nothing of the shared image is kept: start a fresh one
        UseSurface(NewSurface(surfaceWidth_, surfaceHeight_));
        shared_ = false;
    }
    surface_->Fill(BgrxFromColor(ResolveColor(backColor_)));
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void PictureBox::SetBackColor(int32_t color) {
    backColor_ = color;
    Cls();
}

void PictureBox::SetPicture(const platform::Picture &picture) {
    picture_ = picture;
    // A picture of exactly the drawing area's size becomes the persistent image without a
    // copy; the box copies it only when it draws into it.
    adopting_ = std::const_pointer_cast<Bitmap32>(picture.Shared());
    if (autoSize_ && !picture.Empty()) {
        RECT frame{0, 0, picture.Width(), picture.Height()};
        AdjustWindowRectEx(&frame, DWORD(GetWindowLongW(hwnd_, GWL_STYLE)), FALSE,
                           DWORD(GetWindowLongW(hwnd_, GWL_EXSTYLE)));
        ApplyRect(rect_.left, rect_.top, frame.right - frame.left, frame.bottom - frame.top);
    }
    // The resize above may have taken the picture over already.
    const bool adopted = picture.Bitmap() && surface_.get() == picture.Bitmap();
    if (!adopted && (!adopting_ || !Adopt(surfaceWidth_, surfaceHeight_))) {
        if (shared_) {
            UseSurface(NewSurface(surfaceWidth_, surfaceHeight_));
            shared_ = false;
        }
        surface_->Fill(BgrxFromColor(ResolveColor(backColor_)));
        if (const Bitmap32 *b = picture.Bitmap()) surface_->CopyFrom(*b);
    }
    adopting_.reset();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

platform::Picture PictureBox::Image() {
    shared_ = true;
    return platform::Picture(surface_);
}

void PictureBox::PaintPicture(const platform::Picture &picture, double x, double y, double width,
                              double height, double srcX, double srcY, double srcWidth,
                              double srcHeight, DWORD rasterOp) {
    const Bitmap32 *src = picture.Bitmap();
    if (!src) throw RuntimeError(kInvalidPicture);
    Own();
    auto px = [this](double v) { return int(RoundHalfEven(v / UnitsPerPixelX())); };
    auto py = [this](double v) { return int(RoundHalfEven(v / UnitsPerPixelY())); };
    StretchBlt(surface_->Dc(), px(x), py(y), px(width), py(height), src->Dc(), px(srcX), py(srcY),
               px(srcWidth), py(srcHeight), rasterOp);
    GdiFlush();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

double PictureBox::ScaleWidth() const {
    return surfaceWidth_ * UnitsPerPixelX();
}
double PictureBox::ScaleHeight() const {
    return surfaceHeight_ * UnitsPerPixelY();
}

void PictureBox::Refresh() {
    dirty_ = false;
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void PictureBox::InvalidateDrawn() {
    for (PictureBox *b : AllBoxes())
        if (b->dirty_) {
            b->dirty_ = false;
            if (b->visible_) InvalidateRect(b->hwnd_, nullptr, FALSE);
        }
}

void PictureBox::MouseEvent(Event<int, int, double, double> &event, int button, LPARAM lp) {
    event(button, ShiftState(), GET_X_LPARAM(lp) * UnitsPerPixelX(),
          GET_Y_LPARAM(lp) * UnitsPerPixelY());
}

LRESULT PictureBox::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (DispatchToControl(msg, wp, lp, result)) return result;
    switch (msg) {
    case WM_ERASEBKGND:
        return 1; // the persistent image covers the whole client area
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        BitBlt(dc, 0, 0, surfaceWidth_, surfaceHeight_, surface_->Dc(), 0, 0, SRCCOPY);
        PaintWindowless(dc);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_SIZE: {
        RECT window;
        GetWindowRect(hwnd_, &window);
        MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT *>(&window), 2);
        rect_ = window;
        // An error raised while code of ours is sizing the box goes back to that code,
        // not through the system's frames.
        try {
            ResizeSurface(LOWORD(lp), HIWORD(lp));
            Resize();
        } catch (...) {
            if (!KeepWindowProcedureError(std::current_exception())) throw;
        }
        return 0;
    }
    case WM_SETCURSOR:
        if (MousePointer() == vbHourglass) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
        MouseEvent(MouseDown, vbLeftButton, lp);
        return 0;
    case WM_RBUTTONDOWN:
        MouseEvent(MouseDown, vbRightButton, lp);
        return 0;
    case WM_MBUTTONDOWN:
        MouseEvent(MouseDown, vbMiddleButton, lp);
        return 0;
    case WM_LBUTTONUP:
        MouseEvent(MouseUp, vbLeftButton, lp);
        return 0;
    case WM_RBUTTONUP:
        MouseEvent(MouseUp, vbRightButton, lp);
        return 0;
    case WM_MBUTTONUP:
        MouseEvent(MouseUp, vbMiddleButton, lp);
        return 0;
    case WM_LBUTTONDBLCLK:
        DblClick();
        return 0;
    default:
        break;
    }
    return CallBaseProc(msg, wp, lp);
}

} // namespace mirolt::platform
