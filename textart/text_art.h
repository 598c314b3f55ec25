#pragma once
// The brightness classes of the text art: eleven characters, darkest first.
#include <cstdint>

namespace mirolt::textart {

// The index of the character for a brightness sum (red + green + blue, 0 to 765): each upper
// bound is inclusive, and only pure white reaches 10.
inline int TextArtIndex(int32_t sum) {
    constexpr int32_t kUpper[10] = {76, 153, 229, 306, 382, 459, 536, 612, 688, 764};
    int index = 0;
    while (index < 10 && sum > kUpper[index])
        ++index;
    return index;
}

} // namespace mirolt::textart
