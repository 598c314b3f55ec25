#include "layout.h"

#include "vb_numeric.h"

namespace mirolt {

std::optional<int16_t> ScrollBarMax(double view, double pane) {
    if (!(view > pane)) return std::nullopt;
    // Single precision, as the classic runtime computes it.
    const float steps = static_cast<float>(view - pane) / static_cast<float>(kScrollStep) + 1.0f;
    return CInt(steps);
}

int16_t ScrollOffset(int16_t value) {
    return MulInt(static_cast<int16_t>(-kScrollStep), value);
}

} // namespace mirolt
