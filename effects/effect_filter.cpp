#include "effects/effect_filter.h"

#include <cmath>

#include "effects/effect_limits.h"

namespace vt {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kMinCutoffHz = 80.0f;
constexpr float kCutoffRangeHz = 15920.0f;  // 80 Hz up to 16 kHz
constexpr float kMaxCutoffHz = kMinCutoffHz + kCutoffRangeHz;
// Keeps the cutoff below Nyquist at low sample rates, where 16 kHz would put
// the bilinear pre-warp past its pole and make the cascade unstable.
constexpr double kMaxCutoffRatio = 0.45;
constexpr int kRedesignInterval = 32;      // housekeeping once the counter has reached this
constexpr int kGlideRedesignInterval = 3;  // every 4 samples while a setting glides
constexpr float kInputScale = 0.5f;
constexpr float kOutputScale = 2.0f;
constexpr float kSaturationThreshold = 0.3f;
constexpr float kEnvelopeFallSeconds = 1.6f;
constexpr float kEnvelopeRiseSeconds = 0.505f;
constexpr float kInvSqrt2 = 0.707107f;
constexpr double kPeakBandwidthOctaves = 1.0;
constexpr double kPeakGainDbPerResonance = 4.0;
constexpr float kGlideSeconds = 0.02f;      // cutoff, resonance and envelope amount
constexpr float kModeFadeSeconds = 0.015f;  // cross-fade between two modes

// Denominators of the two sections of a fourth-order Butterworth prototype.
constexpr double kPrototypeDamping[2] = {0.765367, 1.847759};

double flushedCoef(double v) { return std::fabs(v) < Biquad::kFlushThreshold ? 0.0 : v; }

void flushFloat(float& v) {
  if (std::fabs(v) < static_cast<float>(Biquad::kFlushThreshold)) v = 0.0f;
}

// Soft saturation: unity below the threshold, a quadratic knee that reaches
// 1.0 with zero slope at the ceiling, and 1.0 above the ceiling. (Past the
// ceiling the knee's parabola would turn back down and invert loud peaks.)
float saturate(float y, float ceiling) {
  const float magnitude = std::fabs(y);
  if (magnitude <= kSaturationThreshold) return y;
  const float over = magnitude < ceiling ? magnitude : ceiling;
  const float g = (1.0f - (over - kSaturationThreshold) / (ceiling - kSaturationThreshold)) * kInvSqrt2;
  const float shaped = (0.5f - g * g) * 1.4f + kSaturationThreshold;
  return y > 0.0f ? shaped : -shaped;
}

}  // namespace

EffectFilter::EffectFilter() { reset(); }

void EffectFilter::setSampleRate(float rate) {
  sampleRate = effectSampleRateFor(rate);
  cutoffGlide.setRampTime(sampleRate, kGlideSeconds);
  resonanceGlide.setRampTime(sampleRate, kGlideSeconds);
  envGlide.setRampTime(sampleRate, kGlideSeconds);
  const int fade = static_cast<int>(sampleRate * kModeFadeSeconds);
  fadeLength = fade > 1 ? fade : 1;
  reset();
}

void EffectFilter::reset() {
  sectionCount = 0;
  gain = 1.0f;
  for (int s = 0; s < kMaxSections; ++s) {
    for (float& c : sectionCoefs[s]) c = 0.0f;
    sectionHistory[s][0] = sectionHistory[s][1] = 0.0f;
  }
  // Both sections are cleared so that switching the filter on never replays
  // what was left in the peaking section from an earlier run.
  biquadA.resetState();
  biquadB.resetState();
  highPass.resetState();
  envelope = 0.0f;
  samplesSinceDesign = 0;
  running = false;
  fadeRemaining = 0;
  previousMode = mode;
  cutoffGlide.snap();
  resonanceGlide.snap();
  envGlide.snap();
  design();
}

void EffectFilter::settleIfIdle() {
  if (running) return;
  cutoffGlide.snap();
  resonanceGlide.snap();
  envGlide.snap();
  fadeRemaining = 0;
  previousMode = mode;
}

void EffectFilter::setMode(float value) {
  const int m0 = static_cast<int>(limitToUnit(value) * 3.0f + 0.5f);
  const int m = m0 > kLowPass24 ? kLowPass24 : m0;
  if (m != mode) {
    if (fadeRemaining > 0 && m == previousMode) {
      // Back to the mode still fading out: reverse the running cross-fade.
      previousMode = mode;
      fadeRemaining = fadeLength - fadeRemaining;
    } else {
      previousMode = mode;
      clearModeState(m);
      fadeRemaining = fadeLength;
    }
    mode = m;
  }
  settleIfIdle();
  design();
}

void EffectFilter::setEnvAmount(float value) {
  envAmount = limitToUnit(value);
  envGlide.setTarget(envAmount);
  settleIfIdle();
  design();
}

void EffectFilter::setCutoff(float value) {
  cutoff = limitToUnit(value);
  cutoffGlide.setTarget(cutoff);
  settleIfIdle();
  design();
}

void EffectFilter::setResonance(float value) {
  resonance = limitToUnit(value);
  resonanceGlide.setTarget(resonance);
  settleIfIdle();
  design();
}

float EffectFilter::cutoffFrequency() const {
  const float amount = envGlide.current();
  const float x = (envelope * amount + 1.0f - amount) * cutoffGlide.current();
  if (x >= 1.0f) return kMaxCutoffHz;
  if (!(x > 0.0f)) return kMinCutoffHz;
  float q = -0.25f * std::log10(1.0f - x);
  if (q > 1.0f) q = 1.0f;
  if (q < 1e-7f) q = 0.0f;
  return kMinCutoffHz + kCutoffRangeHz * q;
}

void EffectFilter::design() {
  samplesSinceDesign = 0;
  if (sampleRate <= 0.0f) return;
  double fc = cutoffFrequency();
  const double nyquistGuard = kMaxCutoffRatio * sampleRate;
  if (fc > nyquistGuard) fc = nyquistGuard;
  const double r = resonanceFigure();
  designMode(mode, fc, r);
  if (fadeRemaining > 0 && previousMode != mode) designMode(previousMode, fc, r);
  flushMemories();
}

void EffectFilter::designMode(int m, double fc, double r) {
  if (m == kLowPass24) {
    designLowPassCascade(fc, r);
  } else if (m == kBandPass) {
    biquadA.designBandPass(sampleRate, fc, r);
    biquadB.designPeak(sampleRate, fc, kPeakBandwidthOctaves, kPeakGainDbPerResonance * r);
  } else {
    highPass.designHighPass(sampleRate, fc, r, true);
  }
}

void EffectFilter::clearModeState(int m) {
  if (m == kLowPass24) {
    for (auto& h : sectionHistory) h[0] = h[1] = 0.0f;
  } else if (m == kBandPass) {
    biquadA.resetState();
    biquadB.resetState();
  } else {
    highPass.resetState();
  }
}

void EffectFilter::designLowPassCascade(double fc, double r) {
  const double sr = sampleRate;
  const double sr2 = sr * sr;
  const double wp = 2.0 * sr * std::tan(kPi * fc / sr);  // pre-warped corner
  sectionCount = 0;
  double k = 1.0;
  for (double damping : kPrototypeDamping) {
    // Numerator 1, denominator s^2 + (damping / R) s + 1, scaled to the corner.
    const double a0 = 1.0;
    const double a1 = 0.0;
    const double a2 = 0.0;
    const double b0 = 1.0;
    const double b1 = damping / r / wp;
    const double b2 = 1.0 / (wp * wp);
    const double ad = 4.0 * a2 * sr2 + 2.0 * a1 * sr + a0;
    const double bd = 4.0 * b2 * sr2 + 2.0 * b1 * sr + b0;
    k = k * ad / bd;
    const double beta1 = flushedCoef((2.0 * b0 - 8.0 * b2 * sr2) / bd);
    const double beta2 = flushedCoef((4.0 * b2 * sr2 - 2.0 * b1 * sr + b0) / bd);
    const double alpha1 = flushedCoef((2.0 * a0 - 8.0 * a2 * sr2) / ad);
    const double alpha2 = flushedCoef((4.0 * a2 * sr2 - 2.0 * a1 * sr + a0) / ad);
    if (sectionCount < kMaxSections) {
      float* c = sectionCoefs[sectionCount];
      c[0] = static_cast<float>(beta1);
      c[1] = static_cast<float>(beta2);
      c[2] = static_cast<float>(alpha1);
      c[3] = static_cast<float>(alpha2);
      ++sectionCount;
    }
  }
  gain = static_cast<float>(flushedCoef(k));
}

void EffectFilter::flushMemories() {
  for (int s = 0; s < kMaxSections; ++s) {
    flushFloat(sectionHistory[s][0]);
    flushFloat(sectionHistory[s][1]);
  }
  biquadA.flushOutputState();
  highPass.flushOutputState();
}

float EffectFilter::runMode(int m, float x) {
  if (m == kLowPass24) {
    float y = gain * x;
    for (int s = 0; s < sectionCount; ++s) {
      const float* k = sectionCoefs[s];
      float* h = sectionHistory[s];
      const float w = y - k[0] * h[0] - k[1] * h[1];
      y = w + k[2] * h[0] + k[3] * h[1];
      h[1] = h[0];
      h[0] = w;
    }
    return y;
  }
  if (m == kBandPass) return biquadB.process(biquadA.process(x));
  return highPass.process(x);
}

void EffectFilter::process(float* samples, int count) {
  if (sampleRate <= 0.0f || !samples) return;
  running = true;
  const float fall = 1.0f / (kEnvelopeFallSeconds * sampleRate);
  const float rise = 1.0f / (kEnvelopeRiseSeconds * sampleRate);
  float ceiling = resonanceFigure();

  for (int i = 0; i < count; ++i) {
    const float x = samples[i] * kInputScale;

    // Envelope follower: falls linearly, rises at a limited rate towards |x|.
    const float c = envelope - fall;
    if (c < x) {
      const float step = x - c;
      envelope = c + (step < rise ? step : rise);
    } else if (x < -c) {
      const float step = -x - c;
      envelope = c + (step < rise ? step : rise);
    } else {
      envelope = c;
    }

    // The counter advances before a due design resets it, so the cutoff follows
    // the envelope (and gliding settings) every 33 samples. It stops just past
    // the interval so that it cannot overflow in long runs.
    // While a setting glides the design follows it in finer steps: coarse
    // coefficient jumps ring in a resonant filter.
    const bool gliding = cutoffGlide.ramping() || resonanceGlide.ramping() || envGlide.ramping();
    const int interval = gliding ? kGlideRedesignInterval : kRedesignInterval;
    const bool due = samplesSinceDesign >= interval;
    if (samplesSinceDesign <= kRedesignInterval) ++samplesSinceDesign;
    if (due) {
      if (gliding) {
        cutoffGlide.advance(interval + 1);
        resonanceGlide.advance(interval + 1);
        envGlide.advance(interval + 1);
        ceiling = resonanceFigure();
      }
      if (gliding || envGlide.current() != 0.0f) {
        design();
      } else {
        flushMemories();
      }
    }

    float y = runMode(mode, x);
    if (fadeRemaining > 0) {
      // The old mode keeps running while it fades out under the new one.
      const float w = static_cast<float>(fadeRemaining) / static_cast<float>(fadeLength);
      const float old = runMode(previousMode, x);
      y = old * w + y * (1.0f - w);
      if (--fadeRemaining == 0) previousMode = mode;
    }
    samples[i] = kOutputScale * saturate(y, ceiling);
  }
}

}  // namespace vt
