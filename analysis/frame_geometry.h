// The short-time analysis grid of one sound: hop, frame size, frame period
// and the highest bin at which a partial may be born, chosen from the sample
// rate and the root frequency (lower notes get longer frames, so that
// neighbouring harmonics stay resolved).
#pragma once

namespace vt::analysis {

struct FrameGeometry {
  int hop = 0;               // samples between frame starts
  int size = 0;              // frame length = transform length = 2 * hop
  double framePeriod = 0.0;  // hop / sampleRate, seconds
  double maxBin = 0.0;       // highest peak position (1-based fractional bin) that may start a track
};

FrameGeometry frameGeometry(double sampleRate, double rootFrequency);

// Frames that fit the block whole: (count - size) / hop + 1, and none for a
// block shorter than one frame.
int frameCount(int sampleCount, const FrameGeometry& geometry);

}  // namespace vt::analysis
