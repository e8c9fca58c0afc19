// The mono sound handed from import to analysis, and the steps that prepare a
// whole block for analysis: cutting silence, normalising the peak, limiting
// the length.
#pragma once

#include <cstdint>
#include <memory>

namespace vt::analysis {

constexpr float kSilenceThreshold = 0.0015f;  // trailing samples at most this loud are cut
constexpr float kNormalPeak = 1.0f;           // the largest magnitude after normalising
constexpr double kMaxImportSeconds = 12.0;    // analysis looks at no more than this

struct ImportedAudio {
  std::unique_ptr<float[]> samples;  // mono, nominally -1..1
  int count = 0;                     // samples in use
  float sampleRate = 0.0f;           // Hz
  int baseNote = -1;                 // MIDI note from the header, -1 when none
  // What preparing the block did, so that a rendering of it can be put back
  // in the original's place and level: the samples cut from the start, the
  // factor the peak normalisation applied and the mono length before cutting.
  std::int64_t trimmedStart = 0;
  float gain = 1.0f;
  std::int64_t sourceCount = 0;

  void clear() { *this = ImportedAudio(); }
};

// Averages each frame of 'frames' interleaved frames of 'channels' channels
// into one mono sample: the channel sum times 1/channels.
void mixDownFrames(const float* interleaved, std::int64_t frames, int channels, float* mono);

// Cuts the ends of the block in place: it keeps the samples from the first one
// that differs from sample 0 (from sample 0 when all are equal) to the last one
// louder than 'threshold' (to the last sample when none is); an empty range
// leaves an empty block.
void trimSilence(ImportedAudio& audio, float threshold = kSilenceThreshold);

// Scales the block so that its largest magnitude becomes 'target'; a silent
// or empty block stays as it is.
void normalizePeak(ImportedAudio& audio, float target = kNormalPeak);

// The number of samples kept of 'count' at 'sampleRate': all of them unless
// they last more than 'seconds', else the whole samples within that time.
std::int64_t limitedCount(std::int64_t count, double sampleRate, double seconds = kMaxImportSeconds);

// Cuts the block to limitedCount samples.
void limitLength(ImportedAudio& audio, double seconds = kMaxImportSeconds);

}  // namespace vt::analysis
