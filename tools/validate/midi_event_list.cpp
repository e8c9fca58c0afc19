#include "tools/validate/midi_event_list.h"

namespace vt::validate {

MidiEventList::MidiEventList() {
  for (int i = 0; i < kCapacity; ++i) {
    midi[i] = vst2::VstMidiEvent{};
    block.events[i] = reinterpret_cast<vst2::VstEvent*>(&midi[i]);
  }
}

bool MidiEventList::add(int deltaFrames, std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
  if (full()) return false;
  vst2::VstMidiEvent& event = midi[block.numEvents++];
  event = vst2::VstMidiEvent{};
  event.type = vst2::kVstMidiType;
  event.byteSize = sizeof(vst2::VstMidiEvent);
  event.deltaFrames = deltaFrames;
  event.midiData[0] = static_cast<char>(status);
  event.midiData[1] = static_cast<char>(data1);
  event.midiData[2] = static_cast<char>(data2);
  return true;
}

bool MidiEventList::noteOn(int deltaFrames, int channel, int key, int velocity) {
  return add(deltaFrames, static_cast<std::uint8_t>(0x90 | (channel & 15)), static_cast<std::uint8_t>(key & 127),
             static_cast<std::uint8_t>(velocity & 127));
}

bool MidiEventList::noteOff(int deltaFrames, int channel, int key) {
  return add(deltaFrames, static_cast<std::uint8_t>(0x80 | (channel & 15)), static_cast<std::uint8_t>(key & 127), 64);
}

}  // namespace vt::validate
