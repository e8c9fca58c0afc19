#include "engine/real_fft.h"

#include <cmath>

#if defined(__SSE__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 1)
#include <xmmintrin.h>
#endif

namespace vt {

namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;

// Built during static initialisation, before any host can call into the module.
const RealFft fft256(256);
const RealFft fft512(512);
const RealFft fft1024(1024);

#if defined(__SSE__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 1)
#define VT_REAL_FFT_SSE 1
#endif

// One radix-2 stage on one block: (a, b) -> (a + w b, a - w b) for 'span' pairs, span a
// multiple of 4. Split real and imaginary arrays keep it four pairs to a vector.
inline void oneStage(float* ar, float* ai, float* br, float* bi, const float* wc, const float* ws, int span) {
#ifdef VT_REAL_FFT_SSE
  for (int m = 0; m < span; m += 4) {
    const __m128 c = _mm_loadu_ps(wc + m), s = _mm_loadu_ps(ws + m);
    const __m128 yr = _mm_loadu_ps(br + m), yi = _mm_loadu_ps(bi + m);
    const __m128 tr = _mm_sub_ps(_mm_mul_ps(c, yr), _mm_mul_ps(s, yi));
    const __m128 ti = _mm_add_ps(_mm_mul_ps(c, yi), _mm_mul_ps(s, yr));
    const __m128 xr = _mm_loadu_ps(ar + m), xi = _mm_loadu_ps(ai + m);
    _mm_storeu_ps(ar + m, _mm_add_ps(xr, tr));
    _mm_storeu_ps(ai + m, _mm_add_ps(xi, ti));
    _mm_storeu_ps(br + m, _mm_sub_ps(xr, tr));
    _mm_storeu_ps(bi + m, _mm_sub_ps(xi, ti));
  }
#else
  for (int m = 0; m < span; ++m) {
    const float tr = wc[m] * br[m] - ws[m] * bi[m];
    const float ti = wc[m] * bi[m] + ws[m] * br[m];
    const float xr = ar[m], xi = ai[m];
    ar[m] = xr + tr;
    ai[m] = xi + ti;
    br[m] = xr - tr;
    bi[m] = xi - ti;
  }
#endif
}

// The first half of a radix-2 stage: a + w b only.
inline void firstHalfStage(float* ar, float* ai, const float* br, const float* bi, const float* wc, const float* ws,
                           int span) {
#ifdef VT_REAL_FFT_SSE
  for (int m = 0; m < span; m += 4) {
    const __m128 c = _mm_loadu_ps(wc + m), s = _mm_loadu_ps(ws + m);
    const __m128 yr = _mm_loadu_ps(br + m), yi = _mm_loadu_ps(bi + m);
    const __m128 tr = _mm_sub_ps(_mm_mul_ps(c, yr), _mm_mul_ps(s, yi));
    const __m128 ti = _mm_add_ps(_mm_mul_ps(c, yi), _mm_mul_ps(s, yr));
    _mm_storeu_ps(ar + m, _mm_add_ps(_mm_loadu_ps(ar + m), tr));
    _mm_storeu_ps(ai + m, _mm_add_ps(_mm_loadu_ps(ai + m), ti));
  }
#else
  for (int m = 0; m < span; ++m) {
    ar[m] += wc[m] * br[m] - ws[m] * bi[m];
    ai[m] += wc[m] * bi[m] + ws[m] * br[m];
  }
#endif
}

// Two radix-2 stages (lengths 2 span and 4 span) on one block of 4 span values, in one
// pass: quarters q0..q3, first (q0, q1) and (q2, q3) with twiddles w1 = e^{+2 pi i m/(2 span)},
// then (q0, q2) with w2 = e^{+2 pi i m/(4 span)} and (q1, q3) with i w2. span is a multiple of 4.
inline void twoStages(float* re, float* im, int span, const float* w1c, const float* w1s, const float* w2c,
                      const float* w2s) {
  float* r0 = re;
  float* r1 = re + span;
  float* r2 = re + 2 * span;
  float* r3 = re + 3 * span;
  float* i0 = im;
  float* i1 = im + span;
  float* i2 = im + 2 * span;
  float* i3 = im + 3 * span;
#ifdef VT_REAL_FFT_SSE
  for (int m = 0; m < span; m += 4) {
    const __m128 c1 = _mm_loadu_ps(w1c + m), s1 = _mm_loadu_ps(w1s + m);
    const __m128 c2 = _mm_loadu_ps(w2c + m), s2 = _mm_loadu_ps(w2s + m);
    __m128 xr = _mm_loadu_ps(r1 + m), xi = _mm_loadu_ps(i1 + m);
    __m128 tr = _mm_sub_ps(_mm_mul_ps(c1, xr), _mm_mul_ps(s1, xi));
    __m128 ti = _mm_add_ps(_mm_mul_ps(c1, xi), _mm_mul_ps(s1, xr));
    xr = _mm_loadu_ps(r0 + m);
    xi = _mm_loadu_ps(i0 + m);
    const __m128 a0r = _mm_add_ps(xr, tr), a0i = _mm_add_ps(xi, ti);
    const __m128 a1r = _mm_sub_ps(xr, tr), a1i = _mm_sub_ps(xi, ti);
    xr = _mm_loadu_ps(r3 + m);
    xi = _mm_loadu_ps(i3 + m);
    tr = _mm_sub_ps(_mm_mul_ps(c1, xr), _mm_mul_ps(s1, xi));
    ti = _mm_add_ps(_mm_mul_ps(c1, xi), _mm_mul_ps(s1, xr));
    xr = _mm_loadu_ps(r2 + m);
    xi = _mm_loadu_ps(i2 + m);
    const __m128 a2r = _mm_add_ps(xr, tr), a2i = _mm_add_ps(xi, ti);
    const __m128 a3r = _mm_sub_ps(xr, tr), a3i = _mm_sub_ps(xi, ti);
    // u = w2 a2, v = i w2 a3 = (-(w2 a3).im, (w2 a3).re)
    const __m128 ur = _mm_sub_ps(_mm_mul_ps(c2, a2r), _mm_mul_ps(s2, a2i));
    const __m128 ui = _mm_add_ps(_mm_mul_ps(c2, a2i), _mm_mul_ps(s2, a2r));
    const __m128 vi = _mm_sub_ps(_mm_mul_ps(c2, a3r), _mm_mul_ps(s2, a3i));
    const __m128 vr = _mm_sub_ps(_mm_setzero_ps(), _mm_add_ps(_mm_mul_ps(c2, a3i), _mm_mul_ps(s2, a3r)));
    _mm_storeu_ps(r0 + m, _mm_add_ps(a0r, ur));
    _mm_storeu_ps(i0 + m, _mm_add_ps(a0i, ui));
    _mm_storeu_ps(r2 + m, _mm_sub_ps(a0r, ur));
    _mm_storeu_ps(i2 + m, _mm_sub_ps(a0i, ui));
    _mm_storeu_ps(r1 + m, _mm_add_ps(a1r, vr));
    _mm_storeu_ps(i1 + m, _mm_add_ps(a1i, vi));
    _mm_storeu_ps(r3 + m, _mm_sub_ps(a1r, vr));
    _mm_storeu_ps(i3 + m, _mm_sub_ps(a1i, vi));
  }
#else
  for (int m = 0; m < span; ++m) {
    float tr = w1c[m] * r1[m] - w1s[m] * i1[m];
    float ti = w1c[m] * i1[m] + w1s[m] * r1[m];
    const float a0r = r0[m] + tr, a0i = i0[m] + ti;
    const float a1r = r0[m] - tr, a1i = i0[m] - ti;
    tr = w1c[m] * r3[m] - w1s[m] * i3[m];
    ti = w1c[m] * i3[m] + w1s[m] * r3[m];
    const float a2r = r2[m] + tr, a2i = i2[m] + ti;
    const float a3r = r2[m] - tr, a3i = i2[m] - ti;
    const float ur = w2c[m] * a2r - w2s[m] * a2i;
    const float ui = w2c[m] * a2i + w2s[m] * a2r;
    const float vi = w2c[m] * a3r - w2s[m] * a3i;
    const float vr = -(w2c[m] * a3i + w2s[m] * a3r);
    r0[m] = a0r + ur;
    i0[m] = a0i + ui;
    r2[m] = a0r - ur;
    i2[m] = a0i - ui;
    r1[m] = a1r + vr;
    i1[m] = a1i + vi;
    r3[m] = a1r - vr;
    i3[m] = a1i - vi;
  }
#endif
}

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

void RealFft::inverse(float* data, int outputs, const float* weights) const {
  // The half-size complex transform runs on split real and imaginary arrays on the
  // stack, which keeps the butterfly loops contiguous.
  float re[kMaxHalf];
  float im[kMaxHalf];

  // 1. Fold the half spectrum X into the spectrum Z of the complex signal
  //    z[m] = x[2m] + i x[2m+1]:  Z_k = (X_k + conj X_{N/2-k}) + i e^{2 pi i k/N} (X_k - conj X_{N/2-k}),
  //    storing Z in bit-reversed order for the butterflies.
  re[0] = data[0] + data[1];
  im[0] = data[0] - data[1];
#ifdef VT_REAL_FFT_SSE
  // Four k at a time (half/2 is a multiple of 4); at k = half/2 both formulas give the same Z.
  for (int k = 1; k <= half / 2; k += 4) {
    const int j = half - k - 3;  // X_{half-k-t} for t = 3..0 lie in data[2j..2j+7]
    const __m128 a0 = _mm_loadu_ps(data + 2 * k), a1 = _mm_loadu_ps(data + 2 * k + 4);
    const __m128 b0 = _mm_loadu_ps(data + 2 * j), b1 = _mm_loadu_ps(data + 2 * j + 4);
    const __m128 ar = _mm_shuffle_ps(a0, a1, _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 ai = _mm_shuffle_ps(a0, a1, _MM_SHUFFLE(3, 1, 3, 1));
    const __m128 br = _mm_shuffle_ps(b1, b0, _MM_SHUFFLE(0, 2, 0, 2));  // reversed: X_{half-k-t}, t = 0..3
    const __m128 bi = _mm_shuffle_ps(b1, b0, _MM_SHUFFLE(1, 3, 1, 3));
    const __m128 sr = _mm_add_ps(ar, br), si = _mm_sub_ps(ai, bi);
    const __m128 dr = _mm_sub_ps(ar, br), di = _mm_add_ps(ai, bi);
    const __m128 c = _mm_loadu_ps(cosTable + k), sn = _mm_loadu_ps(sinTable + k);
    const __m128 rotR = _mm_add_ps(_mm_mul_ps(sn, dr), _mm_mul_ps(c, di));
    const __m128 rotI = _mm_sub_ps(_mm_mul_ps(c, dr), _mm_mul_ps(sn, di));
    float zk[2][4];
    float zj[2][4];
    _mm_storeu_ps(zk[0], _mm_sub_ps(sr, rotR));
    _mm_storeu_ps(zk[1], _mm_add_ps(si, rotI));
    _mm_storeu_ps(zj[0], _mm_add_ps(sr, rotR));
    _mm_storeu_ps(zj[1], _mm_sub_ps(rotI, si));
    for (int t = 0; t < 4; ++t) {
      const int rk = bitReverse[k + t], rj = bitReverse[half - k - t];
      re[rk] = zk[0][t];
      im[rk] = zk[1][t];
      re[rj] = zj[0][t];
      im[rj] = zj[1][t];
    }
  }
#else
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
#endif

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
  int len = 8;
  for (; 2 * len <= half; len *= 4) {
    // Stages len and 2 len in one pass over blocks of 2 len.
    const int span = len / 2;
    for (int start = 0; start < half; start += 2 * len) {
      twoStages(re + start, im + start, span, stageCos + span - 1, stageSin + span - 1, stageCos + len - 1,
                stageSin + len - 1);
    }
  }
  int produced = half;  // complex outputs computed
  if (len <= half) {
    // The last stage is one radix-2 stage over the whole array; when only the first half
    // of the output is wanted its second half is not computed.
    const int span = half / 2;
    if (outputs <= n / 2) {
      firstHalfStage(re, im, re + span, im + span, stageCos + span - 1, stageSin + span - 1, span);
      produced = span;
    } else {
      oneStage(re, im, re + span, im + span, stageCos + span - 1, stageSin + span - 1, span);
    }
  }

  // 3. z[m] = x[2m] + i x[2m+1] (times the weights when given).
#ifdef VT_REAL_FFT_SSE
  // Four m at a time (produced is a multiple of 4).
  for (int m = 0; m < produced; m += 4) {
    const __m128 r = _mm_loadu_ps(re + m), i = _mm_loadu_ps(im + m);
    __m128 low = _mm_unpacklo_ps(r, i), high = _mm_unpackhi_ps(r, i);
    if (weights) {
      low = _mm_mul_ps(low, _mm_loadu_ps(weights + 2 * m));
      high = _mm_mul_ps(high, _mm_loadu_ps(weights + 2 * m + 4));
    }
    _mm_storeu_ps(data + 2 * m, low);
    _mm_storeu_ps(data + 2 * m + 4, high);
  }
#else
  if (weights) {
    for (int m = 0; m < produced; ++m) {
      data[2 * m] = re[m] * weights[2 * m];
      data[2 * m + 1] = im[m] * weights[2 * m + 1];
    }
    return;
  }
  for (int m = 0; m < produced; ++m) {
    data[2 * m] = re[m];
    data[2 * m + 1] = im[m];
  }
#endif
}

}  // namespace vt
