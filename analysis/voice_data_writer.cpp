#include "analysis/voice_data_writer.h"

#include <cmath>

#include "analysis/harmonic_assignment.h"
#include "files/byte_stream.h"

namespace vt::analysis {

namespace {

constexpr double kNoiseBandScale = 256.0;  // band number -> normalised frequency

// Written values are always numbers.
float finite(double x) {
  const float f = static_cast<float>(x);
  return std::isfinite(f) ? f : 0.0f;
}

}  // namespace

int writtenBreakpointCount(const RealMatrix& amplitude, int h) {
  const int n = amplitude.cols();
  if (n == 0 || h < 1 || h + 1 > amplitude.rows()) return 0;
  if (h == 1) return n;
  const double* row = amplitude.rowData(h + 1);
  for (int k = 0; k + 1 < n; ++k)
    if (row[k] > 0.0) return n;
  return 0;
}

bool writeVoiceData(ByteStream& stream, double f0, const RealMatrix& frequency, const RealMatrix& amplitude,
                    const RealMatrix& noise) {
  stream.writeFloat(finite(f0));
  const bool harmonicsAgree = frequency.rows() == amplitude.rows() && frequency.cols() == amplitude.cols();
  int counts[kHarmonicCount];
  for (int h = 1; h <= kHarmonicCount; ++h) counts[h - 1] = harmonicsAgree ? writtenBreakpointCount(amplitude, h) : 0;

  for (int h = 1; h <= kHarmonicCount; ++h) {
    const int n = counts[h - 1];
    stream.writeInt(n);
    for (int k = 1; k <= n; ++k) stream.writeFloat(finite(amplitude(1, k)));
    for (int k = 1; k <= n; ++k) stream.writeFloat(finite(amplitude(h + 1, k)));
  }
  for (int h = 1; h <= kHarmonicCount; ++h) {
    const int n = counts[h - 1];
    stream.writeInt(n);
    for (int k = 1; k <= n; ++k) stream.writeFloat(finite(frequency(1, k)));
    for (int k = 1; k <= n; ++k) stream.writeFloat(f0 > 0.0 ? finite(frequency(h + 1, k) / f0) : 0.0f);
  }

  const int breakpoints = noise.cols() > 1 ? noise.cols() - 1 : 0;
  const int bands = noise.rows() - 1;
  stream.writeInt(breakpoints);
  for (int k = 2; k <= breakpoints + 1; ++k) {
    stream.writeFloat(finite(noise(1, k)));
    stream.writeInt(bands);
    for (int r = 2; r <= bands + 1; ++r) stream.writeFloat(finite(noise(r, 1) / kNoiseBandScale));
    for (int r = 2; r <= bands + 1; ++r) stream.writeFloat(finite(noise(r, k)));
  }
  return !stream.failed();
}

}  // namespace vt::analysis
