// Turns a sequence's ticks into seconds and seconds into the host transport's
// tempo and song position (quarter notes), following the tempo changes.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/render/midi_sequence.h"

namespace vt::render {

class TempoMap {
public:
  static constexpr double kDefaultTempo = 120.0;  // beats per minute before the first tempo change

  // The sequence's own tempo changes. With tempoOverride above 0 the whole
  // sequence plays at that constant tempo instead. Files in SMPTE time keep
  // their timing; the transport then reports the override or 120.
  explicit TempoMap(const MidiSequence& sequence, double tempoOverride = 0.0);

  double secondsAtTick(std::uint64_t tick) const;
  // Beats per minute in force at time 'seconds'.
  double tempoAt(double seconds) const;
  // Song position in quarter notes at time 'seconds'.
  double quarterNotesAt(double seconds) const;

private:
  struct Segment {
    std::uint64_t tick;
    double seconds;  // time of 'tick'
    double secondsPerTick;
  };

  // Metrical time: segments from one tempo change to the next.
  int ticksPerQuarter = 0;
  std::vector<Segment> segments;
  // SMPTE time: a fixed tick length, and a fixed transport tempo.
  double smpteSecondsPerTick = 0.0;
  double smpteTempo = kDefaultTempo;
};

}  // namespace vt::render
