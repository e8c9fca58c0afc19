// A block's worth of timed MIDI messages, filled by the plug-in's event
// intake and consumed by the render loop at the messages' frame offsets.
#pragma once

#include <cstdint>

namespace vt {

struct EventQueue {
  static constexpr int kCapacity = 1023;  // events beyond this in one block are dropped

  std::int32_t count = 0;
  std::int32_t deltaFrames[kCapacity + 1] = {};
  std::uint8_t bytes[kCapacity + 1][3] = {};

  bool full() const { return count >= kCapacity; }

  // Appends the first three bytes of a message (zero padded when shorter);
  // false when the queue is full.
  bool push(const std::uint8_t* message, int length, std::int32_t offset) {
    if (full()) return false;
    for (int i = 0; i < 3; ++i) bytes[count][i] = (i < length && message) ? message[i] : 0;
    deltaFrames[count] = offset;
    ++count;
    return true;
  }

  void clear() { count = 0; }
};

}  // namespace vt
