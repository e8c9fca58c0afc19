// Time thinning of breakpoint envelopes, shared by the harmonic and the
// noise reduction.
#pragma once

#include <cstddef>
#include <vector>

namespace vt::analysis {

// The time thinning shared by both reductions: walking the breakpoint times
// in order, a breakpoint is dropped when the one after it lies less than
// step(time of that one) after the last time kept; the last breakpoint always
// stays. 'times' is thinned in place, 'keep' (the same length) with it.
template <typename Step, typename T>
void thinTimes(std::vector<double>& times, std::vector<T>& keep, Step step) {
  double lastKept = -1000.0;
  std::size_t k = 0;
  while (k + 2 < times.size()) {
    const double t = times[k + 1];
    if (t < lastKept + step(t)) {
      times.erase(times.begin() + static_cast<std::ptrdiff_t>(k));
      keep.erase(keep.begin() + static_cast<std::ptrdiff_t>(k));
    } else {
      lastKept = t;
      ++k;
    }
  }
}

}  // namespace vt::analysis
