#include "effects/sync_delay.h"

#include <cmath>
#include <new>

#include "effects/effect_limits.h"
#include "effects/note_fraction.h"

namespace vt {

namespace {

constexpr float kBeatsPerSixteenth = 0.25f;
constexpr float kGlideSeconds = 0.015f;

void clearLine(float* line, int& used) {
  for (int i = 0; i < used; ++i) line[i] = 0.0f;
  used = 0;
}

}  // namespace

SyncDelay::SyncDelay() {
  bufferCapacity = static_cast<int>(kBufferSeconds * kMaxEffectSampleRate);
  bufferLeft = new (std::nothrow) float[bufferCapacity]();
  bufferRight = new (std::nothrow) float[bufferCapacity]();
  if (!bufferLeft || !bufferRight) {
    delete[] bufferLeft;
    delete[] bufferRight;
    bufferLeft = bufferRight = nullptr;
    bufferCapacity = 0;
  }
}

SyncDelay::~SyncDelay() {
  delete[] bufferLeft;
  delete[] bufferRight;
}

void SyncDelay::setSampleRate(float rate) {
  sampleRate = effectSampleRateFor(rate);
  mixGlide.setRampTime(sampleRate, kGlideSeconds);
  feedbackGlide.setRampTime(sampleRate, kGlideSeconds);
  reset();
}

void SyncDelay::reset() {
  running = false;
  mixGlide.snap();
  feedbackGlide.snap();
  posLeft = posRight = 0;
  quietLeft = quietRight = kQuietForever;
  if (bufferLeft) clearLine(bufferLeft, usedLeft);
  if (bufferRight) clearLine(bufferRight, usedRight);
}

void SyncDelay::setMix(float value) {
  mix = limitToUnit(value) * 0.5f;
  mixGlide.setTarget(mix);
  if (!running) mixGlide.snap();
}

void SyncDelay::setFeedback(float value) {
  feedback = limitToUnit(value) * kMaxFeedback;
  feedbackGlide.setTarget(feedback);
  if (!running) feedbackGlide.snap();
}

float SyncDelay::sixteenthsForValue(float value) {
  return static_cast<float>(noteFractionSixteenths(noteFractionStep(value)));
}

void SyncDelay::setSyncLeft(float value) {
  const float sixteenths = sixteenthsForValue(value);
  if (sixteenths == syncLeft) return;  // hosts re-send unchanged values
  syncLeft = sixteenths;
  reset();
}

void SyncDelay::setSyncRight(float value) {
  const float sixteenths = sixteenthsForValue(value);
  if (sixteenths == syncRight) return;
  syncRight = sixteenths;
  reset();
}

void SyncDelay::setTempo(float beatsPerMinute) {
  // Anything but a finite positive tempo means "unknown" and is stored as 0,
  // so that a host repeating a meaningless value does not clear the lines each time.
  const float t = std::isfinite(beatsPerMinute) && beatsPerMinute > 0.0f ? beatsPerMinute : 0.0f;
  if (t == tempo) return;
  tempo = t;
  reset();
}

int SyncDelay::maxLength() const {
  const int seconds = static_cast<int>(kBufferSeconds * sampleRate);
  return seconds < bufferCapacity ? seconds : bufferCapacity;
}

int SyncDelay::lengthFor(float sixteenths) const {
  const float beatsPerMinute = tempo > 0.0f ? tempo : kDefaultTempo;
  const float samples = sampleRate * (60.0f / beatsPerMinute) * sixteenths * kBeatsPerSixteenth;
  const int limit = maxLength();
  if (!(samples + 0.5f < static_cast<float>(limit))) return limit > 1 ? limit : 1;
  const int length = roundToInt(samples);
  return length > 1 ? length : 1;
}

void SyncDelay::processChannel(float* samples, int count, float* line, int& pos, int& used, int& quiet,
                               int length) const {
  if (pos >= length) pos = 0;  // the line got shorter: start again rather than read past it
  if (used < length) used = length;
  int run = quiet;
  if (!mixGlide.ramping() && !feedbackGlide.ramping()) {
    const float wet = mixGlide.current();
    const float dry = 1.0f - wet;
    const float back = feedbackGlide.current();
    for (int i = 0; i < count; ++i) {
      const float d = line[pos];
      const float x = samples[i];
      samples[i] = wet * d + dry * x;
      const float written = x + back * d;
      line[pos] = written;
      run = std::fabs(written) > kTailThreshold ? 0 : run + 1;
      if (++pos >= length) pos = 0;
    }
  } else {
    // Both channels glide alike: each follows its own copy of the two glides.
    SmoothedValue wetGlide = mixGlide;
    SmoothedValue backGlide = feedbackGlide;
    for (int i = 0; i < count; ++i) {
      const float wet = wetGlide.next();
      const float back = backGlide.next();
      const float d = line[pos];
      const float x = samples[i];
      samples[i] = wet * d + (1.0f - wet) * x;
      const float written = x + back * d;
      line[pos] = written;
      run = std::fabs(written) > kTailThreshold ? 0 : run + 1;
      if (++pos >= length) pos = 0;
    }
  }
  quiet = run < kQuietForever ? run : kQuietForever;
}

void SyncDelay::process(float* left, float* right, int count) {
  if (!isActive() || !left || !right || count <= 0) return;
  lengthLeft = lengthFor(syncLeft);
  lengthRight = lengthFor(syncRight);
  processChannel(left, count, bufferLeft, posLeft, usedLeft, quietLeft, lengthLeft);
  processChannel(right, count, bufferRight, posRight, usedRight, quietRight, lengthRight);
  running = true;
  mixGlide.advance(count);
  feedbackGlide.advance(count);
}

}  // namespace vt
