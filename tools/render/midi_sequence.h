// A sequence of timed MIDI channel messages in ticks, with the tempo changes
// that turn ticks into time: what a Standard MIDI File holds, and what the
// built-in demo phrase is written as.
#pragma once

#include <cstdint>
#include <vector>

namespace vt::render {

struct MidiEvent {
  std::uint64_t tick = 0;
  std::uint8_t bytes[3] = {0, 0, 0};  // status and up to two data bytes, zero padded
  std::uint8_t size = 0;              // 2 or 3
};

struct TempoChange {
  std::uint64_t tick = 0;
  std::uint32_t microsecondsPerQuarter = 500000;  // 120 beats per minute
};

struct MidiSequence {
  static constexpr std::uint32_t kDefaultMicrosecondsPerQuarter = 500000;

  int format = 0;
  int trackCount = 0;
  // Metrical time: ticks per quarter note. Zero when the file counts in
  // SMPTE frames instead, and then smpteTicksPerSecond is positive.
  int ticksPerQuarter = 480;
  double smpteTicksPerSecond = 0.0;

  // Every track's channel messages merged in tick order; messages at the same
  // tick keep their track order and, within a track, their file order.
  std::vector<MidiEvent> events;
  // Tempo changes of every track in tick order. Before the first, the tempo is
  // 120 beats per minute.
  std::vector<TempoChange> tempoChanges;
  // The latest end of any track (its end-of-track event or last event).
  std::uint64_t endTick = 0;
};

}  // namespace vt::render
