#include "analysis/partial_resynthesis.h"

#include <cmath>
#include <vector>

namespace vt::analysis {

// M_PI is not standard C++ (MinGW leaves it out in strict mode).
constexpr double kPi = 3.14159265358979323846;

namespace {

constexpr double kTwoPi = 2.0 * kPi;

double orZero(double x) { return std::isnan(x) ? 0.0 : x; }

// Adds amplitude * cos(phase) over one hop starting at out, the phase being
// phi0 + w0 t + alpha t^2 + beta t^3 at t = n / sampleRate. The cubic is
// stepped by its forward differences and the cosine by complex rotation, so
// no trigonometric function runs per sample; both restart exactly at every
// frame, which keeps the drift at rounding level.
void addSegment(double* out, int hop, double sampleRate, double phi0, double w0, double alpha, double beta, double a0,
                double a1) {
  const double dt = 1.0 / sampleRate;
  // Forward differences of p(n) = phi0 + c1 n + c2 n^2 + c3 n^3.
  const double c1 = w0 * dt, c2 = alpha * dt * dt, c3 = beta * dt * dt * dt;
  const double d1 = c1 + c2 + c3;                     // p(1) - p(0)
  const double d2 = 2.0 * c2 + 6.0 * c3;              // second difference at 0
  const double d3 = 6.0 * c3;                         // constant third difference
  double zr = std::cos(phi0), zi = std::sin(phi0);    // e^(j p(n))
  double r1 = std::cos(d1), i1 = std::sin(d1);        // e^(j (p(n+1) - p(n)))
  double r2 = std::cos(d2), i2 = std::sin(d2);        // e^(j second difference)
  const double r3 = std::cos(d3), i3 = std::sin(d3);  // e^(j d3)
  const double slope = (a1 - a0) / hop;
  for (int n = 0; n < hop; ++n) {
    out[n] += (a0 + slope * n) * zr;
    const double nzr = zr * r1 - zi * i1, nzi = zr * i1 + zi * r1;
    const double nr1 = r1 * r2 - i1 * i2, ni1 = r1 * i2 + i1 * r2;
    const double nr2 = r2 * r3 - i2 * i3, ni2 = r2 * i3 + i2 * r3;
    zr = nzr, zi = nzi, r1 = nr1, i1 = ni1, r2 = nr2, i2 = ni2;
  }
}

}  // namespace

RealVector resynthesizePartials(const RealMatrix& amplitudes, const RealMatrix& frequencies, const RealMatrix& phases,
                                int hop, double sampleRate) {
  const int columns = frequencies.cols();
  RealVector out(columns > 1 && hop > 0 ? hop * (columns - 1) : 0);
  if (out.empty() || sampleRate <= 0.0) return out;
  const double period = hop / sampleRate;
  std::vector<double> a(columns), f(columns), phi(columns);
  std::vector<char> zero(columns);

  for (int r = 1; r <= frequencies.rows(); ++r) {
    int first = 0, last = 0;
    for (int c = 1; c <= columns; ++c) {
      a[c - 1] = orZero(amplitudes(r, c));
      f[c - 1] = orZero(frequencies(r, c));
      phi[c - 1] = orZero(phases(r, c));
      if (f[c - 1] != 0.0) {
        if (first == 0) first = c;
        last = c;
      }
    }
    if (first == 0) continue;
    const int begin = std::max(first - 1, 1), end = std::min(last + 1, columns);
    const int length = end - begin + 1;
    double* fw = f.data() + (begin - 1);
    double* pw = phi.data() + (begin - 1);
    const double* aw = a.data() + (begin - 1);
    for (int k = 0; k < length; ++k) zero[k] = fw[k] == 0.0;
    // Onsets take the frequency of the frame after them, with the phase run back one frame.
    for (int k = 0; k + 1 < length; ++k)
      if (zero[k] && !zero[k + 1]) {
        fw[k] = fw[k + 1];
        pw[k] = pw[k + 1] - kTwoPi * fw[k + 1] * period;
      }
    // Offsets take the frame before, run forward; a one-frame gap ends up with the left values.
    for (int k = 1; k < length; ++k)
      if (zero[k] && !zero[k - 1]) {
        fw[k] = fw[k - 1];
        pw[k] = pw[k - 1] + kTwoPi * fw[k - 1] * period;
      }
    double* target = out.data() + static_cast<long long>(hop) * (begin - 1);
    const double t = period, t2 = period * period;
    for (int k = 0; k + 1 < length; ++k) {
      const double w0 = kTwoPi * fw[k], w1 = kTwoPi * fw[k + 1];
      const double delta = pw[k + 1] - pw[k];
      // The whole number of turns nearest to what the mean frequency implies.
      // Rounded down, not toward zero: phases unwrapped across bins can differ
      // by many turns from frame to frame, and toward zero a negative count
      // would be one turn off, bending the segment a full cycle out of shape.
      const double turns = std::floor(((w0 + w1) * t / 2.0 - delta) / kTwoPi + 0.5);
      const double alpha = 3.0 * (delta + kTwoPi * turns - t * (2.0 * w0 + w1) / 3.0) / t2;
      const double beta = (w1 - w0 - 2.0 * t * alpha) / (3.0 * t2);
      addSegment(target + static_cast<long long>(hop) * k, hop, sampleRate, pw[k], w0, alpha, beta, aw[k], aw[k + 1]);
    }
  }
  return out;
}

}  // namespace vt::analysis
