// Spectral peaks of one log-magnitude column, placed by a parabola through
// each local maximum and its two neighbours.
#pragma once

#include <vector>

namespace vt::analysis {

struct SpectralPeaks {
  std::vector<double> position;   // 1-based fractional place (bin k sits at place k + 1), ascending
  std::vector<double> magnitude;  // exp of the parabola's vertex height
  void clear() {
    position.clear();
    magnitude.clear();
  }
};

// logMagnitude: the natural logarithm of one magnitude column, count values.
// Place i is a peak when its value exceeds the threshold and its left
// neighbour and is not below its right neighbour; the first and the last
// place never qualify, and a value of exactly 0 is not taken. Fills peaks
// (cleared first), re-using its storage.
void pickPeaks(const double* logMagnitude, int count, double threshold, SpectralPeaks& peaks);

}  // namespace vt::analysis
