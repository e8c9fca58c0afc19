#include "analysis/hann_spectra.h"

#include <cmath>
#include <vector>

#include "analysis/real_fft.h"
#include "analysis/spectral_windows.h"

namespace vt::analysis {

// M_PI is not standard C++ (MinGW leaves it out in strict mode).
constexpr double kPi = 3.14159265358979323846;

HannSpectra hannSpectra(const RealVector& samples, const FrameGeometry& geometry, double sampleRate) {
  HannSpectra s;
  const int size = geometry.size;
  const int bins = size / 2 + 1;
  const int frames = frameCount(samples.size(), geometry);
  RealFft fft(size);
  if (!fft.valid() || !s.re.reset(bins, frames) || !s.im.reset(bins, frames) ||
      !s.instantaneousFrequency.reset(bins, frames))
    return HannSpectra();
  if (frames == 0) return s;

  const RealVector hann = periodicHann(size);
  const RealVector derivative = hannDerivative(size, sampleRate);
  const double gain = 2.0 / sum(hann);
  const double binStep = 2.0 * kPi * sampleRate / size;  // angular frequency of bin k is k * binStep
  const int half = (size + 1) / 2;                        // rotation by half the frame

  std::vector<double> windowed(size), derived(size), bh(bins), ch(bins), bd(bins), cd(bins);
  for (int j = 0; j < frames; ++j) {
    const double* frame = samples.data() + static_cast<long long>(j) * geometry.hop;
    for (int n = 0; n < size; ++n) {
      const int to = (n - half + size) % size;  // rotated left by half
      windowed[to] = frame[n] * hann[n];
      derived[to] = frame[n] * derivative[n];
    }
    fft.fft(windowed.data(), bh.data(), ch.data());
    fft.fft(derived.data(), bd.data(), cd.data());
    for (int k = 0; k < bins; ++k) {
      const double omega = k * binStep;
      const double p = bd[k] - omega * ch[k];
      const double q = omega * bh[k] + cd[k];
      s.re(k + 1, j + 1) = gain * bh[k];
      s.im(k + 1, j + 1) = gain * ch[k];
      s.instantaneousFrequency(k + 1, j + 1) = (q * bh[k] - p * ch[k]) / (2.0 * kPi * (bh[k] * bh[k] + ch[k] * ch[k]));
    }
  }
  return s;
}

}  // namespace vt::analysis
