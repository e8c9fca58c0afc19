#include "engine/key_interpolation_cache.h"

#include <new>
#include <utility>

namespace vt {

namespace {

bool isFrequencyCurve(int curve) { return curve >= HarmonicSet::kHarmonics; }

// Value of a recording at a merged time M. 'head' is the index of its first
// point after M once the merge has moved past M.
float recordingValue(const BreakpointCurve& r, int head, float m) {
  if (head <= 0) return 0.0f;  // M lies before its first point: the curve is 0 there
  if (head >= r.count()) return r.y(r.count() - 1);
  const float x0 = r.x(head - 1);
  const float x1 = r.x(head);
  const float y0 = r.y(head - 1);
  const float y1 = r.y(head);
  const float dx = x1 - x0;
  return dx > 0.0f ? y0 + (m - x0) / dx * (y1 - y0) : y1;
}

// A frequency of 0 means the harmonic is absent from that recording; it takes
// the other row's value of the same layer, or the mean of the present ones.
void fillAbsentFrequencies(float v[4]) {
  const float original[4] = {v[0], v[1], v[2], v[3]};
  int zeros = 0;
  float sum = 0.0f;
  for (float f : original) {
    if (f == 0.0f)
      ++zeros;
    else
      sum += f;
  }
  if (zeros < 1 || zeros > 3) return;
  const float mean = sum / static_cast<float>(4 - zeros);
  static const int kPartner[4] = {1, 0, 3, 2};
  for (int q = 0; q < 4; ++q) {
    if (original[q] != 0.0f) continue;
    const float partner = original[kPartner[q]];
    v[q] = partner != 0.0f ? partner : mean;
  }
}

}  // namespace

bool KeyInterpolationCache::allocate() {
  if (valid()) return true;
  times = new (std::nothrow) float[kCurves][kTimes];
  values = new (std::nothrow) float[kCurves][kTimes][kRecordings];
  if (!times || !values) {
    delete[] times;
    delete[] values;
    times = nullptr;
    values = nullptr;
  }
  return valid();
}

KeyInterpolationCache::~KeyInterpolationCache() {
  delete[] times;
  delete[] values;
}

void KeyInterpolationCache::clear() {
  for (int& c : counts) c = 0;
}

void KeyInterpolationCache::swapWith(KeyInterpolationCache& other) {
  if (&other == this) return;
  std::swap(times, other.times);
  std::swap(values, other.values);
  std::swap(counts, other.counts);
}

void KeyInterpolationCache::build(const HarmonicSet& lowerSoft, const HarmonicSet& upperSoft,
                                  const HarmonicSet& lowerLoud, const HarmonicSet& upperLoud) {
  for (int c = 0; c < kCurves; ++c) {
    const BreakpointCurve* recordings[kRecordings] = {&lowerSoft.curve(c), &upperSoft.curve(c), &lowerLoud.curve(c),
                                                      &upperLoud.curve(c)};
    buildCurve(c, recordings);
  }
}

void KeyInterpolationCache::buildCurve(int curve, const BreakpointCurve* const recordings[kRecordings]) {
  if (curve < 0 || curve >= kCurves) return;
  counts[curve] = 0;
  if (!allocate()) return;  // without tables the curve has no times
  const bool frequency = isFrequencyCurve(curve);
  float* t = times[curve];
  float(*v)[kRecordings] = values[curve];

  int n[kRecordings];
  int total = 0;
  for (int q = 0; q < kRecordings; ++q) {
    n[q] = recordings[q]->count();
    total += n[q];
  }
  if (total == 0 || total > kMaxMergedPoints) return;

  // One recording holds every point: its own times, taken as they are.
  for (int q = 0; q < kRecordings; ++q) {
    if (n[q] != total) continue;
    const int kept = total < kTimes ? total : kTimes;
    for (int i = 0; i < kept; ++i) {
      t[i] = recordings[q]->x(i);
      const float y = recordings[q]->y(i);
      for (int r = 0; r < kRecordings; ++r) v[i][r] = (frequency || r == q) ? y : 0.0f;
    }
    counts[curve] = kept;
    return;
  }

  // An amplitude curve keeps its last place for the closing silent point, so a
  // long note still fades out at its end when the merged times fill the table.
  const int places = frequency ? kTimes : kTimes - 1;
  int head[kRecordings] = {0, 0, 0, 0};
  int filled = 0;
  int passed = 0;  // merge steps passed over since the last kept time
  int skip = 0;
  float lastKept = kNoTimeKept;
  float lastTimeKept = 0.0f;
  while (filled < places) {
    bool any = false;
    float m = 0.0f;
    for (int q = 0; q < kRecordings; ++q) {
      if (head[q] >= n[q]) continue;
      const float x = recordings[q]->x(head[q]);
      if (!any || x < m) m = x;
      any = true;
    }
    if (!any) break;

    bool exhaustedBefore[kRecordings];
    bool allExhausted = true;
    int unconsumed = 0;
    for (int q = 0; q < kRecordings; ++q) {
      exhaustedBefore[q] = head[q] >= n[q];
      while (head[q] < n[q] && !(recordings[q]->x(head[q]) > m)) ++head[q];
      if (head[q] < n[q]) allExhausted = false;
      unconsumed += n[q] - head[q];
    }

    if (!(m > lastKept + kMinimumSpacing) || passed < skip) {
      ++passed;
      continue;
    }
    float row[kRecordings];
    for (int q = 0; q < kRecordings; ++q) {
      if (allExhausted)
        row[q] = n[q] > 0 ? recordings[q]->y(n[q] - 1) : 0.0f;
      else if (exhaustedBefore[q])
        row[q] = 0.0f;
      else
        row[q] = recordingValue(*recordings[q], head[q], m);
    }
    if (frequency) fillAbsentFrequencies(row);
    t[filled] = m;
    for (int q = 0; q < kRecordings; ++q) v[filled][q] = row[q];
    const int placesLeft = places - filled;  // counting the one now filled
    ++filled;
    // A point at time 0 never hides the one after it.
    lastKept = (m == 0.0f) ? kNoTimeKept : m;
    lastTimeKept = m;
    if (placesLeft < kThinningPlaces) skip = unconsumed / placesLeft;
    passed = 0;
  }

  if (!frequency && filled > 0) {
    // Times the table had no room for still belong to the sound: it then falls
    // to silence at the recordings' last time rather than just after the last kept one.
    float closing = lastTimeKept + kEndStep;
    for (int q = 0; q < kRecordings; ++q) {
      if (head[q] < n[q] && recordings[q]->x(n[q] - 1) > closing) closing = recordings[q]->x(n[q] - 1);
    }
    t[filled] = closing;
    for (int q = 0; q < kRecordings; ++q) v[filled][q] = 0.0f;
    ++filled;
  }
  counts[curve] = filled;
}

void KeyInterpolationCache::blend(int curve, const float weights[kRecordings], BreakpointCurve& target) const {
  target.reset();
  const int n = count(curve);
  for (int i = 0; i < n; ++i) {
    const float* q = values[curve][i];
    target.add(times[curve][i], weights[0] * q[0] + weights[1] * q[1] + weights[2] * q[2] + weights[3] * q[3]);
  }
}

}  // namespace vt
