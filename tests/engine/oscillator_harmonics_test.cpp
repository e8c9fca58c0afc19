// The harmonic bank of single-slot and morphing voices against direct
// computations of the expected partials.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/breakpoint_curve.h"
#include "engine/harmonic_set.h"
#include "engine/oscillator_bank.h"
#include "tests/support/allocation_counter.h"

namespace vt {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr float kSr = 44100.0f;

// One expected partial: frequency (Hz) and amplitude at the block's two ends.
struct Expected {
  double f0, f1, a0, a1;
};

// The sum of the given partials, each computed in double precision from zero
// phase: the increment ramps linearly, the phase advances before each sample
// and sample j has amplitude a0 + (j + 1)(a1 - a0)/n.
std::vector<double> reference(const std::vector<Expected>& partials, int n, double sr) {
  std::vector<double> y(n, 0.0);
  for (const Expected& p : partials) {
    double phase = 0.0;
    for (int j = 0; j < n; ++j) {
      phase += (p.f0 + (p.f1 - p.f0) * j / n) / sr;
      y[j] += (p.a0 + (j + 1) * (p.a1 - p.a0) / n) * std::sin(kTwoPi * phase);
    }
  }
  return y;
}

void expectSignal(const std::vector<float>& out, const std::vector<double>& expected, double tolerance = 1e-3) {
  ASSERT_EQ(out.size(), expected.size());
  for (size_t j = 0; j < out.size(); ++j) ASSERT_NEAR(out[j], expected[j], tolerance) << "sample " << j;
}

// Harmonic h (0-based) of a set whose curves keep their own axes: the given
// amplitude and ratio from time 0 to 10 s.
void setHarmonic(HarmonicSet& set, int h, float amp, float ratio) {
  set.amplitude[h].add(0.0f, amp);
  set.amplitude[h].add(10.0f, amp);
  set.frequency[h].add(0.0f, ratio);
  set.frequency[h].add(10.0f, ratio);
}

// A two-point block curve (t0, v0), (t1, v1) as a voice builds it.
struct BlockCurve {
  BlockCurve(float t0, float v0, float t1, float v1) {
    curve.add(t0, v0);
    curve.add(t1, v1);
  }
  BreakpointCurve curve;
};

class HarmonicsTest : public ::testing::Test {
protected:
  HarmonicSet set{false};
  float phases[HarmonicSet::kHarmonics] = {};

  std::vector<float> render(int n, float p0, float p1, float e0 = 1.0f, float e1 = 1.0f,
                            BreakpointCurve* formant = nullptr, float t0 = 1.0f) {
    const float t1 = t0 + n / set.sampleRate;
    BlockCurve pitch(t0, p0, t1, p1);
    BlockCurve envelope(t0, e0, t1, e1);
    std::vector<float> out(n, 0.0f);
    renderHarmonics(set, out.data(), n, t0, pitch.curve, envelope.curve, phases, formant);
    return out;
  }
};

TEST_F(HarmonicsTest, PartialsFollowRatioTimesPitchAndAmplitudeTimesEnvelope) {
  // Fifteen sounding harmonics (rendered as groups of eight and four and three
  // single ones) between silent and empty ones, under a pitch glide and an
  // envelope ramp.
  const int harmonics = 20;
  float amps[harmonics];
  for (int h = 0; h < harmonics; ++h) amps[h] = (h % 4 == 1) ? 0.0f : 0.4f / (h + 1);
  for (int h = 0; h < harmonics; ++h) setHarmonic(set, h, amps[h], static_cast<float>(h + 1) * 1.01f);
  // Harmonics 21 to 64 keep no points at all.
  const int n = 256;
  const float p0 = 200.0f, p1 = 230.0f, e0 = 0.5f, e1 = 1.0f;
  std::vector<Expected> partials;
  for (int h = 0; h < harmonics; ++h) {
    if (amps[h] == 0.0f) continue;
    const double r = (h + 1) * 1.01f;
    partials.push_back({r * p0, r * p1, amps[h] * e0, amps[h] * e1});
  }
  ASSERT_EQ(partials.size(), 15u);
  expectSignal(render(n, p0, p1, e0, e1), reference(partials, n, kSr));
  for (int h = 0; h < harmonics; ++h) EXPECT_EQ(phases[h] == 0.0f, amps[h] == 0.0f) << "harmonic " << h + 1;
}

TEST_F(HarmonicsTest, EndRatioOfZeroKeepsTheStartRatio) {
  set.amplitude[0].add(0.0f, 0.5f);
  set.amplitude[0].add(10.0f, 0.5f);
  set.frequency[0].add(0.0f, 1.0f);
  set.frequency[0].add(1.0f, 1.0f);
  set.frequency[0].add(1.0f + 64.0f / kSr, 0.0f);  // the ratio falls to 0 exactly at the block end
  expectSignal(render(64, 500.0f, 600.0f), reference({{500.0, 600.0, 0.5, 0.5}}, 64, kSr));
}

TEST_F(HarmonicsTest, PartialsAtOrAboveNyquistAreSkipped) {
  setHarmonic(set, 0, 0.5f, 1.0f);
  // At exactly half the sample rate and above: nothing, and the phase stays.
  for (float f : {kSr / 2.0f, kSr * 0.6f}) {
    const std::vector<float> out = render(63, f, f);
    for (float v : out) ASSERT_EQ(v, 0.0f);
    EXPECT_EQ(phases[0], 0.0f);
  }
  // Starting below Nyquist and gliding above it still plays.
  const std::vector<float> out = render(64, kSr * 0.1f, kSr * 0.7f);
  EXPECT_NE(phases[0], 0.0f);
  float peak = 0.0f;
  for (float v : out) peak = std::max(peak, std::fabs(v));
  EXPECT_GT(peak, 0.1f);
}

TEST_F(HarmonicsTest, PartialsFadeAboveThreeTenthsOfTheSampleRate) {
  setHarmonic(set, 0, 0.8f, 1.0f);
  const int n = 128;
  // Full level at the fade start, half at 0.4 * sr, a tenth at 0.48 * sr.
  const struct { double fraction, gain; } cases[] = {{0.3, 1.0}, {0.4, 0.5}, {0.48, 0.1}};
  for (const auto& c : cases) {
    phases[0] = 0.0f;
    const float f = static_cast<float>(kSr * c.fraction);
    const double a = 0.8 * c.gain;
    expectSignal(render(n, f, f), reference({{f, f, a, a}}, n, kSr), 2e-3);
  }
}

// A partial gliding across the fade start is faded at each block end by that
// end's own frequency, so consecutive blocks meet at the same level.
TEST_F(HarmonicsTest, EachBlockEndFadesByItsOwnFrequency) {
  setHarmonic(set, 0, 0.8f, 1.0f);
  const int n = 128;
  const float below = static_cast<float>(kSr * 0.25);  // unfaded
  const float into = static_cast<float>(kSr * 0.4);    // faded to half
  expectSignal(render(n, below, into), reference({{below, into, 0.8, 0.4}}, n, kSr), 2e-3);
  phases[0] = 0.0f;
  expectSignal(render(n, into, below), reference({{into, below, 0.4, 0.8}}, n, kSr), 2e-3);
}

TEST_F(HarmonicsTest, SilentPartialKeepsItsPhase) {
  set.amplitude[0].add(0.0f, 0.00003f);
  set.amplitude[0].add(10.0f, 0.00003f);
  set.frequency[0].add(0.0f, 1.0f);
  phases[0] = 17.5f;
  std::vector<float> out = render(100, 440.0f, 440.0f);
  for (float v : out) ASSERT_EQ(v, 0.0f);
  EXPECT_EQ(phases[0], 17.5f);

  // Silent at the start but not at the end, it plays.
  set.amplitude[0].setY(0, 0.5f);
  set.amplitude[0].setY(1, 0.5f);
  out = render(100, 440.0f, 440.0f, 0.0f, 1.0f);
  EXPECT_NE(phases[0], 17.5f);
}

TEST_F(HarmonicsTest, OneSampleBlockAddsOneSampleAtTheEndAmplitude) {
  setHarmonic(set, 0, 0.5f, 1.0f);
  const float f = kSr / 20.0f;  // 10 table steps per sample
  const std::vector<float> out = render(1, f, 2.0f * f, 0.2f, 0.6f);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_NEAR(out[0], 0.5 * 0.6 * std::sin(kTwoPi * 10.0 / 200.0), 2e-4);
  EXPECT_NEAR(phases[0], 10.0f, 1e-4);
}

TEST_F(HarmonicsTest, FormantScalesByTheCurveAtFrequencyOver22050) {
  BreakpointCurve formant;
  formant.add(0.0f, 0.2f);
  formant.add(1.0f, 1.0f);
  setHarmonic(set, 0, 0.5f, 1.0f);
  // 11025 Hz reads the formant at 0.5 (gain 0.6) at any sample rate.
  for (float sr : {44100.0f, 96000.0f}) {
    set.sampleRate = sr;
    phases[0] = 0.0f;
    const int n = 200;
    expectSignal(render(n, 11025.0f, 11025.0f, 1.0f, 1.0f, &formant), reference({{11025.0, 11025.0, 0.3, 0.3}}, n, sr));
  }
  // A glide reads the curve at both ends.
  set.sampleRate = kSr;
  phases[0] = 0.0f;
  expectSignal(render(128, 2205.0f, 4410.0f, 1.0f, 1.0f, &formant),
               reference({{2205.0, 4410.0, 0.5 * 0.28, 0.5 * 0.36}}, 128, kSr));
}

TEST(HarmonicBank, RendersWithoutAllocating) {
  HarmonicSet a, b, c, d;
  for (HarmonicSet* s : {&a, &b, &c, &d}) {
    for (int h = 0; h < HarmonicSet::kHarmonics; ++h) {
      s->amplitude[h].add(0.0f, 0.01f);
      s->amplitude[h].add(2.0f, 0.01f);
      s->frequency[h].add(0.0f, h + 1.0f);
      s->frequency[h].add(2.0f, h + 1.0f);
    }
  }
  BlockCurve pitch(0.5f, 100.0f, 0.6f, 100.0f), envelope(0.5f, 1.0f, 0.6f, 1.0f), formant(0.0f, 1.0f, 1.0f, 0.5f);
  HarmonicSet* sets[4] = {&a, &b, &c, &d};
  const float times0[4] = {0.5f, 0.5f, 0.5f, 0.5f}, times1[4] = {0.6f, 0.6f, 0.6f, 0.6f}, gains[4] = {1, 1, 1, 1};
  float phases[HarmonicSet::kHarmonics] = {};
  float out[256] = {};
  test::AllocationCounter counter;
  renderHarmonics(a, out, 256, 0.5f, pitch.curve, envelope.curve, phases, &formant.curve);
  renderMorphedHarmonics(sets, out, 256, times0, times1, pitch.curve, envelope.curve, 0.5f, 0.6f, phases, 0.3f, 0.6f,
                         &formant.curve, gains);
  EXPECT_EQ(counter.count(), 0u);
  EXPECT_NE(out[255], 0.0f);
}

TEST(ZeroSkipBlend, SkipsAbsentSoundsInsteadOfGlidingFromZero) {
  EXPECT_FLOAT_EQ(zeroSkipBlend(1.0f, 3.0f, 5.0f, 7.0f, 0.5f, 0.5f), 4.0f);
  EXPECT_FLOAT_EQ(zeroSkipBlend(1.0f, 3.0f, 5.0f, 7.0f, 0.25f, 0.0f), 1.5f);
  EXPECT_FLOAT_EQ(zeroSkipBlend(0.0f, 3.0f, 0.0f, 0.0f, 0.1f, 0.0f), 3.0f);  // A absent: B at every x
  EXPECT_FLOAT_EQ(zeroSkipBlend(2.0f, 0.0f, 0.0f, 0.0f, 0.9f, 0.9f), 2.0f);
  EXPECT_FLOAT_EQ(zeroSkipBlend(0.0f, 0.0f, 5.0f, 7.0f, 0.5f, 0.1f), 6.0f);  // upper row absent
  EXPECT_FLOAT_EQ(zeroSkipBlend(2.0f, 4.0f, 0.0f, 6.0f, 0.5f, 0.5f), 4.5f);  // C absent: CD = D
  EXPECT_FLOAT_EQ(zeroSkipBlend(0.0f, 0.0f, 0.0f, 0.0f, 0.3f, 0.7f), 0.0f);
}

class MorphTest : public ::testing::Test {
protected:
  HarmonicSet a{false}, b{false}, c{false}, d{false};
  HarmonicSet* sets[4] = {&a, &b, &c, &d};
  float phases[HarmonicSet::kHarmonics] = {};
  float gains[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  float starts[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  float ends[4] = {1.1f, 1.1f, 1.1f, 1.1f};

  std::vector<float> render(int n, float x, float y, float p = 300.0f) {
    // The voice's own positions differ from the slots' times on purpose.
    BlockCurve pitch(5.0f, p, 5.5f, p);
    BlockCurve envelope(5.0f, 1.0f, 5.5f, 1.0f);
    std::vector<float> out(n, 0.0f);
    renderMorphedHarmonics(sets, out.data(), n, starts, ends, pitch.curve, envelope.curve, 5.0f, 5.5f, phases, x, y,
                           nullptr, gains);
    return out;
  }
};

TEST_F(MorphTest, CornersPlayTheirOwnSoundWithItsGain) {
  // Harmonic 2 with a different ratio and level in each sound; the level of D
  // rises over time, read at D's own start and end times.
  setHarmonic(a, 1, 0.1f, 1.8f);
  setHarmonic(b, 1, 0.2f, 2.0f);
  setHarmonic(c, 1, 0.3f, 2.2f);
  d.amplitude[1].add(0.0f, 0.0f);
  d.amplitude[1].add(1.0f, 1.0f);
  d.frequency[1].add(0.0f, 2.4f);
  starts[3] = 0.5f;
  ends[3] = 0.75f;
  gains[1] = 2.0f;
  const int n = 64;
  const struct {
    float x, y;
    Expected partial;
  } corners[] = {{0.0f, 0.0f, {540.0, 540.0, 0.1, 0.1}},
                 {1.0f, 0.0f, {600.0, 600.0, 0.4, 0.4}},
                 {0.0f, 1.0f, {660.0, 660.0, 0.3, 0.3}},
                 {1.0f, 1.0f, {720.0, 720.0, 0.5, 0.75}}};
  for (const auto& corner : corners) {
    phases[1] = 0.0f;
    expectSignal(render(n, corner.x, corner.y), reference({corner.partial}, n, kSr));
  }
  // The centre: amplitudes weighted by a quarter each, frequencies blended.
  phases[1] = 0.0f;
  const double a0 = 0.25 * (0.1 + 0.4 + 0.3 + 0.5), a1 = 0.25 * (0.1 + 0.4 + 0.3 + 0.75);
  expectSignal(render(n, 0.5f, 0.5f), reference({{630.0, 630.0, a0, a1}}, n, kSr));
}

TEST_F(MorphTest, HarmonicMissingInOneSoundKeepsTheOtherFrequency) {
  setHarmonic(b, 2, 0.5f, 3.0f);  // harmonic 3 only in B
  const int n = 64;
  const std::vector<float> out = render(n, 0.25f, 0.0f);
  expectSignal(out, reference({{900.0, 900.0, 0.125, 0.125}}, n, kSr));
}

TEST_F(MorphTest, EndRatioOfZeroInEverySoundKeepsTheStartFrequency) {
  b.amplitude[2].add(0.0f, 0.5f);
  b.amplitude[2].add(10.0f, 0.5f);
  b.frequency[2].add(0.0f, 3.0f);
  b.frequency[2].add(1.0f, 3.0f);
  b.frequency[2].add(1.1f, 0.0f);
  const int n = 64;
  expectSignal(render(n, 1.0f, 0.0f), reference({{900.0, 900.0, 0.5, 0.5}}, n, kSr));
}

TEST_F(MorphTest, QuietOrAbsentHarmonicsKeepTheirPhase) {
  setHarmonic(a, 0, 0.5f, 1.0f);
  setHarmonic(d, 5, 0.5f, 6.0f);
  phases[0] = 3.0f;
  phases[5] = 4.0f;
  phases[9] = 5.0f;
  // At corner D harmonic 1 of A has weight 0 and harmonic 6 plays.
  render(32, 1.0f, 1.0f);
  EXPECT_EQ(phases[0], 3.0f);
  EXPECT_NE(phases[5], 4.0f);
  EXPECT_EQ(phases[9], 5.0f);
}

TEST_F(MorphTest, PartialsAtOrAboveNyquistAreSkippedAndFadeBelowIt) {
  setHarmonic(a, 0, 0.6f, 1.0f);
  std::vector<float> out = render(33, 0.0f, 0.0f, kSr / 2.0f);
  for (float v : out) ASSERT_EQ(v, 0.0f);
  EXPECT_EQ(phases[0], 0.0f);
  const float f = kSr * 0.4f;
  expectSignal(render(64, 0.0f, 0.0f, f), reference({{f, f, 0.3, 0.3}}, 64, kSr), 2e-3);
}

}  // namespace
}  // namespace vt
