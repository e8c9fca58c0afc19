#include "engine/lfo.h"

#include <cmath>

#include "effects/note_fraction.h"
#include "engine/parameter_choice.h"
#include "engine/sine_table.h"
#include "engine/voice_slot.h"

namespace vt {

namespace {

constexpr float kSixteenth = 0.0625f;  // of a beat
constexpr float kSecondsPerMinute = 60.0f;
constexpr float kTwoPi = 6.283184f;
constexpr float kPi = 3.141592f;
constexpr float kInverseTwoPi = 0.15915498f;
constexpr float kTableStepsPerRadian = 31.830996f;  // 200 table steps per 2 pi
constexpr int kShapes = 3;

}  // namespace

float effectiveTempo(float hostTempo) { return hostTempo > 0.0f && hostTempo < 1.0e6f ? hostTempo : kDefaultTempo; }

float lfoPeriod(float rateParameter, float hostTempo) {
  const int k = noteFractionSixteenths(noteFractionStep(rateParameter));
  return kSecondsPerMinute / effectiveTempo(hostTempo) * kSixteenth * static_cast<float>(k);
}

void applyLfoSettings(VoiceSlot& slot, float rateParameter, float vibrato, float tremolo, float onSwitch, float shape,
                      float hostTempo) {
  const float rate = 1.0f / lfoPeriod(rateParameter, hostTempo);
  slot.vibratoRate = rate;
  slot.tremoloRate = rate;
  slot.vibratoDepth = vibrato;
  slot.tremoloDepth = tremolo;
  slot.vibratoShape = parameterChoice(shape, kShapes);
  slot.tremoloShape = slot.vibratoShape;
  slot.vibratoOn = switchOn(onSwitch);
  slot.tremoloOn = slot.vibratoOn;
}

float lfoValue(const VoiceSlot& slot, float t, LfoTarget target) {
  const bool vibrato = target == LfoTarget::vibrato;
  if (!(vibrato ? slot.vibratoOn : slot.tremoloOn)) return 0.0f;
  const float rate = vibrato ? slot.vibratoRate : slot.tremoloRate;
  const float depth = vibrato ? slot.vibratoDepth : slot.tremoloDepth;
  const int shape = vibrato ? slot.vibratoShape : slot.tremoloShape;
  if (!(rate > 0.0f) || !(t >= 0.0f)) return 0.0f;

  const float period = 1.0f / rate;
  float phase = std::fmod(t, period) / period * kTwoPi;
  if (!(phase >= 0.0f)) phase = 0.0f;
  switch (shape) {
    case kLfoSaw:
      return (1.0f - phase * kInverseTwoPi * 2.0f) * depth;
    case kLfoSquare:
      return phase > kPi ? depth : -depth;
    default: {
      if (!slot.sine) return 0.0f;
      const float position = phase * kTableStepsPerRadian;
      int i = static_cast<int>(position);
      if (i > SineTable::kSteps - 1) i = SineTable::kSteps - 1;  // rounding at the very end of the period
      const float* table = slot.sine;
      return depth * (table[i] + (table[i + 1] - table[i]) * (position - static_cast<float>(i)));
    }
  }
}

}  // namespace vt
