#include "engine/synth_voice.h"

#include <cmath>

#include "engine/noise_blend.h"
#include "engine/voice_slot.h"

namespace vt {

namespace {

constexpr float kCentsPerOctave = 1200.0f;
constexpr float kVibratoCents = 100.0f;  // vibrato depth 1 swings the pitch by +-100 cents

float clampUnit(float x) { return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f; }

}  // namespace

SynthVoice::SynthVoice() { reset(); }

bool SynthVoice::valid() const {
  return harmonics.valid() && noise.valid() && envelope.capacity() > 0 && pitchCurve.capacity() > 0 &&
         amplitudeCurve.capacity() > 0 && alignedMarkers.capacity() > 0;
}

void SynthVoice::reset() {
  slot = nullptr;
  for (float& p : phases) p = 0.0f;
  soundPosition = 0.0f;
  envelopeClock = 0.0f;
  held = false;
  active = false;
  fading = false;
  note = -1;
  velocity = 0.0f;
  bendCents = 0.0f;
  mode = kSingleSlot;
  for (SynthVoice*& c : companions) c = nullptr;
  leader = nullptr;
  gliding = false;
  envelope.reset();
}

void SynthVoice::claim(VoiceSlot& target, int noteNumber, float noteFrequency, float noteVelocity) {
  slot = &target;
  note = noteNumber;
  frequency = noteFrequency;
  velocity = noteVelocity;
  for (float& p : phases) p = 0.0f;
  soundPosition = 0.0f;
  envelopeClock = 0.0f;
  mode = kSingleSlot;
  for (SynthVoice*& c : companions) c = nullptr;
  leader = nullptr;
  active = true;
  held = true;
  fading = false;
  // A reused voice must not carry the glide of its previous note.
  gliding = false;
  glideFrom = noteFrequency;
  glideTo = noteFrequency;
  glideStart = 0.0f;
  glideEnd = 0.0f;
  grains.reset();
  envelope.copyFrom(target.envelope);
  envelope.scaleToPeak(noteVelocity);
}

void SynthVoice::start(VoiceSlot& target, int noteNumber, float noteFrequency, float noteVelocity, int fixedRow,
                       int fixedLayer) {
  claim(target, noteNumber, noteFrequency, noteVelocity);
  buildSound(target, fixedRow, fixedLayer);
}

void SynthVoice::buildSound(VoiceSlot& target, int fixedRow, int fixedLayer) {
  if (fixedRow >= 0) {
    const int row = fixedRow < VoiceSlot::kRows ? fixedRow : VoiceSlot::kRows - 1;
    const int layer = fixedLayer > 0 ? 1 : 0;
    harmonics.copyFrom(target.harmonics[row][layer]);
    noise.copyFrom(target.noise[row][layer]);
  } else {
    blendSound(target);
  }
  harmonics.sampleRate = sampleRate;
}

void SynthVoice::blendSound(VoiceSlot& s) {
  // Rows added since the slot was last prepared have no key tables yet: until
  // the preparation is adopted, notes blend the rows that were prepared.
  int rows = s.rowsInUse();
  if (s.preparedRows > 0 && s.preparedRows < rows) rows = s.preparedRows;
  int r = 0;
  while (r < rows && !(s.harmonics[r][0].baseFrequency > frequency)) ++r;
  const int lower = r > 0 ? r - 1 : 0;
  const int upper = r < rows - 1 ? r : rows - 1;

  const float lowerBase = s.harmonics[lower][0].baseFrequency;
  const float upperBase = s.harmonics[upper][0].baseFrequency;
  float k = 0.0f;
  if (lowerBase > 0.0f && upperBase > 0.0f && lowerBase != upperBase && frequency > 0.0f) {
    k = clampUnit((std::log2(frequency) - std::log2(lowerBase)) / (std::log2(upperBase) - std::log2(lowerBase)));
  }
  const float u = clampUnit((velocity - kLowestVelocityLayer) / kVelocityLayerSpan);

  // Weights in the cache's order: lower soft, upper soft, lower loud, upper loud.
  const float weights[KeyInterpolationCache::kRecordings] = {(1.0f - k) * (1.0f - u), k * (1.0f - u), (1.0f - k) * u,
                                                             k * u};
  const KeyInterpolationCache& cache = s.keyCache[lower];
  for (int c = 0; c < HarmonicSet::kCurves; ++c) cache.blend(c, weights, harmonics.curve(c));
  harmonics.total.reset();
  harmonics.baseFrequency = frequency;
  harmonics.updateDuration();

  blendNoise(s.noise[lower][0], s.noise[lower][1], s.noise[upper][0], s.noise[upper][1], k, u, noise);
}

void SynthVoice::cutEnvelopeAfter(float t, int needed) {
  while (envelope.count() > 0 && !(envelope.lastTime() < t)) envelope.removeAt(envelope.count() - 1);
  // Repeated releases keep one point each; the oldest ones are behind the clock and can go.
  while (envelope.count() > 0 && envelope.count() + needed > envelope.capacity()) envelope.removeAt(0);
}

void SynthVoice::release() {
  held = false;
  const float t = envelopeClock;
  const float level = envelope.evaluate(t);
  float length = slot ? slot->releaseTime : 0.0f;
  if (!(length > 0.0f)) length = 0.0f;
  cutEnvelopeAfter(t, kReleasePoints);
  // Added from the end backwards: a point whose time rounds onto an earlier one's
  // goes in front of it, so the silent point stays last even on a very late clock.
  for (int i = kReleasePoints - 1; i >= 0; --i) envelope.add(t + kReleaseTimes[i] * length, kReleaseLevels[i] * level);
}

void SynthVoice::quickFade() {
  held = false;
  fading = true;
  const float t = envelopeClock;
  const float level = envelope.evaluate(t);
  cutEnvelopeAfter(t, 2);
  envelope.add(t + kQuickFadeTime, 0.0f);
  envelope.add(t, level);
}

void SynthVoice::free() {
  if (mode == kMorphLeader) {
    for (SynthVoice*& c : companions) {
      if (!c) continue;
      c->mode = kSingleSlot;
      c->active = false;
      c->note = -1;
      c->leader = nullptr;
      c = nullptr;
    }
  }
  mode = kSingleSlot;
  active = false;
  note = -1;
  leader = nullptr;
}

float SynthVoice::endTime() const {
  if (!slot) return 0.0f;
  float end = slot->endTime();
  if (mode == kMorphLeader) {
    for (const SynthVoice* c : companions)
      if (c && c->slot && c->slot->endTime() > end) end = c->slot->endTime();
  }
  return end;
}

float SynthVoice::endFade(float position) const {
  const float left = endTime() - position;
  if (left >= kEndFadeTime) return 1.0f;
  return left > 0.0f ? left / kEndFadeTime : 0.0f;
}

bool SynthVoice::soundEnded() const { return !slot || soundPosition > endTime(); }

bool SynthVoice::updateActivity() {
  if (!active) return false;
  if (mode == kMorphFollower) {
    if (leader && leader != this && leader->mode == kMorphLeader) return leader->updateActivity();
    free();
    return false;
  }
  if (envelope.count() == 0 || envelopeClock > envelope.lastTime() || soundEnded()) {
    free();
    return false;
  }
  return true;
}

void SynthVoice::startGlide(float f) {
  float from = frequency;
  if (gliding) {
    // The frequency the running glide has reached.
    const float t = envelopeClock;
    if (t >= glideEnd || !(glideEnd > glideStart)) {
      from = glideTo;
    } else if (glideFrom > 0.0f && glideTo > 0.0f) {
      from = glideFrom * std::pow(glideTo / glideFrom, (t - glideStart) / (glideEnd - glideStart));
    }
  }
  glideFrom = from;
  glideTo = f;
  glideStart = envelopeClock;
  glideEnd = envelopeClock + (slot && slot->portamentoTime > 0.0f ? slot->portamentoTime : 0.0f);
  gliding = true;
}

float SynthVoice::basePitch(float t) const {
  if (!gliding || !slot || !slot->portamentoOn) return frequency;
  if (t >= glideEnd) return glideTo;
  if (!(glideFrom > 0.0f && glideTo > 0.0f)) return glideTo;
  // Linear in cents: c = -1200 log2(from/to) spread over the glide time.
  const float cents = -kCentsPerOctave * std::log2(glideFrom / glideTo);
  return glideFrom * std::exp2(cents * (t - glideStart) / (glideEnd - glideStart) / kCentsPerOctave);
}

float SynthVoice::pitch(float t) const {
  const float detune = slot ? slot->detuneCents : 0.0f;
  const float vibrato = slot ? lfoValue(*slot, t, LfoTarget::vibrato) : 0.0f;
  return basePitch(t) * std::exp2((detune + bendCents) / kCentsPerOctave) *
         std::exp2(vibrato * kVibratoCents / kCentsPerOctave);
}

float SynthVoice::gain(float t, bool noisePart, float nx, float ny) { return gainWith(t, noisePart, nx, ny, -1); }

float SynthVoice::gainAt(float t, bool noisePart, float nx, float ny, int edge) {
  return gainWith(t, noisePart, nx, ny, edge > 0 ? 1 : 0);
}

// edge -1 reads the volumes as set, 0 or 1 the render loop's gliding ones.
float SynthVoice::gainWith(float t, bool noisePart, float nx, float ny, int edge) {
  if (!slot) return 0.0f;
  auto noiseVolumeOf = [edge](const VoiceSlot& s) { return edge < 0 ? s.noiseVolume : s.noiseLevels[edge]; };
  const float e = envelope.evaluate(t);
  float m = 1.0f;
  if (mode == kMorphLeader) {
    if (noisePart) {
      float volumes[1 + kCompanions] = {noiseVolumeOf(*slot), 0.0f, 0.0f, 0.0f};
      for (int i = 0; i < kCompanions; ++i)
        if (companions[i] && companions[i]->slot) volumes[1 + i] = noiseVolumeOf(*companions[i]->slot);
      m = (volumes[0] * (1.0f - nx) + volumes[1] * nx) * (1.0f - ny) +
          (volumes[2] * (1.0f - nx) + volumes[3] * nx) * ny;
    }
  } else if (noisePart) {
    m = noiseVolumeOf(*slot);
  } else {
    m = edge < 0 ? slot->harmonicVolume : slot->harmonicLevels[edge];
  }
  const float g = e * velocity * m;
  return g + g * lfoValue(*slot, t, LfoTarget::tremolo);
}

}  // namespace vt
