#include "analysis/analyze_audio_file.h"

#include <cmath>

#include "analysis/voice_data_writer.h"
#include "engine/noise_set.h"
#include "files/byte_stream.h"

namespace vt::analysis {

namespace {

constexpr int kMaxNoiseFrames = NoiseSet::kMaxFrames;

// Level of what the analysis measures against what playback renders from it.
// A harmonic's Blackman peak magnitude is A * sum(w) / 2 = 0.21 * size * A for a
// partial of amplitude A, so the stored amplitude (peak / (size / 4)) reads
// 0.84 A; the playback oscillators render the stored value as the amplitude.
constexpr double kHarmonicLevel = 1.0 / 0.84;
// A noise band holds the residual's Blackman magnitude, whose square is
// sigma^2 * sum(w^2) = 0.3046 * size * sigma^2 for noise of variance sigma^2 per
// bin; playback builds grains of the same size scaled by 1 / size with random
// phases and cross-fades uncorrelated grains linearly (mean weight 2/3 in
// power), which renders 2/3 * 0.3046 of the measured power (-6.9 dB).
const double kNoiseLevel = std::sqrt(1.5 / 0.3046);

void setNanToZero(RealMatrix& m) {
  double* v = m.data();
  for (int i = 0; i < m.size(); ++i)
    if (std::isnan(v[i])) v[i] = 0.0;
}

}  // namespace

int VoiceData::partials() const {
  int n = 0;
  const RealMatrix& a = harmonics.amplitude;
  for (int h = 1; h + 1 <= a.rows(); ++h) {
    if (writtenBreakpointCount(a, h) == 0) continue;
    const double* row = a.rowData(h + 1);
    for (int k = 0; k < a.cols(); ++k) {
      if (row[k] > 0.0) {
        ++n;
        break;
      }
    }
  }
  return n;
}

ReductionSettings formatLimitReduction() {
  ReductionSettings r;
  r.harmonics.limit = ByteStream::kMaxListPoints;
  r.harmonics.stopAtLimit = true;
  r.harmonics.thinTime = false;
  r.harmonics.silentSum = 0.0;
  r.noise.limit = kMaxNoiseFrames;
  r.noise.bandLimit = ByteStream::kMaxListPoints;
  r.noise.stopAtLimit = true;
  r.noise.thinTime = false;
  r.noise.audibleSum = 0.0;
  return r;
}

VoiceData analyzeVoiceData(const float* samples, int count, double sampleRate, double f0,
                           const AnalysisProgress& progress, const ReductionSettings& reduction) {
  VoiceData out;
  const RealVector x = fromFloats(samples, 0, samples != nullptr && count > 0 ? count : 0);
  SoundAnalysis analysis = analyzeSound(x, sampleRate, f0, [&progress](double share) {
    if (progress) progress(0.9 * share);
  });
  setNanToZero(analysis.harmonicFrequency);
  setNanToZero(analysis.harmonicAmplitude);
  out.framePeriod = analysis.framePeriod;
  out.trackBudgetReached = analysis.trackBudgetReached;
  out.harmonics = reduceHarmonics(analysis.harmonicFrequency, analysis.harmonicAmplitude, analysis.framePeriod, f0,
                                  reduction.harmonics);
  out.noise = reduceNoise(analysis.noise, reduction.noise);
  // The reductions decide on the measured values; the stored ones play back at the measured level.
  RealMatrix& a = out.harmonics.amplitude;
  for (int r = 2; r <= a.rows(); ++r)
    for (int c = 1; c <= a.cols(); ++c) a(r, c) *= kHarmonicLevel;
  RealMatrix& n = out.noise;
  for (int r = 2; r <= n.rows(); ++r)
    for (int c = 2; c <= n.cols(); ++c) n(r, c) *= kNoiseLevel;
  // A frame's values belong to its window's centre, one hop after the frame's
  // start: frame k (counted from 1) is heard at k hops, not k - 1. The first
  // breakpoint stays at the start so that the sound begins with the input.
  for (int c = 2; c <= a.cols(); ++c) {
    out.harmonics.frequency(1, c) += analysis.framePeriod;
    a(1, c) += analysis.framePeriod;
  }
  for (int c = 3; c <= n.cols(); ++c) n(1, c) += reduction.noise.framePeriod;
  if (progress) progress(1.0);
  return out;
}

bool analyzeAudioFile(const ImportedAudio& audio, float f0, ByteStream& voiceStream, std::uint8_t* buffer,
                      std::int32_t capacity, VoiceData* data, const AnalysisProgress& progress,
                      const ReductionSettings& reduction) {
  VoiceData local = analyzeVoiceData(audio.samples.get(), audio.count, audio.sampleRate, f0, progress, reduction);
  ByteStream writer;
  writer.openMemoryForWriting(buffer, capacity);
  const bool written = writeVoiceData(writer, f0, local.harmonics.frequency, local.harmonics.amplitude, local.noise);
  const std::int32_t bytes = writer.getPosition();
  writer.close();
  if (data != nullptr) *data = std::move(local);
  if (!written) return false;
  return voiceStream.openMemoryForReading(buffer, bytes);
}

}  // namespace vt::analysis
