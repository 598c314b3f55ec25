#pragma once
// The named values of the forms runtime that the windows use instead of bare numbers.

namespace mirolt {

// Screen.MousePointer.
enum MousePointerValue : int { vbDefault = 0, vbArrow = 1, vbHourglass = 11 };

// CheckBox.Value.
enum CheckValue : int { vbUnchecked = 0, vbChecked = 1, vbGrayed = 2 };

// The Shift argument of key and mouse events (added together).
enum ShiftMask : int { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };

// Mouse buttons of mouse events.
enum MouseButton : int { vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4 };

// Character and key codes the windows test for.
enum KeyCode : int {
    vbKeyBack = 8,
    vbKeyTab = 9,
    vbKeyReturn = 13,
    vbKeyEscape = 27,
    vbKeyUp = 38,
    vbKeyDown = 40,
};

} // namespace mirolt
