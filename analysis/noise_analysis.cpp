#include "analysis/noise_analysis.h"

#include <cmath>
#include <cstdint>

#include "analysis/blackman_stft.h"

namespace vt::analysis {

namespace {
constexpr double kBandsPerHertz = 0.005804988662131519;  // 256 / 44100
constexpr double kQuietFrameSum = 3.0;                   // a frame whose bands sum below this is quiet
constexpr double kMostlyQuiet = 0.5;                     // share of quiet frames that turns the gate on
constexpr double kGateStep = 0.03;                       // gain change per frame
}  // namespace

int noiseHalfLength(double sampleRate) {
  const double r = std::trunc(kBandsPerHertz * sampleRate + 0.5);
  std::int64_t best = 1;
  for (int s = 1; s <= 31; ++s) {
    const std::int64_t power = std::int64_t{1} << s;
    if (std::fabs(static_cast<double>(power) - r) < std::fabs(static_cast<double>(best) - r))
      best = power;
    else
      break;
  }
  return static_cast<int>(best);
}

RealMatrix analyzeNoise(const RealVector& residual, double sampleRate) {
  const int e = noiseHalfLength(sampleRate);
  const ComplexSpectrogram spectra = blackmanStft(residual, 2 * e, e);
  const int frames = spectra.re.cols();
  if (frames == 0) return RealMatrix(e + 1, 1);

  // Bins 1 .. 256 (DC dropped); at low rates the bands above E stay silent.
  RealMatrix bands(kNoiseBandCount, frames);
  const int usable = e < kNoiseBandCount ? e : kNoiseBandCount;
  for (int b = 1; b <= usable; ++b)
    for (int j = 1; j <= frames; ++j) {
      const double re = spectra.re(b + 1, j), im = spectra.im(b + 1, j);
      bands(b, j) = std::sqrt(re * re + im * im);
    }

  const RealVector sums = columnSum(bands);
  int quiet = 0;
  for (int j = 1; j <= frames; ++j)
    if (sums(j) < kQuietFrameSum) ++quiet;
  if (static_cast<double>(quiet) / frames > kMostlyQuiet) {
    double gain = sums(1) >= kQuietFrameSum ? 1.0 : 0.0;
    for (int j = 1; j <= frames; ++j) {
      gain = sums(j) < kQuietFrameSum ? std::fmax(gain - kGateStep, 0.0) : std::fmin(gain + kGateStep, 1.0);
      for (int b = 1; b <= kNoiseBandCount; ++b) bands(b, j) *= gain;
    }
  }
  return bands;
}

}  // namespace vt::analysis
