// How much a per-frame table loses when the frames between two breakpoints
// are replaced by the straight line between them: the envelope reductions
// remove a breakpoint when this error, measured against the unreduced table,
// stays small.
#pragma once

#include <vector>

#include "analysis/real_matrix.h"

namespace vt::analysis {

// A rows x frames table held frame by frame (the rows of one frame side by
// side), so that the error of a segment walks memory in order.
class FrameTable {
public:
  FrameTable() = default;
  // The table's values; NaN becomes 0 when 'nanAsZero' is set.
  explicit FrameTable(const RealMatrix& m, bool nanAsZero = true);

  int rows() const { return rowCount; }
  int frames() const { return frameCount; }
  // The rows() values of frame i (1-based), unchecked.
  const double* frame(int i) const { return values.data() + static_cast<std::size_t>(i - 1) * rowCount; }

private:
  std::vector<double> values;
  int rowCount = 0;
  int frameCount = 0;
};

// The interpolation error between the breakpoint at time t1 with values a and
// the one at t2 with values b (rows() values each), for the frames
// round(t1 / T) .. round(t2 / T) of 'table' (limited to 1 .. frames; frame i
// stands at time T * (i - 1)): the sum over those frames and the rows of the
// squared difference between the line and the frame's value, each multiplied
// by weights[row] when 'weights' is given. 0 when t2 is not after t1.
double segmentError(const FrameTable& table, double T, double t1, const double* a, double t2, const double* b,
                    const double* weights = nullptr);

}  // namespace vt::analysis
