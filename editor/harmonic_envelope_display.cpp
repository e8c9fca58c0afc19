#include "editor/harmonic_envelope_display.h"

#include "editor/harmonics_display.h"
#include "engine/harmonic_set.h"

namespace vt {

namespace {

constexpr float kLowLevel = 0.01f;
constexpr float kHighLevel = 0.99f;

float limitLevel(float v) { return v < kLowLevel ? kLowLevel : (v > kHighLevel ? kHighLevel : v); }

// The curve's value at t, holding its first value before it and its last after it.
float heldValueAt(BreakpointCurve& curve, float t) {
  if (curve.count() == 0) return 0.0f;
  if (t <= curve.x(0)) return curve.y(0);
  return curve.evaluate(t);
}

}  // namespace

HarmonicEnvelopeDisplay::HarmonicEnvelopeDisplay(const gui::Rect& size, gui::ControlListener* controlListener, int tag,
                                                 const gui::GuiBitmap* background)
    : TimeCurveDisplay(size, controlListener, tag, background) {}

void HarmonicEnvelopeDisplay::bind(HarmonicSet* set) {
  harmonics = set;
  int loudest = 0;
  for (int i = 1; i < pointCount(); ++i)
    if (levelAt(i) > levelAt(loudest)) loudest = i;
  selectPoint(loudest);
  selectionChanged();
  setDirty();
}

int HarmonicEnvelopeDisplay::pointCount() const { return harmonics ? harmonics->amplitude[0].count() : 0; }

float HarmonicEnvelopeDisplay::levelAt(int index) const {
  if (!harmonics) return 0.0f;
  float sum = 0.0f;
  for (const BreakpointCurve& a : harmonics->amplitude)
    if (index < a.count()) sum += a.y(index);
  return sum / kFullSum;
}

void HarmonicEnvelopeDisplay::pointAt(int index, float& u, float& v) const {
  u = harmonics ? positionOfTime(harmonics->amplitude[0].x(index)) : 0.0f;
  v = levelAt(index);
}

bool HarmonicEnvelopeDisplay::movePointTo(int index, float u, float v) {
  if (!harmonics || index < 0 || index >= pointCount()) return false;
  BreakpointCurve& axis = harmonics->amplitude[0];
  float t = timeOf(u);
  if (moveMode == 0) {
    // Between its neighbours only: the point stops at them.
    const float before = index > 0 ? axis.x(index - 1) : 0.0f;
    const float after = index < axis.count() - 1 ? axis.x(index + 1) : t;
    t = t < before ? before : (t > after ? after : t);
  } else if (moveMode == 1 && index > 0 && t < axis.x(index - 1)) {
    t = axis.x(index - 1);
  }
  bool moved = false;
  if (t != axis.x(index)) {
    for (int c = 0; c < HarmonicSet::kCurves; ++c) {
      BreakpointCurve& curve = harmonics->curve(c);
      if (curve.ownsAxis() && index < curve.count()) curve.movePoint(index, t, moveMode);
    }
    for (int c = 0; c < HarmonicSet::kCurves; ++c) harmonics->curve(c).clearCache();
    moved = true;
  }
  const float oldLevel = limitLevel(levelAt(index));
  const float newLevel = limitLevel(v);
  if (newLevel != oldLevel) {
    const float factor = newLevel / oldLevel;
    for (BreakpointCurve& a : harmonics->amplitude)
      if (index < a.count()) a.setY(index, a.y(index) * factor);
    moved = true;
  }
  if (moved) {
    harmonics->buildTotal();
    harmonics->updateDuration();
  }
  return moved;
}

int HarmonicEnvelopeDisplay::insertPointAt(float u, float /*v*/) {
  if (!harmonics) return -1;
  BreakpointCurve& axis = harmonics->amplitude[0];
  if (axis.count() >= axis.capacity()) return -1;
  const float t = timeOf(u);
  if (axis.count() == 0) {
    // An empty block starts with a silent point of harmonic 1.
    if (!axis.add(t, 0.0f)) return -1;
    if (harmonics->frequency[0].count() == 0) harmonics->frequency[0].add(t, 1.0f);
  } else {
    float values[HarmonicSet::kCurves];
    bool has[HarmonicSet::kCurves];
    for (int c = 0; c < HarmonicSet::kCurves; ++c) {
      BreakpointCurve& curve = harmonics->curve(c);
      has[c] = curve.count() > 0 && curve.count() < curve.capacity();
      values[c] = has[c] ? heldValueAt(curve, t) : 0.0f;
    }
    // Axis owners first: a sharing curve finds its new time on the axis.
    for (int pass = 0; pass < 2; ++pass)
      for (int c = 0; c < HarmonicSet::kCurves; ++c) {
        BreakpointCurve& curve = harmonics->curve(c);
        if (has[c] && curve.ownsAxis() == (pass == 0)) curve.add(t, values[c]);
      }
  }
  harmonics->buildTotal();
  harmonics->updateDuration();
  for (int i = 0; i < axis.count(); ++i)
    if (axis.x(i) >= t) return i;
  return axis.count() - 1;
}

bool HarmonicEnvelopeDisplay::deletePoint(int index) {
  if (!harmonics || index < 0 || index >= pointCount()) return false;
  for (int c = 0; c < HarmonicSet::kCurves; ++c) harmonics->curve(c).removeAt(index);
  harmonics->buildTotal();
  harmonics->updateDuration();
  return true;
}

void HarmonicEnvelopeDisplay::selectionChanged() {
  if (companion) companion->setSelectedTime(selectedPoint() < 0 ? 0 : selectedPoint());
}

}  // namespace vt
