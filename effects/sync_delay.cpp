#include "effects/sync_delay.h"

#include <cmath>
#include <new>

#include "effects/effect_limits.h"
#include "effects/note_fraction.h"

namespace vt {

namespace {

constexpr float kBeatsPerSixteenth = 0.25f;
constexpr float kGlideSeconds = 0.015f;

}  // namespace

SyncDelay::SyncDelay() = default;

SyncDelay::~SyncDelay() {
  freeLines();
  freeLines(delivered.exchange(nullptr));
  freeLines(retired.exchange(nullptr));
}

void SyncDelay::freeLines() {
  delete[] bufferLeft;
  delete[] bufferRight;
  bufferLeft = bufferRight = nullptr;
  bufferCapacity = 0;
}

SyncDelay::Lines* SyncDelay::allocateLines(int capacity) {
  // Never read before written (see reset), so the lines need no clearing.
  Lines* lines = new (std::nothrow) Lines();
  if (!lines) return nullptr;
  lines->left = new (std::nothrow) float[capacity];
  lines->right = new (std::nothrow) float[capacity];
  lines->capacity = capacity;
  if (!lines->left || !lines->right) {
    freeLines(lines);
    return nullptr;
  }
  return lines;
}

void SyncDelay::freeLines(Lines* lines) {
  if (!lines) return;
  delete[] lines->left;
  delete[] lines->right;
  delete lines;
}

int SyncDelay::samplesFor(float sixteenths) const {
  const float beatsPerMinute = tempo > 0.0f ? tempo : kDefaultTempo;
  const float samples = sampleRate * (60.0f / beatsPerMinute) * sixteenths * kBeatsPerSixteenth;
  const int limit = static_cast<int>(kBufferSeconds * sampleRate);
  if (!(samples + 0.5f < static_cast<float>(limit))) return limit > 1 ? limit : 1;
  const int length = roundToInt(samples);
  return length > 1 ? length : 1;
}

int SyncDelay::neededCapacity() const {
  if (!(sampleRate > 0.0f)) return 0;
  const int left = samplesFor(syncLeft);
  const int right = samplesFor(syncRight);
  return left > right ? left : right;
}

void SyncDelay::prepareLines() {
  if (!linesOnDemand) return;
  std::lock_guard<std::mutex> lock(linesLock);
  freeLines(retired.exchange(nullptr));
  freeLines(delivered.exchange(nullptr));
  requestedCapacity.store(0);
  const int need = neededCapacity();
  if (need <= bufferCapacity) return;
  Lines* lines = allocateLines(need);
  if (!lines) return;
  freeLines();
  bufferLeft = lines->left;
  bufferRight = lines->right;
  bufferCapacity = lines->capacity;
  delete lines;
  largestDelivered = bufferCapacity;
  reset();
}

void SyncDelay::serviceLines() {
  std::lock_guard<std::mutex> lock(linesLock);
  freeLines(retired.exchange(nullptr));
  int wanted = requestedCapacity.load();
  if (wanted <= 0 || delivered.load() != nullptr) return;
  if (wanted <= largestDelivered) {
    requestedCapacity.compare_exchange_strong(wanted, 0);
    return;
  }
  Lines* lines = allocateLines(wanted);
  if (!lines) return;
  largestDelivered = wanted;
  delivered.store(lines);
  requestedCapacity.compare_exchange_strong(wanted, 0);
}

void SyncDelay::adoptDeliveredLines() {
  if (retired.load(std::memory_order_acquire) != nullptr) return;  // the last ones are not freed yet
  Lines* fresh = delivered.exchange(nullptr, std::memory_order_acq_rel);
  if (!fresh) return;
  float* oldLeft = bufferLeft;
  float* oldRight = bufferRight;
  const int oldCapacity = bufferCapacity;
  bufferLeft = fresh->left;
  bufferRight = fresh->right;
  bufferCapacity = fresh->capacity;
  fresh->left = oldLeft;
  fresh->right = oldRight;
  fresh->capacity = oldCapacity;
  retired.store(fresh, std::memory_order_release);
  reset();
}

void SyncDelay::setSampleRate(float rate) {
  sampleRate = effectSampleRateFor(rate);
  mixGlide.setRampTime(sampleRate, kGlideSeconds);
  feedbackGlide.setRampTime(sampleRate, kGlideSeconds);
  if (linesOnDemand) {
    // The next prepareLines (or the audio thread's request) sizes them for this rate.
    std::lock_guard<std::mutex> lock(linesLock);
    freeLines();
    freeLines(delivered.exchange(nullptr));
    freeLines(retired.exchange(nullptr));
    requestedCapacity.store(0);
    largestDelivered = 0;
    reset();
    return;
  }
  const int capacity = sampleRate > 0.0f ? static_cast<int>(std::ceil(kBufferSeconds * sampleRate)) : 0;
  if (capacity != bufferCapacity || !bufferLeft || !bufferRight) {
    freeLines();
    if (capacity > 0) {
      // Never read before written (see reset), so the lines need no clearing.
      bufferLeft = new (std::nothrow) float[capacity];
      bufferRight = new (std::nothrow) float[capacity];
      if (bufferLeft && bufferRight)
        bufferCapacity = capacity;
      else
        freeLines();
    }
  }
  reset();
}

void SyncDelay::reset() {
  running = false;
  mixGlide.snap();
  feedbackGlide.snap();
  posLeft = posRight = 0;
  writtenLeft = writtenRight = 0;
  quietLeft = quietRight = kQuietForever;
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

void SyncDelay::processChannel(float* samples, int count, float* line, int& pos, int& written, int& quiet,
                               int length) const {
  // The position only ever steps by one or restarts at 0, so it never passes
  // 'written': entries below it hold this run's echoes, the one at it is
  // written for the first time now.
  if (pos >= length) pos = 0;  // the line got shorter: start again rather than read past it
  int run = quiet;
  // Both channels glide alike: each follows its own copy of the two glides.
  SmoothedValue wetGlide = mixGlide;
  SmoothedValue backGlide = feedbackGlide;
  const bool gliding = wetGlide.ramping() || backGlide.ramping();
  const float steadyWet = wetGlide.current(), steadyBack = backGlide.current();
  for (int i = 0; i < count; ++i) {
    const float wet = gliding ? wetGlide.next() : steadyWet;
    const float back = gliding ? backGlide.next() : steadyBack;
    float d = 0.0f;
    if (pos < written)
      d = line[pos];
    else
      ++written;
    const float x = samples[i];
    samples[i] = wet * d + (1.0f - wet) * x;
    const float stored = x + back * d;
    line[pos] = stored;
    run = std::fabs(stored) > kTailThreshold ? 0 : run + 1;
    if (++pos >= length) pos = 0;
  }
  quiet = run < kQuietForever ? run : kQuietForever;
}

void SyncDelay::process(float* left, float* right, int count) {
  if (!left || !right || count <= 0) return;
  if (linesOnDemand && sampleRate > 0.0f) {
    adoptDeliveredLines();
    const int need = neededCapacity();
    if (need > bufferCapacity && delivered.load(std::memory_order_acquire) == nullptr)
      requestedCapacity.store(need, std::memory_order_release);
    if (!isActive()) {
      // No line yet: what an empty line gives, the dry part alone.
      const float dry = 1.0f - mixGlide.current();
      for (int i = 0; i < count; ++i) {
        left[i] *= dry;
        right[i] *= dry;
      }
      return;
    }
  }
  if (!isActive()) return;
  lengthLeft = lengthFor(syncLeft);
  lengthRight = lengthFor(syncRight);
  processChannel(left, count, bufferLeft, posLeft, writtenLeft, quietLeft, lengthLeft);
  processChannel(right, count, bufferRight, posRight, writtenRight, quietRight, lengthRight);
  running = true;
  mixGlide.advance(count);
  feedbackGlide.advance(count);
}

}  // namespace vt
