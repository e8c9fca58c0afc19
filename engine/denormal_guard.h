// Sets the SSE flush-to-zero and denormals-are-zero modes for the lifetime of
// the guard and restores the caller's modes afterwards. Denormal arithmetic in
// decaying filters and envelopes can cost a hundred times the normal speed.
#pragma once

#if defined(__SSE__) || defined(_M_X64) || defined(_M_IX86_FP)
#include <xmmintrin.h>
#define VT7000_HAVE_SSE_CSR 1
#endif

namespace vt {

class DenormalGuard {
public:
  DenormalGuard() {
#ifdef VT7000_HAVE_SSE_CSR
    saved = _mm_getcsr();
    _mm_setcsr(saved | kFlushToZero | kDenormalsAreZero);
#endif
  }
  ~DenormalGuard() {
#ifdef VT7000_HAVE_SSE_CSR
    _mm_setcsr(saved);
#endif
  }
  DenormalGuard(const DenormalGuard&) = delete;
  DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
#ifdef VT7000_HAVE_SSE_CSR
  static constexpr unsigned kFlushToZero = 0x8000;
  static constexpr unsigned kDenormalsAreZero = 0x0040;
  unsigned saved = 0;
#endif
};

}  // namespace vt
