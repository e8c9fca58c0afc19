#include "analysis/frame_geometry.h"

#include <algorithm>

namespace vt::analysis {

namespace {
// Partials above this many harmonics, or above this frequency, start no track.
constexpr double kHighestTrackedHarmonic = 65.0;
constexpr double kHighestTrackedFrequency = 16000.0;
}  // namespace

FrameGeometry frameGeometry(double sampleRate, double rootFrequency) {
  FrameGeometry g;
  g.hop = sampleRate < 16000.0 ? 128 : sampleRate < 32000.0 ? 256 : sampleRate < 50000.0 ? 512 : 1024;
  if (rootFrequency < 160.0) g.hop *= 2;
  if (rootFrequency < 80.0) g.hop *= 2;
  if (rootFrequency < 40.0) g.hop *= 2;
  g.size = 2 * g.hop;
  g.framePeriod = sampleRate > 0.0 ? g.hop / sampleRate : 0.0;
  g.maxBin = sampleRate > 0.0
                 ? std::min(kHighestTrackedHarmonic * rootFrequency, kHighestTrackedFrequency) * g.size / sampleRate
                 : 0.0;
  return g;
}

int frameCount(int sampleCount, const FrameGeometry& geometry) {
  if (geometry.hop < 1 || sampleCount < geometry.size) return 0;
  return (sampleCount - geometry.size) / geometry.hop + 1;
}

}  // namespace vt::analysis
