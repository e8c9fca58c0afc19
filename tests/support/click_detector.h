// A click detector and an activity check for rendered sound. A click is a
// sample-to-sample step far larger than the same sound's own steps while it
// plays steadily: steps are compared with the largest step of a reference
// stretch of that sound, so the verdict holds for any level and pitch.
#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

namespace vt::test {

// The largest of a difference over [from, to), and the ratio of two such largest
// values; 'difference(x, i)' may read back to x[i - order].
template <typename Difference>
inline float largestOf(const std::vector<float>& x, std::size_t from, std::size_t to, std::size_t order,
                       Difference difference) {
  if (to > x.size()) to = x.size();
  float largest = 0.0f;
  for (std::size_t i = from + order; i < to; ++i) largest = std::fmax(largest, std::fabs(difference(x, i)));
  return largest;
}

inline double ratioOf(double value, double reference) {
  if (reference <= 0.0) return value > 0.0 ? 1e30 : 0.0;
  return value / reference;
}

// Largest |x[i] - x[i - 1]| for i in [from + 1, to) (limited to the buffer).
inline float largestStep(const std::vector<float>& x, std::size_t from, std::size_t to) {
  return largestOf(x, from, to, 1, [](const std::vector<float>& v, std::size_t i) { return v[i] - v[i - 1]; });
}

// Largest step in [from, to) as a multiple of the largest step of the steady
// reference stretch [refFrom, refTo); a sound without steps in the reference
// gives a huge ratio for any step.
inline double clickRatio(const std::vector<float>& x, std::size_t from, std::size_t to, std::size_t refFrom,
                         std::size_t refTo) {
  return ratioOf(largestStep(x, from, to), largestStep(x, refFrom, refTo));
}

// Largest |x[i] - 2 x[i - 1] + x[i - 2]| for i in [from + 2, to) (limited to the buffer).
inline float largestBend(const std::vector<float>& x, std::size_t from, std::size_t to) {
  return largestOf(x, from, to, 2,
                   [](const std::vector<float>& v, std::size_t i) { return v[i] - 2.0f * v[i - 1] + v[i - 2]; });
}

// As clickRatio with second differences, which a smooth low tone keeps tiny:
// a small step stands out there where the tone's own slope would hide it.
inline double bendRatio(const std::vector<float>& x, std::size_t from, std::size_t to, std::size_t refFrom,
                        std::size_t refTo) {
  return ratioOf(largestBend(x, from, to), largestBend(x, refFrom, refTo));
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
