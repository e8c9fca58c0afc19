#include "engine/breakpoint_curve.h"

#include <cstring>
#include <new>
#include <utility>

namespace vt {

namespace {

// The neighbour limit after the last point when a point is moved on its own.
constexpr float kMoveLimitAfterLast = 1.0e9f;

}  // namespace

BreakpointCurve::BreakpointCurve() {
  xs = new (std::nothrow) float[kCapacity]();
  ys = new (std::nothrow) float[kCapacity]();
}

BreakpointCurve::~BreakpointCurve() {
  if (ownsXs) delete[] xs;
  delete[] ys;
}

void BreakpointCurve::shareAxisOf(BreakpointCurve& owner) {
  if (&owner == this) return;
  if (ownsXs) delete[] xs;
  xs = owner.xs;
  ownsXs = false;
  reset();
}

void BreakpointCurve::setY(int i, float value) {
  if (i < 0 || i >= pointCount) return;
  ys[i] = value;
  clearCache();
}

float BreakpointCurve::evaluate(float x) {
  const int n = pointCount;
  if (n <= 0) return 0.0f;
  if (x == lastX) return lastY;

  float result;
  const int i = cachedIndex;
  if (i > 0 && i < n && xs[i - 1] < x && x <= xs[i]) {
    result = ys[i - 1] + (x - xs[i - 1]) / (xs[i] - xs[i - 1]) * (ys[i] - ys[i - 1]);
  } else if (x <= xs[0]) {
    result = (x == xs[0]) ? ys[0] : 0.0f;
    cachedIndex = -1;
  } else if (x > xs[n - 1]) {
    result = ys[n - 1];
    cachedIndex = -1;
  } else {
    int k = (i > 0 && i < n && xs[i - 1] < x) ? i : 1;
    while (k < n && !(xs[k] >= x)) ++k;
    if (k >= n) {
      // Only reachable with a NaN x or x values that are not in order.
      result = ys[n - 1];
      cachedIndex = -1;
    } else {
      const float dx = xs[k] - xs[k - 1];
      result = dx > 0.0f ? ys[k - 1] + (x - xs[k - 1]) / dx * (ys[k] - ys[k - 1]) : ys[k];
      cachedIndex = k;
    }
  }
  lastX = x;
  lastY = result;
  return result;
}

bool BreakpointCurve::add(float x, float y) {
  if (pointCount >= capacity()) return false;
  int index = 0;
  if (ownsXs) {
    if (pointCount == 0 || x > xs[pointCount - 1]) {
      index = pointCount;
    } else {
      while (index < pointCount && xs[index] < x) ++index;
      std::memmove(xs + index + 1, xs + index, sizeof(float) * static_cast<size_t>(pointCount - index));
    }
    xs[index] = x;
  } else {
    // The shared axis already holds this x; only the y is placed.
    for (int i = 0; i <= pointCount; ++i) {
      if (xs[i] == x) {
        index = i;
        break;
      }
      if (xs[i] > x) return false;
    }
  }
  std::memmove(ys + index + 1, ys + index, sizeof(float) * static_cast<size_t>(pointCount - index));
  ys[index] = y;
  ++pointCount;
  isEmpty = false;
  cachedIndex = index;
  lastX = kNoLookup;
  return true;
}

bool BreakpointCurve::assign(int n, const float* xValues, const float* yValues) {
  if (n < 0 || n > capacity() || (n > 0 && (!yValues || (ownsXs && !xValues)))) {
    reset();
    return false;
  }
  if (n > 0) {
    if (ownsXs) std::memcpy(xs, xValues, sizeof(float) * static_cast<size_t>(n));
    std::memcpy(ys, yValues, sizeof(float) * static_cast<size_t>(n));
  }
  pointCount = n;
  isEmpty = (n == 0);
  clearCache();
  return true;
}

void BreakpointCurve::reset() {
  pointCount = 0;
  isEmpty = true;
  clearCache();
}

void BreakpointCurve::clearCache() {
  cachedIndex = -1;
  lastX = kNoLookup;
  lastY = 0.0f;
}

void BreakpointCurve::truncateAfter(float x) {
  int kept = 0;
  while (kept < pointCount && xs[kept] <= x) ++kept;
  pointCount = kept;
  clearCache();
}

void BreakpointCurve::keepFirst(int n) {
  if (n < 0) n = 0;
  if (n >= pointCount) return;
  pointCount = n;
  clearCache();
}

void BreakpointCurve::removeAt(int index) {
  if (index < 0 || index >= pointCount) return;
  const size_t moved = sizeof(float) * static_cast<size_t>(pointCount - index - 1);
  if (ownsXs) std::memmove(xs + index, xs + index + 1, moved);
  std::memmove(ys + index, ys + index + 1, moved);
  --pointCount;
  clearCache();
}

void BreakpointCurve::movePoint(int index, float x, int mode) {
  if (!ownsXs || index < 0 || index >= pointCount) return;
  if (!(x >= 0.0f)) x = 0.0f;  // also catches NaN
  const int n = pointCount;
  const float xi = xs[index];
  if (mode == 0) {
    const float before = index > 0 ? xs[index - 1] : 0.0f;
    const float after = index < n - 1 ? xs[index + 1] : kMoveLimitAfterLast;
    if (x >= before && x <= after) xs[index] = x;
  } else if (mode == 1) {
    if (index > 0 && x < xs[index - 1]) return;
    const float shift = x - xi;
    for (int j = index; j < n; ++j) xs[j] += shift;
  } else if (mode == 2) {
    const float shift = x - xi;
    const float xLast = xs[n - 1];
    for (int j = 0; j < n; ++j) {
      float weight;
      if (xs[j] <= xi) {
        weight = (xi == 0.0f) ? 1.0f : xs[j] / xi;
      } else if (n < 2) {
        weight = 1.0f;
      } else {
        weight = (xLast > xi) ? 1.0f - (xs[j] - xi) / (xLast - xi) : 0.0f;
      }
      xs[j] += weight * shift;
    }
  }
  clearCache();
}

void BreakpointCurve::scaleToPeak(float peak) {
  if (pointCount <= 0) return;
  float largest = ys[0];
  for (int i = 1; i < pointCount; ++i)
    if (ys[i] > largest) largest = ys[i];
  if (!(largest > 0.0f)) return;
  for (int i = 0; i < pointCount; ++i) ys[i] = ys[i] * peak / largest;
  clearCache();
}

void BreakpointCurve::scaleY(float factor) {
  for (int i = 0; i < pointCount; ++i) ys[i] *= factor;
  clearCache();
}

float BreakpointCurve::mean() const {
  if (pointCount <= 0) return 0.0f;
  double sum = 0.0;
  for (int i = 0; i < pointCount; ++i) sum += ys[i];
  return static_cast<float>(sum / pointCount);
}

void BreakpointCurve::shiftMeanTo(float target) {
  const float shift = target - mean();
  for (int i = 0; i < pointCount; ++i) ys[i] += shift;
  clearCache();
}

void BreakpointCurve::copyFrom(const BreakpointCurve& other) {
  if (&other == this) return;
  int n = other.pointCount;
  if (n > capacity()) n = capacity();
  if (n > 0 && other.ys) std::memcpy(ys, other.ys, sizeof(float) * static_cast<size_t>(n));
  if (n > 0 && ownsXs && other.xs && xs != other.xs) std::memcpy(xs, other.xs, sizeof(float) * static_cast<size_t>(n));
  pointCount = n;
  isEmpty = other.isEmpty;
  if (ownsXs) {
    cachedIndex = other.cachedIndex < n ? other.cachedIndex : -1;
    lastX = other.lastX;
    lastY = other.lastY;
  } else {
    // The shared axis may differ from the source's; a remembered lookup could be stale.
    clearCache();
  }
}

void BreakpointCurve::swapWith(BreakpointCurve& other) {
  if (&other == this) return;
  std::swap(xs, other.xs);
  std::swap(ys, other.ys);
  std::swap(isEmpty, other.isEmpty);
  std::swap(pointCount, other.pointCount);
  std::swap(cachedIndex, other.cachedIndex);
  std::swap(lastX, other.lastX);
  std::swap(lastY, other.lastY);
  std::swap(ownsXs, other.ownsXs);
}

}  // namespace vt
