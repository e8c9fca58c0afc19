// Preparation of a harmonic set: fade-in, silent ending, total and duration.
#include "engine/harmonic_set.h"

#include <gtest/gtest.h>

#include <memory>

namespace vt {
namespace {

// A set with the given frame times; harmonic k has amplitude level/k and ratio k.
std::unique_ptr<HarmonicSet> makeSet(std::initializer_list<float> times, float level, int harmonics) {
  auto set = std::make_unique<HarmonicSet>();
  for (int h = 0; h < harmonics; ++h) {
    for (float t : times) {
      EXPECT_TRUE(set->amplitude[h].add(t, level / (h + 1)));
      EXPECT_TRUE(set->frequency[h].add(t, static_cast<float>(h + 1)));
    }
  }
  set->baseFrequency = 200.0f;
  return set;
}

TEST(HarmonicSetPrepare, SoundStartingLoudGetsAFadeIn) {
  auto set = makeSet({0.0f, 0.5f, 1.0f}, 1.0f, 3);
  set->validate();  // as loaded: the last frame is silent
  set->prepare();
  for (int h = 0; h < 3; ++h) {
    const BreakpointCurve& a = set->amplitude[h];
    ASSERT_EQ(a.count(), 4) << h;
    EXPECT_EQ(a.x(0), 0.0f);
    EXPECT_EQ(a.y(0), 0.0f);
    EXPECT_FLOAT_EQ(a.x(1), 0.01f);
    EXPECT_FLOAT_EQ(a.y(1), 1.0f / (h + 1));
    EXPECT_FLOAT_EQ(a.x(3), 1.01f);
    const BreakpointCurve& f = set->frequency[h];
    ASSERT_EQ(f.count(), 4);
    EXPECT_EQ(f.x(0), 0.0f);
    EXPECT_EQ(f.y(0), static_cast<float>(h + 1));  // the first ratio is held through the fade
    EXPECT_FLOAT_EQ(f.x(1), 0.01f);
  }
  // Harmonics without points get a silent point at 0 and their own ratio.
  EXPECT_EQ(set->amplitude[10].count(), 1);
  EXPECT_EQ(set->amplitude[10].y(0), 0.0f);
  EXPECT_EQ(set->frequency[10].y(0), 11.0f);

  EXPECT_FLOAT_EQ(set->duration, 1.01f);
  EXPECT_EQ(set->total.evaluate(0.0f), 0.0f);
  EXPECT_FLOAT_EQ(set->total.evaluate(0.005f), 0.5f * (1.0f + 0.5f + 1.0f / 3.0f));
  EXPECT_FLOAT_EQ(set->total.evaluate(0.01f), 1.0f + 0.5f + 1.0f / 3.0f);

  // Preparing again changes nothing.
  set->prepare();
  EXPECT_EQ(set->amplitude[0].count(), 4);
  EXPECT_FLOAT_EQ(set->duration, 1.01f);
}

TEST(HarmonicSetPrepare, FirstFrameAfterTimeZeroIsLeftAlone) {
  auto set = makeSet({0.2f, 0.5f}, 1.0f, 2);
  set->prepare();
  EXPECT_EQ(set->amplitude[0].x(0), 0.2f);
  EXPECT_EQ(set->amplitude[0].count(), 2);
  EXPECT_EQ(set->amplitude[0].evaluate(0.1f), 0.0f);  // the curve is 0 before its first point
}

TEST(HarmonicSetPrepare, LoudLastFrameEndsInSilence) {
  auto set = makeSet({0.0f, 0.5f}, 1.0f, 4);
  set->prepare();  // not validated: the last frame is loud
  for (int h = 0; h < 4; ++h) EXPECT_EQ(set->amplitude[h].y(set->amplitude[h].count() - 1), 0.0f);
  EXPECT_EQ(set->total.y(set->total.count() - 1), 0.0f);
  EXPECT_FLOAT_EQ(set->duration, 0.51f);
}

TEST(HarmonicSetPrepare, FullCurvesStayWithinCapacity) {
  auto set = std::make_unique<HarmonicSet>();
  for (int i = 0; i < 128; ++i) {
    set->amplitude[0].add(i * 0.01f, 1.0f);
    set->frequency[0].add(i * 0.01f, 1.0f);
  }
  set->prepare();
  EXPECT_EQ(set->amplitude[0].count(), 128);
  EXPECT_FLOAT_EQ(set->amplitude[0].x(0), 0.01f);  // shifted, no room for the point at 0
  EXPECT_EQ(set->total.evaluate(0.0f), 0.0f);
}

TEST(HarmonicSet, DurationEndAndCopy) {
  auto set = makeSet({0.0f, 0.5f, 2.0f}, 0.8f, 2);
  set->validate();
  EXPECT_FLOAT_EQ(set->duration, 2.0f);
  EXPECT_FALSE(set->hasEnded(2.0f));
  EXPECT_TRUE(set->hasEnded(2.001f));

  HarmonicSet copy;
  copy.copyFrom(*set);
  EXPECT_EQ(copy.baseFrequency, 200.0f);
  EXPECT_EQ(copy.duration, set->duration);
  EXPECT_EQ(copy.amplitude[1].count(), 3);
  EXPECT_FLOAT_EQ(copy.amplitude[1].evaluate(0.25f), 0.4f);
  set->reset();
  EXPECT_EQ(copy.amplitude[1].count(), 3);  // deep copy
  EXPECT_FLOAT_EQ(copy.amplitude[1].x(2), 2.0f);

  // A set whose curves own their axes takes the copy just the same.
  HarmonicSet independent(false);
  independent.copyFrom(copy);
  EXPECT_TRUE(independent.amplitude[1].ownsAxis());
  EXPECT_FLOAT_EQ(independent.amplitude[1].x(1), 0.5f);
  EXPECT_TRUE(independent.valid());
}

}  // namespace
}  // namespace vt
