#include "engine/synth_engine.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <new>
#include <thread>

#include "engine/denormal_guard.h"
#include "engine/parameter_defaults.h"
#include "engine/parameter_limits.h"
#include "engine/render_voice.h"
#include "engine/voice_slot_content.h"

namespace vt {

namespace {

// The silence counter stops growing here so that hours of silence cannot overflow it.
constexpr int kSilenceCounterCap = 1 << 30;
constexpr float kControlGlideSeconds = 0.015f;
constexpr int kMorphKnobParameters[] = {MorphHarmX, MorphHarmY, MorphNoiseX, MorphNoiseY, MorphAmpX, MorphAmpY};
// How long a thread that needs the engine to itself sleeps while a block renders.
constexpr std::chrono::microseconds kExclusivePoll(50);

bool isSilent(float v) { return v <= SynthEngine::kSilenceThreshold && v >= -SynthEngine::kSilenceThreshold; }

bool blockSilent(const float* x, int frames) {
  for (int i = 0; i < frames; ++i)
    if (!isSilent(x[i])) return false;
  return true;
}

static_assert(EffectChain::kTailThreshold == SynthEngine::kSilenceThreshold, "tails are judged at the silence level");

int minInt(int a, int b) { return a < b ? a : b; }

}  // namespace

SynthEngine::SynthEngine() {
  effectChain.setDelayLinesOnDemand(true);
  voices = new (std::nothrow) SynthVoice[kVoices];
  formant.add(0.0f, 1.0f);
  formant.add(1.0f, 1.0f);
  std::memset(changedFlags, 0, sizeof(changedFlags));
  fillParameterDefaults(params);
  for (int i = 0; i < kNumParameters; ++i) road.store(i, params[i]);
  for (int i = 0; i < kNumHostParameters; ++i) applyParameter(i, params[i]);
  clearParameterChanged();
}

SynthEngine::~SynthEngine() {
  worker.stop();
  delete[] voices;
}

void SynthEngine::setParameter(int index, float value) {
  float limited = 0.0f;
  if (!limitParameterValue(index, value, &limited)) return;
  road.store(index, limited);
  road.markPending(index);
  if (!running.load(std::memory_order_acquire)) applyWhileSuspended();
}

float SynthEngine::getParameter(int index) const {
  if (index < 0 || index >= kNumParameters) return 0.0f;
  return road.value(index);
}

float SynthEngine::appliedParameter(int index) const {
  if (index < 0 || index >= kNumParameters) return 0.0f;
  return params[index];
}

void SynthEngine::applyParameter(int index, float value) {
  params[index] = value;
  applyParameterAction(index, value);
}

void SynthEngine::writeParameterFromRender(int index, float value) {
  float limited = 0.0f;
  if (!limitParameterValue(index, value, &limited)) return;
  road.store(index, limited);
  applyParameter(index, limited);
}

void SynthEngine::applyPendingParameters() {
  applyTransport();
  road.drain([this](int index, float value) { applyParameter(index, value); });
}

void SynthEngine::applyWhileSuspended() {
  std::lock_guard<std::mutex> lock(suspendedLock);
  if (running.load(std::memory_order_acquire)) return;  // resumed meanwhile: the next block applies it
  // A host that renders without resuming first counts as resumed: its block
  // holds the gate and applies the write itself.
  if (!loadExchange.enterAdoption()) return;
  exclusive = true;
  if (!running.load(std::memory_order_acquire)) applyPendingParameters();
  leaveExclusive();
}

void SynthEngine::enterExclusive() {
  while (!loadExchange.enterAdoption()) std::this_thread::sleep_for(kExclusivePoll);
  exclusive = true;
}

void SynthEngine::leaveExclusive() {
  effectChain.prepareDelayLines();
  exclusive = false;
  loadExchange.leaveAdoption();
}

void SynthEngine::suspend() {
  std::lock_guard<std::mutex> lock(suspendedLock);
  enterExclusive();
  running.store(false, std::memory_order_release);
  effectChain.stopPlaying();
  applyPendingParameters();
  leaveExclusive();
}

void SynthEngine::resume() {
  worker.start();
  std::lock_guard<std::mutex> lock(suspendedLock);
  enterExclusive();
  applyPendingParameters();
  clearQueues();
  effectChain.reset();
  running.store(true, std::memory_order_release);
  leaveExclusive();
}

void SynthEngine::requestSlotPreparation(int index) {
  if (index < 0 || index >= kNumSlots) return;
  if (exclusive) {
    slots[index].prepare();
    return;
  }
  slotPreparationRequests.fetch_or(1u << index, std::memory_order_acq_rel);
}

void SynthEngine::copyLiveSlot(VoiceSlot& to, int index) {
  if (index < 0 || index >= kNumSlots || &to == &slots[index]) return;
  // A loader reading in place already holds the lock (and the engine).
  if (loadingInPlace) {
    copyVoiceSlotContent(to, slots[index]);
    return;
  }
  std::lock_guard<std::mutex> lock(suspendedLock);
  copyVoiceSlotContent(to, slots[index]);
}

void SynthEngine::runBackgroundWork(void* engine) {
  auto* self = static_cast<SynthEngine*>(engine);
  self->effectChain.serviceDelayLines();
  self->prepareRequestedSlots();
}

bool SynthEngine::parameterChanged(int index) const {
  return index >= 0 && index < kNumParameters && changedFlags[index];
}

void SynthEngine::markParameterChanged(int index) {
  if (index >= 0 && index < kNumParameters) changedFlags[index] = true;
}

void SynthEngine::clearParameterChanged() { std::memset(changedFlags, 0, sizeof(changedFlags)); }

void SynthEngine::setSampleRate(float rate) {
  if (!(rate > 0.0f) || !std::isfinite(rate))
    return;  // a host may announce 0 before it knows; keep the last valid rate
  std::lock_guard<std::mutex> lock(suspendedLock);
  // A host may change the rate of a running instance: that block ends first,
  // and the change acts as suspend, set, resume.
  enterExclusive();
  applyRate(rate);
  // The queued events belong to the audio thread's next block and stay.
  if (running.load(std::memory_order_acquire)) effectChain.reset();
  leaveExclusive();
}

void SynthEngine::applyRate(float rate) {
  sampleRate = rate;
  effectChain.setSampleRate(rate);
  outputGain.setRampTime(rate, kControlGlideSeconds);
  outputWidth.setRampTime(rate, kControlGlideSeconds);
  for (int k = 0; k < kNumSlots; ++k) {
    harmonicLevel[k].setRampTime(rate, kControlGlideSeconds);
    noiseLevel[k].setRampTime(rate, kControlGlideSeconds);
  }
  for (SmoothedValue& knob : morphKnob) knob.setRampTime(rate, kControlGlideSeconds);
  controlsFresh = true;
  for (VoiceSlot& s : slots) s.setSampleRate(rate);
  noiseGenerator.setSampleRate(rate);
  if (voices) {
    for (int i = 0; i < kVoices; ++i) {
      voices[i].sampleRate = rate;
      voices[i].harmonics.sampleRate = rate;
    }
  }
}

bool SynthEngine::constructedCompletely() const {
  for (const VoiceSlot& s : slots)
    if (!s.valid()) return false;
  if (!voices) return false;
  for (int i = 0; i < kVoices; ++i)
    if (!voices[i].valid()) return false;
  for (const BreakpointCurve& c : morphEnvelopes)
    if (c.capacity() == 0) return false;
  return formant.capacity() > 0 && loadExchange.valid();
}

void SynthEngine::setTransport(float beatsPerMinute, float quarterNotes) {
  hostTempo.store(beatsPerMinute, std::memory_order_release);
  hostPosition.store(quarterNotes, std::memory_order_release);
  transportPending.store(true, std::memory_order_release);
  // While suspended it applies at once, under the render gate alone: this
  // comes from the audio thread, which takes no lock.
  if (!running.load(std::memory_order_acquire) && loadExchange.enterAdoption()) {
    if (!running.load(std::memory_order_acquire)) applyTransport();
    loadExchange.leaveAdoption();
  }
}

void SynthEngine::applyTransport() {
  if (!transportPending.exchange(false, std::memory_order_acq_rel)) return;
  tempo = hostTempo.load(std::memory_order_acquire);
  songPosition = hostPosition.load(std::memory_order_acquire);
  effectChain.setTempo(tempo);  // the delay keeps its lines and glides to the new lengths
  applyTempoSettings();
}

void SynthEngine::clearQueues() {
  voiceQueue.clear();
  effectQueue.clear();
}

void SynthEngine::resetEffects() {
  effectChain.reset();
  controlsFresh = true;
}

void SynthEngine::settleControls() {
  outputGain.jumpTo(params[Volume] * 2.0f);
  outputWidth.jumpTo(params[StereoWidth]);
  for (int k = 0; k < kNumSlots; ++k) {
    harmonicLevel[k].jumpTo(slots[k].harmonicVolume);
    noiseLevel[k].jumpTo(slots[k].noiseVolume);
  }
  for (int i = 0; i < kMorphKnobs; ++i) morphKnob[i].jumpTo(params[kMorphKnobParameters[i]]);
  controlsFresh = false;
}

void SynthEngine::advanceVoiceControls(int frames) {
  for (int k = 0; k < kNumSlots; ++k) {
    VoiceSlot& s = slots[k];
    harmonicLevel[k].setTarget(s.harmonicVolume);
    noiseLevel[k].setTarget(s.noiseVolume);
    s.harmonicLevels[0] = harmonicLevel[k].current();
    s.noiseLevels[0] = noiseLevel[k].current();
    harmonicLevel[k].advance(frames);
    noiseLevel[k].advance(frames);
    s.harmonicLevels[1] = harmonicLevel[k].current();
    s.noiseLevels[1] = noiseLevel[k].current();
  }
  for (int i = 0; i < kMorphKnobs; ++i) {
    morphKnob[i].setTarget(params[kMorphKnobParameters[i]]);
    morphKnobStart[i] = morphKnob[i].current();
    morphKnob[i].advance(frames);
  }
}

void SynthEngine::setDataFolder(const char* folder) {
  std::memset(dataFolder, 0, sizeof(dataFolder));
  if (folder) std::strncpy(dataFolder, folder, sizeof(dataFolder) - 1);
}

int SynthEngine::handleDueEvents(const EventQueue& queue, int next, int position) {
  // The queue is in offset order (EventQueue::orderForBlock); an event before
  // the position can only be one the position has just passed.
  while (next < queue.count && queue.deltaFrames[next] <= position) {
    if (renderObserver) renderObserver->eventHandled(queue.bytes[next], position);
    handleMessage(queue.bytes[next], 3);
    ++next;
  }
  return next;
}

int SynthEngine::subBlockLength(const EventQueue& queue, int next, int position, int frames, int limit) {
  // A sub-block ends early where the next pending event falls inside it.
  int length = minInt(frames - position, limit);
  if (next < queue.count && queue.deltaFrames[next] < position + length) length = queue.deltaFrames[next] - position;
  return length;
}

void SynthEngine::render(float* left, float* right, int frames) {
  if (!left || !right || frames <= 0) {
    clearQueues();
    return;
  }
  // Loads are adopted between blocks only (engine/load_exchange.h).
  if (!loadExchange.enterRender()) {
    renderWhileLoading(left, right, frames);
    return;
  }
  running.store(true, std::memory_order_release);  // any render call counts as resumed
  // Loads first, then the writes made since the last block (writes made after
  // a load was published are newer than it).
  adoptPublishedLoad();
  applyPendingParameters();
  DenormalGuard denormalGuard;
  if (controlsFresh) settleControls();

  std::memset(left, 0, sizeof(float) * static_cast<size_t>(frames));

  // Every event of the block is handled, in offset order: offsets outside the
  // block are clamped into it, events at one offset keep their arrival order.
  voiceQueue.orderForBlock(frames);
  effectQueue.orderForBlock(frames);

  // Voice stage: sub-blocks of at most 256 frames, split at event offsets.
  int next = 0;
  int position = 0;
  while (position < frames) {
    next = handleDueEvents(voiceQueue, next, position);
    const int length = subBlockLength(voiceQueue, next, position, frames, kMaxSubBlock);
    renderVoiceStage(left + position, length);
    if (renderObserver) renderObserver->voiceSubBlock(left + position, position, length);
    position += length;
  }
  // Events at exactly the block length act after the block's last frame.
  handleDueEvents(voiceQueue, next, frames);

  // Silence bypass: the effects sleep once the output has been silent, with no
  // delay or reverb tail left, for two seconds; any sound in the voice mix wakes them.
  if (effectsBypassed() && !blockSilent(left, frames)) silenceCounter = 0;
  if (effectsBypassed()) {
    std::memcpy(right, left, sizeof(float) * static_cast<size_t>(frames));
    // Effect-queue events still act on the parameters while the chain sleeps.
    handleDueEvents(effectQueue, 0, frames);
    applyOutputStage(left, right, frames);
  } else {
    renderEffectStage(left, right, frames);
    countSilence(left, right, frames);
  }

  clearQueues();
  loadExchange.leaveRender();
}

void SynthEngine::countSilence(const float* left, const float* right, int frames) {
  // Silent output blocks count towards the bypass; an audible one starts the count again.
  if (!blockSilent(left, frames) || !blockSilent(right, frames)) {
    silenceCounter = 0;
    return;
  }
  const int limit = silenceLimit();
  const long long counted = static_cast<long long>(silenceCounter) + frames;
  int next = counted > kSilenceCounterCap ? kSilenceCounterCap : static_cast<int>(counted);
  // A delay or reverb tail that is still to come keeps the chain running.
  if (next > limit && effectChain.holdsTail()) next = limit;
  silenceCounter = next;
}

void SynthEngine::renderEffectStage(float* left, float* right, int frames) {
  effectChain.prepareBlock(params[FilterCutoff]);
  int next = 0;
  int position = 0;
  while (position < frames) {
    next = handleDueEvents(effectQueue, next, position);
    const int length = subBlockLength(effectQueue, next, position, frames, kMaxEffectBlock);
    float* x = left + position;
    float* y = right + position;
    effectChain.process(x, y, length);
    applyOutputStage(x, y, length);
    position += length;
  }
  handleDueEvents(effectQueue, next, frames);
}

void SynthEngine::applyOutputStage(float* x, float* y, int frames) {
  outputGain.setTarget(params[Volume] * 2.0f);
  outputWidth.setTarget(params[StereoWidth]);
  if (outputGain.ramping() || outputWidth.ramping()) {
    for (int i = 0; i < frames; ++i) {
      const float w = outputGain.next();
      const float s = outputWidth.next();
      if (s >= 0.99f) {
        x[i] *= w;
        y[i] *= w;
      } else {
        const float mid = (x[i] + y[i]) * 0.5f * (1.0f - s) * w;
        x[i] = mid + x[i] * s * w;
        y[i] = mid + y[i] * s * w;
      }
    }
    return;
  }
  const float w = outputGain.current();
  const float s = outputWidth.current();
  if (s >= 0.99f) {
    for (int i = 0; i < frames; ++i) {
      x[i] *= w;
      y[i] *= w;
    }
    return;
  }
  const float sideGain = s * w;
  const float midGain = 0.5f * (1.0f - s) * w;
  for (int i = 0; i < frames; ++i) {
    const float mid = (x[i] + y[i]) * midGain;
    x[i] = mid + x[i] * sideGain;
    y[i] = mid + y[i] * sideGain;
  }
}

MorphPositions SynthEngine::morphPositionsFor(const SynthVoice& v, int frames) {
  const SynthVoice& timing = (v.mode == SynthVoice::kMorphFollower && v.leader) ? *v.leader : v;
  MorphPositions m = chooseMorphPositions(params, morphEnvelopes, timing.envelopeClock,
                                          static_cast<float>(frames) / sampleRate, tempo);
  if (params[EnvelopeMorphOn] > 0.5f) return m;
  // The knobs as they glide across this sub-block (advanceVoiceControls).
  m.hx = morphKnobStart[0];
  m.hy = morphKnobStart[1];
  m.nx = morphKnobStart[2];
  m.ny = morphKnobStart[3];
  m.hx1 = morphKnob[0].current();
  m.hy1 = morphKnob[1].current();
  m.nx1 = morphKnob[2].current();
  m.ny1 = morphKnob[3].current();
  m.ax = morphKnob[4].current();
  m.ay = morphKnob[5].current();
  return m;
}

void SynthEngine::renderVoiceStage(float* mono, int frames) {
  if (!voices || frames <= 0) return;
  advanceVoiceControls(frames);
  const bool formantOn = params[FormantFilterOn] > 0.5f;
  if (formantOn) {
    for (int j = 0; j < kFormantTableSize; ++j)
      formantValues[j] = formant.evaluate(static_cast<float>(j) / kFormantTableSize);
  }
  BreakpointCurve* formantCurve = formantOn ? &formant : nullptr;
  const float* formantTable = formantOn ? formantValues : nullptr;
  for (int i = 0; i < kVoices; ++i) {
    if (!isActive(i)) continue;
    SynthVoice& v = voices[i];
    if (v.mode == SynthVoice::kMorphFollower) continue;  // its leader renders it
    const MorphPositions morph = v.mode == SynthVoice::kMorphLeader ? morphPositionsFor(v, frames) : MorphPositions();
    renderVoice(v, mono, frames, morph, formantCurve, formantTable, noiseGenerator);
  }
}

}  // namespace vt
