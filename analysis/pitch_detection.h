// Pitch detection: the root frequency of a sound that names none. Magnitude
// spectra are averaged over the steady part of the sound, spectral peaks are
// picked and pruned, the nine strongest kept, and candidate fundamentals are
// swept in 1 Hz steps, each scored by the two-way mismatch between the
// harmonics it predicts and the measured peaks; the lowest score wins.
#pragma once

#include <cstddef>
#include <cstdint>

#include "analysis/real_vector.h"

namespace vt::analysis {

// samples: the trimmed, normalised, length-limited mono block (read as
// doubles). Returns the detected fundamental in Hz. When there is nothing to
// measure the frequency of the strongest spectrum bin between 25 and 9000 Hz
// is returned, and 0 when there is no such bin (an empty or very short block,
// or a sample rate that is not a positive number).
double detectPitch(const float* samples, std::size_t count, double sampleRate);

// The steps of detectPitch, for tests and diagnostics.

constexpr double kPitchSearchLow = 25.0;     // Hz, exclusive
constexpr double kPitchSearchHigh = 9000.0;  // Hz, exclusive
constexpr int kPitchMaxFrameLength = 32768;
constexpr int kPitchStrongestPeaks = 9;

// The analysed stretch, 1-based sample positions start .. end, and the frame
// length (0 when the stretch is too short for a spectrum).
struct PitchStretch {
  std::int64_t start = 1;
  std::int64_t end = 0;
  int frameLength = 0;
};
PitchStretch findPitchStretch(const float* samples, std::size_t count, double sampleRate);

// The sum of the unwindowed magnitude spectra of the frames of the stretch:
// element i - 1 holds bin i (i = 1 .. frameLength / 2, frequency
// i * sampleRate / frameLength). Empty when the frame length is below 2.
RealVector averagedPitchSpectrum(const float* samples, std::size_t count, const PitchStretch& stretch);

// Spectral peaks in ascending frequency, each with its spectrum value.
struct PitchPeaks {
  RealVector frequencies;
  RealVector values;
};

// Peaks of an averaged spectrum above the threshold, with redundant ones
// (beside a stronger neighbour without a real valley between) pruned, and
// the frequency of the strongest bin of the search range (0 when the range
// holds no bin).
struct PitchPeakSearch {
  PitchPeaks peaks;
  double strongestFrequency = 0.0;
};
PitchPeakSearch findPitchPeaks(const RealVector& spectrum, int frameLength, double sampleRate);

// Up to 'limit' peaks of the largest values (the first on ties), in ascending frequency.
PitchPeaks strongestPitchPeaks(const PitchPeaks& peaks, int limit);

// The lowest candidate fundamental the sweep tries for these chosen peaks.
double lowestPitchCandidate(const PitchPeaks& chosen, double strongestFrequency);

// Candidates from lowestPitchCandidate up to strongestFrequency in 1 Hz
// steps; the first with the smallest two-way mismatch wins. Without peaks or
// candidates the strongest frequency is returned.
double sweepPitchCandidates(const PitchPeaks& chosen, double strongestFrequency);

// The two-way mismatch error of a candidate fundamental against the chosen
// peaks: harmonic-to-nearest-peak plus 3 x peak-to-nearest-harmonic terms.
double twoWayMismatch(double candidate, const PitchPeaks& chosen);

}  // namespace vt::analysis
