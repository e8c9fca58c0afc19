#include "engine/modulation_targets.h"

#include "engine/parameter_ids.h"

namespace vt {

namespace {

const int kTargetParameters[kModulationTargets] = {
    -1,           MorphHarmX,   MorphHarmY,    MorphNoiseX,   MorphNoiseY,   MorphAmpX,    MorphAmpY,
    Brightness,   HarmAmount,   NoiseAmount,   LfoRate,       LfoVibrato,    LfoTremolo,   PortamentoRate,
    Attack,       Stretch,      Release,       Volume,        StereoWidth,   FormantFreq,  Distortion,
    Tube,         MBass,        Compress,      FilterCutoff,  FilterRes,     FilterEnv,    ChorusMix,
    ChorusDelay,  ChorusDepth,  ChorusRate,    DelayMix,      DelayFeedback, DelaySyncL,   DelaySyncR,
    ReverbMix,    ReverbSize,   ReverbDecay,   Lfo1Shape,     Lfo1Rate,      Lfo2Shape,    Lfo2Rate,
    ExtraTarget1, ExtraTarget2, ExtraTarget3,  ExtraTarget4,  ExtraTarget5,  ExtraTarget6, ExtraTarget7,
    ExtraTarget8, ExtraTarget9, ExtraTarget10, ExtraTarget11, ExtraTarget12};

}  // namespace

int modulationTargetParameter(int target) {
  if (target < 0 || target >= kModulationTargets) return -1;
  return kTargetParameters[target];
}

}  // namespace vt
