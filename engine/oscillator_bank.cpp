#include "engine/oscillator_bank.h"

#include <cmath>

#include "engine/breakpoint_curve.h"
#include "engine/harmonic_set.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define VT7000_OSCILLATOR_SSE2 1
#endif

namespace vt {

namespace {

// Ramps smaller than this are flushed to zero so that a steady partial never
// drifts into denormal arithmetic.
constexpr float kFlushThreshold = 1e-11f;

// Largest phase step per sample. One wrap per sample keeps the phase inside the
// table only while a step stays below one period; a block ending at or above
// the sample rate (a high harmonic under a steep pitch rise) would otherwise
// step past the table's end. The margin covers rounding of the stepped ramp.
constexpr float kMaxIncrement = kOscillatorPeriod - 0.1f;

float flushTiny(float v) { return std::fabs(v) < kFlushThreshold ? 0.0f : v; }

// Negative and NaN steps become 0, oversized ones kMaxIncrement.
float limitIncrement(float inc) {
  if (!(inc >= 0.0f)) return 0.0f;
  return inc > kMaxIncrement ? kMaxIncrement : inc;
}

// Per-sample state of one partial for one block.
struct Ramp {
  float phase;
  float inc;
  float dInc;
  float amp;
  float dAmp;
};

Ramp prepareRamp(float phase, float sampleRate, int n, float f0, float f1, float a0, float a1) {
  const float steps = static_cast<float>(n);
  const float inc0 = limitIncrement(f0 * kOscillatorPeriod / sampleRate);
  const float inc1 = limitIncrement(f1 * kOscillatorPeriod / sampleRate);
  Ramp r;
  r.phase = (phase >= 0.0f && phase < kOscillatorPeriod) ? phase : 0.0f;
  r.inc = flushTiny(inc0);
  r.dInc = flushTiny((inc1 - inc0) / steps);
  r.amp = a0;
  r.dAmp = flushTiny((a1 - a0) / steps);
  return r;
}

bool blockRenderable(const float* sine, float sampleRate, const float* out, int n) {
  return sine && out && n >= 1 && sampleRate > 0.0f;
}

void renderRamp(const float* sine, Ramp& r, float* out, int n) {
  float phase = r.phase;
  float inc = r.inc;
  float amp = r.amp;
  const float dInc = r.dInc;
  const float dAmp = r.dAmp;
  for (int j = 0; j < n; ++j) {
    phase += inc;
    if (phase >= kOscillatorPeriod) phase -= kOscillatorPeriod;
    const int i = static_cast<int>(phase);
    const float s = sine[i] + (sine[i + 1] - sine[i]) * (phase - static_cast<float>(i));
    amp += dAmp;
    out[j] += s * amp;
    inc += dInc;
  }
  r.phase = phase;
}

#ifdef VT7000_OSCILLATOR_SSE2

// Four partials side by side, one per lane; every lane follows exactly the
// scalar steps of renderRamp.
struct FourRamps {
  __m128 phase;
  __m128 inc;
  __m128 dInc;
  __m128 amp;
  __m128 dAmp;
};

// Loads the two neighbouring table entries sine[i] and sine[i + 1] as one
// 64-bit pair into the low half of a register.
inline __m128 loadPair(const float* sine, int i) {
  return _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(sine + i)));
}

// Advances the four partials by one sample and returns their four products.
inline __m128 stepFour(const float* sine, FourRamps& r) {
  const __m128 period = _mm_set1_ps(kOscillatorPeriod);
  const __m128 advanced = _mm_add_ps(r.phase, r.inc);
  r.phase = _mm_sub_ps(advanced, _mm_and_ps(_mm_cmpge_ps(advanced, period), period));

  const __m128i index = _mm_cvttps_epi32(r.phase);
  const __m128 frac = _mm_sub_ps(r.phase, _mm_cvtepi32_ps(index));
  // The four table indices go through memory: cheaper than four lane extractions.
  alignas(16) int idx[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(idx), index);
  const __m128 pair0 = loadPair(sine, idx[0]);
  const __m128 pair1 = loadPair(sine, idx[1]);
  const __m128 pair2 = loadPair(sine, idx[2]);
  const __m128 pair3 = loadPair(sine, idx[3]);
  const __m128 pairs01 = _mm_unpacklo_ps(pair0, pair1);  // s0 s1 s0' s1'
  const __m128 pairs23 = _mm_unpacklo_ps(pair2, pair3);  // s2 s3 s2' s3'
  const __m128 lower = _mm_movelh_ps(pairs01, pairs23);  // sine[i]
  const __m128 upper = _mm_movehl_ps(pairs23, pairs01);  // sine[i + 1]
  const __m128 s = _mm_add_ps(lower, _mm_mul_ps(_mm_sub_ps(upper, lower), frac));

  r.amp = _mm_add_ps(r.amp, r.dAmp);
  const __m128 product = _mm_mul_ps(s, r.amp);
  r.inc = _mm_add_ps(r.inc, r.dInc);
  return product;
}

#endif

// Renders Groups x 4 partials in one pass over out, each group of four side
// by side in the lanes of one register. Every lane follows the scalar steps of
// renderRamp exactly; only the order in which the products of one sample are
// summed differs.
template <int Groups>
void renderPartialGroups(const float* sine, float sampleRate, const PartialRamp* partials, float* out, int n) {
  constexpr int kCount = 4 * Groups;
  Ramp ramps[kCount];
  for (int k = 0; k < kCount; ++k) {
    const PartialRamp& p = partials[k];
    ramps[k] = prepareRamp(p.phase ? *p.phase : 0.0f, sampleRate, n, p.f0, p.f1, p.a0, p.a1);
  }

#ifdef VT7000_OSCILLATOR_SSE2
  FourRamps r[Groups];
  for (int g = 0; g < Groups; ++g) {
    const Ramp* q = ramps + 4 * g;
    r[g].phase = _mm_setr_ps(q[0].phase, q[1].phase, q[2].phase, q[3].phase);
    r[g].inc = _mm_setr_ps(q[0].inc, q[1].inc, q[2].inc, q[3].inc);
    r[g].dInc = _mm_setr_ps(q[0].dInc, q[1].dInc, q[2].dInc, q[3].dInc);
    r[g].amp = _mm_setr_ps(q[0].amp, q[1].amp, q[2].amp, q[3].amp);
    r[g].dAmp = _mm_setr_ps(q[0].dAmp, q[1].dAmp, q[2].dAmp, q[3].dAmp);
  }
  // One sample of every group, the groups' products added lane by lane.
  auto step = [&]() {
    __m128 products = stepFour(sine, r[0]);
    for (int g = 1; g < Groups; ++g) products = _mm_add_ps(products, stepFour(sine, r[g]));
    return products;
  };

  int j = 0;
  // Four samples at a time: the 4 x 4 lane sums are transposed so that each
  // sample's sum is formed in one vector.
  for (; j + 4 <= n; j += 4) {
    const __m128 p0 = step();
    const __m128 p1 = step();
    const __m128 p2 = step();
    const __m128 p3 = step();
    const __m128 sum01 = _mm_add_ps(_mm_unpacklo_ps(p0, p1), _mm_unpackhi_ps(p0, p1));
    const __m128 sum23 = _mm_add_ps(_mm_unpacklo_ps(p2, p3), _mm_unpackhi_ps(p2, p3));
    const __m128 sums = _mm_add_ps(_mm_movelh_ps(sum01, sum23), _mm_movehl_ps(sum23, sum01));
    _mm_storeu_ps(out + j, _mm_add_ps(_mm_loadu_ps(out + j), sums));
  }
  for (; j < n; ++j) {
    const __m128 p = step();
    const __m128 halves = _mm_add_ps(p, _mm_movehl_ps(p, p));
    const __m128 total = _mm_add_ss(halves, _mm_shuffle_ps(halves, halves, _MM_SHUFFLE(1, 1, 1, 1)));
    out[j] += _mm_cvtss_f32(total);
  }

  for (int g = 0; g < Groups; ++g) {
    alignas(16) float phases[4];
    _mm_store_ps(phases, r[g].phase);
    for (int k = 0; k < 4; ++k) {
      if (partials[4 * g + k].phase) *partials[4 * g + k].phase = phases[k];
    }
  }
#else
  for (int k = 0; k < kCount; ++k) {
    renderRamp(sine, ramps[k], out, n);
    if (partials[k].phase) *partials[k].phase = ramps[k].phase;
  }
#endif
}

}  // namespace

void renderPartial(const float* sine, float sampleRate, float& phase, float* out, int n, float f0, float f1, float a0,
                   float a1) {
  if (!blockRenderable(sine, sampleRate, out, n)) return;
  Ramp r = prepareRamp(phase, sampleRate, n, f0, f1, a0, a1);
  renderRamp(sine, r, out, n);
  phase = r.phase;
}

void renderFourPartials(const float* sine, float sampleRate, const PartialRamp partials[4], float* out, int n) {
  if (!partials || !blockRenderable(sine, sampleRate, out, n)) return;
  renderPartialGroups<1>(sine, sampleRate, partials, out, n);
}

namespace {

// A partial whose amplitude stays at or below this level at both block ends
// (below it, for a morphing voice) is not rendered and keeps its phase.
constexpr float kSilentAmplitude = 0.00003f;
// Partials fade out linearly over the top fifth of the band, from 0.3 * sr up
// to the Nyquist frequency.
constexpr float kFadeWidthFraction = 0.2f;
// The formant curve's frequency axis is normalised to this frequency whatever
// the sample rate.
constexpr float kFormantReferenceHz = 22050.0f;
// Groups of four partials rendered in one pass by the bank. Two groups share
// the pass over the output and overlap their work where there are registers
// enough for both (x86_64 has 16 vector registers, i686 only 8).
constexpr int kGroupsPerPass = sizeof(void*) == 8 ? 2 : 1;

// Everything the partials of one block share.
struct BlockFrame {
  const float* sine;
  float sampleRate;
  float nyquist;
  float fadeStart;
  float fadeWidth;
};

bool makeFrame(const float* sine, float sampleRate, BlockFrame& frame) {
  if (!sine || !(sampleRate > 0.0f)) return false;
  frame.sine = sine;
  frame.sampleRate = sampleRate;
  frame.nyquist = sampleRate / 2.0f;
  frame.fadeStart = frame.nyquist - kFadeWidthFraction * sampleRate;
  frame.fadeWidth = kFadeWidthFraction * sampleRate;
  return true;
}

// Collects the partials of a block while the curves are read, then renders
// them in groups of four in the order collected (two groups per pass where
// kGroupsPerPass allows), the one to three left over singly. Reading every
// curve before the first sample lets the curve lookups of all harmonics
// overlap instead of each waiting behind a block of samples.
class PartialBatch {
public:
  PartialBatch(const BlockFrame& frame, float* out, int n) : frame(frame), out(out), n(n) {}

  void add(float* phase, float f0, float f1, float a0, float a1) {
    if (count == HarmonicSet::kHarmonics) return;
    PartialRamp& p = pending[count++];
    p.phase = phase;
    p.f0 = f0;
    p.f1 = f1;
    p.a0 = a0;
    p.a1 = a1;
  }

  void finish() {
    int k = 0;
    if (kGroupsPerPass == 2) {
      for (; k + 8 <= count; k += 8) renderPartialGroups<2>(frame.sine, frame.sampleRate, pending + k, out, n);
    }
    for (; k + 4 <= count; k += 4) renderFourPartials(frame.sine, frame.sampleRate, pending + k, out, n);
    for (; k < count; ++k) {
      const PartialRamp& p = pending[k];
      renderPartial(frame.sine, frame.sampleRate, *p.phase, out, n, p.f0, p.f1, p.a0, p.a1);
    }
    count = 0;
  }

private:
  const BlockFrame& frame;
  float* out;
  int n;
  PartialRamp pending[HarmonicSet::kHarmonics];
  int count = 0;
};

// Scales a partial by the formant curve, when there is one, and queues it.
void emitPartial(PartialBatch& batch, float* phase, float f0, float f1, float a0, float a1, BreakpointCurve* formant) {
  if (formant) {
    a0 *= formant->evaluate(f0 / kFormantReferenceHz);
    a1 *= formant->evaluate(f1 / kFormantReferenceHz);
  }
  batch.add(phase, f0, f1, a0, a1);
}

// The fade factor of a partial at frequency f: 1 up to the fade start, falling
// linearly to 0 at the Nyquist frequency.
float nyquistFade(const BlockFrame& frame, float f) {
  if (!(f > frame.fadeStart)) return 1.0f;
  const float fade = 1.0f - (f - frame.fadeStart) / frame.fadeWidth;
  return fade > 0.0f ? fade : 0.0f;
}

// Fades each end of the block by its own frequency (f0 at the start, f1 at the
// end), so a partial gliding into or out of the top of the band stays continuous.
void fadeNearNyquist(const BlockFrame& frame, float f0, float f1, float& a0, float& a1) {
  a0 *= nyquistFade(frame, f0);
  a1 *= nyquistFade(frame, f1);
}

}  // namespace

float zeroSkipBlend(float a, float b, float c, float d, float x, float y) {
  const float ab = (a == 0.0f) ? b : (b == 0.0f) ? a : a * (1.0f - x) + b * x;
  const float cd = (c == 0.0f) ? d : (d == 0.0f) ? c : c * (1.0f - x) + d * x;
  if (ab == 0.0f) return cd;
  if (cd == 0.0f) return ab;
  return ab * (1.0f - y) + cd * y;
}

void renderHarmonics(HarmonicSet& set, float* out, int n, float t0, BreakpointCurve& pitch, BreakpointCurve& amplitude,
                     float* phases, BreakpointCurve* formant) {
  if (!(set.sampleRate > 0.0f) || n < 1) return;
  const float t1 = t0 + static_cast<float>(n) / set.sampleRate;
  renderHarmonicsSpan(set, out, n, t0, t1, amplitude.evaluate(t0), amplitude.evaluate(t1), pitch.evaluate(t0),
                      pitch.evaluate(t1), phases, formant);
}

void renderHarmonicsSpan(HarmonicSet& set, float* out, int n, float t0, float t1, float e0, float e1, float p0,
                         float p1, float* phases, BreakpointCurve* formant) {
  BlockFrame frame;
  if (!out || !phases || n < 1 || !makeFrame(set.sine, set.sampleRate, frame)) return;

  PartialBatch batch(frame, out, n);
  for (int k = 0; k < HarmonicSet::kHarmonics; ++k) {
    BreakpointCurve& level = set.amplitude[k];
    if (level.empty()) continue;
    float a0 = level.evaluate(t0) * e0;
    float a1 = level.evaluate(t1) * e1;
    if (a0 <= kSilentAmplitude && a1 <= kSilentAmplitude) continue;

    BreakpointCurve& ratio = set.frequency[k];
    const float r0 = ratio.evaluate(t0);
    const float f0 = r0 * p0;
    if (!(f0 > 0.0f && f0 < frame.nyquist)) continue;
    float r1 = ratio.evaluate(t1);
    if (r1 == 0.0f) r1 = r0;
    const float f1 = r1 * p1;
    fadeNearNyquist(frame, f0, f1, a0, a1);
    emitPartial(batch, &phases[k], f0, f1, a0, a1, formant);
  }
  batch.finish();
}

void renderMorphedHarmonics(HarmonicSet* const sets[4], float* out, int n, const float startTimes[4],
                            const float endTimes[4], BreakpointCurve& pitch, BreakpointCurve& amplitude,
                            float voiceStart, float voiceEnd, float* phases, float x, float y, BreakpointCurve* formant,
                            const float gains[4]) {
  if (!gains) return;
  MorphBlend blend;
  blend.x0 = blend.x1 = x;
  blend.y0 = blend.y1 = y;
  for (int s = 0; s < 4; ++s) blend.gains0[s] = blend.gains1[s] = gains[s];
  renderMorphedHarmonicsSpan(sets, out, n, startTimes, endTimes, amplitude.evaluate(voiceStart),
                             amplitude.evaluate(voiceEnd), pitch.evaluate(voiceStart), pitch.evaluate(voiceEnd), phases,
                             blend, formant);
}

void renderMorphedHarmonicsSpan(HarmonicSet* const sets[4], float* out, int n, const float startTimes[4],
                                const float endTimes[4], float e0, float e1, float p0, float p1, float* phases,
                                const MorphBlend& blend, BreakpointCurve* formant) {
  if (!sets || !startTimes || !endTimes || !out || !phases || n < 1) return;
  const HarmonicSet* first = nullptr;
  for (int s = 0; s < 4 && !first; ++s) first = sets[s];
  BlockFrame frame;
  if (!first || !makeFrame(first->sine, first->sampleRate, frame)) return;

  const float x0 = blend.x0, y0 = blend.y0, x1 = blend.x1, y1 = blend.y1;
  const float weights0[4] = {(1.0f - x0) * (1.0f - y0) * blend.gains0[0], x0 * (1.0f - y0) * blend.gains0[1],
                             (1.0f - x0) * y0 * blend.gains0[2], x0 * y0 * blend.gains0[3]};
  const float weights1[4] = {(1.0f - x1) * (1.0f - y1) * blend.gains1[0], x1 * (1.0f - y1) * blend.gains1[1],
                             (1.0f - x1) * y1 * blend.gains1[2], x1 * y1 * blend.gains1[3]};

  PartialBatch batch(frame, out, n);
  for (int k = 0; k < HarmonicSet::kHarmonics; ++k) {
    bool present = false;
    for (int s = 0; s < 4; ++s) present = present || (sets[s] && !sets[s]->amplitude[k].empty());
    if (!present) continue;

    float a0 = 0.0f, a1 = 0.0f;
    for (int s = 0; s < 4; ++s) {
      if (!sets[s]) continue;
      BreakpointCurve& level = sets[s]->amplitude[k];
      a0 += weights0[s] * level.evaluate(startTimes[s]);
      a1 += weights1[s] * level.evaluate(endTimes[s]);
    }
    a0 *= e0;
    a1 *= e1;
    if (a0 < kSilentAmplitude && a1 < kSilentAmplitude) continue;

    float r0[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    for (int s = 0; s < 4; ++s) {
      if (sets[s]) r0[s] = sets[s]->frequency[k].evaluate(startTimes[s]);
    }
    const float f0 = zeroSkipBlend(r0[0], r0[1], r0[2], r0[3], x0, y0) * p0;
    if (!(f0 > 0.0f && f0 < frame.nyquist)) continue;

    float r1[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    for (int s = 0; s < 4; ++s) {
      if (sets[s]) r1[s] = sets[s]->frequency[k].evaluate(endTimes[s]);
    }
    float f1 = zeroSkipBlend(r1[0], r1[1], r1[2], r1[3], x1, y1) * p1;
    if (f1 == 0.0f) f1 = f0;
    fadeNearNyquist(frame, f0, f1, a0, a1);
    emitPartial(batch, &phases[k], f0, f1, a0, a1, formant);
  }
  batch.finish();
}

}  // namespace vt
