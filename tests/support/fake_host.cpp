#include "tests/support/fake_host.h"

#include <cstring>

namespace vt::test {

namespace {

FakeHost* current = nullptr;

vst2::IntPtr VST_CALLBACK hostCallback(vst2::AEffect*, vst2::Int32 opcode, vst2::Int32 index, vst2::IntPtr value, void*,
                                       float opt) {
  if (!current) return 0;
  switch (opcode) {
    case vst2::audioMasterVersion:
      return current->version;
    case vst2::audioMasterGetTime:
      ++current->timeRequests;
      (void)value;
      return current->hasTime ? reinterpret_cast<vst2::IntPtr>(&current->time) : 0;
    case vst2::audioMasterWantMidi:
      ++current->wantMidiRequests;
      return 1;
    case vst2::audioMasterUpdateDisplay:
      ++current->updateDisplayRequests;
      return 1;
    case vst2::audioMasterAutomate:
      current->automated.emplace_back(index, opt);
      return 0;
    default:
      return 0;
  }
}

}  // namespace

FakeHost::FakeHost() {
  time.tempo = 120.0;
  time.sampleRate = 44100.0;
  time.flags = vst2::kVstTempoValid | vst2::kVstPpqPosValid;
  current = this;
}

vst2::HostCallback FakeHost::callback() { return hostCallback; }

void MidiEventList::add(int deltaFrames, unsigned char status, unsigned char data1, unsigned char data2) {
  vst2::VstMidiEvent e;
  std::memset(&e, 0, sizeof(e));
  e.type = vst2::kVstMidiType;
  e.byteSize = sizeof(e);
  e.deltaFrames = deltaFrames;
  e.midiData[0] = static_cast<char>(status);
  e.midiData[1] = static_cast<char>(data1);
  e.midiData[2] = static_cast<char>(data2);
  midi.push_back(e);
}

vst2::VstEvents* MidiEventList::events() {
  const size_t count = midi.size();
  storage.assign(sizeof(vst2::VstEvents) + sizeof(vst2::VstEvent*) * (count > 2 ? count - 2 : 0), 0);
  auto* list = reinterpret_cast<vst2::VstEvents*>(storage.data());
  list->numEvents = static_cast<vst2::Int32>(count);
  for (size_t i = 0; i < count; ++i) list->events[i] = reinterpret_cast<vst2::VstEvent*>(&midi[i]);
  return list;
}

}  // namespace vt::test
