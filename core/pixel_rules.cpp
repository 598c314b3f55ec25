#include "pixel_rules.h"

#include "vb_numeric.h"

namespace mirolt {

int PreviewLevel(int v) {
    return static_cast<int>(RoundHalfEven((v + 255) / 2.0));
}

int32_t PreviewColor(int red, int green, int blue) {
    return Rgb(PreviewLevel(red), PreviewLevel(green), PreviewLevel(blue));
}

} // namespace mirolt
