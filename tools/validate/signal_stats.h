// What the validator watches in rendered audio: whether every sample is
// finite, the largest magnitude and the energy.
#pragma once

#include <cstdint>

namespace vt::validate {

// Magnitude no sane instrument reaches in clean playing (+20 dBFS): beyond
// it the output counts as unbounded.
constexpr float kLoudLimit = 10.0f;

struct SignalStats {
  bool finite = true;
  float peak = 0.0f;
  double energy = 0.0;
  std::int64_t frames = 0;
  std::int64_t firstBadFrame = -1;  // first non-finite or too loud sample, -1 for none

  void add(const float* samples, int count);
  void merge(const SignalStats& other);
  bool bounded() const { return finite && peak <= kLoudLimit; }
  double rms() const;
  // "finite, peak 0.42" or what went wrong, for a report line.
  const char* verdict(char* text, int size) const;
};

}  // namespace vt::validate
