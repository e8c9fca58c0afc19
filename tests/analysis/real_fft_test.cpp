#include "analysis/real_fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "analysis/blackman_stft.h"
#include "analysis/spectral_windows.h"
#include "tests/support/allocation_counter.h"

namespace vt::analysis {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Direct DFT X(k) = sum x(n) e^(-j 2 pi k n / N), k = 0 .. N/2, in long double.
void directDft(const std::vector<double>& x, std::vector<double>& re, std::vector<double>& im) {
  const int n = static_cast<int>(x.size());
  re.assign(n / 2 + 1, 0.0);
  im.assign(n / 2 + 1, 0.0);
  std::vector<long double> cosines(n), sines(n);
  for (int i = 0; i < n; ++i) {
    const long double angle = 2.0L * 3.14159265358979323846264338327950288L * i / n;
    cosines[i] = std::cos(angle);
    sines[i] = std::sin(angle);
  }
  for (int k = 0; k <= n / 2; ++k) {
    long double sr = 0, si = 0;
    for (int t = 0; t < n; ++t) {
      const int i = static_cast<int>((static_cast<long long>(k) * t) % n);
      sr += x[t] * cosines[i];
      si -= x[t] * sines[i];
    }
    re[k] = static_cast<double>(sr);
    im[k] = static_cast<double>(si);
  }
}

TEST(AnalysisRealFft, LengthFourFrameGivesTheStandardTransform) {
  RealFft fft(4);
  RealVector re, im;
  const double x0 = 1.5, x1 = -2.0, x2 = 0.25, x3 = 4.0;
  fft.fft(RealVector{x0, x1, x2, x3}, re, im);
  ASSERT_EQ(re.size(), 3);
  ASSERT_EQ(im.size(), 3);
  EXPECT_DOUBLE_EQ(re[0], x0 + x1 + x2 + x3);
  EXPECT_DOUBLE_EQ(re[1], x0 - x2);
  EXPECT_DOUBLE_EQ(re[2], x0 - x1 + x2 - x3);
  EXPECT_EQ(im[0], 0.0);
  EXPECT_DOUBLE_EQ(im[1], x3 - x1);
  EXPECT_EQ(im[2], 0.0);
}

TEST(AnalysisRealFft, MatchesADirectDftAtEveryLength) {
  std::mt19937 random(3);
  std::normal_distribution<double> noise(0.0, 1.0);
  for (int n = 1; n <= 4096; n *= 2) {
    std::vector<double> x(n), re, im;
    for (double& v : x) v = noise(random);
    directDft(x, re, im);
    RealFft fft(n);
    ASSERT_TRUE(fft.valid());
    std::vector<double> gotRe(n / 2 + 1), gotIm(n / 2 + 1);
    fft.fft(x.data(), gotRe.data(), gotIm.data());
    const double tolerance = 1e-12 * std::sqrt(static_cast<double>(n)) * std::log2(2.0 * n);
    for (int k = 0; k <= n / 2; ++k) {
      EXPECT_NEAR(gotRe[k], re[k], tolerance) << "n " << n << " bin " << k;
      EXPECT_NEAR(gotIm[k], im[k], tolerance) << "n " << n << " bin " << k;
    }
    EXPECT_EQ(gotIm[0], 0.0);
    EXPECT_EQ(gotIm[n / 2], 0.0);
  }
}

TEST(AnalysisRealFft, RefusesOtherLengthsPadsShortFramesAndNeverAllocatesPerCall) {
  for (int bad : {0, -4, 3, 12, 1 << 25}) {
    RealFft fft(bad);
    EXPECT_FALSE(fft.valid()) << bad;
    RealVector re{1}, im{1};
    fft.fft(RealVector{1, 2, 3}, re, im);
    EXPECT_TRUE(re.empty());
  }

  RealFft fft(8);
  RealVector re, im, reference;
  fft.fft(RealVector{1, 2, 3}, re, im);  // short: zeros after it
  RealVector reRef, imRef;
  fft.fft(RealVector{1, 2, 3, 0, 0, 0, 0, 0}, reRef, imRef);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(re[k], reRef[k]);

  const RealVector frame(8, Fill::ones);
  test::AllocationCounter counter;
  for (int i = 0; i < 10; ++i) fft.fft(frame, re, im);
  EXPECT_EQ(counter.count(), 0u);
  EXPECT_EQ(re[0], 8.0);
}

TEST(AnalysisWindows, ShapesAtTheirKeyPoints) {
  const int length = 16;
  const RealVector blackman = periodicBlackman(length);
  const RealVector hann = periodicHann(length);
  EXPECT_NEAR(blackman[0], 0.0, 1e-15);
  EXPECT_DOUBLE_EQ(blackman[length / 2], 1.0);
  for (int k = 1; k < length / 2; ++k) {
    EXPECT_EQ(blackman[length / 2 + k], blackman[length / 2 - k]);
    const double n = length / 2 + k;
    EXPECT_NEAR(blackman[length / 2 + k],
                0.42 - 0.5 * std::cos(2 * kPi * n / length) + 0.08 * std::cos(4 * kPi * n / length), 1e-15);
  }
  EXPECT_EQ(hann[0], 0.0);
  EXPECT_DOUBLE_EQ(hann[length / 2], 1.0);
  EXPECT_NEAR(sum(hann), length / 2.0, 1e-12);
  const RealVector derivative = hannDerivative(length, 44100.0);
  EXPECT_DOUBLE_EQ(derivative[length / 4], -(44100.0 / length) * kPi);
  EXPECT_NEAR(derivative[0], 0.0, 1e-12);
}

TEST(AnalysisBlackmanStft, FrameCountAndColumns) {
  const int length = 8, hop = 4;
  std::mt19937 random(9);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  RealVector x(length + 2 * hop + 3);
  for (double& v : x) v = uniform(random);
  const ComplexSpectrogram s = blackmanStft(x, length, hop);
  ASSERT_EQ(s.re.rows(), length / 2 + 1);
  ASSERT_EQ(s.re.cols(), 3);
  // Column 2 is the windowed frame starting at sample 1 + hop.
  const RealVector window = periodicBlackman(length);
  std::vector<double> frame(length), re, im;
  for (int i = 0; i < length; ++i) frame[i] = x[hop + i] * window[i];
  directDft(frame, re, im);
  for (int k = 0; k <= length / 2; ++k) {
    EXPECT_NEAR(s.re(k + 1, 2), re[k], 1e-12);
    EXPECT_NEAR(s.im(k + 1, 2), im[k], 1e-12);
  }

  // Short by less than a hop: one all-zero column; short by a hop: none.
  const ComplexSpectrogram one = blackmanStft(RealVector(length - hop + 1, Fill::ones), length, hop);
  ASSERT_EQ(one.re.cols(), 1);
  EXPECT_EQ(max(abs(column(one.re, 1))), 0.0);
  EXPECT_EQ(blackmanStft(RealVector(length - hop, Fill::ones), length, hop).re.cols(), 0);
  EXPECT_EQ(blackmanStft(x, 6, hop).re.cols(), 0);
  EXPECT_EQ(blackmanStft(x, length, 0).re.cols(), 0);
}

}  // namespace
}  // namespace vt::analysis
