#include "analysis/blackman_stft.h"

#include "analysis/real_fft.h"
#include "analysis/spectral_windows.h"

namespace vt::analysis {

ComplexSpectrogram blackmanStft(const RealVector& x, int length, int hop) {
  ComplexSpectrogram result;
  if (!RealFft::isPowerOfTwo(length) || hop < 1) return result;
  const int bins = length / 2 + 1;
  const long long columns = (static_cast<long long>(x.size()) - length) / hop + 1;
  if (columns <= 0) {
    result.re.reset(bins, 0);
    result.im.reset(bins, 0);
    return result;
  }
  RealFft fft(length);
  const RealVector window = periodicBlackman(length);
  RealVector frame(length), re(bins), im(bins);
  if (!fft.valid() || window.size() != length || frame.size() != length || re.size() != bins || im.size() != bins ||
      !result.re.reset(bins, static_cast<int>(columns)) || !result.im.reset(bins, static_cast<int>(columns)))
    return ComplexSpectrogram();
  for (int f = 0; f < columns; ++f) {
    const long long start = static_cast<long long>(f) * hop;  // 0-based
    if (start + length > x.size()) break;                     // the frame does not fit: the column stays zero
    for (int i = 0; i < length; ++i) frame[i] = x[static_cast<int>(start) + i] * window[i];
    fft.fft(frame.data(), re.data(), im.data());
    for (int k = 0; k < bins; ++k) {
      result.re(k + 1, f + 1) = re[k];
      result.im(k + 1, f + 1) = im[k];
    }
  }
  return result;
}

}  // namespace vt::analysis
