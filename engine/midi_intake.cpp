// Event intake and the message handler of the engine: which MIDI messages are
// queued for the render loop, and what each one does when its frame is reached.
#include <cstdint>

#include "engine/modulation_targets.h"
#include "engine/synth_engine.h"

namespace vt {

namespace {

constexpr std::uint8_t kNoteOff = 0x8;
constexpr std::uint8_t kNoteOn = 0x9;
constexpr std::uint8_t kControlChange = 0xB;
constexpr std::uint8_t kPitchBend = 0xE;
constexpr int kReleaseAllController = 126;
constexpr float kVelocityScale = 0.007874016f;  // 1/127
constexpr float kControllerScale = 1.0f / 128.0f;

// Effect parameters whose controllers travel in the effect queue, so that they
// act at the effect stage's own sub-block boundaries.
bool isEffectParameter(int index) {
  switch (index) {
    case ChorusMix:
    case Brightness:
    case Distortion:
    case Tube:
    case Compress:
    case FilterMode:
    case FilterEnv:
    case FilterCutoff:
    case FilterRes:
    case ChorusDelay:
    case ChorusDepth:
    case ChorusRate:
    case DelayMix:
    case DelayFeedback:
    case DelaySyncL:
    case DelaySyncR:
    case ReverbMix:
    case ReverbSize:
      return true;
    default:
      return false;
  }
}

// Integer part of a stored source or target number; NaN and huge values map
// to -1 so that they match nothing.
int truncatedNumber(float v) {
  if (!(v > -1000000.0f && v < 1000000.0f)) return -1;
  return static_cast<int>(v);
}

// When a queue is full, a message may take the place of a less important one:
// controllers and pitch bend give way to notes, note-ons to note-offs, so that
// a flood of controller data can never cost a note-off (a hanging note).
enum MessageRank { kRankControl = 0, kRankNoteOn = 1, kRankNoteOff = 2 };

MessageRank rankOf(const std::uint8_t* bytes) {
  const std::uint8_t status = static_cast<std::uint8_t>(bytes[0] >> 4);
  if (status == kNoteOff || (status == kNoteOn && (bytes[2] & 0x7F) == 0)) return kRankNoteOff;
  if (status == kNoteOn) return kRankNoteOn;
  return kRankControl;
}

// Whether two controller or bend messages set the same thing (same status byte,
// and for a controller the same number), so that the later value supersedes.
bool setsTheSameValue(const std::uint8_t* a, const std::uint8_t* b) {
  if (a[0] != b[0]) return false;
  return (a[0] >> 4) != kControlChange || (a[1] & 0x7F) == (b[1] & 0x7F);
}

// Appends to 'queue'; when it is full, makes room by dropping the latest queued
// message of a lower rank, or, for a controller or bend, the latest queued
// message that sets the same value (the newest value wins). A message that
// finds nothing to displace is dropped.
void pushMakingRoom(EventQueue& queue, const std::uint8_t* bytes, int length, std::int32_t deltaFrames) {
  if (!queue.full()) {
    queue.push(bytes, length, deltaFrames);
    return;
  }
  std::uint8_t message[3] = {0, 0, 0};
  for (int i = 0; i < 3 && i < length; ++i) message[i] = bytes[i];
  const MessageRank rank = rankOf(message);
  int victim = -1;
  for (int r = kRankControl; victim < 0 && r < rank; ++r)
    for (int i = queue.count - 1; i >= 0 && victim < 0; --i)
      if (rankOf(queue.bytes[i]) == r) victim = i;
  if (victim < 0 && rank == kRankControl)
    for (int i = queue.count - 1; i >= 0 && victim < 0; --i)
      if (setsTheSameValue(queue.bytes[i], message)) victim = i;
  if (victim < 0) return;
  queue.removeAt(victim);
  queue.push(message, 3, deltaFrames);
}

}  // namespace

int SynthEngine::resolveController(int controller, int value, float* parameterValue) {
  const int target = learnTarget.load(std::memory_order_acquire);
  if (target >= 0 && target < kNumHostParameters && learnArmed.exchange(false, std::memory_order_acq_rel)) {
    learnMap.bind(target, controller);
    markParameterChanged(MidiLearnIndicator);
    writeParameterFromRender(MidiLearnIndicator, 0.0f);
  }

  const int learned = learnMap.parameterFor(controller);
  if (learned != MidiLearnMap::kNone) {
    if (parameterValue) *parameterValue = value * kControllerScale;
    return learned;
  }

  for (int slot = 0; slot < kControllerModulationSlots; ++slot) {
    if (truncatedNumber(params[ModSource1 + slot]) - kFirstControllerSource != controller) continue;
    const float low = params[ModMin1 + slot];
    const float high = params[ModMax1 + slot];
    if (parameterValue) *parameterValue = low + (high - low) * value * kControllerScale;
    return modulationTargetParameter(truncatedNumber(params[ModTarget1 + slot]));
  }
  return -1;
}

void SynthEngine::queueMessage(const std::uint8_t* bytes, int length, std::int32_t deltaFrames) {
  if (!bytes || length <= 0) return;
  const std::uint8_t status = static_cast<std::uint8_t>(bytes[0] >> 4);
  if (status != kNoteOff && status != kNoteOn && status != kControlChange && status != kPitchBend) return;

  if (status == kControlChange && length >= 3) {
    const int controller = bytes[1] & 0x7F;
    if (controller < MidiLearnMap::kControllers) {
      const int target = resolveController(controller, bytes[2] & 0x7F, nullptr);
      if (isEffectParameter(target)) {
        pushMakingRoom(effectQueue, bytes, length, deltaFrames);
        return;
      }
    }
  }
  pushMakingRoom(voiceQueue, bytes, length, deltaFrames);
}

bool SynthEngine::handleMessage(const std::uint8_t* bytes, int length) {
  if (!bytes || length < 3) return false;
  const std::uint8_t status = static_cast<std::uint8_t>(bytes[0] >> 4);
  const int d1 = bytes[1] & 0x7F;
  const int d2 = bytes[2] & 0x7F;

  switch (status) {
    case kNoteOn:
      if (d2 > 0) {
        noteOn(d1, d2 * kVelocityScale);
        break;
      }
      noteOff(d1);
      break;
    case kNoteOff:
      noteOff(d1);
      break;
    case kControlChange:
      if (d1 == kReleaseAllController) {
        releaseAll();
      } else if (d1 < MidiLearnMap::kControllers) {
        float value = 0.0f;
        const int target = resolveController(d1, d2, &value);
        if (target >= 0) {
          writeParameterFromRender(target, value);
          markParameterChanged(target);
        }
      }
      break;
    case kPitchBend:
      pitchBend(d1, d2);
      break;
    default:
      break;
  }
  return true;
}

}  // namespace vt
