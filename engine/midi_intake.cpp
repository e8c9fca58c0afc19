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
  if (voiceQueue.full() || effectQueue.full()) return;

  if (status == kControlChange && length >= 3) {
    const int controller = bytes[1] & 0x7F;
    if (controller < MidiLearnMap::kControllers) {
      const int target = resolveController(controller, bytes[2] & 0x7F, nullptr);
      if (isEffectParameter(target)) {
        effectQueue.push(bytes, length, deltaFrames);
        return;
      }
    }
  }
  voiceQueue.push(bytes, length, deltaFrames);
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
