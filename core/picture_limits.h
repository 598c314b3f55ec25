#pragma once
// The largest picture the program takes, chosen per architecture from the memory that its
// copies of one picture need.
#include <algorithm>
#include <cstdint>

namespace mirolt {

struct PictureLimit {
    int32_t maxSide;
    int64_t maxPixels;

    bool Fits(int64_t width, int64_t height) const {
        return width > 0 && height > 0 && width <= maxSide && height <= maxSide &&
               width * height <= maxPixels;
    }
    // A picture box's image is larger than its picture by the box's border on each side
    // (the working pictures take the outer size of the view); this frame is wider than
    // any border.
    static constexpr int32_t kFrame = 8;
    bool SurfaceFits(int64_t width, int64_t height) const {
        return width >= 0 && height >= 0 &&
               Fits(std::max<int64_t>(width - 2 * kFrame, 1),
                    std::max<int64_t>(height - 2 * kFrame, 1));
    }
};

// A window, so a picture box, is at most 32767 pixels a side.
inline constexpr int32_t kMaxWindowSide = 32767;
// The views show the picture inside their fixed single border, this many pixels a side, and
// the working pictures take the views' outer size: a larger picture would be cut.
inline constexpr int32_t kViewBorder = 2;
inline constexpr int32_t kMaxPictureSide = kMaxWindowSide - 2 * kViewBorder;

// What the program keeps of one picture: the loaded picture and the three working images
// sized to it (source, result and the result's view), 4 bytes a pixel each.
inline constexpr int64_t kKeptBytesPerPixel = 4 * 4;
// What loading adds for a moment: the decoder's own copy of the picture (3 to 4 bytes a
// pixel) and, for a progressive JPEG, its coefficients.
inline constexpr int64_t kLoadingBytesPerPixel = 8;

// 32-bit: 2 GiB of address space, of which the program, the system's libraries, the heaps
// and the gaps between them take up to 512 MiB.
inline constexpr int64_t kAddressSpace32 = int64_t{2} << 30;
inline constexpr int64_t kReserved32 = int64_t{512} << 20;

constexpr PictureLimit PictureLimitFor(int pointerBytes) {
    if (pointerBytes >= 8) return {kMaxPictureSide, 100'000'000};
    return {kMaxPictureSide,
            (kAddressSpace32 - kReserved32) / (kKeptBytesPerPixel + kLoadingBytesPerPixel)};
}

// The limit of this build.
inline constexpr PictureLimit kPictureLimit = PictureLimitFor(int(sizeof(void *)));

} // namespace mirolt
