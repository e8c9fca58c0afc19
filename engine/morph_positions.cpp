#include "engine/morph_positions.h"

#include <cmath>

#include "engine/breakpoint_curve.h"
#include "engine/lfo.h"
#include "engine/parameter_ids.h"

namespace vt {

namespace {

constexpr float kLoopTimeScale = 60.0f;         // the loop-time parameters span a minute
constexpr float kShortestEnvelopeLoop = 0.01f;  // seconds; a shorter loop holds at its start

bool on(float x) { return x > 0.5f; }

MorphPositions withSteadyEnd(MorphPositions m) {
  m.hx1 = m.hx;
  m.hy1 = m.hy;
  m.nx1 = m.nx;
  m.ny1 = m.ny;
  return m;
}

}  // namespace

MorphPositions chooseMorphPositions(const float* p, BreakpointCurve* envelopes, float clock, float blockSeconds,
                                    float hostTempo) {
  MorphPositions m;
  m.hx = p[MorphHarmX];
  m.hy = p[MorphHarmY];
  m.nx = p[MorphNoiseX];
  m.ny = p[MorphNoiseY];
  m.ax = p[MorphAmpX];
  m.ay = p[MorphAmpY];
  if (!on(p[EnvelopeMorphOn]) || !envelopes) return withSteadyEnd(m);

  float a = clock;
  float start = p[GlobalLoopStartTime] * kLoopTimeScale;
  float end = p[GlobalLoopEndTime] * kLoopTimeScale;
  if (on(p[GlobalSyncOn])) {
    const float scale = effectiveTempo(hostTempo) / kDefaultTempo;
    a *= scale;
    start *= scale;
    end *= scale;
  }
  float b = a + blockSeconds;
  if (on(p[GlobalLoopOn]) && b > start) {
    if (end - start <= kShortestEnvelopeLoop) {
      if (a > start) {
        a = start;
        b = start;
      }
    } else {
      a = start + std::fmod(a - start, end - start);
      b = a + blockSeconds;
    }
    if (end < b) b = start;
  }
  m.hx = (envelopes[kMorphEnvelopeHarmX].evaluate(a) + envelopes[kMorphEnvelopeHarmX].evaluate(b)) * 0.5f;
  m.hy = (envelopes[kMorphEnvelopeHarmY].evaluate(a) + envelopes[kMorphEnvelopeHarmY].evaluate(b)) * 0.5f;
  m.nx = (envelopes[kMorphEnvelopeNoiseX].evaluate(a) + envelopes[kMorphEnvelopeNoiseX].evaluate(b)) * 0.5f;
  m.ny = (envelopes[kMorphEnvelopeNoiseY].evaluate(a) + envelopes[kMorphEnvelopeNoiseY].evaluate(b)) * 0.5f;
  return withSteadyEnd(m);
}

}  // namespace vt
