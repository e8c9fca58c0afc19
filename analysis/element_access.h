// What RealVector and RealMatrix share about their elements: the value a Fill
// names, and the 0-based place a 1-based index value (stored as a double)
// names.
#pragma once

#include <limits>

#include "analysis/real_vector.h"

namespace vt::analysis {

inline double fillValue(Fill fill) {
  switch (fill) {
    case Fill::ones:
      return 1.0;
    case Fill::nan:
      return std::numeric_limits<double>::quiet_NaN();
    case Fill::zeros:
      break;
  }
  return 0.0;
}

// The 0-based place a 1-based index value names within count, or -1 when it
// names none (also for NaN).
inline int position(double index, int count) {
  if (!(index >= 1.0 && index < count + 1.0)) return -1;
  return static_cast<int>(index) - 1;
}

}  // namespace vt::analysis
