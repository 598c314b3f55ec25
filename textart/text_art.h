#pragma once
// The brightness classes of the text art: eleven characters, darkest first.
#include <array>
#include <cstdint>

namespace mirolt::textart {

// The index of the character for a brightness sum (red + green + blue, 0 to 765): each upper
// bound is inclusive, and only pure white reaches 10. Looked up once per cell, so a table.
inline constexpr std::array<uint8_t, 766> kTextArtIndex = [] {
    constexpr int32_t kUpper[10] = {76, 153, 229, 306, 382, 459, 536, 612, 688, 764};
    std::array<uint8_t, 766> table{};
    for (int32_t sum = 0; sum <= 765; ++sum) {
        uint8_t index = 0;
        while (index < 10 && sum > kUpper[index])
            ++index;
        table[size_t(sum)] = index;
    }
    return table;
}();

inline int TextArtIndex(int32_t sum) {
    return kTextArtIndex[size_t(sum)];
}

} // namespace mirolt::textart
