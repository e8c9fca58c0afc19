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
  for (UnitFade* fade : {&distortionFade, &filterFade, &chorusFade, &delayFade, &reverbFade})
    fade->setSampleRate(sampleRate);
}

void EffectChain::reset() {
  brightness.reset();
  distortion.reset();
  filter.reset();
  chorus.reset();
  delay.reset();
  reverb.reset();
  for (UnitFade* fade : {&distortionFade, &filterFade, &chorusFade, &delayFade, &reverbFade}) fade->settle();
  running = false;
}

// A re-sent switch value changes nothing; a unit switched on from idle starts
// from a clean state (a unit switched back on while it fades out goes on).
void EffectChain::setDistortionOn(float value) {
  const bool on = value > 0.5f;
  if (on == distortionFade.on()) return;
  if (distortionFade.switchTo(on, switchAtOnce())) distortion.reset();
}

void EffectChain::setFilterOn(float value) {
  const bool on = value > 0.5f;
  if (on == filterFade.on()) return;
  if (filterFade.switchTo(on, switchAtOnce())) filter.reset();
}

void EffectChain::setChorusOn(float value) {
  const bool on = value > 0.5f;
  if (on == chorusFade.on()) return;
  if (chorusFade.switchTo(on, switchAtOnce())) chorus.reset();
}

void EffectChain::setDelayOn(float value) {
  const bool on = value > 0.5f;
  if (on == delayFade.on()) return;
  if (delayFade.switchTo(on, switchAtOnce())) delay.reset();
}

void EffectChain::setReverbOn(float value) {
  const bool on = value > 0.5f;
  if (on == reverbFade.on()) return;
  if (reverbFade.switchTo(on, switchAtOnce())) reverb.reset();
}

template <class Unit>
void EffectChain::runSwitched(UnitFade& fade, Channels channels, float* x, float* y, int frames, Unit&& unit) {
  if (!fade.fading()) {
    if (fade.on()) {
      unit(x, y, frames);
    } else if (channels == Channels::MonoToStereo) {
      copySamples(x, y, frames);
    }
    return;
  }
  // Fading in, the unit's input rises with its weight as well, so that the
  // sound entering its cleared memories starts from silence and no delayed
  // copy of it begins with a step.
  const bool fadingIn = fade.on();
  float weights[kFadeChunk];
  for (int done = 0; done < frames; done += kFadeChunk) {
    const int n = frames - done < kFadeChunk ? frames - done : kFadeChunk;
    float* cx = x + done;
    float* cy = y + done;
    copySamples(cx, dryX, n);
    if (channels == Channels::Stereo) copySamples(cy, dryY, n);
    for (int i = 0; i < n; ++i) weights[i] = fade.next();
    if (fadingIn) {
      for (int i = 0; i < n; ++i) cx[i] *= weights[i];
      if (channels == Channels::Stereo)
        for (int i = 0; i < n; ++i) cy[i] *= weights[i];
    }
    unit(cx, cy, n);
    const float* dryRight = channels == Channels::Stereo ? dryY : dryX;
    for (int i = 0; i < n; ++i) {
      cx[i] = dryX[i] + weights[i] * (cx[i] - dryX[i]);
      if (channels != Channels::Mono) cy[i] = dryRight[i] + weights[i] * (cy[i] - dryRight[i]);
    }
  }
}

void EffectChain::process(float* x, float* y, int frames) {
  if (!x || !y || frames <= 0) return;
  if (!isProcessing()) {
    copySamples(x, y, frames);
    return;
  }
  running = true;
  brightness.process(x, frames);  // passes the signal through while bypassed
  runSwitched(distortionFade, Channels::Mono, x, y, frames,
              [this](float* a, float*, int n) { distortion.process(a, n); });
  runSwitched(filterFade, Channels::Mono, x, y, frames, [this](float* a, float*, int n) { filter.process(a, n); });
  runSwitched(chorusFade, Channels::MonoToStereo, x, y, frames, [this](float* a, float* b, int n) {
    if (chorus.isActive())
      chorus.process(a, b, n);
    else
      copySamples(a, b, n);
  });
  runSwitched(delayFade, Channels::Stereo, x, y, frames, [this](float* a, float* b, int n) { delay.process(a, b, n); });
  runSwitched(reverbFade, Channels::Stereo, x, y, frames,
              [this](float* a, float* b, int n) { reverb.process(a, b, n); });
}

}  // namespace vt
