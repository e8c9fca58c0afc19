#include "engine/noise_set.h"

#include <new>

namespace vt {

NoiseSet::NoiseSet() { frames = new (std::nothrow) NoiseFrame[kMaxFrames]; }

NoiseSet::~NoiseSet() { delete[] frames; }

bool NoiseSet::valid() const {
  if (!frames) return false;
  for (int i = 0; i < kMaxFrames; ++i)
    if (!frames[i].valid()) return false;
  return true;
}

void NoiseSet::reset() {
  for (int i = 0; i < count; ++i) frames[i].reset();
  count = 0;
}

NoiseFrame* NoiseSet::appendFrame(float time) {
  if (count >= capacity()) return nullptr;
  NoiseFrame& frame = frames[count];
  frame.reset();
  times[count] = time;
  ++count;
  return &frame;
}

int NoiseSet::frameBefore(float t) const {
  if (count <= 0 || !(t > times[0])) return -1;
  if (t > times[count - 1]) return count - 1;
  // Times in order (as every writer keeps them): the frame found by halving is
  // the one the scan below would find; the scan remains for times out of order.
  int low = 0, high = count - 1;  // times[low] < t <= times[high]
  while (high - low > 1) {
    const int middle = (low + high) / 2;
    if (times[middle] < t)
      low = middle;
    else
      high = middle;
  }
  if (times[low] < t && t <= times[low + 1]) return low;
  for (int i = 0; i + 1 < count; ++i)
    if (times[i] < t && t <= times[i + 1]) return i;
  return -1;  // only with times out of order
}

void NoiseSet::bracket(float t, int& i, int& j, float& fraction) const {
  i = -1;
  j = -1;
  fraction = 0.0f;
  if (count <= 0) return;
  if (t == times[0]) {
    i = 0;
    j = 0;
    return;
  }
  const int before = frameBefore(t);
  if (before < 0) return;
  i = before;
  if (before == count - 1) return;
  j = before + 1;
  const float span = times[j] - times[i];
  fraction = span > 0.0f ? (t - times[i]) / span : 0.0f;
}

void NoiseSet::prepare() {
  if (count <= 0 || frames[0].silent || count >= capacity()) return;
  if (times[0] < kFadeInTime)
    for (int i = 0; i < count; ++i) times[i] += kFadeInTime;
  for (int i = count; i > 0; --i) {
    frames[i].copyFrom(frames[i - 1]);
    times[i] = times[i - 1];
  }
  ++count;
  frames[0].spectrum.scaleY(0.0f);
  frames[0].resample();
  times[0] = 0.0f;
}

void NoiseSet::copyFrom(const NoiseSet& other) {
  if (&other == this) return;
  int n = other.count;
  if (n > capacity()) n = capacity();
  for (int i = 0; i < n; ++i) {
    frames[i].copyFrom(other.frames[i]);
    times[i] = other.times[i];
  }
  count = n;
}

void NoiseSet::setSampleRate(float rate) {
  for (int i = 0; i < capacity(); ++i) frames[i].sampleRate = rate;
}

}  // namespace vt
