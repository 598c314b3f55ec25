#pragma once
// The picture box: a window showing a persistent image held in a 32-bit DIB section, so
// that Point and PSet are memory accesses and outside code can draw through hDC.
#include "drop.h"
#include "forms.h"
#include "picture.h"

#include "color.h"

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
        if (unsigned(x) < unsigned(surfaceWidth_) && unsigned(y) < unsigned(surfaceHeight_))
            return ColorFromBgrx(bits_[size_t(y) * size_t(surfaceWidth_) + size_t(x)]);
        return -1;
    }
    // Sets one pixel of the persistent image; points outside are ignored.
    void PSet(int x, int y, int32_t color) {
        if (unsigned(x) < unsigned(surfaceWidth_) && unsigned(y) < unsigned(surfaceHeight_)) {
            if (shared_) [[unlikely]]
                Own();
            bits_[size_t(y) * size_t(surfaceWidth_) + size_t(x)] = BgrxFromColor(color);
            dirty_ = true;
        }
    }
    // Clears the persistent image to the background colour.
    void Cls();

    const platform::Picture &GetPicture() const { return picture_; }
    // Replaces the picture: the persistent image becomes the picture on the background,
    // and a box that sizes itself takes the picture's size plus its border.
    void SetPicture(const platform::Picture &picture);
    // A picture of the current persistent image (picture plus drawing). It shares the
    // image until the box draws again, so handing it on costs no copy.
    platform::Picture Image();
    // Device context of the persistent image; outside code may read and draw through it.
    HDC hDC() {
        Own();
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
    // Repaints every box drawn into by PSet since its last paint (run at each pump).
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
    // Makes the persistent image this box's alone before it is drawn into.
    void Own();
    // Takes the picture being set as the persistent image when it is width x height.
    bool Adopt(int width, int height);
    void UseSurface(std::shared_ptr<Bitmap32> surface);
    void MouseEvent(Event<int, int, double, double> &event, int button, LPARAM lp);

    ScaleMode scale_;
    bool border_;
    bool autoSize_;
    int32_t backColor_;
    platform::Picture picture_;
    std::shared_ptr<Bitmap32> surface_;
    bool shared_ = false;                // pictures may refer to surface_: copy before drawing
    std::shared_ptr<Bitmap32> adopting_; // a picture being set, taken over at its size
    uint32_t *bits_ = nullptr;
    int surfaceWidth_ = 0;
    int surfaceHeight_ = 0;
    bool dirty_ = false;
    bool dropTarget_ = false;
};

} // namespace mirolt::platform
