#include "effects/biquad.h"

#include <cmath>

namespace vt {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kHalfLn2 = 0.34657359027997264;  // ln(2) / 2

double flushed(double v, bool flush) { return flush && std::fabs(v) < Biquad::kFlushThreshold ? 0.0 : v; }

// The bandwidth form of the resonance term: sin w * sinh(ln2/2 * bw * w / sin w).
double bandwidthAlpha(double w, double sn, double bandwidth) { return sn * std::sinh(kHalfLn2 * bandwidth * w / sn); }

double widthAlpha(double w, double sn, double width, bool useQ) {
  return useQ ? sn / (2.0 * width) : bandwidthAlpha(w, sn, width);
}

}  // namespace

void Biquad::store(double nb0, double nb1, double nb2, double a0, double na1, double na2, bool flush) {
  b0 = static_cast<float>(flushed(nb0 / a0, flush));
  b1 = static_cast<float>(flushed(nb1 / a0, flush));
  b2 = static_cast<float>(flushed(nb2 / a0, flush));
  a1 = static_cast<float>(flushed(na1 / a0, flush));
  a2 = static_cast<float>(flushed(na2 / a0, flush));
}

void Biquad::designHighPass(double sampleRate, double frequency, double width, bool useQ) {
  const double w = 2.0 * kPi * frequency / sampleRate;
  const double sn = std::sin(w);
  const double cs = std::cos(w);
  const double alpha = widthAlpha(w, sn, width, useQ);
  store((1.0 + cs) / 2.0, -(1.0 + cs), (1.0 + cs) / 2.0, 1.0 + alpha, -2.0 * cs, 1.0 - alpha, true);
}

void Biquad::designLowPass(double sampleRate, double frequency, double width, bool useQ) {
  const double w = 2.0 * kPi * frequency / sampleRate;
  const double sn = std::sin(w);
  const double cs = std::cos(w);
  const double alpha = widthAlpha(w, sn, width, useQ);
  store((1.0 - cs) / 2.0, 1.0 - cs, (1.0 - cs) / 2.0, 1.0 + alpha, -2.0 * cs, 1.0 - alpha, true);
}

void Biquad::designPeak(double sampleRate, double frequency, double bandwidth, double gainDb) {
  const double w = 2.0 * kPi * frequency / sampleRate;
  const double sn = std::sin(w);
  const double cs = std::cos(w);
  const double alpha = bandwidthAlpha(w, sn, bandwidth);
  const double a = std::sqrt(std::pow(10.0, gainDb / 20.0));
  store(1.0 + alpha * a, -2.0 * cs, 1.0 - alpha * a, 1.0 + alpha / a, -2.0 * cs, 1.0 - alpha / a, true);
}

void Biquad::designBandPass(double sampleRate, double frequency, double bandwidth) {
  const double w = 2.0 * kPi * frequency / sampleRate;
  const double sn = std::sin(w);
  const double cs = std::cos(w);
  const double alpha = bandwidthAlpha(w, sn, bandwidth);
  store(alpha, 0.0, -alpha, 1.0 + alpha, -2.0 * cs, 1.0 - alpha, false);
}

void Biquad::flushOutputState() {
  if (std::fabs(y1) < kFlushThreshold) y1 = y2 = 0.0f;
}

}  // namespace vt
