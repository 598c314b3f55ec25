#pragma once
// The classic keystroke-string syntax. A character stands for itself; + ^ % hold Shift, Ctrl
// and Alt for the next key or for the keys of a group in parentheses; ~ is Enter; braces name
// a key or quote one character, with an optional repeat count: {Enter}, {tab}, {Down 8},
// {{}, {+}, {x 3}. A line feed, a CR LF pair or a lone CR is one Enter, a tab character Tab.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mirolt {

// clang-format off
enum class Key : uint8_t {
    Backspace, Break, CapsLock, Delete, Down, End, Enter, Escape, Help, Home,
    Insert, Left, NumLock, PageDown, PageUp, PrintScreen, Right, ScrollLock, Tab, Up,
    F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12, F13, F14, F15, F16,
    Add, Subtract, Multiply, Divide,
    Shift, Control, Alt,
};
// clang-format on

struct Keystroke {
    enum class Kind : uint8_t {
        Character, // `character` typed `count` times
        Press,     // `key` pressed and released `count` times
        Hold,      // modifier `key` goes down
        Release,   // modifier `key` comes up
    };
    Kind kind = Kind::Character;
    Key key = Key::Enter;
    wchar_t character = 0;
    int32_t count = 1;
};

// The keystrokes of a string; a string that breaks the syntax (an unknown key name, an
// unbalanced brace or parenthesis, a bare bracket, a modifier with nothing to apply to)
// raises invalid procedure call (5).
std::vector<Keystroke> ParseKeys(std::wstring_view text);

// `text` with every key-code character (+ ^ % ~ ( ) { } [ ]) quoted in braces, so that it
// arrives as typed.
std::wstring EscapeKeys(std::wstring_view text);

} // namespace mirolt
