// Frame lookup and preparation of a noise set.
#include "engine/noise_set.h"

#include <gtest/gtest.h>

namespace vt {
namespace {

void addFrame(NoiseSet& set, float time, float level) {
  NoiseFrame* f = set.appendFrame(time);
  ASSERT_NE(f, nullptr);
  f->spectrum.add(0.0f, level);
  f->spectrum.add(1.0f, level);
  f->resample();
}

TEST(NoiseSetLookup, FrameBeforeAndBracket) {
  NoiseSet set;
  int i, j;
  float f;
  EXPECT_EQ(set.frameBefore(0.5f), -1);
  set.bracket(0.5f, i, j, f);
  EXPECT_EQ(i, -1);
  EXPECT_EQ(j, -1);

  addFrame(set, 0.1f, 1.0f);
  addFrame(set, 0.2f, 1.0f);
  addFrame(set, 0.4f, 1.0f);
  EXPECT_EQ(set.frameBefore(0.05f), -1);
  EXPECT_EQ(set.frameBefore(0.1f), -1);
  EXPECT_EQ(set.frameBefore(0.15f), 0);
  EXPECT_EQ(set.frameBefore(0.2f), 0);
  EXPECT_EQ(set.frameBefore(0.3f), 1);
  EXPECT_EQ(set.frameBefore(0.4f), 1);
  EXPECT_EQ(set.frameBefore(9.0f), 2);

  set.bracket(0.1f, i, j, f);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(j, 0);
  EXPECT_EQ(f, 0.0f);
  set.bracket(0.05f, i, j, f);
  EXPECT_EQ(i, -1);
  EXPECT_EQ(j, -1);
  set.bracket(0.3f, i, j, f);
  EXPECT_EQ(i, 1);
  EXPECT_EQ(j, 2);
  EXPECT_FLOAT_EQ(f, 0.5f);
  set.bracket(0.4f, i, j, f);
  EXPECT_EQ(i, 1);
  EXPECT_EQ(j, 2);
  EXPECT_FLOAT_EQ(f, 1.0f);
  set.bracket(0.5f, i, j, f);
  EXPECT_EQ(i, 2);
  EXPECT_EQ(j, -1);
}

TEST(NoiseSetPrepare, LoudFirstFrameGetsASilentFrameAtZero) {
  NoiseSet set;
  addFrame(set, 0.0f, 0.5f);
  addFrame(set, 0.3f, 0.2f);
  set.prepare();
  ASSERT_EQ(set.count, 3);
  EXPECT_EQ(set.times[0], 0.0f);
  EXPECT_TRUE(set.frames[0].silent);
  EXPECT_EQ(set.frames[0].bins[100], 0.0f);
  EXPECT_FLOAT_EQ(set.times[1], 0.01f);
  EXPECT_FLOAT_EQ(set.times[2], 0.31f);
  EXPECT_EQ(set.frames[1].bins[100], 0.5f);
  EXPECT_EQ(set.frames[2].bins[100], 0.2f);
  set.prepare();  // already silent at the start
  EXPECT_EQ(set.count, 3);
}

TEST(NoiseSetPrepare, LaterFirstFrameKeepsItsTime) {
  NoiseSet set;
  addFrame(set, 0.05f, 0.5f);
  set.prepare();
  ASSERT_EQ(set.count, 2);
  EXPECT_EQ(set.times[1], 0.05f);
}

TEST(NoiseSetPrepare, FullSetIsLeftAsItIs) {
  NoiseSet set;
  for (int i = 0; i < NoiseSet::kMaxFrames; ++i) addFrame(set, i * 0.01f, 1.0f);
  EXPECT_EQ(set.appendFrame(5.0f), nullptr);
  set.prepare();
  EXPECT_EQ(set.count, NoiseSet::kMaxFrames);
  EXPECT_EQ(set.times[0], 0.0f);
}

TEST(NoiseSet, CopyAndSampleRate) {
  NoiseSet a;
  addFrame(a, 0.0f, 0.0f);
  addFrame(a, 0.2f, 0.7f);
  a.setSampleRate(48000.0f);
  NoiseSet b;
  b.copyFrom(a);
  ASSERT_EQ(b.count, 2);
  EXPECT_EQ(b.frames[1].bins[0], 0.7f);
  EXPECT_FALSE(b.frames[1].silent);
  EXPECT_EQ(b.frames[1].sampleRate, 48000.0f);
  EXPECT_TRUE(b.valid());
  EXPECT_NE(b.frames[0].phases, nullptr);
  EXPECT_EQ(b.frames[0].phases, a.frames[5].phases);  // one shared table
}

}  // namespace
}  // namespace vt
