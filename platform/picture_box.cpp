#include "picture_box.h"

#include "message_loop.h"
#include "picture_limits.h"
#include "runtime.h"
#include "surface_pool.h"
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
    heldWidth_ = surfaceWidth_;
    heldHeight_ = surfaceHeight_;
}

void PictureBox::Ready(int rows) {
    surfaces::Ready(*surface_, rows);
}

void PictureBox::ResizeSurface(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_) return;
    const bool blank = heldWidth_ == 0 || heldHeight_ == 0;
    width_ = width;
    height_ = height;
    if (Adopt()) return;
    // The drawing survives a resize and new area takes the background colour: a surface that
    // still fits stays as it is.
    const bool fits = surfaceWidth_ <= width && surfaceHeight_ <= height;
    if (blank) {
        if (!fits) {
            UseSurface(std::make_shared<Bitmap32>(0, 0));
            shared_ = false;
        }
        // Likely to be drawn at its new size, unless that is larger than any picture.
        if (kPictureLimit.SurfaceFits(width, height)) surfaces::Expect(width, height);
        return;
    }
    if (fits) return;
    // Shrunk below its surface: the part that still fits is kept.
    const int held = std::min(heldWidth_, width), rows = std::min(heldHeight_, height);
    auto next = surfaces::Take(std::min(surfaceWidth_, width), std::min(surfaceHeight_, height));
    surfaces::Ready(*next, rows);
    for (int y = 0; y < rows; ++y)
        std::copy_n(bits_ + size_t(y) * surfaceWidth_, held,
                    next->Bits() + size_t(y) * next->Width());
    UseSurface(std::move(next));
    heldWidth_ = held;
    heldHeight_ = rows;
    shared_ = false;
}

bool PictureBox::Adopt() {
    if (!adopting_ || adopting_->Width() > width_ || adopting_->Height() > height_) return false;
    UseSurface(std::move(adopting_));
    adopting_.reset();
    shared_ = true;
    return true;
}

void PictureBox::FillBackground(int left, int top, int right, int bottom) {
    right = std::min(right, surfaceWidth_);
    bottom = std::min(bottom, surfaceHeight_);
    if (left >= right) return;
    for (int y = std::max(top, 0); y < bottom; ++y)
        std::fill(bits_ + size_t(y) * surfaceWidth_ + left,
                  bits_ + size_t(y) * surfaceWidth_ + right, background_);
}

void PictureBox::Reshape() {
    const bool whole = surfaceWidth_ == width_ && surfaceHeight_ == height_;
    if (whole && !(shared_ && surface_.use_count() > 1)) {
        shared_ = false;
        return;
    }
    const int held = heldWidth_, rows = heldHeight_;
    auto next = surfaces::Take(width_, height_);
    surfaces::Ready(*next, rows);
    for (int y = 0; y < rows; ++y)
        std::copy_n(bits_ + size_t(y) * surfaceWidth_, held, next->Bits() + size_t(y) * width_);
    UseSurface(std::move(next));
    shared_ = false;
    heldWidth_ = held;
    heldHeight_ = rows;
}

void PictureBox::MakeWhole() {
    Reshape();
    Ready(height_);
    FillBackground(heldWidth_, 0, width_, heldHeight_);
    FillBackground(0, heldHeight_, width_, height_);
    heldWidth_ = width_;
    heldHeight_ = height_;
}

uint32_t *PictureBox::GrowRows(int rows) {
    rows = std::clamp(rows, 0, height_);
    Reshape();
    if (heldWidth_ < width_) { // the rows held so far are widened first
        FillBackground(heldWidth_, 0, width_, heldHeight_);
        heldWidth_ = width_;
    }
    if (rows > heldHeight_) {
        Ready(rows);
        FillBackground(0, heldHeight_, width_, rows);
        heldHeight_ = rows;
    }
    return bits_;
}

uint32_t *PictureBox::ColumnsForDrawing(int x0, int x1, int rows) {
    Reshape();
    Ready(height_);
    if (heldHeight_ < height_) { // the columns held so far are lengthened first
        FillBackground(0, heldHeight_, heldWidth_, height_);
        heldHeight_ = height_;
    }
    if (x1 > heldWidth_) {
        FillBackground(heldWidth_, 0, x0, height_);                  // columns skipped
        FillBackground(std::max(x0, heldWidth_), rows, x1, height_); // below the caller's rows
        heldWidth_ = x1;
    }
    return bits_;
}

int32_t PictureBox::PointBeyondHeld(int x, int y) const {
    if (unsigned(x) < unsigned(width_) && unsigned(y) < unsigned(height_))
        return ColorFromBgrx(background_);
    return -1;
}

void PictureBox::PSetBeyondHeld(int x, int y, int32_t color) {
    if (unsigned(x) >= unsigned(width_) || unsigned(y) >= unsigned(height_)) return;
    MakeWhole();
    bits_[size_t(y) * size_t(surfaceWidth_) + size_t(x)] = BgrxFromColor(color);
    NoteDrawn(x, y, x + 1, y + 1);
}

void PictureBox::Cls() {
    // Nothing of the image is kept. The background is filled in only where the box is drawn
    // into or its image handed on; a shared surface is simply let go of.
    background_ = BgrxFromColor(ResolveColor(backColor_));
    if (shared_) {
        UseSurface(std::make_shared<Bitmap32>(0, 0));
        shared_ = false;
    }
    heldWidth_ = heldHeight_ = 0;
    Invalidate();
}

void PictureBox::SetBackColor(int32_t color) {
    backColor_ = color;
    Cls();
}

void PictureBox::SetPicture(const platform::Picture &picture) {
    picture_ = picture;
    // A picture that fits the drawing area becomes the persistent image without a copy; the
    // box copies it only when it draws into it.
    adopting_ = std::const_pointer_cast<Bitmap32>(picture.Shared());
    if (autoSize_ && !picture.Empty()) {
        RECT frame{0, 0, picture.Width(), picture.Height()};
        AdjustWindowRectEx(&frame, DWORD(GetWindowLongW(hwnd_, GWL_STYLE)), FALSE,
                           DWORD(GetWindowLongW(hwnd_, GWL_EXSTYLE)));
        ApplyRect(rect_.left, rect_.top, frame.right - frame.left, frame.bottom - frame.top);
    }
    background_ = BgrxFromColor(ResolveColor(backColor_));
    // Taken over already when the box sized itself to it.
    if (surface_ != picture.Shared() && !Adopt()) {
        adopting_.reset();
        Cls(); // the empty picture; or one larger than the box, of which what fits is copied
        if (const Bitmap32 *b = picture.Bitmap()) {
            MakeWhole();
            surface_->CopyFrom(*b);
        }
    }
    Invalidate();
}

platform::Picture PictureBox::Image() {
    // Handed on whole: a picture has every pixel of the drawing area.
    if (heldWidth_ < width_ || heldHeight_ < height_) MakeWhole();
    shared_ = true;
    // The box will likely draw again, into a surface of its own.
    surfaces::Expect(surfaceWidth_, surfaceHeight_);
    return platform::Picture(surface_);
}

void PictureBox::PaintPicture(const platform::Picture &picture, double x, double y, double width,
                              double height, double srcX, double srcY, double srcWidth,
                              double srcHeight, DWORD rasterOp) {
    const Bitmap32 *src = picture.Bitmap();
    if (!src) throw RuntimeError(kInvalidPicture);
    MakeWhole();
    auto px = [this](double v) { return int(RoundHalfEven(v / UnitsPerPixelX())); };
    auto py = [this](double v) { return int(RoundHalfEven(v / UnitsPerPixelY())); };
    StretchBlt(surface_->Dc(), px(x), py(y), px(width), py(height), src->Dc(), px(srcX), py(srcY),
               px(srcWidth), py(srcHeight), rasterOp);
    GdiFlush();
    Invalidate();
}

double PictureBox::ScaleWidth() const {
    return width_ * UnitsPerPixelX();
}
double PictureBox::ScaleHeight() const {
    return height_ * UnitsPerPixelY();
}

void PictureBox::Refresh() {
    drawn_ = kNothingDrawn;
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void PictureBox::InvalidateDrawn() {
    for (PictureBox *b : AllBoxes())
        if (b->drawn_.left < b->drawn_.right) {
            const RECT drawn = b->drawn_;
            b->drawn_ = kNothingDrawn;
            if (b->visible_) InvalidateRect(b->hwnd_, &drawn, FALSE);
        }
}

// A hidden box is painted whole when it is shown; until then it needs no server round trip.
void PictureBox::Invalidate() {
    if (visible_) InvalidateRect(hwnd_, nullptr, FALSE);
}

// Only what needs it: a box may be far larger than the part that changed or shows.
void PictureBox::PaintImage(HDC dc, const RECT &r) {
    const RECT held{0, 0, heldWidth_, heldHeight_};
    RECT part;
    if (IntersectRect(&part, &r, &held))
        BitBlt(dc, part.left, part.top, part.right - part.left, part.bottom - part.top,
               surface_->Dc(), part.left, part.top, SRCCOPY);
    const RECT beyond[] = {
        {std::max(r.left, held.right), r.top, r.right, r.bottom},
        {r.left, std::max(r.top, held.bottom), std::min(r.right, held.right), r.bottom}};
    for (const RECT &b : beyond)
        if (b.left < b.right && b.top < b.bottom) {
            unique_hbrush brush(CreateSolidBrush(COLORREF(ColorFromBgrx(background_))));
            FillRect(dc, &b, brush.get());
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
        PaintImage(dc, ps.rcPaint);
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
