#include "analysis/segment_error.h"

#include <cmath>

namespace vt::analysis {

FrameTable::FrameTable(const RealMatrix& m, bool nanAsZero) : rowCount(m.rows()), frameCount(m.cols()) {
  values.assign(static_cast<std::size_t>(rowCount) * static_cast<std::size_t>(frameCount), 0.0);
  for (int r = 1; r <= rowCount; ++r) {
    const double* in = m.rowData(r);
    for (int i = 0; i < frameCount; ++i) {
      const double x = in[i];
      values[static_cast<std::size_t>(i) * rowCount + (r - 1)] = nanAsZero && std::isnan(x) ? 0.0 : x;
    }
  }
}

namespace {

// round(t / T), limited to at most 'frames' and then raised to at least 1.
int frameAt(double t, double T, int frames) {
  const double x = t / T + 0.5;
  if (!(x < static_cast<double>(frames))) return frames;
  if (x < 1.0) return 1;
  return static_cast<int>(x);
}

}  // namespace

double segmentError(const FrameTable& table, double T, double t1, const double* a, double t2, const double* b,
                    const double* weights) {
  if (!(t2 > t1) || !(T > 0.0) || table.frames() == 0) return 0.0;
  const int frames = table.frames();
  const int rows = table.rows();
  const int i1 = frameAt(t1, T, frames);
  const int i2 = frameAt(t2, T, frames);
  double error = 0.0;
  for (int i = i1; i <= i2; ++i) {
    const double w = (T * (i - 1) - t1) / (t2 - t1);
    const double* u = table.frame(i);
    if (weights != nullptr) {
      for (int r = 0; r < rows; ++r) {
        const double d = (1.0 - w) * a[r] + w * b[r] - u[r];
        error += d * d * weights[r];
      }
    } else {
      for (int r = 0; r < rows; ++r) {
        const double d = (1.0 - w) * a[r] + w * b[r] - u[r];
        error += d * d;
      }
    }
  }
  return error;
}

}  // namespace vt::analysis
