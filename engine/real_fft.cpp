#include "engine/real_fft.h"

#include <cmath>

namespace vt {

namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;

// Built during static initialisation, before any host can call into the module.
const RealFft fft256(256);
const RealFft fft512(512);
const RealFft fft1024(1024);

}  // namespace

const RealFft* RealFft::ofSize(int size) {
  switch (size) {
    case 256:
      return &fft256;
    case 512:
      return &fft512;
    case 1024:
      return &fft1024;
    default:
      return nullptr;
  }
}

RealFft::RealFft(int size) : n(size), half(size / 2), log2Half(0) {
  if (half > kMaxHalf) half = kMaxHalf;
  if (half < 2) half = 2;
  n = half * 2;
  while ((1 << (log2Half + 1)) <= half) ++log2Half;
  for (int j = 0; j < half; ++j) {
    const double angle = kTwoPi * j / n;
    cosTable[j] = static_cast<float>(std::cos(angle));
    sinTable[j] = static_cast<float>(std::sin(angle));
    unsigned reversed = 0;
    for (int b = 0; b < log2Half; ++b) {
      if (j & (1 << b)) reversed |= 1u << (log2Half - 1 - b);
    }
    bitReverse[j] = static_cast<unsigned short>(reversed);
  }
}

void RealFft::inverse(float* data) const {
  // 1. Fold the half spectrum X into the spectrum Z of the complex signal
  //    z[m] = x[2m] + i x[2m+1]:  Z_k = (X_k + conj X_{N/2-k}) + i e^{2 pi i k/N} (X_k - conj X_{N/2-k}).
  {
    const float dc = data[0];
    const float nyquist = data[1];
    data[0] = dc + nyquist;
    data[1] = dc - nyquist;
  }
  for (int k = 1; k <= half / 2; ++k) {
    const int j = half - k;
    const float ar = data[2 * k], ai = data[2 * k + 1];
    const float br = data[2 * j], bi = data[2 * j + 1];
    const float sr = ar + br, si = ai - bi;
    const float dr = ar - br, di = ai + bi;
    const float c = cosTable[k], s = sinTable[k];
    const float rotR = s * dr + c * di;
    const float rotI = c * dr - s * di;
    data[2 * k] = sr - rotR;
    data[2 * k + 1] = si + rotI;
    data[2 * j] = sr + rotR;
    data[2 * j + 1] = -si + rotI;
  }

  // 2. Unnormalised inverse complex FFT of size N/2 in place: bit-reversed order, then
  //    radix-2 butterflies with twiddles e^{+2 pi i m/len}.
  for (int m = 0; m < half; ++m) {
    const int r = bitReverse[m];
    if (r > m) {
      float t = data[2 * m];
      data[2 * m] = data[2 * r];
      data[2 * r] = t;
      t = data[2 * m + 1];
      data[2 * m + 1] = data[2 * r + 1];
      data[2 * r + 1] = t;
    }
  }
  for (int m = 0; m < half; m += 2) {  // length-2 butterflies need no twiddle
    const float ur = data[2 * m], ui = data[2 * m + 1];
    const float vr = data[2 * m + 2], vi = data[2 * m + 3];
    data[2 * m] = ur + vr;
    data[2 * m + 1] = ui + vi;
    data[2 * m + 2] = ur - vr;
    data[2 * m + 3] = ui - vi;
  }
  for (int len = 4; len <= half; len <<= 1) {
    const int span = len / 2;
    const int stride = n / len;
    for (int start = 0; start < half; start += len) {
      float* a = data + 2 * start;
      float* b = a + 2 * span;
      for (int m = 0; m < span; ++m) {
        const float wr = cosTable[m * stride], wi = sinTable[m * stride];
        const float br = b[2 * m], bi = b[2 * m + 1];
        const float tr = wr * br - wi * bi;
        const float ti = wr * bi + wi * br;
        const float ar = a[2 * m], ai = a[2 * m + 1];
        a[2 * m] = ar + tr;
        a[2 * m + 1] = ai + ti;
        b[2 * m] = ar - tr;
        b[2 * m + 1] = ai - ti;
      }
    }
  }
  // 3. z[m] = x[2m] + i x[2m+1] already sits in natural order in 'data'.
}

}  // namespace vt
