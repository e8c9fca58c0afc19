// The analysis driver: a prepared sound and its root frequency become the
// data of one voice layer (a harmonic block and a noise block) in a memory
// buffer, ready for the voice loader.
#pragma once

#include <cstdint>

#include "analysis/analyze_sound.h"
#include "analysis/harmonic_reduction.h"
#include "analysis/imported_audio.h"
#include "analysis/noise_reduction.h"

namespace vt {
class ByteStream;
}

namespace vt::analysis {

// How far the per-frame tables are thinned.
struct ReductionSettings {
  HarmonicReductionSettings harmonics;
  NoiseReductionSettings noise;
};

// The reduction every stored voice gets.
inline ReductionSettings standardReduction() { return {}; }
// As little reduction as the voice format allows (128 points per curve, 64
// noise frames): for measuring what the standard reduction costs.
ReductionSettings formatLimitReduction();

// The reduced analysis of one sound.
struct VoiceData {
  HarmonicBreakpoints harmonics;  // 65 rows: times, then harmonics 1..64
  RealMatrix noise;               // band-number column, then one column per breakpoint
  double framePeriod = 0.0;       // of the analysis frames, seconds
  bool trackBudgetReached = false;

  int harmonicBreakpoints() const { return harmonics.amplitude.cols(); }
  int noiseBreakpoints() const { return noise.cols() > 1 ? noise.cols() - 1 : 0; }
  int noiseBands() const { return noise.rows() > 1 ? noise.rows() - 1 : 0; }
  // Harmonics written with breakpoints that sound somewhere.
  int partials() const;
};

// analyzeSound on the block, NaN set to 0, then both reductions.
VoiceData analyzeVoiceData(const float* samples, int count, double sampleRate, double f0,
                           const AnalysisProgress& progress = nullptr,
                           const ReductionSettings& reduction = standardReduction());

// Analyses 'audio' with root frequency f0 and writes the voice data into
// 'buffer' ('capacity' bytes, at most 1 MB); 'voiceStream' is then open for
// reading the bytes written. 'data', when given, receives the reduced tables.
// False only when the data does not fit into the buffer (the stream is then
// left closed).
bool analyzeAudioFile(const ImportedAudio& audio, float f0, ByteStream& voiceStream, std::uint8_t* buffer,
                      std::int32_t capacity, VoiceData* data = nullptr, const AnalysisProgress& progress = nullptr,
                      const ReductionSettings& reduction = standardReduction());

}  // namespace vt::analysis
