// The write path's actions on the four voice slots: detune, gains,
// portamento, multisample count, the envelope template, the loop switch and
// the LFO.
#include "engine/lfo.h"
#include "engine/parameter_choice.h"
#include "engine/synth_engine.h"

namespace vt {

namespace {

constexpr float kDetuneSpanCents = 400.0f;  // each detune control spans +-200 cents
constexpr float kAttackSeconds = 5.0f;
constexpr float kStretchBelowCentre = 1.6f;  // 0.2..1 over the lower half
constexpr float kStretchAboveCentre = 8.0f;  // 1..5 over the upper half
constexpr float kShortestStretch = 0.2f;
constexpr float kShortestRelease = 0.004f;
constexpr float kReleaseSpan = 2.996f;
constexpr float kPortamentoSeconds = 1.0f;

float stretchFactor(float s) {
  if (s < 0.5f) return kShortestStretch + kStretchBelowCentre * s;
  if (s == 0.5f) return 1.0f;
  return 1.0f + kStretchAboveCentre * (s - 0.5f);
}

}  // namespace

bool SynthEngine::applySlotParameterAction(int index, float x) {
  const float* p = params;
  switch (index) {
    case MasterDetune:
      for (int k = 0; k < kNumSlots; ++k)
        slots[k].detuneCents = ((x - 0.5f) + (p[VoiceDetuneA + k] - 0.5f)) * kDetuneSpanCents;
      return true;
    case VoiceDetuneA:
    case VoiceDetuneB:
    case VoiceDetuneC:
    case VoiceDetuneD:
      slots[index - VoiceDetuneA].detuneCents = ((x - 0.5f) + (p[MasterDetune] - 0.5f)) * kDetuneSpanCents;
      return true;
    case HarmAmount:
      for (int k = 0; k < kNumSlots; ++k) slots[k].harmonicVolume = x * p[VoiceHarmonicVolumeA + k] * 2.0f;
      return true;
    case NoiseAmount:
      for (int k = 0; k < kNumSlots; ++k) slots[k].noiseVolume = x * p[VoiceNoiseVolumeA + k] * 2.0f;
      return true;
    case VoiceHarmonicVolumeA:
    case VoiceHarmonicVolumeB:
    case VoiceHarmonicVolumeC:
    case VoiceHarmonicVolumeD:
      slots[index - VoiceHarmonicVolumeA].harmonicVolume = p[HarmAmount] * x * 2.0f;
      return true;
    case VoiceNoiseVolumeA:
    case VoiceNoiseVolumeB:
    case VoiceNoiseVolumeC:
    case VoiceNoiseVolumeD:
      slots[index - VoiceNoiseVolumeA].noiseVolume = p[NoiseAmount] * x * 2.0f;
      return true;
    case PortamentoOn:
      for (VoiceSlot& s : slots) s.portamentoOn = switchOn(x);
      return true;
    case PortamentoRate:
      for (VoiceSlot& s : slots) s.portamentoTime = x * kPortamentoSeconds;
      return true;
    case NumMultisamplesA:
    case NumMultisamplesB:
    case NumMultisamplesC:
    case NumMultisamplesD: {
      const int k = index - NumMultisamplesA;
      slots[k].rowCount = parameterChoice(x, VoiceSlot::kRows) + 1;
      // Rows beyond those prepared have no interpolation tables yet.
      if (slots[k].needsPreparation()) prepareSlot(k);
      return true;
    }
    case Attack:
    case Stretch:
    case Release: {
      const float attack = p[Attack] * kAttackSeconds;
      const float stretch = stretchFactor(p[Stretch]);
      const float release = kShortestRelease + kReleaseSpan * p[Release];
      for (VoiceSlot& s : slots) s.setEnvelope(attack, stretch, release);
      return true;
    }
    case EnvelopeMorphOn:
    case GlobalLoopStartTime:
    case GlobalLoopEndTime:
    case GlobalLoopOn:
      for (VoiceSlot& s : slots) s.loopOn = switchOn(p[GlobalLoopOn]);
      return true;
    case LfoRate:
    case LfoVibrato:
    case LfoTremolo:
    case LfoOn:
    case LfoShape:
      applyLfoParameters();
      return true;
    default:
      return false;
  }
}

void SynthEngine::prepareSlot(int slotIndex) {
  // Preparing builds (and may allocate) key tables: while suspended it runs in
  // place, while resumed on the worker, and until the worker's result is
  // adopted the slot plays the rows it had.
  requestSlotPreparation(slotIndex);
}

void SynthEngine::applyLfoParameters() {
  const float* p = params;
  for (VoiceSlot& s : slots)
    applyLfoSettings(s, p[LfoRate], p[LfoVibrato], p[LfoTremolo], p[LfoOn], p[LfoShape], tempo);
}

void SynthEngine::applyTempoSettings() { applyLfoParameters(); }

}  // namespace vt
