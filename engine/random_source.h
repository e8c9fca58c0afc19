// A small seedable pseudo-random generator. The engine owns one for the noise
// phases so that a render is reproducible from its seed; it never allocates and
// can be used on the audio thread.
#pragma once

#include <cstdint>

namespace vt {

class RandomSource {
public:
  static constexpr int kMax = 32767;  // next() returns 0..kMax
  static constexpr unsigned kDefaultSeed = 1;

  explicit RandomSource(unsigned seedValue = kDefaultSeed) { seed(seedValue); }

  void seed(unsigned seedValue) {
    state = seedValue;
    draws = 0;
  }

  // Numbers drawn since construction or the last seed.
  std::uint64_t drawCount() const { return draws; }

  // Linear congruential step; the result is taken from the high bits of the state,
  // which are the well-distributed ones.
  int next() {
    state = state * 214013u + 2531011u;
    ++draws;
    return static_cast<int>((state >> 16) & 0x7fffu);
  }

private:
  std::uint32_t state = kDefaultSeed;
  std::uint64_t draws = 0;
};

}  // namespace vt
