#include "vb_random.h"

#include <cstring>

namespace mirolt {

void ClassicRandom::Reseed(double number) {
    uint64_t bits;
    std::memcpy(&bits, &number, sizeof bits);
    const uint32_t high = uint32_t(bits >> 32);
    seed_ = (seed_ & 0xFF0000FFu) | (((high ^ (high >> 16)) & 0xFFFFu) << 8);
}

} // namespace mirolt
