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
  if (half < 4) half = 4;
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
  stageCos[kMaxHalf - 1] = stageSin[kMaxHalf - 1] = 0.0f;
  for (int len = 2; len <= half; len <<= 1) {
    for (int m = 0; m < len / 2; ++m) {
      const double angle = kTwoPi * m / len;
      stageCos[len / 2 - 1 + m] = static_cast<float>(std::cos(angle));
      stageSin[len / 2 - 1 + m] = static_cast<float>(std::sin(angle));
    }
  }
}

void RealFft::inverse(float* data) const {
  // The half-size complex transform runs on split real and imaginary arrays on the
  // stack, which keeps the butterfly loops contiguous.
  float re[kMaxHalf];
  float im[kMaxHalf];

  // 1. Fold the half spectrum X into the spectrum Z of the complex signal
  //    z[m] = x[2m] + i x[2m+1]:  Z_k = (X_k + conj X_{N/2-k}) + i e^{2 pi i k/N} (X_k - conj X_{N/2-k}),
  //    storing Z in bit-reversed order for the butterflies.
  re[0] = data[0] + data[1];
  im[0] = data[0] - data[1];
  for (int k = 1; k <= half / 2; ++k) {
    const int j = half - k;
    const float ar = data[2 * k], ai = data[2 * k + 1];
    const float br = data[2 * j], bi = data[2 * j + 1];
    const float sr = ar + br, si = ai - bi;
    const float dr = ar - br, di = ai + bi;
    const float c = cosTable[k], s = sinTable[k];
    const float rotR = s * dr + c * di;
    const float rotI = c * dr - s * di;
    const int rk = bitReverse[k], rj = bitReverse[j];
    re[rk] = sr - rotR;
    im[rk] = si + rotI;
    re[rj] = sr + rotR;
    im[rj] = -si + rotI;
  }

  // 2. Unnormalised inverse complex FFT of size N/2: the first two radix-2 stages together
  //    (their twiddles are 1 and i), then the remaining stages with stored twiddles.
  for (int m = 0; m < half; m += 4) {
    const float r0 = re[m] + re[m + 1], i0 = im[m] + im[m + 1];
    const float r1 = re[m] - re[m + 1], i1 = im[m] - im[m + 1];
    const float r2 = re[m + 2] + re[m + 3], i2 = im[m + 2] + im[m + 3];
    const float r3 = re[m + 2] - re[m + 3], i3 = im[m + 2] - im[m + 3];
    // The odd output of the second pair is turned by +i.
    re[m] = r0 + r2;
    im[m] = i0 + i2;
    re[m + 2] = r0 - r2;
    im[m + 2] = i0 - i2;
    re[m + 1] = r1 - i3;
    im[m + 1] = i1 + r3;
    re[m + 3] = r1 + i3;
    im[m + 3] = i1 - r3;
  }
  for (int len = 8; len <= half; len <<= 1) {
    const int span = len / 2;
    const float* __restrict wc = stageCos + span - 1;
    const float* __restrict ws = stageSin + span - 1;
    for (int start = 0; start < half; start += len) {
      float* __restrict ar = re + start;
      float* __restrict ai = im + start;
      float* __restrict br = re + start + span;
      float* __restrict bi = im + start + span;
      for (int m = 0; m < span; ++m) {
        const float tr = wc[m] * br[m] - ws[m] * bi[m];
        const float ti = wc[m] * bi[m] + ws[m] * br[m];
        const float xr = ar[m], xi = ai[m];
        ar[m] = xr + tr;
        ai[m] = xi + ti;
        br[m] = xr - tr;
        bi[m] = xi - ti;
      }
    }
  }

  // 3. z[m] = x[2m] + i x[2m+1].
  for (int m = 0; m < half; ++m) {
    data[2 * m] = re[m];
    data[2 * m + 1] = im[m];
  }
}

}  // namespace vt
