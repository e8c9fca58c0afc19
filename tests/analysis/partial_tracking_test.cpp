// Frame geometry, peak picking and partial tracking on hand-made spectra.
#include "analysis/partial_tracking.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/frame_geometry.h"
#include "analysis/peak_picking.h"

namespace vt::analysis {
namespace {

TEST(FrameGeometry, HopFollowsRateAndRoot) {
  const FrameGeometry low = frameGeometry(44100.0, 100.0);
  EXPECT_EQ(low.hop, 1024);
  EXPECT_EQ(low.size, 2048);
  EXPECT_NEAR(low.framePeriod, 0.02322, 1e-5);
  EXPECT_NEAR(low.maxBin, 6500.0 * 2048 / 44100.0, 1e-9);
  EXPECT_EQ(frameGeometry(44100.0, 30.0).hop, 4096);
  EXPECT_EQ(frameGeometry(48000.0, 440.0).hop, 512);
  EXPECT_EQ(frameGeometry(50000.0, 440.0).hop, 1024);
  EXPECT_EQ(frameGeometry(12000.0, 440.0).hop, 128);
  EXPECT_NEAR(frameGeometry(44100.0, 1000.0).maxBin, 16000.0 * 1024 / 44100.0, 1e-9);
  // Blocks shorter than one frame give none (not one frame reading past the end).
  EXPECT_EQ(frameCount(2047, low), 0);
  EXPECT_EQ(frameCount(2048, low), 1);
  EXPECT_EQ(frameCount(2048 + 1023, low), 1);
  EXPECT_EQ(frameCount(2048 + 1024, low), 2);
}

TEST(PickPeaks, ParabolaVertexAndEdges) {
  SpectralPeaks peaks;
  // Symmetric neighbours put the peak on its place; the ends never qualify.
  const std::vector<double> y = {5.0, 1.0, 2.0, 1.0, 1.5, 3.0, 2.0, 6.0};
  pickPeaks(y.data(), static_cast<int>(y.size()), 0.5, peaks);
  ASSERT_EQ(peaks.position.size(), 2u);
  EXPECT_DOUBLE_EQ(peaks.position[0], 3.0);
  EXPECT_NEAR(peaks.magnitude[0], std::exp(2.0), 1e-12);
  // Place 6: a = 1.5, b = 3, c = 2 -> q = -1.25, u = 2.2, position 5 + 1.1.
  EXPECT_NEAR(peaks.position[1], 6.1, 1e-12);
  EXPECT_NEAR(peaks.magnitude[1], std::exp(1.5 + 2.2 * 2.2 * 1.25 / 4.0), 1e-9);
  // The threshold is strict, a plateau's first place counts, 0 is not taken.
  pickPeaks(y.data(), static_cast<int>(y.size()), 3.0, peaks);
  EXPECT_TRUE(peaks.position.empty());
  const std::vector<double> plateau = {-1.0, 0.0, -1.0, 1.0, 1.0, -1.0};
  pickPeaks(plateau.data(), 6, -5.0, peaks);
  ASSERT_EQ(peaks.position.size(), 1u);
  EXPECT_NEAR(peaks.position[0], 4.5, 1e-12);  // between the plateau's places
}

// A spectrogram of 'frames' columns with a faint floor, into which peaks of
// exact places are drawn (neighbours at half height, so the vertex is the place).
struct Spectrogram {
  RealMatrix m;
  Spectrogram(int bins, int frames) : m(bins, frames) { m.fill(1e-6); }
  void peak(int place, int frame, double magnitude) {
    m(place, frame) = magnitude;
    m(place - 1, frame) = std::max(m(place - 1, frame), magnitude / 2);
    m(place + 1, frame) = std::max(m(place + 1, frame), magnitude / 2);
  }
};

int presentFrames(const RealMatrix& m, int row) {
  int n = 0;
  for (int j = 1; j <= m.cols(); ++j) n += !std::isnan(m(row, j));
  return n;
}

TEST(TrackPartials, GapsJumpsAndTheOneBinRule) {
  Spectrogram s(128, 30);
  for (int j = 1; j <= 30; ++j) {
    // Track A: three silent frames are bridged while its bin keeps above a fifth.
    if (j <= 12 || j >= 16)
      s.peak(20, j, 2.0);
    else
      s.m(20, j) = 1.0;
    // Track B: four frames without a peak end it; the return is a new track.
    if (j <= 12 || j >= 17)
      s.peak(40, j, 2.0);
    else
      s.m(40, j) = 1.0;
    // Track C moves exactly one bin: the old track does not take the peak.
    s.peak(j <= 15 ? 60 : 61, j, 2.0);
    // Track D jumps by 26 dB: it ends and a new one starts at the jump.
    s.peak(80, j, j <= 15 ? 0.1 : 2.0);
  }
  PartialTracks t;
  ASSERT_TRUE(trackPartials(s.m, 1000.0, t));
  ASSERT_EQ(t.position.rows(), 7);
  // Birth order: A, B, C, D in frame 1, then C', D' in frame 16, B' in frame 17.
  EXPECT_EQ(presentFrames(t.position, 1), 27);
  EXPECT_TRUE(std::isnan(t.position(1, 14)));
  EXPECT_DOUBLE_EQ(t.position(1, 16), 19.0);  // counted from bin 0
  EXPECT_EQ(presentFrames(t.position, 2), 12);
  EXPECT_EQ(presentFrames(t.position, 3), 15);
  EXPECT_EQ(presentFrames(t.position, 4), 15);
  EXPECT_DOUBLE_EQ(t.position(5, 16), 60.0);
  EXPECT_DOUBLE_EQ(t.position(6, 16), 79.0);
  EXPECT_DOUBLE_EQ(t.magnitude(6, 16), 2.0);
  EXPECT_EQ(presentFrames(t.position, 7), 14);
  EXPECT_DOUBLE_EQ(t.position(7, 17), 39.0);
}

TEST(TrackPartials, MinimumLengthAndBirthLimits) {
  for (const int frames : {30, 66, 90}) {
    const int minimum = std::min(frames / 3, 22);
    Spectrogram s(128, frames);
    for (int j = 1; j <= frames; ++j) {
      if (j <= minimum) s.peak(10, j, 2.0);      // just long enough
      if (j <= minimum - 1) s.peak(30, j, 2.0);  // one frame short
      s.peak(100, j, 2.0);                       // beyond maxBin: never born
      s.peak(50, j, 2e-5);                       // below 1e-4 of the loudest: never born
    }
    PartialTracks t;
    ASSERT_TRUE(trackPartials(s.m, 90.0, t));
    ASSERT_EQ(t.position.rows(), 1) << frames;
    EXPECT_EQ(presentFrames(t.position, 1), minimum);
  }
}

TEST(TrackPartials, BudgetOverflowReportsAndKeepsWhatItHas) {
  // 700 frames of 1500 short-lived peaks each: the budget of 2e6 cells is
  // reached after three frames.
  Spectrogram s(4000, 700);
  for (int j = 1; j <= 700; ++j)
    for (int p = (j % 2) ? 3 : 4; p < 3000; p += 2) s.m(p, j) = 1.0 + 0.001 * p;
  PartialTracks t;
  EXPECT_FALSE(trackPartials(s.m, 4000.0, t));
  EXPECT_EQ(t.position.cols(), 700);
  EXPECT_EQ(t.position.rows(), 0);  // none lived for 22 frames
}

TEST(ValueAtTracks, InterpolatesBetweenBinsAndRepeatsTheLast) {
  RealMatrix perBin(4, 1);
  for (int k = 1; k <= 4; ++k) perBin(k, 1) = 10.0 * k;
  RealMatrix positions(4, 1);
  positions(1, 1) = 0.5;  // between bins 0 and 1
  positions(2, 1) = 3.0;  // the last bin
  positions(3, 1) = std::nan("");
  positions(4, 1) = 7.0;  // outside
  const RealMatrix v = valueAtTracks(perBin, positions);
  EXPECT_DOUBLE_EQ(v(1, 1), 15.0);
  EXPECT_DOUBLE_EQ(v(2, 1), 40.0);
  EXPECT_TRUE(std::isnan(v(3, 1)));
  EXPECT_TRUE(std::isnan(v(4, 1)));
}

}  // namespace
}  // namespace vt::analysis
