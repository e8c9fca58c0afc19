#include "engine/harmonic_set.h"

#include "engine/sine_table.h"

namespace vt {

HarmonicSet::HarmonicSet(bool shareTimeAxes) {
  if (shareTimeAxes) {
    for (int h = 1; h < kHarmonics; ++h) {
      amplitude[h].shareAxisOf(amplitude[0]);
      frequency[h].shareAxisOf(frequency[0]);
    }
  }
  sine = SineTable::acquire();
}

HarmonicSet::~HarmonicSet() {
  if (sine) SineTable::release();
}

bool HarmonicSet::valid() const {
  if (!sine || total.capacity() == 0) return false;
  for (int i = 0; i < kCurves; ++i)
    if (curve(i).capacity() == 0) return false;
  return true;
}

void HarmonicSet::reset() {
  for (int i = 0; i < kCurves; ++i) curve(i).reset();
  total.reset();
  baseFrequency = 0.0f;
  duration = 0.0f;
}

void HarmonicSet::validateAmplitude(int h) {
  if (h < 0 || h >= kHarmonics) return;
  BreakpointCurve& a = amplitude[h];
  if (a.count() > 0) a.setY(a.count() - 1, 0.0f);
}

void HarmonicSet::validateFrequency(int h) {
  if (h < 0 || h >= kHarmonics) return;
  const float k = static_cast<float>(h + 1);
  BreakpointCurve& f = frequency[h];
  for (int j = 0; j < f.count(); ++j) {
    const float ratio = f.y(j);
    if (!(ratio >= k - 1.0f && ratio <= k + 1.0f)) {  // also refuses NaN
      f.setY(j, k);
      amplitude[h].setY(j, 0.0f);
    }
  }
}

void HarmonicSet::validate() {
  for (int h = 0; h < kHarmonics; ++h) validateAmplitude(h);
  for (int h = 0; h < kHarmonics; ++h) validateFrequency(h);
  updateDuration();
}

void HarmonicSet::fitToSharedAxis(int index) {
  if (index < 0 || index >= kCurves) return;
  BreakpointCurve& c = curve(index);
  if (c.ownsAxis()) return;
  const BreakpointCurve& owner = index < kHarmonics ? amplitude[0] : frequency[0];
  if (owner.ownsAxis() && owner.xData() == c.xData()) c.keepFirst(owner.count());
}

void HarmonicSet::updateDuration() {
  float longest = 0.0f;
  for (int h = 0; h < kHarmonics; ++h)
    if (amplitude[h].count() > 0 && amplitude[h].lastTime() > longest) longest = amplitude[h].lastTime();
  duration = longest;
}

void HarmonicSet::buildTotal() {
  total.reset();
  const BreakpointCurve& axis = amplitude[0];
  for (int i = 0; i < axis.count(); ++i) {
    const float t = axis.x(i);
    float sum = 0.0f;
    for (int h = 0; h < kHarmonics; ++h) sum += amplitude[h].evaluate(t);
    total.add(t, sum);
  }
}

void HarmonicSet::prepare() {
  buildTotal();
  if (total.count() > 0 && total.evaluate(0.0f) != 0.0f) {
    if (total.empty() || total.x(0) < kFadeInTime) {
      // Owners carry their sharers along; every axis moves once.
      for (int i = 0; i < kCurves; ++i) {
        BreakpointCurve& c = curve(i);
        if (c.ownsAxis() && c.count() > 0) c.movePoint(0, c.x(0) + kFadeInTime, 1);
      }
      for (int i = 0; i < kCurves; ++i) curve(i).clearCache();
    }
    // Amplitude curves first: the owner puts the time 0 on the shared axis that its sharers look up.
    for (int h = 0; h < kHarmonics; ++h) amplitude[h].add(0.0f, 0.0f);
    for (int h = 0; h < kHarmonics; ++h) {
      BreakpointCurve& f = frequency[h];
      const float first = f.count() > 0 ? f.y(0) : static_cast<float>(h + 1);
      f.add(0.0f, first);
    }
    buildTotal();
  }
  if (total.count() > 0 && total.y(total.count() - 1) != 0.0f) {
    for (int h = 0; h < kHarmonics; ++h) validateAmplitude(h);
    buildTotal();
  }
  updateDuration();
}

void HarmonicSet::copyFrom(const HarmonicSet& other) {
  if (&other == this) return;
  // Owners (index 0) first, so that sharers find the copied axis in place.
  for (int i = 0; i < kCurves; ++i) curve(i).copyFrom(other.curve(i));
  total.copyFrom(other.total);
  baseFrequency = other.baseFrequency;
  sampleRate = other.sampleRate;
  duration = other.duration;
}

}  // namespace vt
