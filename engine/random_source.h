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
    state = state * kMultiplier + kIncrement;
    ++draws;
    return output(state);
  }

  // The next 'count' numbers, exactly as 'count' calls of next() would give them, worked
  // out in four interleaved chains (each jumping four steps at a time) so that the steps
  // do not wait for one another.
  void fill(int* out, int count) {
    if (count <= 0) return;
    const int head = count < kLanes ? count : kLanes;
    const int body = head + (count - head) / kLanes * kLanes;
    std::uint32_t lanes[kLanes] = {};
    for (int i = 0; i < head; ++i) {
      state = state * kMultiplier + kIncrement;
      lanes[i] = state;
      out[i] = output(state);
    }
    for (int i = head; i < body; i += kLanes) {
      for (int lane = 0; lane < kLanes; ++lane) {
        lanes[lane] = lanes[lane] * kJumpMultiplier + kJumpIncrement;
        out[i + lane] = output(lanes[lane]);
      }
    }
    if (body > head) state = lanes[kLanes - 1];  // a full round ends on the last chain
    for (int i = body; i < count; ++i) {
      state = state * kMultiplier + kIncrement;
      out[i] = output(state);
    }
    draws += static_cast<std::uint64_t>(count);
  }

private:
  static constexpr std::uint32_t kMultiplier = 214013u;
  static constexpr std::uint32_t kIncrement = 2531011u;
  static constexpr int kLanes = 4;
  // Four steps at once: s' = a^4 s + c (a^3 + a^2 + a + 1), modulo 2^32.
  static constexpr std::uint32_t kJumpMultiplier = kMultiplier * kMultiplier * kMultiplier * kMultiplier;
  static constexpr std::uint32_t kJumpIncrement =
      kIncrement * (kMultiplier * kMultiplier * kMultiplier + kMultiplier * kMultiplier + kMultiplier + 1u);

  static int output(std::uint32_t s) { return static_cast<int>((s >> 16) & 0x7fffu); }

  std::uint32_t state = kDefaultSeed;
  std::uint64_t draws = 0;
};

}  // namespace vt
