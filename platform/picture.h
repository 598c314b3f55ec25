#pragma once
// Picture objects: immutable 32-bit bitmaps shared by reference, as the picture boxes'
// Picture and Image properties hand them around.
#include "handles.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace mirolt::platform {

// A 32-bit top-down DIB section kept selected into its own memory DC, so that its
// pixels are plain memory and outside code can draw through the DC.
class Bitmap32 {
  public:
    // Contents undefined. Raises 7 when larger than the largest picture with a picture
    // box's border around it (kPictureLimit), or when the memory is not there.
    Bitmap32(int width, int height);
    Bitmap32(const Bitmap32 &) = delete;
    Bitmap32 &operator=(const Bitmap32 &) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    uint32_t *Bits() { return bits_; }
    const uint32_t *Bits() const { return bits_; }
    HDC Dc() const { return dc_.get(); }
    HBITMAP Handle() const { return bitmap_.get(); }

    void Fill(uint32_t bgrx);
    // Copies the overlapping top-left part of `src` into this bitmap at (0, 0).
    void CopyFrom(const Bitmap32 &src);

  private:
    int width_;
    int height_;
    unique_hdc dc_;
    unique_hbitmap bitmap_;
    std::optional<ScopedSelectObject> selected_; // let go of before the bitmap and the DC
    uint32_t *bits_ = nullptr;
};

// StdPicture: empty, or a shared immutable bitmap.
class Picture {
  public:
    Picture() = default;
    explicit Picture(std::shared_ptr<const Bitmap32> bitmap) : bitmap_(std::move(bitmap)) {}

    // The bitmap handle; 0 for the empty picture.
    intptr_t Handle() const { return bitmap_ ? reinterpret_cast<intptr_t>(bitmap_->Handle()) : 0; }
    bool Empty() const { return !bitmap_; }
    int Width() const { return bitmap_ ? bitmap_->Width() : 0; }
    int Height() const { return bitmap_ ? bitmap_->Height() : 0; }
    const Bitmap32 *Bitmap() const { return bitmap_.get(); }
    const std::shared_ptr<const Bitmap32> &Shared() const { return bitmap_; }

  private:
    std::shared_ptr<const Bitmap32> bitmap_;
};

// A BMP or JPEG file as a picture; the empty path gives the empty picture. A missing
// file raises 53, a file that is not a readable picture 481, a picture larger than
// kPictureLimit 7. The size is read from the file's own header and checked before any
// decoder is given the file. Loading yields to the event loop as it goes.
Picture LoadPicture(const std::wstring &path = {});

// Writes the picture as a BMP file. The old file is replaced only once the new one is
// complete, so a failed write leaves no partial file and loses nothing. Raises 75 on failure.
void SavePicture(const Picture &picture, const std::wstring &path);

// A picture of a GDI bitmap (any format), copied; the empty picture when `bitmap` is null.
// Raises 7 for a bitmap larger than kPictureLimit.
Picture PictureFromHBitmap(HBITMAP bitmap);

} // namespace mirolt::platform
