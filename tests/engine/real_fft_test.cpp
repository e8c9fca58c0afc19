#include "engine/real_fft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "tests/support/allocation_counter.h"

namespace vt {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Direct evaluation of sum over all N bins of X_k e^{+2 pi i k t/N} for the Hermitian
// spectrum given by its half (re[0..N/2], im[0..N/2]); DC and Nyquist imaginary parts ignored.
std::vector<double> naiveInverse(const std::vector<double>& re, const std::vector<double>& im, int n) {
  std::vector<double> x(n, 0.0);
  for (int t = 0; t < n; ++t) {
    double sum = re[0] + re[n / 2] * ((t % 2) ? -1.0 : 1.0);
    for (int k = 1; k < n / 2; ++k) {
      const double angle = 2.0 * kPi * k * t / n;
      sum += 2.0 * (re[k] * std::cos(angle) - im[k] * std::sin(angle));
    }
    x[t] = sum;
  }
  return x;
}

std::vector<float> pack(const std::vector<double>& re, const std::vector<double>& im, int n) {
  std::vector<float> data(n);
  data[0] = static_cast<float>(re[0]);
  data[1] = static_cast<float>(re[n / 2]);
  for (int k = 1; k < n / 2; ++k) {
    data[2 * k] = static_cast<float>(re[k]);
    data[2 * k + 1] = static_cast<float>(im[k]);
  }
  return data;
}

class RealFftSizes : public ::testing::TestWithParam<int> {};

TEST_P(RealFftSizes, MatchesDirectInverseDftOnRandomSpectra) {
  const int n = GetParam();
  const RealFft* fft = RealFft::ofSize(n);
  ASSERT_NE(fft, nullptr);
  EXPECT_EQ(fft->size(), n);
  std::mt19937 gen(1234u + n);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  for (int trial = 0; trial < 3; ++trial) {
    std::vector<double> re(n / 2 + 1), im(n / 2 + 1);
    for (int k = 0; k <= n / 2; ++k) {
      re[k] = dist(gen);
      im[k] = dist(gen);
    }
    std::vector<float> data = pack(re, im, n);
    fft->inverse(data.data());
    const std::vector<double> expected = naiveInverse(re, im, n);
    double peak = 0.0;
    for (double v : expected) peak = std::max(peak, std::fabs(v));
    for (int t = 0; t < n; ++t) {
      ASSERT_NEAR(data[t], expected[t], 2e-5 * peak) << "n=" << n << " t=" << t;
    }
    // Asking for the first half only gives the same first half.
    std::vector<float> firstHalf = pack(re, im, n);
    fft->inverse(firstHalf.data(), n / 2);
    for (int t = 0; t < n / 2; ++t) ASSERT_EQ(firstHalf[t], data[t]) << "n=" << n << " t=" << t;
  }
}

TEST_P(RealFftSizes, SingleBinsGiveTheirSinusoids) {
  const int n = GetParam();
  const RealFft* fft = RealFft::ofSize(n);
  ASSERT_NE(fft, nullptr);
  // DC alone: constant. Nyquist alone: alternating. Bin k with (a, b): 2a cos - 2b sin.
  std::vector<float> data(n, 0.0f);
  data[0] = 0.75f;
  fft->inverse(data.data());
  for (int t = 0; t < n; ++t) ASSERT_NEAR(data[t], 0.75f, 1e-5f);

  std::fill(data.begin(), data.end(), 0.0f);
  data[1] = 0.5f;
  fft->inverse(data.data());
  for (int t = 0; t < n; ++t) ASSERT_NEAR(data[t], (t % 2) ? -0.5f : 0.5f, 1e-5f);

  for (int k : {1, n / 4 - 1, n / 4, n / 4 + 1, n / 2 - 1}) {
    std::fill(data.begin(), data.end(), 0.0f);
    data[2 * k] = 0.3f;
    data[2 * k + 1] = -0.4f;
    fft->inverse(data.data());
    for (int t = 0; t < n; ++t) {
      const double angle = 2.0 * kPi * k * t / n;
      ASSERT_NEAR(data[t], 2.0 * (0.3 * std::cos(angle) + 0.4 * std::sin(angle)), 2e-5) << "k=" << k;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllSizes, RealFftSizes, ::testing::Values(256, 512, 1024));

TEST(RealFft, OnlyTheThreeSizesExistAndTheyAreShared) {
  EXPECT_EQ(RealFft::ofSize(0), nullptr);
  EXPECT_EQ(RealFft::ofSize(128), nullptr);
  EXPECT_EQ(RealFft::ofSize(2048), nullptr);
  EXPECT_EQ(RealFft::ofSize(-512), nullptr);
  EXPECT_EQ(RealFft::ofSize(512), RealFft::ofSize(512));
}

TEST(RealFft, InverseDoesNotAllocate) {
  std::vector<float> data(1024, 0.25f);
  test::AllocationCounter counter;
  RealFft::ofSize(1024)->inverse(data.data());
  RealFft::ofSize(512)->inverse(data.data());
  EXPECT_EQ(counter.count(), 0u);
}

}  // namespace
}  // namespace vt
