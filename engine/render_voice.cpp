#include "engine/render_voice.h"

#include "engine/breakpoint_curve.h"
#include "engine/noise_generator.h"
#include "engine/oscillator_bank.h"
#include "engine/synth_voice.h"
#include "engine/voice_slot.h"

namespace vt {

namespace {

constexpr int kMorphSlots = 4;
constexpr int kMaxMarkers = BreakpointCurve::kCapacity;
// Marker roles the loop relies on.
constexpr int kLoopStartMarker = 2;
constexpr int kLoopEndMarker = 3;

void setTwoPoints(BreakpointCurve& curve, float x0, float y0, float x1, float y1) {
  curve.reset();
  curve.add(x0, y0);
  curve.add(x1, y1);
}

// A held loop stays this far inside the note's sound, where it is still audible.
constexpr float kLoopEndGuard = 0.002f;

// The end of the note's own sound: its harmonics or its last noise frame.
float noteSoundEnd(const SynthVoice& v) {
  float end = v.harmonics.duration;
  if (v.noise.count > 0 && v.noise.times[v.noise.count - 1] > end) end = v.noise.times[v.noise.count - 1];
  return end;
}

void renderSingleSlot(SynthVoice& v, float* out, int n, BreakpointCurve* formantCurve, const float* formantTable,
                      NoiseGenerator& noise) {
  VoiceSlot& slot = *v.slot;
  const float l = static_cast<float>(n) / v.sampleRate;
  const float p = v.soundPosition;
  const float c = v.envelopeClock;

  // While held, the block that reaches the loop end ends at the loop start (as
  // the morph voice does): the partials glide within the block to the loop
  // start's levels, and the next block begins where this one ended, so the
  // wrap makes no step. A loop shorter than a block thus holds the sound at
  // its start instead of replaying one block again and again. The loop lies
  // inside the note's own sound, which a blend of rows can end a little before
  // the slot's recordings whose loop was fitted.
  const bool looping = v.held && slot.loopOn;
  float loopEnd = slot.loopEnd;
  const float lastInside = noteSoundEnd(v) - kLoopEndGuard;
  if (loopEnd > lastInside) loopEnd = lastInside > 0.0f ? lastInside : 0.0f;
  const float loopStart = slot.loopStart < loopEnd ? slot.loopStart : loopEnd;
  float p1 = p + l;
  if (looping && p1 >= loopEnd) p1 = loopStart;
  // The note fades out over the last few milliseconds before its end time.
  const float fade0 = v.endFade(p);
  const float fade1 = v.endFade(p1);

  if (!v.harmonics.hasEnded(p)) {
    const float g0 = v.gainAt(c, false, 0.0f, 0.0f, 0) * fade0;
    const float g1 = v.gainAt(c + l, false, 0.0f, 0.0f, 1) * fade1;
    setTwoPoints(v.amplitudeCurve, c, g0, c + l, g1);
    setTwoPoints(v.pitchCurve, c, v.pitch(c), c + l, v.pitch(c + l));
    renderHarmonicsSpan(v.harmonics, out, n, p, p1, g0, g1, v.pitchCurve.y(0), v.pitchCurve.y(1), v.phases,
                        formantCurve);
  }
  if (v.noise.count > 0) {
    const int before = v.noise.frameBefore(p);
    if (before < 0 || !v.noise.frames[before].silent) {
      const float g0 = v.gainAt(c, true, 0.0f, 0.0f, 0) * fade0;
      const float g1 = v.gainAt(c + l, true, 0.0f, 0.0f, 1) * fade1;
      noise.renderNoise(v.noise, out, n, p, g0, g1, v.grains, formantTable);
    }
  }

  v.soundPosition = p1;
  v.envelopeClock = c + l;
}

// Segment of t among the aligned markers: -1 up to the first marker, the last
// index past the last one, else the i with m[i] < t <= m[i + 1].
int markerSegment(const float* m, int count, float t) {
  if (count <= 0 || !(t > m[0])) return -1;
  if (t > m[count - 1]) return count - 1;
  for (int i = 0; i + 1 < count; ++i)
    if (m[i] < t && t <= m[i + 1]) return i;
  return count - 1;  // markers out of order: treat the sound as over
}

float segmentFraction(const float* m, int s, float t) {
  const float span = m[s + 1] - m[s];
  if (t == m[s] || !(span > 0.0f)) return 0.0f;
  const float f = (t - m[s]) / span;
  return f > 0.0f ? (f < 1.0f ? f : 1.0f) : 0.0f;
}

// Marker i of a slot's marker curve, 0 where the slot has fewer markers.
float markerTime(const VoiceSlot* slot, int i) { return slot ? slot->markers.x(i) : 0.0f; }

void renderMorphLeader(SynthVoice& v, float* out, int n, const MorphPositions& morph, BreakpointCurve* formantCurve,
                       const float* formantTable, NoiseGenerator& noise) {
  VoiceSlot& slotA = *v.slot;
  const float l = static_cast<float>(n) / v.sampleRate;
  const float c = v.envelopeClock;

  SynthVoice* group[kMorphSlots] = {&v, v.companions[0], v.companions[1], v.companions[2]};
  const VoiceSlot* slots[kMorphSlots];
  for (int k = 0; k < kMorphSlots; ++k) slots[k] = group[k] ? group[k]->slot : nullptr;

  // 1. The morphed markers, stretched by slot A's time scale.
  int count = slotA.markers.count();
  if (count > kMaxMarkers) count = kMaxMarkers;
  float m[kMaxMarkers];
  const float ax = morph.ax;
  const float ay = morph.ay;
  for (int i = 0; i < count; ++i) {
    const float top = markerTime(slots[0], i) * (1.0f - ax) + markerTime(slots[1], i) * ax;
    const float bottom = markerTime(slots[2], i) * (1.0f - ax) + markerTime(slots[3], i) * ax;
    m[i] = (top * (1.0f - ay) + bottom * ay) * slotA.timeStretch;
  }
  v.alignedMarkers.assign(count, m, slotA.markers.yData());

  // 2. Block end, jumping back to the loop start when the loop end falls inside the block.
  const bool looping = v.held && slotA.loopOn;
  const float p0 = v.soundPosition;
  float p1 = p0 + l;
  if (looping) {
    const float loopEnd = count > kLoopEndMarker ? m[kLoopEndMarker] : 0.0f;
    if (loopEnd <= p1) p1 = count > kLoopStartMarker ? m[kLoopStartMarker] : 0.0f;
  }

  // 3.-4. Segments; past the last marker the sound is over and the clocks run on in silence.
  int s0 = markerSegment(m, count, p0);
  if (s0 < 0) s0 = 0;
  if (s0 >= count - 1) {
    v.soundPosition = p0 + l;
    v.envelopeClock = c + l;
    return;
  }
  int s1 = markerSegment(m, count, p1);
  if (s1 < 0) s1 = 0;

  // 5. Fractions within the segments.
  const float f0 = segmentFraction(m, s0, p0);
  float f1 = 1.0f;
  if (s1 < count - 1) {
    f1 = segmentFraction(m, s1, p1);
  } else {
    s1 = count - 2;
  }

  // 6. Each slot's own times: its markers warped piecewise-linearly onto the morphed ones.
  float startTimes[kMorphSlots];
  float endTimes[kMorphSlots];
  HarmonicSet* harmonicSets[kMorphSlots];
  const NoiseSet* noiseSets[kMorphSlots];
  MorphBlend blend;
  blend.x0 = morph.hx;
  blend.y0 = morph.hy;
  blend.x1 = morph.hx1;
  blend.y1 = morph.hy1;
  bool anyNoise = false;
  for (int k = 0; k < kMorphSlots; ++k) {
    const VoiceSlot* s = slots[k];
    startTimes[k] = markerTime(s, s0) * (1.0f - f0) + markerTime(s, s0 + 1) * f0;
    endTimes[k] = markerTime(s, s1) * (1.0f - f1) + markerTime(s, s1 + 1) * f1;
    harmonicSets[k] = group[k] ? &group[k]->harmonics : nullptr;
    noiseSets[k] = group[k] ? &group[k]->noise : nullptr;
    blend.gains0[k] = s ? s->harmonicLevels[0] : 0.0f;
    blend.gains1[k] = s ? s->harmonicLevels[1] : 0.0f;
    anyNoise = anyNoise || (noiseSets[k] && noiseSets[k]->count > 0);
  }

  // 7. Harmonics, with the envelope read on the envelope clock, whose block ends
  //    always differ, so a block that jumps back to the loop start keeps its ramps.
  const float fade0 = v.endFade(p0);
  const float fade1 = v.endFade(p1);
  const float e0 = v.gainAt(c, false, morph.nx, morph.ny, 0) * fade0;
  const float e1 = v.gainAt(c + l, false, morph.nx1, morph.ny1, 1) * fade1;
  setTwoPoints(v.amplitudeCurve, c, e0, c + l, e1);
  setTwoPoints(v.pitchCurve, c, v.pitch(c), c + l, v.pitch(c + l));
  renderMorphedHarmonicsSpan(harmonicSets, out, n, startTimes, endTimes, e0, e1, v.pitchCurve.y(0), v.pitchCurve.y(1),
                             v.phases, blend, formantCurve);

  // 8. Noise, at the blended noise volume.
  if (anyNoise) {
    const float g0 = v.gainAt(c, true, morph.nx, morph.ny, 0) * fade0;
    const float g1 = v.gainAt(c + l, true, morph.nx1, morph.ny1, 1) * fade1;
    noise.renderMorphedNoise(noiseSets, out, n, startTimes, g0, g1, v.grains, morph.nx1, morph.ny1, formantTable);
  }

  // 9. Advance, looping by the morphed markers while held.
  float next = p0 + l;
  if (looping) {
    const float loopEnd = count > kLoopEndMarker ? m[kLoopEndMarker] : 0.0f;
    if (loopEnd <= next) next = count > kLoopStartMarker ? m[kLoopStartMarker] : 0.0f;
  }
  v.soundPosition = next;
  v.envelopeClock = c + l;
}

}  // namespace

void renderVoice(SynthVoice& voice, float* out, int n, const MorphPositions& morph, BreakpointCurve* formantCurve,
                 const float* formantTable, NoiseGenerator& noise) {
  if (!out || n <= 0 || !voice.active || !voice.slot || !(voice.sampleRate > 0.0f)) return;
  switch (voice.mode) {
    case SynthVoice::kMorphLeader:
      renderMorphLeader(voice, out, n, morph, formantCurve, formantTable, noise);
      break;
    case SynthVoice::kMorphFollower:
      break;  // its leader renders its slot
    default:
      renderSingleSlot(voice, out, n, formantCurve, formantTable, noise);
      break;
  }
}

}  // namespace vt
