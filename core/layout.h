#pragma once
// Scroll arithmetic of the main window's two panes.
#include <cstdint>
#include <optional>

namespace mirolt {

// Pixels one scroll-bar step moves a view.
inline constexpr int kScrollStep = 50;

// Maximum of the bar that scrolls a view of outer size `view` inside a pane of outer
// size `pane`; no bar when the view is not strictly larger. (diff / 50 + 1, rounded
// halves to even into a 16-bit integer.)
std::optional<int16_t> ScrollBarMax(double view, double pane);

// The view offset for a bar value: -50 x value as a 16-bit integer (overflow raises 6).
int16_t ScrollOffset(int16_t value);

} // namespace mirolt
