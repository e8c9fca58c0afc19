// The four biquad designs against the analytic responses of their analog
// prototypes, the flushing of tiny coefficients and memories, and the rule
// that designing never touches the filter's state.
#include "effects/biquad.h"

#include <gtest/gtest.h>

#include "tests/effects/response_measurement.h"

namespace vt {
namespace {

using test::measureGain;
using test::qFromBandwidth;
using test::warped;

constexpr double kRate = 48000.0;

double gainOf(Biquad filter, double frequency) {
  filter.resetState();
  return measureGain([&filter](float x) { return filter.process(x); }, frequency, kRate);
}

TEST(Biquad, LowAndHighPassWithQMatchTheirPrototypes) {
  const double f0 = 1000.0;
  const double q = 2.5;
  Biquad lp;
  lp.designLowPass(kRate, f0, q, true);
  Biquad hp;
  hp.designHighPass(kRate, f0, q, true);
  for (double f : {100.0, 500.0, 1000.0, 2000.0, 8000.0}) {
    const double omega = warped(f, f0, kRate);
    EXPECT_NEAR(gainOf(lp, f), std::abs(test::lowPassPrototype(omega, q)), 2e-3) << f;
    EXPECT_NEAR(gainOf(hp, f), std::abs(test::highPassPrototype(omega, q)), 2e-3) << f;
  }
  // The resonance peak: gain Q at the design frequency.
  EXPECT_NEAR(gainOf(lp, f0), q, 5e-3);
}

TEST(Biquad, BandwidthFormsMatchTheirPrototypes) {
  const double f0 = 2000.0;
  const double bw = 2.0;
  const double q = qFromBandwidth(bw, f0, kRate);
  Biquad lp;
  lp.designLowPass(kRate, f0, bw, false);
  Biquad hp;
  hp.designHighPass(kRate, f0, bw, false);
  Biquad bp;
  bp.designBandPass(kRate, f0, bw);
  for (double f : {200.0, 1000.0, 2000.0, 4000.0, 12000.0}) {
    const double omega = warped(f, f0, kRate);
    EXPECT_NEAR(gainOf(lp, f), std::abs(test::lowPassPrototype(omega, q)), 2e-3) << f;
    EXPECT_NEAR(gainOf(hp, f), std::abs(test::highPassPrototype(omega, q)), 2e-3) << f;
    EXPECT_NEAR(gainOf(bp, f), std::abs(test::bandPassPrototype(omega, q)), 2e-3) << f;
  }
  EXPECT_NEAR(gainOf(bp, f0), 1.0, 2e-3);  // constant 0 dB peak
}

TEST(Biquad, PeakBoostsByItsGainAtTheCentreAndLeavesFarFrequencies) {
  const double f0 = 90.0;
  const double q = qFromBandwidth(1.0, f0, kRate);
  Biquad peak;
  peak.designPeak(kRate, f0, 1.0, 10.0);
  EXPECT_NEAR(test::toDb(gainOf(peak, f0)), 10.0, 0.02);
  for (double f : {30.0, 60.0, 180.0, 5000.0}) {
    const double expected = std::abs(test::peakPrototype(warped(f, f0, kRate), q, 10.0));
    EXPECT_NEAR(gainOf(peak, f), expected, 3e-3) << f;
  }
  Biquad cut;
  cut.designPeak(kRate, 1000.0, 1.0, -6.0);
  EXPECT_NEAR(test::toDb(gainOf(cut, 1000.0)), -6.0, 0.02);
}

TEST(Biquad, ProcessIsTheDirectFormOneDifferenceEquation) {
  Biquad f;
  f.b0 = 0.5f;
  f.b1 = 0.25f;
  f.b2 = -0.125f;
  f.a1 = -0.5f;
  f.a2 = 0.25f;
  const float in[4] = {1.0f, 0.0f, 0.0f, 2.0f};
  // y[n] = 0.5x[n] + 0.25x[n-1] - 0.125x[n-2] + 0.5y[n-1] - 0.25y[n-2]
  const float expected[4] = {0.5f, 0.5f, 0.0f, 1.0f - 0.125f};
  for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(f.process(in[i]), expected[i]) << i;
}

TEST(Biquad, TinyCoefficientsAreFlushedExceptInTheBandPass) {
  Biquad lp;
  lp.designLowPass(kRate, 0.0003, 0.7071, true);  // numerator around 4e-16
  EXPECT_EQ(lp.b0, 0.0f);
  EXPECT_EQ(lp.b1, 0.0f);
  EXPECT_EQ(lp.b2, 0.0f);
  EXPECT_NE(lp.a1, 0.0f);

  Biquad bp;
  bp.designBandPass(kRate, 1e-6, 1e-6);  // alpha far below 1e-15, kept as it is
  EXPECT_NE(bp.b0, 0.0f);
  EXPECT_LT(std::fabs(bp.b0), 1e-15f);
}

TEST(Biquad, DesigningKeepsTheStateAndResettingKeepsTheCoefficients) {
  Biquad f;
  f.designLowPass(kRate, 500.0, 0.7, true);
  f.process(1.0f);
  f.process(0.5f);
  const float y1 = f.y1;
  const float x1 = f.x1;
  f.designHighPass(kRate, 3000.0, 0.7, true);
  EXPECT_EQ(f.y1, y1);
  EXPECT_EQ(f.x1, x1);
  const float b0 = f.b0;
  f.resetState();
  EXPECT_EQ(f.y1, 0.0f);
  EXPECT_EQ(f.y2, 0.0f);
  EXPECT_EQ(f.x1, 0.0f);
  EXPECT_EQ(f.x2, 0.0f);
  EXPECT_EQ(f.b0, b0);
}

TEST(Biquad, OutputMemoriesBelowTheThresholdAreFlushedTogether) {
  Biquad f;
  f.y1 = 5e-16f;
  f.y2 = 0.3f;
  f.flushOutputState();
  EXPECT_EQ(f.y1, 0.0f);
  EXPECT_EQ(f.y2, 0.0f);
  f.y1 = 2e-15f;
  f.y2 = 0.3f;
  f.flushOutputState();
  EXPECT_EQ(f.y2, 0.3f);
}

}  // namespace
}  // namespace vt
