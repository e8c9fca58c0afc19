#include "tools/render/tempo_map.h"

#include <algorithm>

namespace vt::render {

TempoMap::TempoMap(const MidiSequence& sequence, double tempoOverride) {
  if (sequence.ticksPerQuarter <= 0) {
    smpteSecondsPerTick = sequence.smpteTicksPerSecond > 0.0 ? 1.0 / sequence.smpteTicksPerSecond : 0.0;
    if (tempoOverride > 0.0) smpteTempo = tempoOverride;
    return;
  }
  ticksPerQuarter = sequence.ticksPerQuarter;
  const double quarter = static_cast<double>(ticksPerQuarter);
  if (tempoOverride > 0.0) {
    segments.push_back(Segment{0, 0.0, 60.0 / tempoOverride / quarter});
    return;
  }
  segments.push_back(Segment{0, 0.0, MidiSequence::kDefaultMicrosecondsPerQuarter * 1.0e-6 / quarter});
  for (const TempoChange& change : sequence.tempoChanges) {
    const double secondsPerTick = change.microsecondsPerQuarter * 1.0e-6 / quarter;
    Segment& last = segments.back();
    if (change.tick == last.tick) {
      // Several changes at one tick: the last one wins.
      last.secondsPerTick = secondsPerTick;
      continue;
    }
    const double seconds = last.seconds + static_cast<double>(change.tick - last.tick) * last.secondsPerTick;
    segments.push_back(Segment{change.tick, seconds, secondsPerTick});
  }
}

double TempoMap::secondsAtTick(std::uint64_t tick) const {
  if (segments.empty()) return static_cast<double>(tick) * smpteSecondsPerTick;
  auto after = std::upper_bound(segments.begin(), segments.end(), tick,
                                [](std::uint64_t t, const Segment& s) { return t < s.tick; });
  const Segment& segment = *(after - 1);  // the first segment starts at tick 0
  return segment.seconds + static_cast<double>(tick - segment.tick) * segment.secondsPerTick;
}

double TempoMap::tempoAt(double seconds) const {
  if (segments.empty()) return smpteTempo;
  auto after = std::upper_bound(segments.begin(), segments.end(), seconds,
                                [](double s, const Segment& segment) { return s < segment.seconds; });
  const Segment& segment = after == segments.begin() ? segments.front() : *(after - 1);
  return 60.0 / (segment.secondsPerTick * ticksPerQuarter);
}

double TempoMap::quarterNotesAt(double seconds) const {
  if (segments.empty()) return seconds * smpteTempo / 60.0;
  auto after = std::upper_bound(segments.begin(), segments.end(), seconds,
                                [](double s, const Segment& segment) { return s < segment.seconds; });
  const Segment& segment = after == segments.begin() ? segments.front() : *(after - 1);
  const double ticks = static_cast<double>(segment.tick) + (seconds - segment.seconds) / segment.secondsPerTick;
  return ticks / ticksPerQuarter;
}

}  // namespace vt::render
