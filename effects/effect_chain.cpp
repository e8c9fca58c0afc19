#include "effects/effect_chain.h"

#include <cstring>

#include "effects/effect_limits.h"

namespace vt {

namespace {

void copySamples(const float* from, float* to, int frames) {
  if (from != to) std::memcpy(to, from, sizeof(float) * static_cast<size_t>(frames));
}

}  // namespace

void EffectChain::setSampleRate(float rate) {
  sampleRate = effectSampleRateFor(rate);
  brightness.setSampleRate(sampleRate);
  distortion.setSampleRate(sampleRate);
  filter.setSampleRate(sampleRate);
  chorus.setSampleRate(sampleRate);
  delay.setSampleRate(sampleRate);
  reverb.setSampleRate(sampleRate);
}

void EffectChain::reset() {
  brightness.reset();
  distortion.reset();
  filter.reset();
  chorus.reset();
  delay.reset();
  reverb.reset();
}

void EffectChain::setFilterOn(float value) {
  const bool on = value > 0.5f;
  if (on == filterOn) return;  // a re-sent switch value clears nothing
  filterOn = on;
  filter.reset();
}

void EffectChain::setChorusOn(float value) {
  const bool on = value > 0.5f;
  if (on == chorusOn) return;  // a re-sent switch value clears nothing
  chorusOn = on;
  chorus.reset();
}

void EffectChain::setDelayOn(float value) {
  const bool on = value > 0.5f;
  if (on == delayOn) return;  // a re-sent switch value clears nothing
  delayOn = on;
  delay.reset();
}

void EffectChain::setReverbOn(float value) {
  const bool on = value > 0.5f;
  if (on == reverbOn) return;  // a re-sent switch value clears nothing
  reverbOn = on;
  reverb.reset();
}

void EffectChain::process(float* x, float* y, int frames) {
  if (!x || !y || frames <= 0) return;
  if (!isProcessing()) {
    copySamples(x, y, frames);
    return;
  }
  brightness.process(x, frames);  // passes the signal through while bypassed
  if (distortionOn) distortion.process(x, frames);
  if (filterOn) filter.process(x, frames);
  if (chorusOn && chorus.isActive()) {
    chorus.process(x, y, frames);
  } else {
    copySamples(x, y, frames);
  }
  if (delayOn) delay.process(x, y, frames);
  if (reverbOn) reverb.process(x, y, frames);
}

}  // namespace vt
