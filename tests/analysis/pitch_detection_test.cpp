#include "analysis/pitch_detection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace vt::analysis {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Tone {
  double f0 = 220.0;
  double seconds = 2.5;
  double sampleRate = 44100.0;
  bool missingFundamental = false;
  double noise = 0.0;  // standard deviation of added white noise, before normalising
  unsigned seed = 1;
};

// A harmonic tone with amplitudes 1/h (harmonics below 10 kHz and Nyquist, at
// most 16), random phases, optional white noise, normalised to a peak of 1 as
// import leaves it.
std::vector<float> harmonicTone(const Tone& tone) {
  std::mt19937 random(tone.seed);
  std::uniform_real_distribution<double> phase(0.0, 2 * kPi);
  std::normal_distribution<double> noise(0.0, 1.0);
  const int count = static_cast<int>(tone.seconds * tone.sampleRate);
  std::vector<double> x(count, 0.0);
  for (int h = tone.missingFundamental ? 2 : 1; h <= 16 && h * tone.f0 < std::min(10000.0, 0.45 * tone.sampleRate);
       ++h) {
    // A rotating phasor, re-anchored every 4096 samples.
    const double w = 2 * kPi * h * tone.f0 / tone.sampleRate;
    const double p = phase(random);
    const double stepRe = std::cos(w), stepIm = std::sin(w);
    double re = 0.0, im = 0.0;
    for (int i = 0; i < count; ++i) {
      if (i % 4096 == 0) {
        re = std::cos(w * i + p);
        im = std::sin(w * i + p);
      }
      x[i] += im / h;
      const double nextRe = re * stepRe - im * stepIm;
      im = re * stepIm + im * stepRe;
      re = nextRe;
    }
  }
  if (tone.noise > 0.0)
    for (double& v : x) v += tone.noise * noise(random);
  double peak = 0.0;
  for (double v : x) peak = std::max(peak, std::fabs(v));
  std::vector<float> out(count);
  for (int i = 0; i < count; ++i) out[i] = static_cast<float>(x[i] / peak);
  return out;
}

double detect(const Tone& tone) {
  const std::vector<float> x = harmonicTone(tone);
  return detectPitch(x.data(), x.size(), tone.sampleRate);
}

PitchPeaks peaksOf(std::vector<double> frequencies, std::vector<double> values) {
  PitchPeaks p{RealVector(static_cast<int>(frequencies.size())), RealVector(static_cast<int>(values.size()))};
  for (std::size_t i = 0; i < frequencies.size(); ++i) {
    p.frequencies[static_cast<int>(i)] = frequencies[i];
    p.values[static_cast<int>(i)] = values[i];
  }
  return p;
}

std::vector<double> values(const RealVector& v) { return std::vector<double>(v.begin(), v.end()); }

TEST(PitchDetection, HarmonicTonesFrom30HzTo2kHzWithMissingFundamentalAndNoise) {
  const double fundamentals[] = {30.0,  36.7,  46.2,  55.0,  73.4,  98.0,   130.8,  185.0,
                                 261.6, 349.2, 440.0, 622.3, 784.0, 1046.5, 1479.9, 2000.0};
  for (double f0 : fundamentals) {
    for (int variant = 0; variant < 3; ++variant) {
      Tone tone;
      tone.f0 = f0;
      tone.missingFundamental = variant == 1;
      tone.noise = variant == 2 ? 0.3 : 0.0;
      tone.seed = static_cast<unsigned>(f0 * 10) + variant;
      tone.seconds = 2.0 + 0.5 * variant;
      EXPECT_NEAR(detect(tone), f0, std::max(0.01 * f0, 1.5)) << "variant " << variant;
    }
  }
  // Other sample rates.
  for (double rate : {22050.0, 48000.0, 96000.0}) {
    Tone tone;
    tone.sampleRate = rate;
    tone.f0 = 164.8;
    tone.missingFundamental = true;
    tone.noise = 0.1;
    EXPECT_NEAR(detect(tone), tone.f0, 1.65) << rate;
  }
}

TEST(PitchDetection, ShortTonesWithinOneSpectrumBin) {
  for (double seconds : {0.25, 0.5, 0.8}) {
    for (double f0 : {110.0, 196.0, 330.0, 523.3, 880.0, 1568.0}) {
      Tone tone;
      tone.f0 = f0;
      tone.seconds = seconds;
      tone.seed = static_cast<unsigned>(f0);
      const std::vector<float> x = harmonicTone(tone);
      const PitchStretch stretch = findPitchStretch(x.data(), x.size(), tone.sampleRate);
      ASSERT_GT(stretch.frameLength, 0);
      const double bin = tone.sampleRate / stretch.frameLength;
      EXPECT_NEAR(detectPitch(x.data(), x.size(), tone.sampleRate), f0, bin) << seconds << " s, bin " << bin;
    }
  }
}

TEST(PitchDetection, AnalysedStretchAndFrameLength) {
  const double rate = 44100.0;
  // 0.5 s: from the first sample; 0.6 s: the first 0.18 s skipped.
  std::vector<float> loud(static_cast<std::size_t>(0.5 * rate), 0.5f);
  PitchStretch s = findPitchStretch(loud.data(), loud.size(), rate);
  EXPECT_EQ(s.start, 1);
  EXPECT_EQ(s.end, 22050);
  EXPECT_EQ(s.frameLength, 8192);  // largest power of two <= 11024
  loud.assign(static_cast<std::size_t>(0.6 * rate), 0.5f);
  s = findPitchStretch(loud.data(), loud.size(), rate);
  EXPECT_EQ(s.start, 7938);

  // 4 s whose samples after 1 s never exceed 0.05 (negative ones do not
  // count): analysed to the end, and the frame length is capped.
  std::vector<float> x(static_cast<std::size_t>(4 * rate), 0.0f);
  for (std::size_t i = 0; i < x.size(); ++i) x[i] = i + 1 < rate ? 0.9f : -0.9f * (i % 2);
  s = findPitchStretch(x.data(), x.size(), rate);
  EXPECT_EQ(s.end, 176400);
  EXPECT_EQ(s.frameLength, kPitchMaxFrameLength);
  // A loud sample found stepping back from the end by 20 ends the stretch.
  x[175600 - 1] = 0.06f;
  x[175607 - 1] = 0.5f;  // not on the 20-sample grid
  EXPECT_EQ(findPitchStretch(x.data(), x.size(), rate).end, 175600);
}

TEST(PitchDetection, PeakPruning) {
  // A made-up rate for round numbers: bin i at 2 i Hz.
  const int frameLength = 1024;
  const double rate = 2048.0;
  auto spectrumWith = [&](std::vector<std::pair<int, double>> bumps, double floor) {
    RealVector s(frameLength / 2, Fill::zeros);
    s.fill(floor);
    for (auto [bin, value] : bumps) s[bin - 1] = value;
    return s;
  };
  // 100 Hz peak (bin 50) with a stronger one 10 Hz away: dropped. 12 Hz
  // away with a valley to 0 between them: kept.
  PitchPeakSearch r = findPitchPeaks(spectrumWith({{50, 500}, {55, 900}}, 0.0), frameLength, rate);
  EXPECT_EQ(values(r.peaks.frequencies), (std::vector<double>{110}));
  EXPECT_EQ(r.strongestFrequency, 110.0);
  r = findPitchPeaks(spectrumWith({{50, 500}, {56, 900}}, 0.0), frameLength, rate);
  EXPECT_EQ(values(r.peaks.frequencies), (std::vector<double>{100, 112}));
  // A steep rise within 0.75 x the lowest peak's frequency with no valley
  // below 100 between: the weaker one goes; with a valley it stays.
  RealVector plateau = spectrumWith({{50, 300}, {60, 900}}, 0.0);
  for (int bin = 51; bin < 60; ++bin) plateau[bin - 1] = 150;
  plateau[49 - 1] = 150;  // keep bin 50 a peak above its left neighbour
  r = findPitchPeaks(plateau, frameLength, rate);
  EXPECT_EQ(values(r.peaks.frequencies), (std::vector<double>{120}));
  plateau[55 - 1] = 90;
  r = findPitchPeaks(plateau, frameLength, rate);
  EXPECT_EQ(values(r.peaks.frequencies), (std::vector<double>{100, 120}));
  // Only bins strictly between 25 and 9000 Hz count.
  r = findPitchPeaks(spectrumWith({{12, 5000}, {40, 600}}, 0.0), frameLength, rate);
  EXPECT_EQ(values(r.peaks.frequencies), (std::vector<double>{80}));
  EXPECT_EQ(r.strongestFrequency, 80.0);
}

TEST(PitchDetection, StrongestPeaksCandidateRangeAndMismatch) {
  // Twelve peaks: the nine largest (first on ties) in ascending frequency.
  const PitchPeaks many =
      peaksOf({100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 1100, 1200}, {5, 1, 9, 2, 7, 2, 8, 3, 6, 4, 2, 10});
  const PitchPeaks chosen = strongestPitchPeaks(many, 9);
  EXPECT_EQ(values(chosen.frequencies), (std::vector<double>{100, 300, 400, 500, 700, 800, 900, 1000, 1200}));
  EXPECT_EQ(values(chosen.values), (std::vector<double>{5, 9, 2, 7, 8, 3, 6, 4, 10}));

  // The sweep starts at the closest spacing, at least 24 Hz; above the
  // strongest frequency it starts at the lowest peak instead.
  EXPECT_EQ(lowestPitchCandidate(peaksOf({100, 110, 300}, {1, 1, 1}), 300), 24.0);
  EXPECT_EQ(lowestPitchCandidate(peaksOf({100, 150, 300}, {1, 1, 1}), 300), 50.0);
  EXPECT_EQ(lowestPitchCandidate(peaksOf({440}, {1}), 440), 440.0);
  EXPECT_EQ(lowestPitchCandidate(peaksOf({300, 500}, {1, 1}), 150), 300.0);
  EXPECT_EQ(sweepPitchCandidates(peaksOf({440}, {1}), 440), 440.0);
  EXPECT_EQ(sweepPitchCandidates(PitchPeaks{}, 123.0), 123.0);

  // A perfect match: every distance 0, every term -0.5 x a / Amax.
  EXPECT_DOUBLE_EQ(twoWayMismatch(100, peaksOf({100, 200}, {1, 1})), -0.5 + 3.0 * -1.0 / 2);
  // One harmonic off by 10 Hz at 200 Hz with value 0.5 of the maximum.
  const double term = 10 / std::sqrt(200.0) + 0.5 * (1.4 * 10 / std::sqrt(200.0) - 0.5);
  EXPECT_DOUBLE_EQ(
      twoWayMismatch(105, peaksOf({105, 200}, {1, 0.5})),
      (-0.5 + (10 / std::sqrt(210.0) + 0.5 * (1.4 * 10 / std::sqrt(210.0) - 0.5))) / 2 + 3.0 * (-0.5 + term) / 2);
}

TEST(PitchDetection, EmptyShortSilentAndBadInputGiveAFiniteFallback) {
  EXPECT_EQ(detectPitch(nullptr, 100, 44100.0), 0.0);
  const std::vector<float> three{0.1f, -0.2f, 0.3f};
  EXPECT_EQ(detectPitch(three.data(), 0, 44100.0), 0.0);
  EXPECT_EQ(detectPitch(three.data(), 1, 44100.0), 0.0);
  EXPECT_EQ(detectPitch(three.data(), 3, 44100.0), 0.0);  // frame length 1: no bins
  const std::vector<float> tone = harmonicTone(Tone{});
  for (double rate : {0.0, -44100.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()})
    EXPECT_EQ(detectPitch(tone.data(), tone.size(), rate), 0.0);

  // Silence has no peaks: the strongest (first) bin of the search range.
  const std::vector<float> silence(44100, 0.0f);
  const PitchStretch s = findPitchStretch(silence.data(), silence.size(), 44100.0);
  const double bin = 44100.0 / s.frameLength;
  EXPECT_DOUBLE_EQ(detectPitch(silence.data(), silence.size(), 44100.0), std::floor(25.0 / bin + 1) * bin);

  // NaN samples neither crash nor give a non-finite result; a tiny rate
  // still reads only inside the block.
  std::vector<float> poisoned = tone;
  poisoned[30000] = std::numeric_limits<float>::quiet_NaN();
  EXPECT_TRUE(std::isfinite(detectPitch(poisoned.data(), poisoned.size(), 44100.0)));
  EXPECT_TRUE(std::isfinite(detectPitch(tone.data(), 500, 0.5)));
}

}  // namespace
}  // namespace vt::analysis
