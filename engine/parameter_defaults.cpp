#include "engine/parameter_defaults.h"

#include "engine/parameter_ids.h"

namespace vt {

void fillParameterDefaults(float* p) {
  for (int i = 0; i < kNumParameters; ++i) p[i] = 0.0f;

  const int half[] = {MasterDetune,         ChorusMix,
                      VoiceDetuneA,         VoiceDetuneB,
                      VoiceDetuneC,         VoiceDetuneD,
                      MorphHarmX,           MorphHarmY,
                      MorphNoiseX,          MorphNoiseY,
                      Brightness,           HarmAmount,
                      NoiseAmount,          Volume,
                      DelaySyncR,           ReverbSize,
                      ReverbDecay,          VoiceHarmonicVolumeA,
                      VoiceHarmonicVolumeB, VoiceHarmonicVolumeC,
                      VoiceHarmonicVolumeD, VoiceNoiseVolumeA,
                      VoiceNoiseVolumeB,    VoiceNoiseVolumeC,
                      VoiceNoiseVolumeD};
  for (int i : half) p[i] = 0.5f;

  const int one[] = {DoMorphing, Release, StereoWidth, FilterMode, DelayMix, DelaySyncL, ReverbMix};
  for (int i : one) p[i] = 1.0f;
  for (int i = ModMax1; i <= ModMax10; ++i) p[i] = 1.0f;

  p[Tube] = 0.02f;
  p[Compress] = 0.3f;
  p[FilterEnv] = 0.1f;
  p[FilterCutoff] = 0.8f;
  p[FilterRes] = 0.03f;
  p[ChorusDelay] = 0.04f;
  p[ChorusDepth] = 0.9f;
  p[ChorusRate] = 0.2f;
  p[DelayFeedback] = 0.4f;
}

}  // namespace vt
