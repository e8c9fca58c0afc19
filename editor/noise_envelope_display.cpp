#include "editor/noise_envelope_display.h"

#include "editor/frequency_curve_display.h"
#include "engine/noise_set.h"

namespace vt {

namespace {

constexpr float kLowLevel = 0.01f;
constexpr float kHighLevel = 0.99f;
constexpr int kMeanSamples = 100;

float limitLevel(float v) { return v < kLowLevel ? kLowLevel : (v > kHighLevel ? kHighLevel : v); }

}  // namespace

NoiseEnvelopeDisplay::NoiseEnvelopeDisplay(const gui::Rect& size, gui::ControlListener* controlListener, int tag,
                                           const gui::GuiBitmap* background)
    : TimeCurveDisplay(size, controlListener, tag, background) {}

void NoiseEnvelopeDisplay::bind(NoiseSet* set) {
  noise = set && set->frames ? set : nullptr;
  int loudest = 0;
  for (int i = 1; i < pointCount(); ++i)
    if (levelAt(i) > levelAt(loudest)) loudest = i;
  selectPoint(loudest);
  selectionChanged();
  setDirty();
}

int NoiseEnvelopeDisplay::pointCount() const { return noise ? noise->count : 0; }

float NoiseEnvelopeDisplay::levelAt(int index) const {
  if (!noise || index < 0 || index >= noise->count) return 0.0f;
  BreakpointCurve& spectrum = noise->frames[index].spectrum;
  float sum = 0.0f;
  for (int k = 0; k < kMeanSamples; ++k) sum += spectrum.evaluate(static_cast<float>(k) / kMeanSamples);
  return sum / kMeanSamples / kFullLevel;
}

void NoiseEnvelopeDisplay::pointAt(int index, float& u, float& v) const {
  u = (noise && index >= 0 && index < noise->count) ? positionOfTime(noise->times[index]) : 0.0f;
  v = levelAt(index);
}

bool NoiseEnvelopeDisplay::movePointTo(int index, float u, float v) {
  if (!noise || index < 0 || index >= noise->count) return false;
  float* times = noise->times;
  const int n = noise->count;
  float t = timeOf(u);
  const float before = index > 0 ? times[index - 1] : 0.0f;
  if (t < before) t = before;
  if (moveMode == 0 && index < n - 1 && t > times[index + 1]) t = times[index + 1];
  bool moved = false;
  const float old = times[index];
  if (t != old) {
    const float shift = t - old;
    if (moveMode == 0) {
      times[index] = t;
    } else if (moveMode == 1) {
      for (int j = index; j < n; ++j) times[j] += shift;
    } else {
      // Earlier frames scale towards 0, later ones by a weight falling to 0 at the last.
      const float last = times[n - 1];
      for (int j = 0; j < n; ++j) {
        const float w = times[j] <= old ? (old == 0.0f ? 1.0f : times[j] / old)
                                        : (last > old ? 1.0f - (times[j] - old) / (last - old) : 0.0f);
        times[j] += w * shift;
      }
    }
    moved = true;
  }
  const float oldLevel = limitLevel(levelAt(index));
  const float newLevel = limitLevel(v);
  if (newLevel != oldLevel) {
    noise->frames[index].spectrum.scaleY(newLevel / oldLevel);
    moved = true;
  }
  if (moved) noise->frames[index].resample();
  return moved;
}

int NoiseEnvelopeDisplay::insertPointAt(float u, float v) {
  if (!noise || noise->count >= noise->capacity()) return -1;
  const float t = timeOf(u);
  int k = 0;
  while (k < noise->count && noise->times[k] <= t) ++k;
  for (int j = noise->count; j > k; --j) {
    noise->frames[j].copyFrom(noise->frames[j - 1]);
    noise->times[j] = noise->times[j - 1];
  }
  ++noise->count;
  NoiseFrame& frame = noise->frames[k];
  noise->times[k] = t;
  const bool hasBefore = k > 0;
  const bool hasAfter = k + 1 < noise->count;
  if (hasBefore || hasAfter) {
    const NoiseFrame& near = hasBefore ? noise->frames[k - 1] : noise->frames[k + 1];
    frame.copyFrom(near);
    if (hasBefore && hasAfter) {
      // Between two frames of the same shape: their spectra blended at t.
      const NoiseFrame& next = noise->frames[k + 1];
      const float t0 = noise->times[k - 1];
      const float t1 = noise->times[k + 1];
      const float f = t1 > t0 ? (t - t0) / (t1 - t0) : 0.0f;
      bool sameShape = next.spectrum.count() == frame.spectrum.count();
      for (int i = 0; sameShape && i < frame.spectrum.count(); ++i)
        sameShape = next.spectrum.x(i) == frame.spectrum.x(i);
      if (sameShape)
        for (int i = 0; i < frame.spectrum.count(); ++i)
          frame.spectrum.setY(i, frame.spectrum.y(i) + f * (next.spectrum.y(i) - frame.spectrum.y(i)));
    }
  } else {
    // The first frame of an empty block: a flat spectrum at the cursor's height.
    frame.reset();
    const float level = v * kFullLevel;
    frame.spectrum.add(0.0f, level);
    frame.spectrum.add(1.0f, level);
  }
  frame.resample();
  return k;
}

bool NoiseEnvelopeDisplay::deletePoint(int index) {
  if (!noise || index < 0 || index >= noise->count) return false;
  for (int j = index; j + 1 < noise->count; ++j) {
    noise->frames[j].copyFrom(noise->frames[j + 1]);
    noise->times[j] = noise->times[j + 1];
  }
  --noise->count;
  noise->frames[noise->count].reset();
  return true;
}

void NoiseEnvelopeDisplay::selectionChanged() {
  if (companion) companion->showFrame(selectedPoint() < 0 ? 0 : selectedPoint());
}

}  // namespace vt
