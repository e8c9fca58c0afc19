// The write path's immediate actions: what each parameter write recomputes in
// the voice slots and effect units.
#include "engine/synth_engine.h"

namespace vt {

namespace {

// Hands an effect parameter to its unit, which recomputes from all of its
// settings; the switches also clear the unit they gate. False for every other index.
bool applyEffectAction(EffectChain& chain, int index, float x) {
  switch (index) {
    case ChorusMix:
      chain.setChorusMix(x);
      return true;
    case Brightness:
      chain.setBrightness(x);
      return true;
    case DistortionOn:
      chain.setDistortionOn(x);
      return true;
    case Distortion:
      chain.setDistortion(x);
      return true;
    case Tube:
      chain.setTube(x);
      return true;
    case Compress:
      chain.setCompress(x);
      return true;
    case FilterOn:
      chain.setFilterOn(x);
      return true;
    case FilterMode:
      chain.setFilterMode(x);
      return true;
    case FilterEnv:
      chain.setFilterEnv(x);
      return true;
    case FilterCutoff:
      chain.setFilterCutoff(x);
      return true;
    case FilterRes:
      chain.setFilterRes(x);
      return true;
    case ChorusOn:
      chain.setChorusOn(x);
      return true;
    case ChorusDelay:
      chain.setChorusDelay(x);
      return true;
    case ChorusDepth:
      chain.setChorusDepth(x);
      return true;
    case ChorusRate:
      chain.setChorusRate(x);
      return true;
    case DelayOn:
      chain.setDelayOn(x);
      return true;
    case DelayMix:
      chain.setDelayMix(x);
      return true;
    case DelayFeedback:
      chain.setDelayFeedback(x);
      return true;
    case DelaySyncL:
      chain.setDelaySyncLeft(x);
      return true;
    case DelaySyncR:
      chain.setDelaySyncRight(x);
      return true;
    case ReverbOn:
      chain.setReverbOn(x);
      return true;
    case ReverbMix:
      chain.setReverbMix(x);
      return true;
    case ReverbSize:
      chain.setReverbSize(x);
      return true;
    case ReverbDecay:
      chain.setReverbDecay(x);
      return true;
    case MBass:
      chain.setBassBoost(x);
      return true;
    default:
      return false;
  }
}

}  // namespace

void SynthEngine::applyParameterAction(int index, float x) {
  if (applyEffectAction(effectChain, index, x)) return;
  if (applySlotParameterAction(index, x)) return;
  switch (index) {
    default:
      (void)x;  // stored only; the parts that use the value read it when they need it
      break;
  }
}

}  // namespace vt
