// Lookup, insertion and editing rules of the piecewise-linear curve.
#include "engine/breakpoint_curve.h"

#include <gtest/gtest.h>

#include <limits>

namespace vt {
namespace {

void fill(BreakpointCurve& c, std::initializer_list<std::pair<float, float>> points) {
  c.reset();
  for (auto& p : points) ASSERT_TRUE(c.add(p.first, p.second));
}

TEST(BreakpointCurveEvaluate, EmptyCurveIsZeroEverywhere) {
  BreakpointCurve c;
  EXPECT_TRUE(c.empty());
  EXPECT_EQ(c.count(), 0);
  EXPECT_EQ(c.evaluate(-1.0f), 0.0f);
  EXPECT_EQ(c.evaluate(0.0f), 0.0f);
  EXPECT_EQ(c.evaluate(5.0f), 0.0f);
}

TEST(BreakpointCurveEvaluate, EdgesAroundThePoints) {
  BreakpointCurve c;
  fill(c, {{1.0f, 2.0f}, {3.0f, 6.0f}, {4.0f, -2.0f}});
  EXPECT_EQ(c.evaluate(0.999f), 0.0f);  // before the first point
  EXPECT_EQ(c.evaluate(1.0f), 2.0f);    // exactly at it
  EXPECT_FLOAT_EQ(c.evaluate(2.0f), 4.0f);
  EXPECT_EQ(c.evaluate(3.0f), 6.0f);  // exactly at an inner point
  EXPECT_FLOAT_EQ(c.evaluate(3.5f), 2.0f);
  EXPECT_EQ(c.evaluate(4.0f), -2.0f);
  EXPECT_EQ(c.evaluate(100.0f), -2.0f);  // past the end: the last y
}

TEST(BreakpointCurveEvaluate, SinglePoint) {
  BreakpointCurve c;
  fill(c, {{0.5f, 3.0f}});
  EXPECT_EQ(c.evaluate(0.25f), 0.0f);
  EXPECT_EQ(c.evaluate(0.5f), 3.0f);
  EXPECT_EQ(c.evaluate(0.75f), 3.0f);
}

TEST(BreakpointCurveEvaluate, CacheHitsAndMissesAgreeWithFreshLookups) {
  BreakpointCurve c;
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(c.add(i * 0.1f, static_cast<float>(i * i)));
  // Sweep forward, backward and jump around: every answer must match a fresh
  // curve's answer, whatever the cache held before.
  const float probes[] = {0.05f, 0.05f, 0.15f, 0.16f, 5.55f, 0.01f, 9.9f, 9.95f, 2.0f, 2.0f, -1.0f, 4.04f, 4.03f};
  for (float x : probes) {
    BreakpointCurve fresh;
    fresh.copyFrom(c);
    fresh.clearCache();
    EXPECT_EQ(c.evaluate(x), fresh.evaluate(x)) << x;
  }
}

TEST(BreakpointCurveEvaluate, EditsInvalidateTheRememberedLookup) {
  BreakpointCurve c;
  fill(c, {{0.0f, 1.0f}, {1.0f, 1.0f}});
  EXPECT_EQ(c.evaluate(0.5f), 1.0f);
  c.scaleY(2.0f);
  EXPECT_EQ(c.evaluate(0.5f), 2.0f);
  c.setY(1, 0.0f);
  EXPECT_EQ(c.evaluate(0.5f), 1.0f);
  c.movePoint(1, 2.0f, 0);
  EXPECT_EQ(c.evaluate(0.5f), 1.5f);
}

TEST(BreakpointCurveEvaluate, DisorderedAxisNeverReadsOutside) {
  BreakpointCurve c;
  const float xs[] = {0.0f, 5.0f, 1.0f, 1.0f, 9.0f};
  const float ys[] = {1.0f, 2.0f, 3.0f, 4.0f, 5.0f};
  ASSERT_TRUE(c.assign(5, xs, ys));
  for (float x = -1.0f; x < 10.0f; x += 0.25f) {
    const float v = c.evaluate(x);
    EXPECT_TRUE(v >= 0.0f && v <= 5.0f) << x;
  }
  EXPECT_EQ(c.evaluate(std::numeric_limits<float>::quiet_NaN()), 5.0f);
}

TEST(BreakpointCurveAdd, OwningInsertionOrder) {
  BreakpointCurve c;
  fill(c, {{1.0f, 10.0f}, {3.0f, 30.0f}});
  ASSERT_TRUE(c.add(2.0f, 20.0f));
  ASSERT_TRUE(c.add(0.0f, 0.0f));
  ASSERT_TRUE(c.add(3.0f, 99.0f));  // equal x goes in front of the existing point
  ASSERT_EQ(c.count(), 5);
  const float xs[] = {0, 1, 2, 3, 3};
  const float ys[] = {0, 10, 20, 99, 30};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(c.x(i), xs[i]);
    EXPECT_EQ(c.y(i), ys[i]);
  }
  EXPECT_FALSE(c.empty());
}

TEST(BreakpointCurveAdd, The129thPointIsRefusedAndChangesNothing) {
  BreakpointCurve c;
  for (int i = 0; i < 128; ++i) ASSERT_TRUE(c.add(static_cast<float>(i), static_cast<float>(i)));
  EXPECT_FALSE(c.add(0.5f, 7.0f));
  EXPECT_FALSE(c.add(500.0f, 7.0f));
  ASSERT_EQ(c.count(), 128);
  for (int i = 0; i < 128; ++i) EXPECT_EQ(c.x(i), static_cast<float>(i));
  EXPECT_EQ(c.evaluate(127.0f), 127.0f);
}

TEST(BreakpointCurveAdd, SharingCurveFollowsTheSharedAxis) {
  BreakpointCurve owner;
  BreakpointCurve sharer;
  sharer.shareAxisOf(owner);
  EXPECT_FALSE(sharer.ownsAxis());
  fill(owner, {{0.0f, 1.0f}, {1.0f, 1.0f}, {2.0f, 1.0f}});

  ASSERT_TRUE(sharer.add(0.0f, 5.0f));
  ASSERT_TRUE(sharer.add(1.0f, 6.0f));
  EXPECT_EQ(sharer.count(), 2);
  EXPECT_EQ(sharer.y(1), 6.0f);
  EXPECT_FLOAT_EQ(sharer.evaluate(0.5f), 5.5f);

  // A larger shared x met before an equal one: refused, unchanged.
  EXPECT_FALSE(sharer.add(0.5f, 9.0f));
  EXPECT_EQ(sharer.count(), 2);

  // Beyond every x searched and no match: the y goes to index 0.
  ASSERT_TRUE(sharer.add(7.0f, 8.0f));
  EXPECT_EQ(sharer.count(), 3);
  EXPECT_EQ(sharer.y(0), 8.0f);
  EXPECT_EQ(sharer.y(1), 5.0f);
  EXPECT_EQ(sharer.y(2), 6.0f);

  // Inserting at a matching x moves the later ys up.
  sharer.reset();
  ASSERT_TRUE(sharer.add(0.0f, 1.0f));
  ASSERT_TRUE(sharer.add(1.0f, 3.0f));
  ASSERT_TRUE(sharer.add(0.0f, 0.5f));
  EXPECT_EQ(sharer.y(0), 0.5f);
  EXPECT_EQ(sharer.y(1), 1.0f);
  EXPECT_EQ(sharer.y(2), 3.0f);
}

TEST(BreakpointCurveEdit, TruncateAndRemove) {
  BreakpointCurve c;
  fill(c, {{0, 0}, {1, 1}, {2, 2}, {3, 3}});
  c.truncateAfter(2.0f);
  EXPECT_EQ(c.count(), 3);
  c.removeAt(1);
  ASSERT_EQ(c.count(), 2);
  EXPECT_EQ(c.x(1), 2.0f);
  EXPECT_EQ(c.evaluate(1.0f), 1.0f);
  c.removeAt(5);  // out of range: nothing
  EXPECT_EQ(c.count(), 2);
  c.truncateAfter(-1.0f);
  EXPECT_EQ(c.count(), 0);
  EXPECT_FALSE(c.empty());  // emptied by editing, not by reset
}

TEST(BreakpointCurveEdit, MovePointModes) {
  BreakpointCurve c;
  // Mode 0: only between the neighbours.
  fill(c, {{1, 0}, {2, 0}, {4, 0}});
  c.movePoint(1, 5.0f, 0);
  EXPECT_EQ(c.x(1), 2.0f);
  c.movePoint(1, 3.0f, 0);
  EXPECT_EQ(c.x(1), 3.0f);
  c.movePoint(2, 1e8f, 0);
  EXPECT_EQ(c.x(2), 1e8f);
  c.movePoint(0, -3.0f, 0);  // below 0 becomes 0, which lies before the next point
  EXPECT_EQ(c.x(0), 0.0f);

  // Mode 1: shift the rest, not below the previous point.
  fill(c, {{1, 0}, {2, 0}, {4, 0}});
  c.movePoint(1, 2.5f, 1);
  EXPECT_EQ(c.x(0), 1.0f);
  EXPECT_EQ(c.x(1), 2.5f);
  EXPECT_EQ(c.x(2), 4.5f);
  c.movePoint(1, 0.5f, 1);
  EXPECT_EQ(c.x(1), 2.5f);
  c.movePoint(0, 0.01f + 1.0f, 1);
  EXPECT_FLOAT_EQ(c.x(2), 4.51f);

  // Mode 2: stretch around point 1 of (1, 2, 4, 6) moved to 3.
  fill(c, {{1, 0}, {2, 0}, {4, 0}, {6, 0}});
  c.movePoint(1, 3.0f, 2);
  EXPECT_FLOAT_EQ(c.x(0), 1.5f);                         // weight 1/2
  EXPECT_FLOAT_EQ(c.x(1), 3.0f);                         // weight 1
  EXPECT_FLOAT_EQ(c.x(2), 4.0f + (1.0f - 0.5f) * 1.0f);  // weight 1 - 2/4
  EXPECT_FLOAT_EQ(c.x(3), 6.0f);                         // weight 0

  // Sharing curves never move the shared axis.
  BreakpointCurve sharer;
  sharer.shareAxisOf(c);
  ASSERT_TRUE(sharer.add(1.5f, 1.0f));
  sharer.movePoint(0, 9.0f, 1);
  EXPECT_FLOAT_EQ(c.x(0), 1.5f);
}

TEST(BreakpointCurveEdit, ScalingAndMean) {
  BreakpointCurve c;
  fill(c, {{0, 1}, {1, 4}, {2, 2}});
  c.scaleToPeak(0.5f);
  EXPECT_FLOAT_EQ(c.y(1), 0.5f);
  EXPECT_FLOAT_EQ(c.y(0), 0.125f);
  EXPECT_FLOAT_EQ(c.mean(), (0.125f + 0.5f + 0.25f) / 3.0f);
  c.shiftMeanTo(1.0f);
  EXPECT_FLOAT_EQ(c.mean(), 1.0f);
  c.scaleY(0.0f);
  c.scaleToPeak(1.0f);  // no positive peak: unchanged
  EXPECT_EQ(c.y(1), 0.0f);
  BreakpointCurve none;
  EXPECT_EQ(none.mean(), 0.0f);
}

TEST(BreakpointCurveEdit, CopyFromCopiesPointsAndFlags) {
  BreakpointCurve a;
  fill(a, {{0, 1}, {2, 3}});
  BreakpointCurve b;
  b.copyFrom(a);
  EXPECT_EQ(b.count(), 2);
  EXPECT_FALSE(b.empty());
  EXPECT_FLOAT_EQ(b.evaluate(1.0f), 2.0f);
  a.reset();
  b.copyFrom(a);
  EXPECT_EQ(b.count(), 0);
  EXPECT_TRUE(b.empty());
}

TEST(BreakpointCurveEdit, AssignRefusesOutOfRangeCounts) {
  BreakpointCurve c;
  float v[129] = {};
  EXPECT_FALSE(c.assign(129, v, v));
  EXPECT_FALSE(c.assign(-1, v, v));
  EXPECT_EQ(c.count(), 0);
  EXPECT_TRUE(c.assign(128, v, v));
  EXPECT_EQ(c.count(), 128);
  EXPECT_TRUE(c.assign(0, v, v));
  EXPECT_TRUE(c.empty());
}

}  // namespace
}  // namespace vt
