#include "tools/render/event_scheduler.h"

#include <cstring>

namespace vt::render {

EventScheduler::EventScheduler(const EventSchedule& schedule) : schedule(schedule) {}

vst2::VstEvents* EventScheduler::eventsForBlock(std::int64_t blockStart, int frames) {
  const std::vector<ScheduledEvent>& events = schedule.events;
  while (next < events.size() && events[next].frame < blockStart) ++next;
  const std::int64_t blockEnd = blockStart + (frames > 0 ? frames : 0);

  midi.clear();
  for (; next < events.size() && events[next].frame < blockEnd; ++next) {
    const ScheduledEvent& source = events[next];
    vst2::VstMidiEvent event;
    std::memset(&event, 0, sizeof(event));
    event.type = vst2::kVstMidiType;
    event.byteSize = sizeof(event);
    event.deltaFrames = static_cast<vst2::Int32>(source.frame - blockStart);
    for (int i = 0; i < 3; ++i) event.midiData[i] = static_cast<char>(source.bytes[i]);
    midi.push_back(event);
  }

  // The list's declared two pointers are part of its header; room for more follows it.
  const std::size_t count = midi.size();
  const std::size_t bytes = sizeof(vst2::VstEvents) + sizeof(vst2::VstEvent*) * (count > 2 ? count - 2 : 0);
  listStorage.assign((bytes + sizeof(std::uintptr_t) - 1) / sizeof(std::uintptr_t), 0);
  auto* list = reinterpret_cast<vst2::VstEvents*>(listStorage.data());
  list->numEvents = static_cast<vst2::Int32>(count);
  list->reserved = 0;
  vst2::VstEvent** pointers = list->events;
  for (std::size_t i = 0; i < count; ++i) pointers[i] = reinterpret_cast<vst2::VstEvent*>(&midi[i]);
  return list;
}

}  // namespace vt::render
