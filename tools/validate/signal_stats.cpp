#include "tools/validate/signal_stats.h"

#include <cmath>
#include <cstdio>

namespace vt::validate {

void SignalStats::add(const float* samples, int count) {
  for (int i = 0; i < count; ++i) {
    const float x = samples[i];
    if (!std::isfinite(x)) {
      if (finite && firstBadFrame < 0) firstBadFrame = frames + i;
      finite = false;
      continue;
    }
    const float magnitude = std::fabs(x);
    if (magnitude > peak) peak = magnitude;
    if (magnitude > kLoudLimit && firstBadFrame < 0) firstBadFrame = frames + i;
    energy += static_cast<double>(x) * x;
  }
  frames += count;
}

void SignalStats::merge(const SignalStats& other) {
  if (firstBadFrame < 0 && other.firstBadFrame >= 0) firstBadFrame = frames + other.firstBadFrame;
  finite = finite && other.finite;
  if (other.peak > peak) peak = other.peak;
  energy += other.energy;
  frames += other.frames;
}

double SignalStats::rms() const { return frames > 0 ? std::sqrt(energy / static_cast<double>(frames)) : 0.0; }

const char* SignalStats::verdict(char* text, int size) const {
  if (!finite)
    std::snprintf(text, static_cast<std::size_t>(size), "non-finite output from sample %lld",
                  static_cast<long long>(firstBadFrame));
  else if (peak > kLoudLimit)
    std::snprintf(text, static_cast<std::size_t>(size), "output peak %.3g above %.0f from sample %lld",
                  static_cast<double>(peak), static_cast<double>(kLoudLimit), static_cast<long long>(firstBadFrame));
  else
    std::snprintf(text, static_cast<std::size_t>(size), "finite, peak %.3f", static_cast<double>(peak));
  return text;
}

}  // namespace vt::validate
