// Harmonic assignment, the partial resynthesis, the noise analysis and the
// whole analysis of synthetic tones.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "analysis/analyze_sound.h"
#include "analysis/blackman_stft.h"
#include "analysis/harmonic_assignment.h"
#include "analysis/noise_analysis.h"
#include "analysis/partial_resynthesis.h"

namespace vt::analysis {
namespace {

const double kNan = std::nan("");

// Tracks x frames tables with steady tracks at the given frequencies.
struct Tracks {
  RealMatrix f, a;
  Tracks(const std::vector<double>& freqs, const std::vector<double>& amps, int frames)
      : f(static_cast<int>(freqs.size()), frames), a(static_cast<int>(freqs.size()), frames) {
    for (int r = 1; r <= f.rows(); ++r)
      for (int j = 1; j <= frames; ++j) f(r, j) = freqs[r - 1], a(r, j) = amps[r - 1];
  }
};

std::vector<int> keptHarmonics(const HarmonicTables& t) {
  std::vector<int> kept;
  for (int h = 1; h <= kHarmonicCount; ++h)
    if (!std::isnan(t.frequency(h, 1))) kept.push_back(h);
  return kept;
}

TEST(AssignHarmonics, NumberingTiesGapsAndQuietRows) {
  const double f0 = 100.0;
  std::vector<double> freqs, amps;
  for (int h = 1; h <= 10; ++h) freqs.push_back(h * f0), amps.push_back(1.0);
  freqs.push_back(1600.0), amps.push_back(1.0);
  // Exactly between harmonics 2 and 3: belongs to neither.
  freqs.push_back(250.0), amps.push_back(5.0);
  Tracks t(freqs, amps, 20);
  HarmonicTables out = assignHarmonics(t.f, t.a, f0);
  EXPECT_EQ(keptHarmonics(out), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));  // 16 is too far above 10
  EXPECT_DOUBLE_EQ(out.frequency(2, 7), 200.0);
  EXPECT_DOUBLE_EQ(out.amplitude(2, 7), 1.0);

  // With 11 and 12 present, 16 is within four numbers and stays; a harmonic
  // that never reaches 0.125 is dropped.
  freqs = {100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 1100, 1200, 1600};
  amps.assign(freqs.size(), 1.0);
  amps[4] = 0.12;
  Tracks t2(freqs, amps, 20);
  out = assignHarmonics(t2.f, t2.a, f0);
  EXPECT_EQ(keptHarmonics(out), (std::vector<int>{1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 16}));
}

TEST(AssignHarmonics, CompetingTracksAndGaps) {
  const double f0 = 200.0;
  const int frames = 40;
  // Two tracks near harmonic 1: the louder one wins while both are there,
  // the quieter fills in where the louder is missing; a late sparse track
  // near 3 f0 and a sub-harmonic are dropped; the gap of harmonic 2 in one
  // frame gets its mean frequency.
  RealMatrix f(5, frames, Fill::nan), a(5, frames, Fill::nan);
  for (int j = 1; j <= frames; ++j) {
    if (j != 10) f(1, j) = 201.0, a(1, j) = 2.0;
    f(2, j) = 203.0, a(2, j) = 1.0;
    if (j != 20) f(3, j) = 400.0 + (j % 2), a(3, j) = 1.0;
    if (j > 30 && j < 34) f(4, j) = 600.0, a(4, j) = 1.0;
    f(5, j) = 90.0, a(5, j) = 3.0;
  }
  const HarmonicTables out = assignHarmonics(f, a, f0);
  EXPECT_DOUBLE_EQ(out.frequency(1, 5), 201.0);
  EXPECT_DOUBLE_EQ(out.frequency(1, 10), 203.0);
  EXPECT_DOUBLE_EQ(out.amplitude(1, 10), 1.0);
  EXPECT_NEAR(out.frequency(2, 20), 400.5128, 1e-3);  // mean over the 39 present frames
  EXPECT_TRUE(std::isnan(out.amplitude(2, 20)));
  EXPECT_EQ(keptHarmonics(out), (std::vector<int>{1, 2}));
}

TEST(ResynthesizePartials, FadesInOverTheHopBeforeItsFirstFrame) {
  const int hop = 64;
  const double sr = 8000.0, freq = 500.0, period = hop / sr;
  // Padded columns: the partial exists from column 5 on, with phases that
  // advance exactly by its frequency.
  const int columns = 10;
  RealMatrix a(1, columns, Fill::nan), f(1, columns, Fill::nan), p(1, columns, Fill::nan);
  for (int c = 5; c <= columns; ++c) {
    a(1, c) = 0.5;
    f(1, c) = freq;
    p(1, c) = 0.3 + 2 * M_PI * freq * period * (c - 5);
  }
  a(1, 4) = f(1, 4) = p(1, 4) = 0.0;  // the padding column before the first frame
  const RealVector out = resynthesizePartials(a, f, p, hop, sr);
  ASSERT_EQ(out.size(), hop * (columns - 1));
  for (int i = 0; i < 3 * hop; ++i) ASSERT_EQ(out[i], 0.0) << i;
  const double onsetPhase = 0.3 - 2 * M_PI * freq * period;
  for (int n = 0; n < 6 * hop; ++n) {
    const double amplitude = n < hop ? 0.5 * n / hop : 0.5;
    ASSERT_NEAR(out[3 * hop + n], amplitude * std::cos(onsetPhase + 2 * M_PI * freq * n / sr), 1e-9) << n;
  }
}

TEST(AnalyzeNoise, BandsAtEveryRateAndTheGate) {
  EXPECT_EQ(noiseHalfLength(44100.0), 256);
  EXPECT_EQ(noiseHalfLength(22050.0), 128);
  EXPECT_EQ(noiseHalfLength(96000.0), 512);
  EXPECT_EQ(noiseHalfLength(3000.0), 16);  // r = 17: 16 is nearer than 32

  std::mt19937 random(7);
  std::normal_distribution<double> normal(0.0, 0.1);
  RealVector loud(22050);
  for (double& x : loud) x = normal(random);
  const RealMatrix low = analyzeNoise(loud, 22050.0);
  ASSERT_EQ(low.rows(), 256);
  EXPECT_GT(low(128, 10), 0.0);
  EXPECT_EQ(low(129, 10), 0.0);
  EXPECT_EQ(low(256, 10), 0.0);

  // Loud for the first 30 frames, then quiet: the quiet frames fade by 0.03 each.
  RealVector mixed(256 * 101);
  for (int i = 0; i < mixed.size(); ++i) mixed[i] = normal(random) * (i < 256 * 30 ? 1.0 : 0.001);
  const RealMatrix gated = analyzeNoise(mixed, 44100.0);
  const ComplexSpectrogram raw = blackmanStft(mixed, 512, 256);
  ASSERT_EQ(gated.cols(), 100);
  const auto ratio = [&](int band, int j) {
    return gated(band, j) / std::hypot(raw.re(band + 1, j), raw.im(band + 1, j));
  };
  EXPECT_NEAR(ratio(50, 10), 1.0, 1e-12);
  EXPECT_NEAR(ratio(50, 40), 1.0 - 0.03 * 10, 1e-9);  // frames 31 .. 40 are quiet
  EXPECT_EQ(gated(50, 90), 0.0);
  EXPECT_EQ(analyzeNoise(RealVector(100), 44100.0).rows(), 257);  // too short: one silent column
}

// A steady harmonic tone with 1/h amplitudes and a little noise.
RealVector harmonicTone(double f0, int harmonics, double seconds, double sr, double noise, unsigned seed) {
  RealVector x(static_cast<int>(seconds * sr));
  std::mt19937 random(seed);
  std::normal_distribution<double> normal(0.0, noise);
  for (int i = 0; i < x.size(); ++i) {
    double s = 0.0;
    for (int h = 1; h <= harmonics; ++h) s += 0.4 / h * std::sin(2 * M_PI * h * f0 * i / sr + h);
    x[i] = s + (noise > 0 ? normal(random) : 0.0);
  }
  return x;
}

double middleMedian(const RealMatrix& m, int row) {
  std::vector<double> v;
  for (int j = m.cols() / 4; j <= 3 * m.cols() / 4; ++j)
    if (!std::isnan(m(row, j))) v.push_back(m(row, j));
  if (v.empty()) return kNan;
  std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
  return v[v.size() / 2];
}

TEST(AnalyzeSound, HarmonicToneComesBackWithItsAmplitudes) {
  const double sr = 44100.0, f0 = 220.0;
  const SoundAnalysis result = analyzeSound(harmonicTone(f0, 12, 2.0, sr, 0.001, 3), sr, f0);
  ASSERT_EQ(result.harmonicAmplitude.rows(), 64);
  EXPECT_NEAR(result.framePeriod, 512 / sr, 1e-12);
  const double first = middleMedian(result.harmonicAmplitude, 1);
  EXPECT_NEAR(first, 0.84 * 0.4, 0.02);  // Blackman peak over size / 4: 0.84 of the amplitude
  for (int h = 1; h <= 12; ++h) {
    const double ratioDb = 20 * std::log10(middleMedian(result.harmonicAmplitude, h) / first);
    EXPECT_NEAR(ratioDb, 20 * std::log10(1.0 / h), 1.0) << h;
    EXPECT_NEAR(middleMedian(result.harmonicFrequency, h), h * f0, 0.5) << h;
  }
  for (int h = 13; h <= 64; ++h) EXPECT_TRUE(std::isnan(middleMedian(result.harmonicAmplitude, h))) << h;
  // Past the onset (which the partials only fade into) the residual is the
  // added noise, far below the tone: the fundamental's band would read about
  // 0.21 * 512 * 0.4 = 43 if the partials were not removed.
  double loudest = 0.0;
  for (int b = 1; b <= 256; ++b)
    for (int j = 10; j <= result.noise.cols() - 10; ++j) loudest = std::max(loudest, result.noise(b, j));
  EXPECT_LT(loudest, 0.5);
}

TEST(AnalyzeSound, SilenceAndShortBlocksGiveNoPartials) {
  for (const int length : {0, 100, 4000}) {
    const SoundAnalysis result = analyzeSound(RealVector(length), 44100.0, 440.0);
    EXPECT_EQ(result.harmonicFrequency.rows(), 64) << length;
    EXPECT_EQ(result.harmonicFrequency.cols(), 1) << length;
    EXPECT_TRUE(std::isnan(result.harmonicAmplitude(1, 1)));
    EXPECT_EQ(result.noise.cols() >= 1, true);
  }
}

}  // namespace
}  // namespace vt::analysis
