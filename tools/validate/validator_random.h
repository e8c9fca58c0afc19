// The validator's random source: a seeded Mersenne Twister with its own
// mapping to ranges, so the same seed makes the same choices on every
// platform and standard library.
#pragma once

#include <cstdint>
#include <random>

namespace vt::validate {

class ValidatorRandom {
public:
  explicit ValidatorRandom(std::uint32_t seed) : engine(seed) {}

  // Seeds that differ for every scenario and round of one run.
  static std::uint32_t derive(std::uint32_t seed, std::uint32_t scenario, std::uint32_t round) {
    std::uint64_t x = (static_cast<std::uint64_t>(seed) << 32) ^ (static_cast<std::uint64_t>(scenario) << 20) ^ round;
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdull;
    x ^= x >> 33;
    return static_cast<std::uint32_t>(x);
  }

  // Uniform in [0, 1).
  double uniform() { return static_cast<double>(engine()) / 4294967296.0; }
  double uniform(double low, double high) { return low + (high - low) * uniform(); }
  // Uniform integer in [0, count); 0 when count <= 0.
  int below(int count) {
    if (count <= 0) return 0;
    return static_cast<int>(uniform() * static_cast<double>(count));
  }
  int between(int low, int high) { return low + below(high - low + 1); }
  bool chance(double probability) { return uniform() < probability; }

private:
  std::mt19937 engine;
};

}  // namespace vt::validate
