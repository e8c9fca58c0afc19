// The common time axis and the four values per time built for a row.
#include "engine/key_interpolation_cache.h"

#include <gtest/gtest.h>

#include <memory>

namespace vt {
namespace {

constexpr int kAmp = 0;                         // amplitude of harmonic 1
constexpr int kFreq = HarmonicSet::kHarmonics;  // frequency of harmonic 1

struct Recordings {
  BreakpointCurve r[4];
  const BreakpointCurve* pointers[4] = {&r[0], &r[1], &r[2], &r[3]};
};

void fill(BreakpointCurve& c, std::initializer_list<std::pair<float, float>> points) {
  c.reset();
  for (auto& p : points) ASSERT_TRUE(c.add(p.first, p.second));
}

TEST(KeyInterpolationCache, NoPointsGiveNoTimes) {
  auto cache = std::make_unique<KeyInterpolationCache>();
  Recordings rec;
  cache->buildCurve(kAmp, rec.pointers);
  EXPECT_EQ(cache->count(kAmp), 0);
}

TEST(KeyInterpolationCache, OneRecordingAloneKeepsItsOwnTimes) {
  auto cache = std::make_unique<KeyInterpolationCache>();
  Recordings rec;
  // Closer than the merge spacing, still all kept: nothing to merge.
  fill(rec.r[2], {{0.0f, 0.1f}, {0.01f, 0.2f}, {0.02f, 0.3f}});
  cache->buildCurve(kAmp, rec.pointers);
  ASSERT_EQ(cache->count(kAmp), 3);  // no silent end point appended
  EXPECT_EQ(cache->time(kAmp, 1), 0.01f);
  EXPECT_EQ(cache->value(kAmp, 1)[2], 0.2f);
  EXPECT_EQ(cache->value(kAmp, 1)[0], 0.0f);
  EXPECT_EQ(cache->value(kAmp, 1)[3], 0.0f);

  fill(rec.r[2], {{0.0f, 1.0f}, {0.5f, 1.01f}});
  cache->buildCurve(kFreq, rec.pointers);
  ASSERT_EQ(cache->count(kFreq), 2);
  for (int q = 0; q < 4; ++q) EXPECT_EQ(cache->value(kFreq, 1)[q], 1.01f);
}

TEST(KeyInterpolationCache, MergeKeepsSpacedTimesAndEndsAmplitudesInSilence) {
  auto cache = std::make_unique<KeyInterpolationCache>();
  Recordings rec;
  fill(rec.r[0], {{0.0f, 0.0f}, {0.01f, 1.0f}, {0.02f, 0.9f}, {0.1f, 0.5f}, {0.5f, 0.0f}});
  fill(rec.r[2], {{0.0f, 0.0f}, {0.01f, 2.0f}, {0.3f, 1.0f}, {1.0f, 0.0f}});
  cache->buildCurve(kAmp, rec.pointers);
  // 0 kept, 0.01 kept (a point at 0 hides nothing), 0.02 too close, 0.1, 0.3, 0.5, 1.0, then 1.001.
  const float expected[] = {0.0f, 0.01f, 0.1f, 0.3f, 0.5f, 1.0f, 1.001f};
  ASSERT_EQ(cache->count(kAmp), 7);
  for (int i = 0; i < 7; ++i) EXPECT_FLOAT_EQ(cache->time(kAmp, i), expected[i]) << i;

  // At 0.1: R1 exactly at its point, R3 interpolated between 0.01 and 0.3.
  EXPECT_FLOAT_EQ(cache->value(kAmp, 2)[0], 0.5f);
  EXPECT_FLOAT_EQ(cache->value(kAmp, 2)[2], 2.0f + (0.1f - 0.01f) / (0.3f - 0.01f) * (1.0f - 2.0f));
  EXPECT_EQ(cache->value(kAmp, 2)[1], 0.0f);  // empty recordings contribute 0
  // At 1.0 R1 has been exhausted since 0.5 and contributes 0; R3 ends there.
  EXPECT_EQ(cache->value(kAmp, 5)[0], 0.0f);
  EXPECT_EQ(cache->value(kAmp, 5)[2], 0.0f);
  for (int q = 0; q < 4; ++q) EXPECT_EQ(cache->value(kAmp, 6)[q], 0.0f);
}

TEST(KeyInterpolationCache, LastValuesWhenEveryListEndsTogether) {
  auto cache = std::make_unique<KeyInterpolationCache>();
  Recordings rec;
  fill(rec.r[0], {{0.0f, 1.0f}, {1.0f, 1.5f}});
  fill(rec.r[1], {{0.5f, 2.0f}, {1.0f, 2.5f}});
  cache->buildCurve(kFreq, rec.pointers);
  ASSERT_EQ(cache->count(kFreq), 3);  // frequency curves get no end point
  EXPECT_EQ(cache->value(kFreq, 2)[0], 1.5f);
  EXPECT_EQ(cache->value(kFreq, 2)[1], 2.5f);
}

TEST(KeyInterpolationCache, AbsentFrequenciesTakeThePartnerOrTheMean) {
  auto cache = std::make_unique<KeyInterpolationCache>();
  Recordings rec;
  // R2 starts later: before its first point it is absent (0).
  fill(rec.r[0], {{0.0f, 1.0f}, {1.0f, 1.0f}});
  fill(rec.r[1], {{0.5f, 1.2f}, {1.0f, 1.2f}});
  fill(rec.r[2], {{0.0f, 0.9f}, {1.0f, 0.9f}});
  fill(rec.r[3], {{0.0f, 1.1f}, {1.0f, 1.1f}});
  cache->buildCurve(kFreq, rec.pointers);
  ASSERT_GE(cache->count(kFreq), 1);
  EXPECT_EQ(cache->time(kFreq, 0), 0.0f);
  EXPECT_EQ(cache->value(kFreq, 0)[1], 1.0f);  // R2 takes R1's value

  // Only the loud layer present: the soft pair takes the mean of the loud values.
  for (auto& c : rec.r) c.reset();
  fill(rec.r[2], {{0.0f, 0.9f}, {1.0f, 0.9f}});
  fill(rec.r[3], {{0.0f, 1.1f}, {1.0f, 1.1f}});
  cache->buildCurve(kFreq, rec.pointers);
  EXPECT_FLOAT_EQ(cache->value(kFreq, 0)[0], 1.0f);
  EXPECT_FLOAT_EQ(cache->value(kFreq, 0)[1], 1.0f);
  EXPECT_EQ(cache->value(kFreq, 0)[2], 0.9f);
  EXPECT_EQ(cache->value(kFreq, 0)[3], 1.1f);

  // Amplitudes are never filled in.
  cache->buildCurve(kAmp, rec.pointers);
  EXPECT_EQ(cache->value(kAmp, 0)[0], 0.0f);
}

TEST(KeyInterpolationCache, LongRecordingsAreThinnedOverTheWholeSound) {
  auto cache = std::make_unique<KeyInterpolationCache>();
  Recordings rec;
  for (int q = 0; q < 4; ++q)
    for (int i = 0; i < 128; ++i) ASSERT_TRUE(rec.r[q].add(0.05f * i + 0.0125f * q, 1.0f));
  const float end = 0.05f * 127 + 0.0125f * 3;
  cache->buildCurve(kAmp, rec.pointers);
  const int n = cache->count(kAmp);
  ASSERT_LE(n, KeyInterpolationCache::kTimes);
  ASSERT_GT(n, 100);
  // (The time right after 0 may be closer: a point at 0 hides nothing.)
  for (int i = 2; i < n - 1; ++i) EXPECT_GT(cache->time(kAmp, i), cache->time(kAmp, i - 1) + 0.03f) << i;
  EXPECT_GT(cache->time(kAmp, n - 2), 0.9f * end);  // the last kept time reaches the end of the sound

  cache->buildCurve(kFreq, rec.pointers);
  EXPECT_LE(cache->count(kFreq), KeyInterpolationCache::kTimes);
}

TEST(KeyInterpolationCache, BlendIsTheWeightedSum) {
  auto cache = std::make_unique<KeyInterpolationCache>();
  Recordings rec;
  fill(rec.r[0], {{0.0f, 1.0f}, {1.0f, 0.0f}});
  fill(rec.r[1], {{0.0f, 2.0f}, {1.0f, 0.0f}});
  fill(rec.r[2], {{0.0f, 3.0f}, {1.0f, 0.0f}});
  fill(rec.r[3], {{0.0f, 4.0f}, {1.0f, 0.0f}});
  cache->buildCurve(kAmp, rec.pointers);
  const float k = 0.25f, u = 0.5f;
  const float w[4] = {(1 - k) * (1 - u), k * (1 - u), (1 - k) * u, k * u};
  BreakpointCurve note;
  cache->blend(kAmp, w, note);
  ASSERT_EQ(note.count(), 3);
  EXPECT_FLOAT_EQ(note.y(0), w[0] * 1 + w[1] * 2 + w[2] * 3 + w[3] * 4);
  EXPECT_FLOAT_EQ(note.evaluate(0.5f), 0.5f * (w[0] * 1 + w[1] * 2 + w[2] * 3 + w[3] * 4));
  EXPECT_EQ(note.y(2), 0.0f);
}

}  // namespace
}  // namespace vt
