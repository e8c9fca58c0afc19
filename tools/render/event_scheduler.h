// Hands a schedule's messages to the plug-in block by block: a message at
// frame s goes into the block that contains s, with deltaFrames = s - block start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/render/event_schedule.h"
#include "vst2/aeffect.h"

namespace vt::render {

class EventScheduler {
public:
  // The schedule must outlive the scheduler.
  explicit EventScheduler(const EventSchedule& schedule);

  // The host event list for the block [blockStart, blockStart + frames).
  // Blocks are asked for in order; a message that falls before blockStart
  // (a block was skipped) is dropped. The list stays valid until the next call.
  vst2::VstEvents* eventsForBlock(std::int64_t blockStart, int frames);

  // Starts again from the first message.
  void rewind() { next = 0; }

private:
  const EventSchedule& schedule;
  std::size_t next = 0;
  std::vector<vst2::VstMidiEvent> midi;
  // Backing store of the variable-length event list (header plus pointers),
  // kept in pointer-sized words for alignment.
  std::vector<std::uintptr_t> listStorage;
};

}  // namespace vt::render
