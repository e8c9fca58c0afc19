// A click detector and an activity check for rendered sound. A click is a
// sample-to-sample step far larger than the same sound's own steps while it
// plays steadily: steps are compared with the largest step of a reference
// stretch of that sound, so the verdict holds for any level and pitch.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

namespace vt::test {

// Largest |x[i] - x[i - 1]| for i in [from + 1, to) (limited to the buffer).
inline float largestStep(const std::vector<float>& x, std::size_t from, std::size_t to) {
  if (to > x.size()) to = x.size();
  float largest = 0.0f;
  for (std::size_t i = from + 1; i < to; ++i) {
    const float step = std::fabs(x[i] - x[i - 1]);
    if (step > largest) largest = step;
  }
  return largest;
}

// Largest step in [from, to) as a multiple of the largest step of the steady
// reference stretch [refFrom, refTo); a sound without steps in the reference
// gives a huge ratio for any step.
inline double clickRatio(const std::vector<float>& x, std::size_t from, std::size_t to, std::size_t refFrom,
                         std::size_t refTo) {
  const double reference = largestStep(x, refFrom, refTo);
  const double step = largestStep(x, from, to);
  if (reference <= 0.0) return step > 0.0 ? 1e30 : 0.0;
  return step / reference;
}

// Largest |x[i] - 2 x[i - 1] + x[i - 2]| for i in [from + 2, to) (limited to the buffer).
inline float largestBend(const std::vector<float>& x, std::size_t from, std::size_t to) {
  if (to > x.size()) to = x.size();
  float largest = 0.0f;
  for (std::size_t i = from + 2; i < to; ++i) {
    const float bend = std::fabs(x[i] - 2.0f * x[i - 1] + x[i - 2]);
    if (bend > largest) largest = bend;
  }
  return largest;
}

// As clickRatio with second differences, which a smooth low tone keeps tiny:
// a small step stands out there where the tone's own slope would hide it.
inline double bendRatio(const std::vector<float>& x, std::size_t from, std::size_t to, std::size_t refFrom,
                        std::size_t refTo) {
  const double reference = largestBend(x, refFrom, refTo);
  const double bend = largestBend(x, from, to);
  if (reference <= 0.0) return bend > 0.0 ? 1e30 : 0.0;
  return bend / reference;
}

// Largest magnitude in [from, to).
inline float peakIn(const std::vector<float>& x, std::size_t from, std::size_t to) {
  if (to > x.size()) to = x.size();
  float peak = 0.0f;
  for (std::size_t i = from; i < to; ++i) peak = std::fmax(peak, std::fabs(x[i]));
  return peak;
}

// Index of the last sample above 'level' in magnitude, or -1.
inline long lastAbove(const std::vector<float>& x, float level) {
  for (std::size_t i = x.size(); i-- > 0;)
    if (std::fabs(x[i]) > level) return static_cast<long>(i);
  return -1;
}

}  // namespace vt::test
