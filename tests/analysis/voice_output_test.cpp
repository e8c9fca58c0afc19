// Envelope reduction and the voice data written from an analysis: time
// thinning, the end of the sound, the lists within the voice reader's limits,
// the "no partials" voice, and a synthetic tone that comes back through the
// block readers with its harmonic balance.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "analysis/analyze_audio_file.h"
#include "analysis/harmonic_assignment.h"
#include "analysis/harmonic_reduction.h"
#include "analysis/noise_analysis.h"
#include "analysis/noise_reduction.h"
#include "analysis/voice_data_writer.h"
#include "engine/harmonic_set.h"
#include "engine/noise_set.h"
#include "files/byte_stream.h"
#include "files/harmonic_block.h"
#include "files/noise_block.h"

namespace vt::analysis {
namespace {

std::vector<double> timesOf(const RealMatrix& table) {
  std::vector<double> t;
  for (int k = 1; k <= table.cols(); ++k) t.push_back(table(1, k));
  return t;
}

// 64 x frames tables: harmonic h at h * f0 with amplitude level(h, frame).
template <typename Level>
HarmonicBreakpoints reduceSteady(int frames, double T, double f0, Level level, int limit = kMaxHarmonicBreakpoints) {
  RealMatrix f(kHarmonicCount, frames), a(kHarmonicCount, frames);
  for (int h = 1; h <= kHarmonicCount; ++h)
    for (int j = 1; j <= frames; ++j) f(h, j) = h * f0, a(h, j) = level(h, j);
  HarmonicReductionSettings settings;
  settings.limit = limit;
  return reduceHarmonics(f, a, T, f0, settings);
}

void expectTimes(const std::vector<double>& got, const std::vector<double>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-9) << i;
}

TEST(ReduceHarmonics, TimeThinningAndTheEndOfTheSound) {
  auto loud = [](int, int) { return 0.5; };
  // Frames 20 ms apart thin to 40 ms steps, 10 ms apart to 30 ms steps; the last stays.
  HarmonicBreakpoints r = reduceSteady(6, 0.02, 100.0, loud);
  expectTimes(timesOf(r.amplitude), {0.0, 0.04, 0.08, 0.10});
  expectTimes(timesOf(r.frequency), {0.0, 0.04, 0.08, 0.10});
  r = reduceSteady(11, 0.01, 100.0, loud);
  expectTimes(timesOf(r.amplitude), {0.0, 0.03, 0.06, 0.09, 0.10});

  // Sparse frames: the last breakpoint comes at most 0.25 s after the one
  // before and is silent; frequencies are kept there.
  r = reduceSteady(10, 0.5, 100.0, loud);
  const int n = r.amplitude.cols();
  ASSERT_EQ(n, 10);
  EXPECT_NEAR(r.amplitude(1, n), 4.25, 1e-12);
  for (int h = 1; h <= kHarmonicCount; ++h) {
    EXPECT_EQ(r.amplitude(h + 1, n), 0.0);
    EXPECT_EQ(r.amplitude(h + 1, n - 1), 0.5);
    EXPECT_EQ(r.frequency(h + 1, n), h * 100.0);
  }

  // Trailing silence: one breakpoint after the last sounding one is kept.
  r = reduceSteady(10, 0.5, 100.0, [](int, int j) { return j <= 4 ? 0.5 : 0.0; });
  expectTimes(timesOf(r.amplitude), {0.0, 0.5, 1.0, 1.5, 1.75});

  // Tables of different shapes give nothing.
  const HarmonicBreakpoints bad = reduceHarmonics(RealMatrix(64, 5), RealMatrix(64, 6), 0.01, 100.0);
  EXPECT_TRUE(bad.frequency.empty() && bad.amplitude.empty());
}

TEST(ReduceHarmonics, LongSoundsKeepAtMost80BreakpointsOnBothTables) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> jitter(0.9, 1.1);
  std::vector<double> noise(64 * 600);
  for (double& x : noise) x = jitter(rng);
  // A decaying, slightly rough sound of 600 frames with a vibrato.
  RealMatrix f(kHarmonicCount, 600), a(kHarmonicCount, 600);
  for (int h = 1; h <= kHarmonicCount; ++h) {
    for (int j = 1; j <= 600; ++j) {
      f(h, j) = h * 220.0 * (1.0 + 0.01 * std::sin(j * 0.3));
      a(h, j) = std::exp(-j / 200.0) / h * noise[static_cast<std::size_t>((h - 1) * 600 + j - 1)];
    }
  }
  const HarmonicBreakpoints r = reduceHarmonics(f, a, 0.0116, 220.0);
  ASSERT_EQ(r.frequency.rows(), 65);
  ASSERT_EQ(r.amplitude.rows(), 65);
  ASSERT_EQ(r.frequency.cols(), r.amplitude.cols());
  EXPECT_LE(r.amplitude.cols(), kMaxHarmonicBreakpoints);
  EXPECT_GE(r.amplitude.cols(), 10);
  const std::vector<double> t = timesOf(r.amplitude);
  EXPECT_EQ(t.front(), 0.0);
  for (std::size_t k = 1; k < t.size(); ++k) EXPECT_GT(t[k], t[k - 1]);
  for (std::size_t k = 1; k + 1 < t.size(); ++k) EXPECT_GE(t[k + 1] - t[k - 1], 0.03 - 1e-9);
}

TEST(ReduceNoise, LimitsKeptBandsAndTheEnd) {
  // A noisy, decaying residual of 5 s: 256 bands x 861 frames.
  std::mt19937 rng(9);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  RealMatrix noise(kNoiseBandCount, 861);
  for (int b = 1; b <= kNoiseBandCount; ++b)
    for (int j = 1; j <= 861; ++j) noise(b, j) = 20.0 * u(rng) * std::exp(-j / 300.0) / std::sqrt(b);
  const RealMatrix r = reduceNoise(noise);
  ASSERT_GE(r.cols(), 3);
  const int breakpoints = r.cols() - 1, bands = r.rows() - 1;
  EXPECT_LE(breakpoints, kMaxNoiseBreakpoints);
  EXPECT_LE(bands, kMaxNoiseBands);
  std::vector<int> numbers;
  for (int i = 2; i <= r.rows(); ++i) numbers.push_back(static_cast<int>(r(i, 1)));
  for (int kept : kKeptNoiseBands) EXPECT_NE(std::find(numbers.begin(), numbers.end(), kept), numbers.end()) << kept;
  for (std::size_t i = 1; i < numbers.size(); ++i) EXPECT_GT(numbers[i], numbers[i - 1]);
  EXPECT_EQ(r(1, 2), 0.0);
  for (int k = 3; k <= r.cols(); ++k) EXPECT_GT(r(1, k), r(1, k - 1));
  for (int i = 2; i <= r.rows(); ++i) {
    EXPECT_EQ(r(i, r.cols()), 0.0);  // the noise ends in silence
    const int band = static_cast<int>(r(i, 1));
    EXPECT_EQ(r(i, 2), noise(band, 1));  // breakpoint values are the table's own
  }

  // Fewer than two frames, or no bands: no breakpoints.
  EXPECT_TRUE(reduceNoise(RealMatrix(kNoiseBandCount, 1, Fill::ones)).empty());
  EXPECT_TRUE(reduceNoise(RealMatrix()).empty());
  // A quiet residual keeps only its first breakpoint, silent.
  const RealMatrix quiet = reduceNoise(RealMatrix(kNoiseBandCount, 100, Fill::zeros));
  ASSERT_EQ(quiet.cols(), 2);
}

// Reads one harmonic block and one noise block from the start of 'bytes'.
struct LoadedLayer {
  HarmonicSet harmonics;
  NoiseSet noise;
  bool ok = false;
  int unread = -1;
};

void loadLayer(const std::uint8_t* bytes, std::int32_t size, LoadedLayer& out) {
  ByteStream s;
  s.openMemoryForReading(bytes, size);
  out.ok = readHarmonicBlock(s, out.harmonics) && readNoiseBlock(s, out.noise);
  out.unread = s.remaining();
  s.close();
}

TEST(AnalyzeAudioFile, ABlockShorterThanOneFrameGivesTheNoPartialsVoice) {
  for (int count : {0, 100, 1023}) {  // one frame at 220 Hz is 1024 samples
    ImportedAudio audio;
    audio.samples.reset(new float[2048]);
    for (int i = 0; i < 2048; ++i) audio.samples[i] = 0.5f * std::sin(i * 0.1f);
    audio.count = count;
    audio.sampleRate = 44100.0f;
    std::vector<std::uint8_t> buffer(ByteStream::kCapacity);
    ByteStream stream;
    ASSERT_TRUE(analyzeAudioFile(audio, 220.0f, stream, buffer.data(), ByteStream::kCapacity));
    EXPECT_EQ(stream.getMode(), ByteStream::ReadMemory);
    EXPECT_FLOAT_EQ(stream.readFloat(), 220.0f);
    // Harmonic 1: one breakpoint at 0 with amplitude 0; the rest empty.
    EXPECT_EQ(stream.readInt(), 1);
    EXPECT_EQ(stream.readFloat(), 0.0f);
    EXPECT_EQ(stream.readFloat(), 0.0f);
    for (int h = 2; h <= 64; ++h) EXPECT_EQ(stream.readInt(), 0) << h;
    EXPECT_EQ(stream.readInt(), 1);
    EXPECT_EQ(stream.readFloat(), 0.0f);
    EXPECT_EQ(stream.readFloat(), 0.0f);  // frequency ratio 0
    for (int h = 2; h <= 64; ++h) EXPECT_EQ(stream.readInt(), 0) << h;
    // The whole block is noise: at most one (silent) breakpoint here.
    EXPECT_LE(stream.readInt(), 1);
    const std::int32_t size = stream.getSize();
    stream.close();

    LoadedLayer layer;
    loadLayer(buffer.data(), size, layer);
    EXPECT_TRUE(layer.ok);
    EXPECT_EQ(layer.unread, 0);
    EXPECT_EQ(layer.harmonics.amplitude[0].count(), 1);
  }
}

// A tone of harmonics with known amplitudes, an onset and a little noise.
std::vector<float> syntheticTone(double f0, const std::vector<double>& amps, double seconds, double rate,
                                 double noiseLevel, unsigned seed) {
  const int n = static_cast<int>(seconds * rate);
  std::vector<float> x(static_cast<std::size_t>(n));
  std::mt19937 rng(seed);
  std::normal_distribution<double> g(0.0, noiseLevel);
  for (int i = 0; i < n; ++i) {
    const double t = i / rate;
    const double env = std::min(1.0, t / 0.02) * (t > seconds - 0.3 ? (seconds - t) / 0.3 : 1.0);
    double s = 0.0;
    for (std::size_t h = 0; h < amps.size(); ++h) s += amps[h] * std::sin(2.0 * M_PI * f0 * (h + 1) * t + h);
    x[static_cast<std::size_t>(i)] = static_cast<float>(env * s + g(rng));
  }
  return x;
}

TEST(AnalyzeAudioFile, ASyntheticToneComesBackWithItsHarmonicBalance) {
  const double f0 = 220.0, rate = 44100.0;
  const std::vector<double> amps = {0.4, 0.2, 0.15, 0.08, 0.05, 0.03, 0.02, 0.01};
  const std::vector<float> x = syntheticTone(f0, amps, 2.0, rate, 0.001, 3);
  ImportedAudio audio;
  audio.samples.reset(new float[x.size()]);
  std::copy(x.begin(), x.end(), audio.samples.get());
  audio.count = static_cast<int>(x.size());
  audio.sampleRate = static_cast<float>(rate);

  std::vector<std::uint8_t> buffer(ByteStream::kCapacity);
  ByteStream stream;
  VoiceData data;
  ASSERT_TRUE(analyzeAudioFile(audio, static_cast<float>(f0), stream, buffer.data(), ByteStream::kCapacity, &data));
  const std::int32_t size = stream.getSize();
  stream.close();
  EXPECT_LE(data.harmonicBreakpoints(), kMaxHarmonicBreakpoints);
  EXPECT_LE(data.noiseBreakpoints(), kMaxNoiseBreakpoints);
  EXPECT_LE(data.noiseBands(), kMaxNoiseBands);
  EXPECT_EQ(data.partials(), static_cast<int>(amps.size()));

  LoadedLayer layer;
  loadLayer(buffer.data(), size, layer);
  ASSERT_TRUE(layer.ok);
  EXPECT_EQ(layer.unread, 0);
  EXPECT_FLOAT_EQ(layer.harmonics.baseFrequency, 220.0f);
  EXPECT_GT(layer.noise.count, 0);
  EXPECT_LE(layer.noise.count, kMaxNoiseBreakpoints);
  // Relative levels in the steady middle, and ratios near the harmonic numbers.
  for (float t : {0.5f, 1.0f, 1.4f}) {
    const double first = layer.harmonics.amplitude[0].evaluate(t);
    ASSERT_GT(first, 0.0);
    for (std::size_t h = 1; h < amps.size(); ++h) {
      const double got = 20.0 * std::log10(layer.harmonics.amplitude[h].evaluate(t) / first);
      const double want = 20.0 * std::log10(amps[h] / amps[0]);
      EXPECT_NEAR(got, want, 1.0) << "harmonic " << h + 1 << " at " << t;
      EXPECT_NEAR(layer.harmonics.frequency[h].evaluate(t), h + 1.0, 0.01);
    }
    for (int h = static_cast<int>(amps.size()); h < 64; ++h) EXPECT_EQ(layer.harmonics.amplitude[h].count(), 0);
  }
  // A steady partial is stored at its own amplitude, the level playback renders.
  EXPECT_NEAR(20.0 * std::log10(layer.harmonics.amplitude[0].evaluate(1.0f) / amps[0]), 0.0, 0.5);
}

TEST(AnalyzeAudioFile, PartialsSoundWhenTheySoundInTheInputAndLowOnesStayAsNoise) {
  // A 440 Hz tone that starts after 0.3 s of silence, over a steady 100 Hz
  // hum: below half the root no harmonic can take the hum, so it must reach the
  // voice as noise.
  const double f0 = 440.0, rate = 44100.0, onset = 0.3;
  const int n = static_cast<int>(1.5 * rate);
  std::vector<float> x(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double t = i / rate;
    const double tone = t >= onset ? 0.3 * std::sin(2.0 * M_PI * f0 * (t - onset)) : 0.0;
    x[static_cast<std::size_t>(i)] = static_cast<float>(tone + 0.1 * std::sin(2.0 * M_PI * 100.0 * t));
  }
  ImportedAudio audio;
  audio.samples.reset(new float[x.size()]);
  std::copy(x.begin(), x.end(), audio.samples.get());
  audio.count = n;
  audio.sampleRate = static_cast<float>(rate);
  std::vector<std::uint8_t> buffer(ByteStream::kCapacity);
  ByteStream stream;
  VoiceData data;
  ASSERT_TRUE(analyzeAudioFile(audio, static_cast<float>(f0), stream, buffer.data(), ByteStream::kCapacity, &data,
                               nullptr, formatLimitReduction()));
  const std::int32_t size = stream.getSize();
  stream.close();
  LoadedLayer layer;
  loadLayer(buffer.data(), size, layer);
  ASSERT_TRUE(layer.ok);

  // Harmonic 1 reaches half its steady amplitude where the input's tone starts
  // (a frame's values belong to its window's centre), within half a frame.
  BreakpointCurve& a1 = layer.harmonics.amplitude[0];
  const double steady = a1.evaluate(1.0f);
  EXPECT_NEAR(steady, 0.3, 0.3 * 0.06);
  double half = -1.0;
  for (int i = 0; i < 1000 && half < 0.0; ++i)
    if (a1.evaluate(i * 0.001f) >= 0.5 * steady) half = i * 0.001;
  EXPECT_NEAR(half, onset, 0.5 * data.framePeriod);

  // The noise bands at 86 and 172 Hz carry the hum: a sine of amplitude 0.1
  // shows a Blackman peak of about 0.21 * 512 * 0.1 near its frequency.
  const int middle = 1 + (data.noiseBreakpoints() + 1) / 2;
  double hum = 0.0;
  for (int r = 2; r <= data.noise.rows(); ++r)
    if (data.noise(r, 1) <= 2.0) hum = std::max(hum, data.noise(r, middle));
  EXPECT_GT(hum, 5.0);
}

TEST(AnalyzeAudioFile, TheLightestReductionStillFitsTheVoiceFormat) {
  // 6 s at 110 Hz: 258 analysis frames and about 1000 noise frames to thin.
  const std::vector<float> x = syntheticTone(110.0, {0.4, 0.3, 0.2, 0.1}, 6.0, 44100.0, 0.02, 8);
  ImportedAudio audio;
  audio.samples.reset(new float[x.size()]);
  std::copy(x.begin(), x.end(), audio.samples.get());
  audio.count = static_cast<int>(x.size());
  audio.sampleRate = 44100.0f;
  std::vector<std::uint8_t> buffer(ByteStream::kCapacity);
  ByteStream stream;
  VoiceData data;
  ASSERT_TRUE(analyzeAudioFile(audio, 110.0f, stream, buffer.data(), ByteStream::kCapacity, &data, nullptr,
                               formatLimitReduction()));
  const std::int32_t size = stream.getSize();
  stream.close();
  EXPECT_GT(data.harmonicBreakpoints(), kMaxHarmonicBreakpoints);
  EXPECT_LE(data.harmonicBreakpoints(), ByteStream::kMaxListPoints);
  EXPECT_GT(data.noiseBreakpoints(), kMaxNoiseBreakpoints);
  EXPECT_LE(data.noiseBreakpoints(), NoiseSet::kMaxFrames);
  EXPECT_LE(data.noiseBands(), ByteStream::kMaxListPoints);
  LoadedLayer layer;
  loadLayer(buffer.data(), size, layer);
  EXPECT_TRUE(layer.ok);
  EXPECT_EQ(layer.unread, 0);
  EXPECT_EQ(layer.noise.count, data.noiseBreakpoints());
}

}  // namespace
}  // namespace vt::analysis
