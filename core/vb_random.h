#pragma once
// The classic 24-bit generator behind Rnd and Randomize.
#include <cstdint>

namespace mirolt {

class ClassicRandom {
  public:
    // Rnd: the next number in [0, 1).
    float Next() {
        seed_ = (seed_ * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu;
        return float(seed_) / 16777216.0f;
    }
    // Randomize number: mixes the number's bits into the middle of the seed.
    void Reseed(double number);

  private:
    uint32_t seed_ = 0x50000;
};

} // namespace mirolt
