#pragma once
// The picture box: a window showing a persistent image held in a 32-bit DIB section, so
// that Point and PSet are memory accesses and outside code can draw through hDC.
#include "drop.h"
#include "forms.h"
#include "picture.h"

#include "color.h"

#include <algorithm>
#include <climits>

namespace mirolt::platform {

class PictureBox : public Control, public Container {
  public:
    struct Design {
        Place place;
        bool border = false;   // fixed single
        bool autoSize = false; // sizes itself to its picture
        ScaleMode scale = ScaleMode::Pixels;
        int32_t backColor = SystemColor(COLOR_BTNFACE);
        bool oleDropManual = false; // files dropped from other programs raise OLEDragDrop
        bool visible = true;
        int tabIndex = -1;
    };
    PictureBox(Container &parent, std::wstring name, const Design &design);
    ~PictureBox() override;

    HWND Hwnd() const override { return Control::Hwnd(); }
    ScaleMode Scale() const override { return scale_; }
    Form &OwnerForm() override { return parent_.OwnerForm(); }

    // Colour of a pixel of the persistent image, or -1 outside the drawing area.
    int32_t Point(int x, int y) const {
        if (unsigned(x) < unsigned(heldWidth_) && unsigned(y) < unsigned(heldHeight_))
            return ColorFromBgrx(bits_[size_t(y) * size_t(surfaceWidth_) + size_t(x)]);
        return PointBeyondHeld(x, y);
    }
    // Sets one pixel of the persistent image; points outside are ignored.
    void PSet(int x, int y, int32_t color) {
        if (unsigned(x) < unsigned(heldWidth_) && unsigned(y) < unsigned(heldHeight_) && !shared_)
            [[likely]] {
            bits_[size_t(y) * size_t(surfaceWidth_) + size_t(x)] = BgrxFromColor(color);
            NoteDrawn(x, y, x + 1, y + 1);
        } else {
            PSetBeyondHeld(x, y, color);
        }
    }
    // Clears the persistent image to the background colour.
    void Cls();

    // The persistent image as rows of pixels, for loops over many of them. It is
    // PixelWidth() x PixelHeight() pixels; columns [0, HeldWidth()) of rows [0, HeldHeight())
    // are held at Pixels() as 32-bit B, G, R, X values, row y starting y * PixelStride()
    // pixels in, and the rest is the background colour. The pointer holds until the box is
    // resized, cleared, drawn into or given a picture, so a loop takes it anew after every
    // yield that may have pumped the queue.
    int PixelWidth() const { return width_; }
    int PixelHeight() const { return height_; }
    int HeldWidth() const { return heldWidth_; }
    int HeldHeight() const { return heldHeight_; }
    size_t PixelStride() const { return size_t(surfaceWidth_); }
    const uint32_t *Pixels() const { return bits_; }
    // For drawing whole columns: the caller writes every pixel of columns [x0, x1), rows
    // [0, rows) through the returned pixels (PixelStride() as it is after this call) before
    // anything else can look, and tells the box with MarkDrawn; the rest of those columns
    // becomes background. Needs 0 <= x0 <= x1 <= PixelWidth(), 0 <= rows <= PixelHeight().
    uint32_t *ColumnsForDrawing(int x0, int x1, int rows);
    // For drawing anywhere in the top rows: rows [0, rows) are held whole, the background
    // filled in where nothing was drawn yet, and the caller may write them through the
    // returned pixels (PixelStride() as it is after this call); tell the box with MarkDrawn.
    // Rows below cost nothing yet. Needs 0 <= rows <= PixelHeight().
    uint32_t *RowsForDrawing(int rows) {
        if (rows <= heldHeight_ && heldWidth_ == width_ && !shared_) [[likely]]
            return bits_;
        return GrowRows(rows);
    }
    // For drawing anywhere: every pixel is held first, the background filled in.
    uint32_t *PixelsForDrawing() {
        MakeWhole();
        return bits_;
    }
    // Pixels [left, right) x [top, bottom) were written through ColumnsForDrawing or
    // PixelsForDrawing: the next pump repaints them.
    void MarkDrawn(int left, int top, int right, int bottom) {
        NoteDrawn(left, top, right, bottom);
    }

    const platform::Picture &GetPicture() const { return picture_; }
    // Replaces the picture: the persistent image becomes the picture on the background,
    // and a box that sizes itself takes the picture's size plus its border.
    void SetPicture(const platform::Picture &picture);
    // A picture of the current persistent image (picture plus drawing). It shares the
    // image until the box draws again, so handing it on costs no copy.
    platform::Picture Image();
    // Device context of the persistent image; outside code may read and draw through it.
    HDC hDC() {
        MakeWhole();
        return surface_->Dc();
    }

    // Draws (part of) a picture into the persistent image with a raster-operation code.
    void PaintPicture(const platform::Picture &picture, double x, double y, double width,
                      double height, double srcX, double srcY, double srcWidth, double srcHeight,
                      DWORD rasterOp = SRCCOPY);

    // Inner drawing area in the box's own units.
    double ScaleWidth() const;
    double ScaleHeight() const;

    int32_t BackColor() const { return backColor_; }
    void SetBackColor(int32_t color);
    bool AutoSize() const { return autoSize_; }
    bool HasBorder() const { return border_; }

    // Repaints the box now with its persistent image.
    void Refresh();
    // Repaints what PSet or MarkDrawn changed in each box since its last paint (run at
    // each pump): only that rectangle, so a long operation's pumps stay cheap.
    static void InvalidateDrawn();

    Event<> Resize;
    Event<int, int, double, double> MouseDown; // button, shift, x, y in the box's units
    Event<int, int, double, double> MouseUp;
    Event<> DblClick;
    Event<const DataObject &> OLEDragDrop;

    struct Indexed {
        Event<int> Resize;
        Event<int, int, int, double, double> MouseDown;
        Event<int, int, int, double, double> MouseUp;
        Event<int> DblClick;
        Event<int, const DataObject &> OLEDragDrop;
    };
    void ForwardEvents(Indexed &to, int index);

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    void ResizeSurface(int width, int height);
    // Makes the surface this box's alone and as large as the drawing area, before it is
    // drawn into; the held part stays as it is.
    void Reshape();
    // Reshape, and every pixel held: before drawing anywhere, or handing the image on.
    void MakeWhole();
    uint32_t *GrowRows(int rows);
    // Rows [0, rows) of the surface may be written: their memory is in.
    void Ready(int rows);
    void FillBackground(int left, int top, int right, int bottom);
    int32_t PointBeyondHeld(int x, int y) const;
    void PSetBeyondHeld(int x, int y, int32_t color);
    void PaintImage(HDC dc, const RECT &r);
    void Invalidate();
    // Takes the picture being set as the persistent image when it fits the drawing area.
    bool Adopt();
    void UseSurface(std::shared_ptr<Bitmap32> surface);
    void NoteDrawn(int left, int top, int right, int bottom) {
        drawn_.left = std::min<LONG>(drawn_.left, left);
        drawn_.top = std::min<LONG>(drawn_.top, top);
        drawn_.right = std::max<LONG>(drawn_.right, right);
        drawn_.bottom = std::max<LONG>(drawn_.bottom, bottom);
    }
    void MouseEvent(Event<int, int, double, double> &event, int button, LPARAM lp);

    ScaleMode scale_;
    bool border_;
    bool autoSize_;
    int32_t backColor_;
    platform::Picture picture_;
    // The persistent image is width_ x height_ pixels, the drawing area. Its first heldWidth_
    // columns of the first heldHeight_ rows are held in surface_, which is never larger than
    // the area; the rest is background_, filled in only when drawn into or handed on. So
    // clearing, a picture smaller than the box and a box grown past its picture cost no
    // pixel work, and the background beyond what is held no memory yet.
    int width_ = 0;
    int height_ = 0;
    std::shared_ptr<Bitmap32> surface_;
    bool shared_ = false;                // pictures may refer to surface_: copy before drawing
    std::shared_ptr<Bitmap32> adopting_; // a picture being set, taken over if it fits
    uint32_t *bits_ = nullptr;
    int surfaceWidth_ = 0;
    int surfaceHeight_ = 0;
    bool dropTarget_ = false;
    int heldWidth_ = 0;
    int heldHeight_ = 0;
    uint32_t background_ = 0; // the background colour as a pixel, taken when last cleared
    // Drawn since the last paint, in pixels; empty when left >= right.
    static constexpr RECT kNothingDrawn{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    RECT drawn_ = kNothingDrawn;
};

} // namespace mirolt::platform
