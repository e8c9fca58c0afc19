#include "tools/render/event_schedule.h"

#include <algorithm>
#include <cmath>

namespace vt::render {

std::int64_t frameAtSeconds(double seconds, double sampleRate) {
  return static_cast<std::int64_t>(std::floor(seconds * sampleRate + 0.5));
}

bool buildEventSchedule(const MidiSequence& sequence, const TempoMap& tempo, double sampleRate, EventSchedule& schedule,
                        std::string& error) {
  schedule = EventSchedule();
  const double endSeconds = tempo.secondsAtTick(sequence.endTick);
  const double lastSeconds = sequence.events.empty() ? 0.0 : tempo.secondsAtTick(sequence.events.back().tick);
  if (!(std::max(endSeconds, lastSeconds) <= kMaxSequenceSeconds)) {
    error = "the sequence lasts longer than " + std::to_string(static_cast<int>(kMaxSequenceSeconds)) + " seconds";
    return false;
  }
  schedule.events.reserve(sequence.events.size());
  for (const MidiEvent& event : sequence.events) {
    ScheduledEvent scheduled;
    scheduled.frame = frameAtSeconds(tempo.secondsAtTick(event.tick), sampleRate);
    std::copy(event.bytes, event.bytes + 3, scheduled.bytes);
    scheduled.size = event.size;
    schedule.events.push_back(scheduled);
  }
  // Ticks are in order and time grows with ticks, so frames are in order too.
  const std::int64_t lastFrame = schedule.events.empty() ? -1 : schedule.events.back().frame;
  schedule.endFrame = std::max(frameAtSeconds(endSeconds, sampleRate), lastFrame + 1);
  return true;
}

}  // namespace vt::render
