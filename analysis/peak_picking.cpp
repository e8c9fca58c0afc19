#include "analysis/peak_picking.h"

#include <cmath>

namespace vt::analysis {

void pickPeaks(const double* y, int count, double threshold, SpectralPeaks& peaks) {
  peaks.clear();
  // 0-based index i is 1-based place i + 1; places 1 and count never qualify.
  for (int i = 1; i + 1 < count; ++i) {
    const double a = y[i - 1], b = y[i], c = y[i + 1];
    if (!(b > threshold) || !(b > a) || !(b >= c) || b == 0.0) continue;
    const double q = (a - 2.0 * b + c) / 2.0;
    const double u = 1.0 - (b - a) / q;
    double position = i + u / 2.0;  // place (i + 1) - 1 + u / 2
    double height = a - u * u * q / 4.0;
    if (!std::isfinite(position) || !std::isfinite(height)) {
      // A neighbour of log 0 (an exactly silent bin) leaves no parabola: the
      // peak stays on its bin with its own height.
      position = i + 1;
      height = b;
    }
    peaks.position.push_back(position);
    peaks.magnitude.push_back(std::exp(height));
  }
}

}  // namespace vt::analysis
