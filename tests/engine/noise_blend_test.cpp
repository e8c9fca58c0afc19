#include "engine/noise_blend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/support/allocation_counter.h"

namespace vt {
namespace {

constexpr int kBins = NoiseFrame::kBins;

// Appends a frame whose bins follow a recognisable pattern for (seed, time).
void addFrame(NoiseSet& set, float time, float seed) {
  NoiseFrame* frame = set.appendFrame(time);
  ASSERT_NE(frame, nullptr);
  for (int i = 0; i < kBins; ++i) frame->bins[i] = seed + 0.001f * i + time;
  frame->silent = false;
}

const float* frameAt(const NoiseSet& set, float time) {
  for (int f = 0; f < set.count; ++f)
    if (set.times[f] == time) return set.frames[f].bins;
  return nullptr;
}

TEST(InterpolateNoise, MixesTheTwoFramesAroundTheTimeAndIsSilentOutside) {
  NoiseSet set;
  float scratch[kBins];
  EXPECT_EQ(interpolateNoise(set, 0.0f, scratch)[7], 0.0f);  // no frames
  addFrame(set, 0.0f, 1.0f);
  addFrame(set, 0.2f, 3.0f);
  addFrame(set, 0.3f, 5.0f);
  const float* s = interpolateNoise(set, 0.05f, scratch);
  for (int i = 0; i < kBins; ++i) {
    const float a = 1.0f + 0.001f * i, b = 3.0f + 0.001f * i + 0.2f;
    ASSERT_NEAR(s[i], a * 0.75f + b * 0.25f, 1e-5f);
  }
  EXPECT_EQ(interpolateNoise(set, 0.0f, scratch)[10], set.frames[0].bins[10]);
  EXPECT_EQ(interpolateNoise(set, 0.2f, scratch)[10], set.frames[1].bins[10]);
  EXPECT_NEAR(interpolateNoise(set, 0.25f, scratch)[0], (3.2f + 5.3f) / 2, 1e-5f);
  for (float outside : {-0.01f, 0.30001f, 5.0f, NAN}) {
    s = interpolateNoise(set, outside, scratch);
    for (int i = 0; i < kBins; ++i) ASSERT_EQ(s[i], 0.0f) << outside;
  }
}

TEST(BlendSpectra, WeighsTheFourCornersBilinearly) {
  std::vector<float> s[4];
  for (int c = 0; c < 4; ++c) {
    s[c].resize(kBins);
    for (int i = 0; i < kBins; ++i) s[c][i] = (c + 1) * 10.0f + i;
  }
  std::vector<float> out(kBins);
  blendSpectra(s[0].data(), s[1].data(), s[2].data(), s[3].data(), 0.25f, 0.75f, out.data());
  for (int i = 0; i < kBins; ++i) {
    const double expected =
        0.75 * 0.25 * s[0][i] + 0.25 * 0.25 * s[1][i] + 0.75 * 0.75 * s[2][i] + 0.25 * 0.75 * s[3][i];
    ASSERT_NEAR(out[i], expected, 1e-4);
  }
  // A corner reproduces its spectrum exactly, whatever the others hold.
  std::vector<float> poison(kBins, NAN);
  blendSpectra(poison.data(), poison.data(), poison.data(), s[3].data(), 1.0f, 1.0f, out.data());
  EXPECT_EQ(out, s[3]);
  // The output may be one of the inputs.
  blendSpectra(s[0].data(), s[1].data(), s[2].data(), s[3].data(), 0.5f, 0.0f, s[0].data());
  EXPECT_FLOAT_EQ(s[0][5], (15.0f + 25.0f) / 2);
}

TEST(BlendNoise, CornerReproducesThatSetsFramesAtTheirOwnTimes) {
  NoiseSet lowerSoft, lowerLoud, upperSoft, upperLoud, target;
  std::vector<float> ownTimes;
  for (int f = 0; f <= 10; ++f) ownTimes.push_back(0.01f * f);
  for (int f = 2; f <= 10; ++f) ownTimes.push_back(0.1f * f);
  for (float t : ownTimes) addFrame(lowerSoft, t, 1.0f);
  // The other sets' times fall where the spacing lets them through, or on the same times.
  for (float t : {0.0f, 0.15f, 0.55f, 1.2f}) addFrame(upperSoft, t, 20.0f);
  for (float t : {0.25f, 0.5f}) addFrame(lowerLoud, t, 40.0f);
  for (float t : {0.01f, 0.35f, 0.95f}) addFrame(upperLoud, t, 80.0f);

  blendNoise(lowerSoft, lowerLoud, upperSoft, upperLoud, 0.0f, 0.0f, target);
  for (float t : ownTimes) {
    const float* bins = frameAt(target, t);
    ASSERT_NE(bins, nullptr) << t;
    const float* own = frameAt(lowerSoft, t);
    for (int i = 0; i < kBins; ++i) ASSERT_EQ(bins[i], own[i]) << t;
  }
  // Merged times of the other sets hold the lower soft set interpolated there.
  float scratch[kBins];
  const float* at015 = frameAt(target, 0.15f);
  ASSERT_NE(at015, nullptr);
  EXPECT_EQ(at015[3], interpolateNoise(lowerSoft, 0.15f, scratch)[3]);
  EXPECT_EQ(frameAt(target, 1.2f)[0], 0.0f);  // past the lower soft set's last frame
  EXPECT_GE(target.count, static_cast<int>(ownTimes.size()) + 5);
  for (int f = 0; f < target.count; ++f) {
    EXPECT_FALSE(target.frames[f].silent);
    if (f) {
      EXPECT_GT(target.times[f], target.times[f - 1]);
    }
    EXPECT_EQ(target.frames[f].spectrum.count(), 0);
  }

  // The opposite corner gives the upper loud set at its times.
  blendNoise(lowerSoft, lowerLoud, upperSoft, upperLoud, 1.0f, 1.0f, target);
  for (float t : {0.01f, 0.35f, 0.95f}) {
    ASSERT_NE(frameAt(target, t), nullptr);
    EXPECT_EQ(frameAt(target, t)[100], frameAt(upperLoud, t)[100]);
  }
}

TEST(BlendNoise, InsideTheSquareBlendsAllFourByKeyAndVelocity) {
  NoiseSet sets[4], target;  // lower soft, lower loud, upper soft, upper loud
  const float seeds[4] = {1.0f, 2.0f, 4.0f, 8.0f};
  for (int s = 0; s < 4; ++s)
    for (float t : {0.0f, 0.5f, 1.0f}) addFrame(sets[s], t, seeds[s]);
  const float k = 0.3f, u = 0.6f;
  blendNoise(sets[0], sets[1], sets[2], sets[3], k, u, target);
  ASSERT_EQ(target.count, 3);
  for (int f = 0; f < 3; ++f) {
    const float t = target.times[f];
    for (int i = 0; i < kBins; i += 17) {
      const double v = 0.001 * i + t;
      const double expected =
          (1 - k) * (1 - u) * (1 + v) + k * (1 - u) * (4 + v) + (1 - k) * u * (2 + v) + k * u * (8 + v);
      EXPECT_NEAR(target.frames[f].bins[i], expected, 1e-5);
    }
  }
}

TEST(BlendNoise, KeepsFramesApartByTheEarlyAndLateSpacing) {
  NoiseSet dense, empty1, empty2, empty3, target;
  for (int f = 0; f < 64; ++f) addFrame(dense, 0.002f * f + (f > 40 ? 0.05f : 0.0f), 1.0f);
  blendNoise(dense, empty1, empty2, empty3, 0.0f, 0.0f, target);
  ASSERT_GT(target.count, 5);
  EXPECT_EQ(target.times[0], 0.0f);
  for (int f = 1; f < target.count; ++f) {
    const float gap = target.times[f] - target.times[f - 1];
    const float spacing = target.times[f - 1] + 0.005f > 0.1f ? 0.03f : 0.005f;
    EXPECT_GT(gap, spacing) << f;
  }
}

TEST(BlendNoise, ThinsManyTimesEvenlyIntoSixtyFourFrames) {
  // 256 distinct times 0.04 s apart (wider than either spacing), 64 in each set.
  NoiseSet sets[4], target;
  for (int m = 0; m < 256; ++m) addFrame(sets[m % 4], 0.04f * m, 1.0f);
  blendNoise(sets[0], sets[1], sets[2], sets[3], 0.5f, 0.5f, target);
  ASSERT_LE(target.count, NoiseSet::kMaxFrames);
  ASSERT_GE(target.count, 56);
  // Every time up to where thinning starts, then even steps that reach the end.
  for (int f = 0; f < 49; ++f) EXPECT_NEAR(target.times[f], 0.04f * f, 1e-4f);
  EXPECT_GE(target.times[target.count - 1], 0.04f * 240);
  float smallest = 1e9f, largest = 0.0f;
  for (int f = 50; f < target.count; ++f) {
    const float gap = target.times[f] - target.times[f - 1];
    smallest = std::min(smallest, gap);
    largest = std::max(largest, gap);
  }
  EXPECT_LE(largest, 1.6f * smallest);
}

TEST(BlendNoise, EmptySourcesAndMisuseLeaveNothingBroken) {
  NoiseSet a, b, c, d, target;
  addFrame(target, 0.0f, 1.0f);
  blendNoise(a, b, c, d, 0.5f, 0.5f, target);
  EXPECT_EQ(target.count, 0);

  addFrame(a, 0.0f, 1.0f);
  addFrame(a, 0.5f, 2.0f);
  blendNoise(a, b, c, d, 0.0f, 0.0f, a);  // the target must not be a source
  EXPECT_EQ(a.count, 2);
  EXPECT_EQ(a.frames[1].bins[0], 2.5f);

  a.times[1] = NAN;  // odd times end the merge instead of hanging it
  blendNoise(a, b, c, d, NAN, 2.0f, target);
  EXPECT_EQ(target.count, 1);
  for (int i = 0; i < kBins; ++i) ASSERT_TRUE(std::isfinite(target.frames[0].bins[i]));
}

TEST(BlendNoise, DoesNotAllocate) {
  NoiseSet sets[4], target;
  for (int m = 0; m < 256; ++m) addFrame(sets[m % 4], 0.01f * m, 1.0f);
  test::AllocationCounter counter;
  blendNoise(sets[0], sets[1], sets[2], sets[3], 0.4f, 0.7f, target);
  EXPECT_EQ(counter.count(), 0u);
  EXPECT_GT(target.count, 0);
}

}  // namespace
}  // namespace vt
