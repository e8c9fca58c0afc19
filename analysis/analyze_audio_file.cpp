#include "analysis/analyze_audio_file.h"

#include <cmath>

#include "analysis/voice_data_writer.h"
#include "engine/noise_set.h"
#include "files/byte_stream.h"

namespace vt::analysis {

namespace {

constexpr int kMaxNoiseFrames = NoiseSet::kMaxFrames;

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
