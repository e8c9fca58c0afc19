#include "editor/frequency_axis.h"

namespace vt {

float frequencyAtPosition(float p) {
  if (!(p > 0.0f)) return kAxisLowHz;  // also NaN
  if (p >= 1.0f) return kAxisHighHz;
  if (p <= kAxisKneePosition) return kAxisLowHz + p / kAxisKneePosition * (kAxisKneeHz - kAxisLowHz);
  return kAxisKneeHz + (p - kAxisKneePosition) / (1.0f - kAxisKneePosition) * (kAxisHighHz - kAxisKneeHz);
}

float positionOfFrequency(float hz) {
  if (!(hz > kAxisLowHz)) return 0.0f;
  if (hz >= kAxisHighHz) return 1.0f;
  if (hz <= kAxisKneeHz) return (hz - kAxisLowHz) / (kAxisKneeHz - kAxisLowHz) * kAxisKneePosition;
  return kAxisKneePosition + (hz - kAxisKneeHz) / (kAxisHighHz - kAxisKneeHz) * (1.0f - kAxisKneePosition);
}

}  // namespace vt
