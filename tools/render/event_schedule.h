// A sequence's messages placed on the sample clock: each at the frame where it
// falls at a given sample rate. The scheduler hands them to the plug-in block
// by block.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/render/midi_sequence.h"
#include "tools/render/tempo_map.h"

namespace vt::render {

// Longest sequence the host agrees to render; later messages are an error
// (a bogus delta time in a file must not start an endless render).
constexpr double kMaxSequenceSeconds = 4.0 * 3600.0;

struct ScheduledEvent {
  std::int64_t frame = 0;
  std::uint8_t bytes[3] = {0, 0, 0};
  std::uint8_t size = 0;
};

struct EventSchedule {
  std::vector<ScheduledEvent> events;  // in frame order, ties in sequence order
  std::int64_t endFrame = 0;           // frame of the sequence's end (at least one past the last message)
};

// The frame of time 'seconds' at 'sampleRate', rounded to the nearest frame.
std::int64_t frameAtSeconds(double seconds, double sampleRate);

// Places every message of 'sequence' on the sample clock. Fails when the
// sequence lasts longer than kMaxSequenceSeconds.
bool buildEventSchedule(const MidiSequence& sequence, const TempoMap& tempo, double sampleRate, EventSchedule& schedule,
                        std::string& error);

}  // namespace vt::render
