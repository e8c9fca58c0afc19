#include "analysis/real_fft.h"

#include <cmath>
#include <new>

namespace vt::analysis {

namespace {
constexpr double kPi = 3.14159265358979323846;
}

RealFft::~RealFft() { release(); }

void RealFft::release() {
  delete[] bitReverse;
  delete[] stageTwiddles;
  delete[] splitTwiddles;
  delete[] work;
  bitReverse = nullptr;
  stageTwiddles = splitTwiddles = work = nullptr;
  n = half = 0;
}

bool RealFft::setLength(int length) {
  if (length == n && valid()) return true;
  release();
  if (!isPowerOfTwo(length) || length > kMaxLength) return false;
  const int h = length / 2;
  // At least one entry each, so that length 1 and 2 need no special pointers.
  const int tableSize = h > 0 ? h : 1;
  bitReverse = new (std::nothrow) int[tableSize];
  stageTwiddles = new (std::nothrow) double[2 * tableSize];
  splitTwiddles = new (std::nothrow) double[2 * (h / 2 + 1)];
  work = new (std::nothrow) double[2 * tableSize];
  if (!bitReverse || !stageTwiddles || !splitTwiddles || !work) {
    release();
    return false;
  }

  int bits = 0;
  while ((1 << bits) < h) ++bits;
  for (int m = 0; m < h; ++m) {
    int reversed = 0;
    for (int b = 0; b < bits; ++b)
      if (m & (1 << b)) reversed |= 1 << (bits - 1 - b);
    bitReverse[m] = reversed;
  }
  // Stage of span s (half-span hs) keeps its hs twiddles from pair hs - 1 on.
  for (int hs = 1; hs < h; hs *= 2) {
    double* w = stageTwiddles + 2 * (hs - 1);
    for (int m = 0; m < hs; ++m) {
      const double angle = kPi * m / hs;
      w[2 * m] = std::cos(angle);
      w[2 * m + 1] = -std::sin(angle);
    }
  }
  for (int k = 0; k <= h / 2; ++k) {
    const double angle = 2.0 * kPi * k / length;
    splitTwiddles[2 * k] = std::cos(angle);
    splitTwiddles[2 * k + 1] = -std::sin(angle);
  }
  n = length;
  half = h;
  return true;
}

void RealFft::transform(const double* frame, int available, double* re, double* im) {
  if (n == 1) {
    re[0] = available > 0 ? frame[0] : 0.0;
    im[0] = 0.0;
    return;
  }
  // Complex samples z(m) = x(2m) + j x(2m+1), placed in bit-reversed order.
  for (int m = 0; m < half; ++m) {
    double* z = work + 2 * bitReverse[m];
    z[0] = 2 * m < available ? frame[2 * m] : 0.0;
    z[1] = 2 * m + 1 < available ? frame[2 * m + 1] : 0.0;
  }
  // Radix-2 decimation-in-time butterflies.
  for (int hs = 1; hs < half; hs *= 2) {
    const double* w = stageTwiddles + 2 * (hs - 1);
    const int span = 2 * hs;
    for (int start = 0; start < half; start += span) {
      double* a = work + 2 * start;
      double* b = a + 2 * hs;
      for (int m = 0; m < hs; ++m) {
        const double wr = w[2 * m], wi = w[2 * m + 1];
        const double br = b[2 * m], bi = b[2 * m + 1];
        const double tr = wr * br - wi * bi;
        const double ti = wr * bi + wi * br;
        const double ar = a[2 * m], ai = a[2 * m + 1];
        b[2 * m] = ar - tr;
        b[2 * m + 1] = ai - ti;
        a[2 * m] = ar + tr;
        a[2 * m + 1] = ai + ti;
      }
    }
  }
  // Split Z into the spectrum of the real sequence:
  // X(k) = E(k) + W^k O(k), E = (Z(k) + conj Z(h-k)) / 2, O = (Z(k) - conj Z(h-k)) / 2j.
  re[0] = work[0] + work[1];
  im[0] = 0.0;
  re[half] = work[0] - work[1];
  im[half] = 0.0;
  for (int k = 1; k < half; ++k) {
    const double a = work[2 * k], b = work[2 * k + 1];
    const double c = work[2 * (half - k)], d = work[2 * (half - k) + 1];
    const double er = 0.5 * (a + c), ei = 0.5 * (b - d);
    const double orr = 0.5 * (b + d), oi = -0.5 * (a - c);
    // W^k = e^(-j 2 pi k / n); the table holds k <= h/2, the rest by symmetry:
    // W^(h-k) = -conj(W^k).
    double cw, sw;
    if (k <= half / 2) {
      cw = splitTwiddles[2 * k];
      sw = splitTwiddles[2 * k + 1];
    } else {
      cw = -splitTwiddles[2 * (half - k)];
      sw = splitTwiddles[2 * (half - k) + 1];
    }
    re[k] = er + cw * orr - sw * oi;
    im[k] = ei + cw * oi + sw * orr;
  }
}

void RealFft::fft(const double* frame, double* re, double* im) {
  if (!valid()) return;
  transform(frame, n, re, im);
}

void RealFft::fft(const RealVector& frame, RealVector& re, RealVector& im) {
  if (!valid()) {
    re.reset(0);
    im.reset(0);
    return;
  }
  const int bins = n / 2 + 1;
  if (re.size() != bins) re.reset(bins);
  if (im.size() != bins) im.reset(bins);
  if (re.size() != bins || im.size() != bins) return;
  transform(frame.data(), frame.size() < n ? frame.size() : n, re.data(), im.data());
}

}  // namespace vt::analysis
