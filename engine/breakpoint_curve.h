// A piecewise-linear curve of at most 128 (x, y) points with a cached lookup.
// Every time-varying quantity of a sound is one: harmonic amplitudes and
// frequency ratios, noise spectra, envelopes, markers.
//
// The y values are always owned. The x values are either owned or borrowed
// from another curve, so that all harmonics of one recording share a single
// frame-time axis. Both arrays are allocated once, at construction; nothing
// here allocates afterwards. A curve whose allocation failed has capacity 0:
// it stays empty, refuses every point and evaluates to 0.
#pragma once

namespace vt {

class BreakpointCurve {
public:
  static constexpr int kCapacity = 128;
  // lastX after a reset: far below any time a lookup asks for.
  static constexpr float kNoLookup = -10000000.0f;

  BreakpointCurve();  // an owning curve
  ~BreakpointCurve();

  BreakpointCurve(const BreakpointCurve&) = delete;
  BreakpointCurve& operator=(const BreakpointCurve&) = delete;

  // Construction-time only: frees this curve's own x array and reads the x
  // values of 'owner' from now on. The owner must outlive this curve.
  void shareAxisOf(BreakpointCurve& owner);

  bool ownsAxis() const { return ownsXs; }
  int capacity() const { return (xs && ys) ? kCapacity : 0; }
  int count() const { return pointCount; }
  // True while the curve has not received a point since its last reset or a
  // load of zero points (a curve emptied by removeAt is not "empty").
  bool empty() const { return isEmpty; }

  // Point access; indices outside 0..count-1 read 0.
  float x(int i) const { return (i >= 0 && i < pointCount) ? xs[i] : 0.0f; }
  float y(int i) const { return (i >= 0 && i < pointCount) ? ys[i] : 0.0f; }
  float lastTime() const { return pointCount > 0 ? xs[pointCount - 1] : 0.0f; }
  const float* xData() const { return xs; }
  const float* yData() const { return ys; }

  // Replaces the y value of point i (no effect outside 0..count-1).
  void setY(int i, float value);

  // Linear interpolation; 0 before the first point (unless x equals it
  // exactly), the last y after the last point, 0 for a curve without points.
  float evaluate(float x);

  // Inserts a point; false when the curve is full (unchanged then). An owning
  // curve keeps x non-decreasing (a new x equal to an existing one goes in
  // front of it). A sharing curve puts y at the index of the first shared x
  // equal to x, fails if a larger shared x comes first, and uses index 0 when
  // no shared x matches.
  bool add(float x, float y);

  // Replaces all points: n in 0..capacity, x values ignored by a sharing curve.
  // False (and the curve reset) when n is out of range.
  bool assign(int n, const float* xValues, const float* yValues);

  void reset();       // no points, empty, lookup cache cleared; arrays kept
  void clearCache();  // forget the last lookup (after the x axis changed)

  void truncateAfter(float x);  // keeps the points with x_i <= x
  void keepFirst(int n);        // keeps at most the first n points
  void removeAt(int index);

  // Moves point i to a new x (below 0 becomes 0); owning curves only.
  // Mode 0: only if x lies between the neighbours (0 before the first, 1e9 after the last).
  // Mode 1: shifts points i..end by the same distance, if x is not below the previous point.
  // Mode 2: stretches: earlier points scale proportionally, later points move by
  //         a weight falling linearly to 0 at the last point.
  void movePoint(int index, float x, int mode);

  void scaleToPeak(float peak);  // largest y becomes 'peak' when it is above 0
  void scaleY(float factor);
  float mean() const;  // mean of the y values, 0 without points
  void shiftMeanTo(float target);

  // Copies the y values, the x values when this curve owns its axis, the
  // count, the empty flag and the lookup cache.
  void copyFrom(const BreakpointCurve& other);

  // Exchanges everything (arrays, points, lookup state, axis ownership) with
  // 'other' without copying the arrays. A curve that shares an axis must be
  // exchanged together with its axis owner (as whole sets are), so that every
  // curve reads the axis of its own set's owner afterwards.
  void swapWith(BreakpointCurve& other);

private:
  float* xs = nullptr;
  float* ys = nullptr;
  bool isEmpty = true;
  int pointCount = 0;
  int cachedIndex = -1;
  float lastX = kNoLookup;
  float lastY = 0.0f;
  bool ownsXs = true;
};

}  // namespace vt
