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
  freeLines(previous);
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

int SyncDelay::samplesFor(float sixteenths, float beatsPerMinute) const {
  if (!(beatsPerMinute > 0.0f)) beatsPerMinute = kDefaultTempo;
  const float samples = sampleRate * (60.0f / beatsPerMinute) * sixteenths * kBeatsPerSixteenth;
  const int limit = static_cast<int>(kBufferSeconds * sampleRate);
  if (!(samples + 0.5f < static_cast<float>(limit))) return limit > 1 ? limit : 1;
  const int length = roundToInt(samples);
  return length > 1 ? length : 1;
}

int SyncDelay::neededCapacity() const {
  if (!(sampleRate > 0.0f)) return 0;
  const float current = tempo > 0.0f ? tempo : kDefaultTempo;
  const float planned = current < kSlowestPlannedTempo ? current : kSlowestPlannedTempo;
  const int l = samplesFor(syncLeft, planned);
  const int r = samplesFor(syncRight, planned);
  return l > r ? l : r;
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
  // Nothing processes now: the history moves over at once, oldest first.
  for (int back = written; back >= 1; --back) {
    lines->left[written - back] =
        readBack(bufferLeft, previous ? previous->left : nullptr, back, position, written, sinceSwitch);
    lines->right[written - back] =
        readBack(bufferRight, previous ? previous->right : nullptr, back, position, written, sinceSwitch);
  }
  freeLines();
  freeLines(previous);
  previous = nullptr;
  bufferLeft = lines->left;
  bufferRight = lines->right;
  bufferCapacity = lines->capacity;
  delete lines;
  largestDelivered = bufferCapacity;
  position = written < bufferCapacity ? written : 0;
  sinceSwitch = 0;
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
  // One change of lines at a time: the last old ones must be read out and freed first.
  if (previous || retired.load(std::memory_order_acquire) != nullptr) return;
  Lines* fresh = delivered.exchange(nullptr, std::memory_order_acq_rel);
  if (!fresh) return;
  if (fresh->capacity <= bufferCapacity) {
    retired.store(fresh, std::memory_order_release);
    return;
  }
  // The holder takes the old lines; they are read for the older history
  // until the new ones reach back as far, then given back.
  float* oldLeft = bufferLeft;
  float* oldRight = bufferRight;
  const int oldCapacity = bufferCapacity;
  bufferLeft = fresh->left;
  bufferRight = fresh->right;
  bufferCapacity = fresh->capacity;
  fresh->left = oldLeft;
  fresh->right = oldRight;
  fresh->capacity = oldCapacity;
  previous = fresh;
  previousPosition = position;
  position = 0;
  sinceSwitch = 0;
  if (!oldLeft || !oldRight) inputRise = fadeLength;
  if (!oldLeft || !oldRight || written == 0) retirePreviousLines();
}

void SyncDelay::retirePreviousLines() {
  if (!previous || retired.load(std::memory_order_acquire) != nullptr) return;
  retired.store(previous, std::memory_order_release);
  previous = nullptr;
}

void SyncDelay::setSampleRate(float rate) {
  sampleRate = effectSampleRateFor(rate);
  mixGlide.setRampTime(sampleRate, kGlideSeconds);
  feedbackGlide.setRampTime(sampleRate, kGlideSeconds);
  const int fade = static_cast<int>(sampleRate * kLengthFadeSeconds);
  fadeLength = fade > 1 ? fade : 1;
  if (linesOnDemand) {
    // The next prepareLines (or the audio thread's request) sizes them for this rate.
    std::lock_guard<std::mutex> lock(linesLock);
    freeLines();
    freeLines(previous);
    previous = nullptr;
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
  position = 0;
  written = 0;
  inputRise = 0;
  for (Reader* reader : {&left, &right}) {
    reader->length = reader->fadeFrom = 1;
    reader->fadeDone = kQuietForever;
    reader->quiet = kQuietForever;
  }
  // Nothing is read from replaced lines any more.
  sinceSwitch = bufferCapacity;
  retirePreviousLines();
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

void SyncDelay::setSyncLeft(float value) { syncLeft = sixteenthsForValue(value); }

void SyncDelay::setSyncRight(float value) { syncRight = sixteenthsForValue(value); }

void SyncDelay::setTempo(float beatsPerMinute) {
  // Anything but a finite positive tempo means "unknown" and is stored as 0.
  tempo = std::isfinite(beatsPerMinute) && beatsPerMinute > 0.0f ? beatsPerMinute : 0.0f;
}

int SyncDelay::maxLength() const {
  const int seconds = static_cast<int>(kBufferSeconds * sampleRate);
  return seconds < bufferCapacity ? seconds : bufferCapacity;
}

int SyncDelay::lengthFor(float sixteenths) const {
  const int length = samplesFor(sixteenths, tempo);
  const int limit = maxLength();
  if (length < limit) return length;
  return limit > 1 ? limit : 1;
}

float SyncDelay::readBack(const float* line, const float* previousLine, int back, int at, int held,
                          int switched) const {
  if (back > held) return 0.0f;  // not written since the last clear
  if (back > switched && previousLine) {
    // Older than the current lines reach: from the lines they replaced.
    int index = previousPosition - (back - switched);
    if (index < 0) index += previous->capacity;
    return previousLine[index];
  }
  int index = at - back;
  if (index < 0) index += bufferCapacity;
  return line[index];
}

void SyncDelay::processChannel(float* samples, int count, float* line, const float* previousLine, Reader& reader,
                               int target) {
  int at = position;
  int held = written;
  int switched = sinceSwitch;
  int run = reader.quiet;
  // Both channels glide alike: each follows its own copy of the two glides.
  SmoothedValue wetGlide = mixGlide;
  SmoothedValue backGlide = feedbackGlide;
  const bool gliding = wetGlide.ramping() || backGlide.ramping();
  const float steadyWet = wetGlide.current(), steadyBack = backGlide.current();
  const float fadeStep = 1.0f / static_cast<float>(fadeLength);
  int rise = inputRise;
  for (int i = 0; i < count; ++i) {
    const float wet = gliding ? wetGlide.next() : steadyWet;
    const float back = gliding ? backGlide.next() : steadyBack;
    if (!reader.fading(fadeLength) && reader.length != target) {
      if (held == 0) {
        reader.length = target;  // nothing written yet: nothing to fade
      } else {
        reader.fadeFrom = reader.length;
        reader.length = target;
        reader.fadeDone = 0;
      }
    }
    float d = readBack(line, previousLine, reader.length, at, held, switched);
    if (reader.fading(fadeLength)) {
      // From the old read position to the new one; equal-gain because both
      // read the same history.
      const float to = static_cast<float>(++reader.fadeDone) * fadeStep;
      const float from = readBack(line, previousLine, reader.fadeFrom, at, held, switched);
      d = from + to * (d - from);
      if (!reader.fading(fadeLength)) reader.fadeFrom = reader.length;  // the old length is no longer read
    }
    const float x = samples[i];
    samples[i] = wet * d + (1.0f - wet) * x;
    float stored = back * d;
    if (rise > 0)
      stored += x * (1.0f - static_cast<float>(rise--) * fadeStep);
    else
      stored += x;
    line[at] = stored;
    run = std::fabs(stored) > kTailThreshold ? 0 : (run < kQuietForever ? run + 1 : run);
    if (++at >= bufferCapacity) at = 0;
    if (held < bufferCapacity) ++held;
    if (switched < bufferCapacity) ++switched;
  }
  reader.quiet = run;
}

void SyncDelay::process(float* leftSamples, float* rightSamples, int count) {
  if (!leftSamples || !rightSamples || count <= 0) return;
  if (linesOnDemand && sampleRate > 0.0f) {
    adoptDeliveredLines();
    const int need = neededCapacity();
    if (need > bufferCapacity && delivered.load(std::memory_order_acquire) == nullptr)
      requestedCapacity.store(need, std::memory_order_release);
    if (!isActive()) {
      // No line yet: what an empty line gives, the dry part alone.
      const float dry = 1.0f - mixGlide.current();
      for (int i = 0; i < count; ++i) {
        leftSamples[i] *= dry;
        rightSamples[i] *= dry;
      }
      return;
    }
  }
  if (!isActive()) return;
  const float* previousLeft = previous ? previous->left : nullptr;
  const float* previousRight = previous ? previous->right : nullptr;
  processChannel(leftSamples, count, bufferLeft, previousLeft, left, lengthFor(syncLeft));
  processChannel(rightSamples, count, bufferRight, previousRight, right, lengthFor(syncRight));
  inputRise = inputRise > count ? inputRise - count : 0;
  // Both channels moved on alike.
  position = (position + count) % bufferCapacity;
  written = written + count < bufferCapacity ? written + count : bufferCapacity;
  sinceSwitch = sinceSwitch + count < bufferCapacity ? sinceSwitch + count : bufferCapacity;
  if (previous && sinceSwitch >= bufferCapacity) retirePreviousLines();
  running = true;
  mixGlide.advance(count);
  feedbackGlide.advance(count);
}

}  // namespace vt
