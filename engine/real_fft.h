// Inverse real FFT of 256, 512 or 1024 points. One transform object per size is
// built when the module loads (bit-reversal table and twiddle table) and shared
// read-only by every engine and voice; the transform works in place in the
// caller's buffer, so concurrent callers on different threads never share
// working memory and nothing is allocated while rendering.
#pragma once

namespace vt {

class RealFft {
public:
  static constexpr int kMaxSize = 1024;

  // The shared transform of the given size (256, 512 or 1024); null for any other size.
  static const RealFft* ofSize(int size);

  explicit RealFft(int size);  // size must be 256, 512 or 1024

  RealFft(const RealFft&) = delete;
  RealFft& operator=(const RealFft&) = delete;

  int size() const { return n; }

  // Unnormalised inverse transform in place. On input, 'data' (size() floats) holds the
  // half spectrum packed as: data[0] = real part of bin 0 (DC), data[1] = real part of
  // bin N/2 (Nyquist), data[2k] and data[2k+1] = real and imaginary part of bin k for
  // k = 1..N/2-1. On output it holds x[t] = X0 + (-1)^t XN/2 + 2 Re sum_{k=1}^{N/2-1} Xk e^{+2 pi i k t/N}
  // for t = 0..N-1, that is the full inverse DFT sum of the Hermitian spectrum without 1/N.
  // With 'outputs' at most N/2 only x[0..outputs-1] are needed, and for some sizes the rest
  // of 'data' is left holding intermediate values.
  void inverse(float* data, int outputs = kMaxSize) const { inverse(data, outputs, nullptr); }
  // The same, each output x[t] multiplied by weights[t] as it is written (a window
  // applied for free); 'weights' holds size() floats.
  void inverse(float* data, int outputs, const float* weights) const;

private:
  static constexpr int kMaxHalf = kMaxSize / 2;

  int n;     // real transform size
  int half;  // size of the complex transform that does the work
  int log2Half;
  // cosTable[j], sinTable[j] = cos, sin of 2*pi*j/n for j = 0..n/2-1: the rotation that
  // folds the real spectrum into the half-size complex one.
  float cosTable[kMaxHalf];
  float sinTable[kMaxHalf];
  // Twiddles e^{+2 pi i m/len} of the butterfly stage of length len, m = 0..len/2-1, stored
  // contiguously per stage from index len/2 - 1 so that a stage reads them in order.
  float stageCos[kMaxHalf];
  float stageSin[kMaxHalf];
  unsigned short bitReverse[kMaxHalf];
};

}  // namespace vt
