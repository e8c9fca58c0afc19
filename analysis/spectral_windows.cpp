#include "analysis/spectral_windows.h"

#include <cmath>

namespace vt::analysis {

namespace {
constexpr double kPi = 3.14159265358979323846;
}

RealVector periodicHann(int length) {
  RealVector w(length);
  for (int i = 0; i < w.size(); ++i) w[i] = 0.5 * (1.0 - std::cos(2.0 * kPi * i / length));
  return w;
}

RealVector hannDerivative(int length, double sampleRate) {
  RealVector d(length);
  const double scale = -(sampleRate / length) * kPi;
  for (int i = 0; i < d.size(); ++i) d[i] = scale * std::sin(2.0 * kPi * i / length);
  return d;
}

RealVector periodicBlackman(int length) {
  RealVector w(length);
  const double centre = length / 2.0;
  for (int i = 0; i < w.size(); ++i) {
    const double k = std::fabs(i - centre);
    w[i] = 0.42 + 0.5 * std::cos(kPi * k / centre) + 0.08 * std::cos(2.0 * kPi * k / centre);
  }
  return w;
}

}  // namespace vt::analysis
