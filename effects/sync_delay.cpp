#include "effects/sync_delay.h"

#include <cmath>
#include <new>

#include "effects/effect_limits.h"

namespace vt {

namespace {

constexpr int kLastSingleStep = 16;  // steps 1..16 are that many sixteenths
constexpr int kWholeNoteSteps = 15;  // steps 17..20 are (n - 15) whole notes
constexpr float kSixteenthsPerWhole = 16.0f;
constexpr float kBeatsPerSixteenth = 0.25f;

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
  posLeft = posRight = 0;
  writtenLeft = writtenRight = 0;
}

void SyncDelay::setMix(float value) { mix = limitToUnit(value) * 0.5f; }

void SyncDelay::setFeedback(float value) { feedback = limitToUnit(value) * kMaxFeedback; }

float SyncDelay::sixteenthsForValue(float value) {
  int n = 1 + static_cast<int>(kSyncSteps * (1.0f - limitToUnit(value)));
  if (n > kSyncSteps) n = kSyncSteps;
  return n <= kLastSingleStep ? static_cast<float>(n) : static_cast<float>(n - kWholeNoteSteps) * kSixteenthsPerWhole;
}

void SyncDelay::setSyncLeft(float value) {
  syncLeft = sixteenthsForValue(value);
  reset();
}

void SyncDelay::setSyncRight(float value) {
  syncRight = sixteenthsForValue(value);
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

void SyncDelay::processChannel(float* samples, int count, float* line, int& pos, int& written, int length) const {
  // The position only ever steps by one or restarts at 0, so it never passes
  // 'written': entries below it hold this run's echoes, the one at it is
  // written for the first time now.
  if (pos >= length) pos = 0;  // the line got shorter: start again rather than read past it
  const float dry = 1.0f - mix;
  for (int i = 0; i < count; ++i) {
    float d = 0.0f;
    if (pos < written)
      d = line[pos];
    else
      ++written;
    const float x = samples[i];
    samples[i] = mix * d + dry * x;
    line[pos] = x + feedback * d;
    if (++pos >= length) pos = 0;
  }
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
      const float dry = 1.0f - mix;
      for (int i = 0; i < count; ++i) {
        left[i] *= dry;
        right[i] *= dry;
      }
      return;
    }
  }
  if (!isActive()) return;
  processChannel(left, count, bufferLeft, posLeft, writtenLeft, lengthFor(syncLeft));
  processChannel(right, count, bufferRight, posRight, writtenRight, lengthFor(syncRight));
}

}  // namespace vt
