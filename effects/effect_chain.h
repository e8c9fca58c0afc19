// The effect units after the voice sum, in their processing order: brightness,
// distortion, filter, chorus (mono to stereo), tempo delay and reverb. Each
// unit runs only while its switch is on; a switch cross-fades between the
// unit's input and its output (UnitFade), so switching never clicks. The chain receives every setting
// through its setters (the engine's parameter write path) and holds the
// switches itself, so it needs nothing from the engine.
//
// Until a supported sample rate (8 kHz to 192 kHz) is set, the chain does not
// process: the mono signal passes unchanged and the right channel is a copy.
#pragma once

#include "effects/brightness_stage.h"
#include "effects/chorus_unit.h"
#include "effects/distortion_unit.h"
#include "effects/effect_filter.h"
#include "effects/reverb_unit.h"
#include "effects/sync_delay.h"
#include "effects/unit_fade.h"

namespace vt {

class EffectChain {
public:
  void setSampleRate(float rate);
  float getSampleRate() const { return sampleRate; }
  bool isProcessing() const { return sampleRate > 0.0f; }
  // Clears every unit's delay lines and filter memories.
  void reset();
  // Nothing plays until the next block (the host suspended the plug-in):
  // switches written meanwhile take effect at once, without a fade.
  void stopPlaying() { running = false; }
  // The delay's lines on demand (see SyncDelay): prepare while nothing
  // processes, service from a worker thread while the audio thread processes.
  void setDelayLinesOnDemand(bool onDemand) { delay.setLinesOnDemand(onDemand); }
  void prepareDelayLines() {
    if (!delayFade.idle()) delay.prepareLines();
  }
  void serviceDelayLines() { delay.serviceLines(); }
  // The host tempo in BPM, 0 when unknown; the delay glides to the new lengths.
  void setTempo(float beatsPerMinute) { delay.setTempo(beatsPerMinute); }

  // Once per host block, before the first process call of the block: the filter
  // takes the current cutoff value and redesigns, whether it is on or not.
  void prepareBlock(float filterCutoff) { filter.setCutoff(filterCutoff); }
  // Processes the mono voice sum x in place and produces the stereo pair (x, y).
  void process(float* x, float* y, int frames);

  // True while a running delay or reverb still holds a sound above the
  // silence level that later blocks would play.
  bool holdsTail() const {
    return (!delayFade.idle() && delay.holdsTail()) || (!reverbFade.idle() && reverb.holdsTail());
  }
  static constexpr float kTailThreshold = SyncDelay::kTailThreshold;
  static_assert(SyncDelay::kTailThreshold == ReverbUnit::kTailThreshold, "one silence level for every tail");

  // Settings, as normalised parameter values. A switch is on above 0.5.
  void setBrightness(float value) { brightness.setBrightness(value); }
  void setDistortionOn(float value);
  void setDistortion(float value) { distortion.setDistortion(value); }
  void setTube(float value) { distortion.setTube(value); }
  void setCompress(float value) { distortion.setCompress(value); }
  void setBassBoost(float value) { distortion.setBassAmount(value); }
  void setFilterOn(float value);  // switched on from idle: starts from a clean filter
  void setFilterMode(float value) { filter.setMode(value); }
  void setFilterEnv(float value) { filter.setEnvAmount(value); }
  void setFilterCutoff(float value) { filter.setCutoff(value); }
  void setFilterRes(float value) { filter.setResonance(value); }
  void setChorusOn(float value);  // likewise for the chorus
  void setChorusDelay(float value) { chorus.setDelay(value); }
  void setChorusDepth(float value) { chorus.setDepth(value); }
  void setChorusRate(float value) { chorus.setRate(value); }
  void setChorusMix(float value) { chorus.setMix(value); }
  void setDelayOn(float value);  // and the delay
  void setDelayMix(float value) { delay.setMix(value); }
  void setDelayFeedback(float value) { delay.setFeedback(value); }
  void setDelaySyncLeft(float value) { delay.setSyncLeft(value); }
  void setDelaySyncRight(float value) { delay.setSyncRight(value); }
  void setReverbOn(float value);  // and the reverb
  void setReverbMix(float value) { reverb.setMix(value); }
  void setReverbSize(float value) { reverb.setSize(value); }
  void setReverbDecay(float value) { reverb.setDecay(value); }

  // The units, for inspection.
  const BrightnessStage& brightnessStage() const { return brightness; }
  const DistortionUnit& distortionUnit() const { return distortion; }
  const EffectFilter& filterUnit() const { return filter; }
  const ChorusUnit& chorusUnit() const { return chorus; }
  const SyncDelay& delayUnit() const { return delay; }
  const ReverbUnit& reverbUnit() const { return reverb; }

  // Whether a unit is switched on (its fade may still be running).
  bool distortionSwitchedOn() const { return distortionFade.on(); }
  bool filterSwitchedOn() const { return filterFade.on(); }
  bool chorusSwitchedOn() const { return chorusFade.on(); }
  bool delaySwitchedOn() const { return delayFade.on(); }
  bool reverbSwitchedOn() const { return reverbFade.on(); }

private:
  // How a unit treats the pair (x, y): x in place; x to (x, y); (x, y) in place.
  enum class Channels { Mono, MonoToStereo, Stereo };
  static constexpr int kFadeChunk = 256;
  // Runs a unit over the block, cross-faded with its input while its fade runs.
  template <class Unit>
  void runSwitched(UnitFade& fade, Channels channels, float* x, float* y, int frames, Unit&& unit);
  // Before any block since the last reset or stop a switch takes effect at once.
  bool switchAtOnce() const { return !running; }

  float sampleRate = 0.0f;  // 0 until the host announces a supported rate
  bool running = false;     // processed since the last reset
  UnitFade distortionFade;
  UnitFade filterFade;
  UnitFade chorusFade;
  UnitFade delayFade;
  UnitFade reverbFade;
  float dryX[kFadeChunk] = {};
  float dryY[kFadeChunk] = {};
  BrightnessStage brightness;
  DistortionUnit distortion;
  EffectFilter filter;
  ChorusUnit chorus;
  SyncDelay delay;
  ReverbUnit reverb;
};

}  // namespace vt
