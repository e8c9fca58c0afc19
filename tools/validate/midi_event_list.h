// A host event list the validator fills freely: MIDI events at any offset,
// in any order, including offsets a careful host would never send.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vst2/aeffect.h"

namespace vt::validate {

class MidiEventList {
public:
  static constexpr int kCapacity = 512;

  MidiEventList();
  MidiEventList(const MidiEventList&) = delete;
  MidiEventList& operator=(const MidiEventList&) = delete;

  void clear() { block.numEvents = 0; }
  int size() const { return block.numEvents; }
  bool full() const { return block.numEvents >= kCapacity; }
  // Adds a three-byte message; false when the list is full.
  bool add(int deltaFrames, std::uint8_t status, std::uint8_t data1, std::uint8_t data2);
  bool noteOn(int deltaFrames, int channel, int key, int velocity);
  bool noteOff(int deltaFrames, int channel, int key);
  // The list as the host hands it over; valid until the next change.
  vst2::VstEvents* events() { return reinterpret_cast<vst2::VstEvents*>(&block); }
  const vst2::VstMidiEvent& at(int index) const { return midi[index]; }

private:
  // Laid out as the variable-length vst2::VstEvents with kCapacity pointers.
  struct Block {
    vst2::Int32 numEvents;
    vst2::IntPtr reserved;
    vst2::VstEvent* events[kCapacity];
  };
  static_assert(offsetof(Block, reserved) == offsetof(vst2::VstEvents, reserved), "event list layout");
  static_assert(offsetof(Block, events) == offsetof(vst2::VstEvents, events), "event list layout");

  Block block{};
  vst2::VstMidiEvent midi[kCapacity];
};

}  // namespace vt::validate
