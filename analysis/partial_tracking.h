// Links spectral peaks from frame to frame into partial tracks, and reads
// per-bin quantities (instantaneous frequency, phase) at the tracks'
// fractional positions.
#pragma once

#include "analysis/real_matrix.h"

namespace vt::analysis {

// Tracks x frames, rows in order of birth; NaN where a track does not exist.
struct PartialTracks {
  RealMatrix position;   // fractional bin, counted from 0
  RealMatrix magnitude;  // peak magnitude
};

// The tracking budget: tracks born so far times frames. A pass that would
// exceed it stops at once.
constexpr double kTrackCellBudget = 2000000.0;

// Tracks the peaks of a magnitude spectrogram (bins x frames). A track
// follows the nearest peak less than one bin away unless the peak rises by
// more than the track's allowed rise (20 dB at birth, relaxing towards 10 dB
// as it lives, widened by large accepted rises); it survives up to three
// frames without a peak while the spectrum at its bin keeps above a fifth of
// its last magnitude. New tracks are born from unclaimed peaks above 1e-4 of
// the loudest cell and below maxBin (1-based place). Tracks shorter than
// min(frames / 3, 22) frames are dropped.
// Returns false when the budget overflowed; the tracks gathered up to that
// frame are in 'tracks' all the same.
bool trackPartials(const RealMatrix& magnitudes, double maxBin, PartialTracks& tracks);

// The per-bin matrix (bins x frames) read at each track's position in each
// frame, interpolated linearly between the two neighbouring bins (the bin
// after the last repeats the last). NaN where the position is NaN or outside.
RealMatrix valueAtTracks(const RealMatrix& perBin, const RealMatrix& positions);

// Track frequencies in Hz from the instantaneous-frequency matrix.
inline RealMatrix refineTrackFrequencies(const RealMatrix& instantaneousFrequency, const RealMatrix& positions) {
  return valueAtTracks(instantaneousFrequency, positions);
}

}  // namespace vt::analysis
