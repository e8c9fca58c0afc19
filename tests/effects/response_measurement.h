// Helpers for the effect tests: the steady-state gain of a per-sample process
// at one frequency, measured by driving a sine and correlating over whole
// periods, and the analytic responses of second-order prototypes after the
// bilinear transform pre-warped at the design frequency.
#pragma once

#include <cmath>
#include <complex>

namespace vt::test {

constexpr double kPi = 3.14159265358979323846;

// Drives 'amplitude' sine at 'frequency' through step(x) -> y and returns the
// output amplitude at that frequency divided by the input amplitude.
template <typename Step>
double measureGain(Step step, double frequency, double sampleRate, double amplitude = 0.1, double settleSeconds = 0.5) {
  const int settle = static_cast<int>(settleSeconds * sampleRate);
  // A whole number of periods of at least a tenth of a second.
  const double period = sampleRate / frequency;
  const int periods = static_cast<int>(std::ceil(0.1 * sampleRate / period));
  long n = 0;
  auto input = [&](long i) {
    return amplitude * std::sin(2.0 * kPi * frequency * static_cast<double>(i) / sampleRate);
  };
  for (; n < settle; ++n) step(static_cast<float>(input(n)));
  // Correlate over an exact number of periods by measuring in phase time.
  const long count = static_cast<long>(std::lround(periods * period));
  double re = 0.0;
  double im = 0.0;
  for (long i = 0; i < count; ++i, ++n) {
    const double y = step(static_cast<float>(input(n)));
    const double phase = 2.0 * kPi * frequency * static_cast<double>(n) / sampleRate;
    re += y * std::cos(phase);
    im += y * std::sin(phase);
  }
  return 2.0 * std::hypot(re, im) / static_cast<double>(count) / amplitude;
}

// The analog frequency, relative to the design frequency, that the bilinear
// transform pre-warped at f0 maps the digital frequency f to.
inline double warped(double f, double f0, double sampleRate) {
  return std::tan(kPi * f / sampleRate) / std::tan(kPi * f0 / sampleRate);
}

// Q of a section whose width is given in octaves, at digital design frequency f0.
inline double qFromBandwidth(double bandwidth, double f0, double sampleRate) {
  const double w0 = 2.0 * kPi * f0 / sampleRate;
  return 1.0 / (2.0 * std::sinh(std::log(2.0) / 2.0 * bandwidth * w0 / std::sin(w0)));
}

using Complex = std::complex<double>;

inline Complex lowPassPrototype(double omega, double q) {
  const Complex s(0.0, omega);
  return 1.0 / (s * s + s / q + 1.0);
}
inline Complex highPassPrototype(double omega, double q) {
  const Complex s(0.0, omega);
  return s * s / (s * s + s / q + 1.0);
}
inline Complex bandPassPrototype(double omega, double q) {
  const Complex s(0.0, omega);
  return (s / q) / (s * s + s / q + 1.0);
}
inline Complex peakPrototype(double omega, double q, double gainDb) {
  const double a = std::pow(10.0, gainDb / 40.0);
  const Complex s(0.0, omega);
  return (s * s + s * (a / q) + 1.0) / (s * s + s / (a * q) + 1.0);
}

inline double toDb(double gain) { return 20.0 * std::log10(gain); }

}  // namespace vt::test
