// A scripted VST 2 host for tests: answers the version query, hands out a
// settable transport, and records what the plug-in asked of it.
#pragma once

#include <vector>

#include "vst2/aeffect.h"

namespace vt::test {

struct FakeHost {
  vst2::IntPtr version = 2400;
  bool hasTime = true;
  vst2::VstTimeInfo time{};
  int timeRequests = 0;
  int wantMidiRequests = 0;
  int updateDisplayRequests = 0;
  std::vector<std::pair<int, float>> automated;

  FakeHost();
  // The callback to hand to the entry point; it reaches the most recently
  // constructed (and still living) FakeHost.
  static vst2::HostCallback callback();
};

// Builds a host event list of MIDI messages, each {deltaFrames, b0, b1, b2}.
class MidiEventList {
public:
  void add(int deltaFrames, unsigned char status, unsigned char data1, unsigned char data2);
  vst2::VstEvents* events();

private:
  std::vector<vst2::VstMidiEvent> midi;
  std::vector<unsigned char> storage;
};

}  // namespace vt::test
