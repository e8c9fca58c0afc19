// Forward real FFT in double precision for power-of-two lengths, used for
// every spectrum of the analysis. All tables (bit reversal, twiddles) and the
// work buffer are made once when the length is set; a transform allocates
// nothing (the RealVector form only when its outputs have the wrong size).
//
// The result is the standard transform X(k) = sum_n x(n) e^(-j 2 pi k n / N)
// for k = 0 .. N/2: N/2 + 1 real and N/2 + 1 imaginary parts, the imaginary
// parts of bins 0 and N/2 exactly 0.
//
// Method: the N real samples are taken as N/2 complex ones (even samples real,
// odd imaginary), transformed by an iterative radix-2 complex FFT with
// per-stage twiddle tables, and split into the real spectrum with one more
// twiddle pass.
//
// One object is not to be used from two threads at once (it owns the work buffer).
#pragma once

#include "analysis/real_vector.h"

namespace vt::analysis {

class RealFft {
public:
  // Up to 2^24 points (far above any analysis frame).
  static constexpr int kMaxLength = 1 << 24;

  RealFft() noexcept = default;
  explicit RealFft(int length) { setLength(length); }
  RealFft(const RealFft&) = delete;
  RealFft& operator=(const RealFft&) = delete;
  ~RealFft();

  // Prepares transforms of the given length: a power of two 1 .. kMaxLength.
  // False (and length 0) for any other length or when allocation fails.
  bool setLength(int length);
  int length() const { return n; }
  bool valid() const { return n > 0; }

  static bool isPowerOfTwo(int length) { return length > 0 && (length & (length - 1)) == 0; }

  // frame: length() samples; re, im: room for length()/2 + 1 values each.
  // Does nothing when no length is set.
  void fft(const double* frame, double* re, double* im);
  // The same with vectors: a frame shorter than length() is taken as padded
  // with zeros, a longer one as cut; re and im are made length()/2 + 1 long
  // (re-using their buffers). With no length set, both become empty.
  void fft(const RealVector& frame, RealVector& re, RealVector& im);

private:
  void release();
  // Loads the first 'available' samples (zeros after them) into the work
  // buffer in bit-reversed order and runs the transform into re, im.
  void transform(const double* frame, int available, double* re, double* im);

  int n = 0;                        // real length
  int half = 0;                     // complex length n / 2
  int* bitReverse = nullptr;        // half entries
  double* stageTwiddles = nullptr;  // for stage span s (2, 4, .. half): s/2 pairs (cos, sin) of e^(-j 2 pi m / s)
  double* splitTwiddles = nullptr;  // half/2 + 1 pairs (cos, sin) of e^(-j 2 pi k / n)
  double* work = nullptr;           // 2 * half doubles: the complex data
};

}  // namespace vt::analysis
