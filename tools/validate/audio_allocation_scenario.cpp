// Allocations on the audio thread: every heap allocation made inside
// processEvents and processReplacing is counted, while the host does what
// real sessions do around those calls: notes and chords beyond the voice
// count, pitch bend, controllers, the sustain pedal, all-notes-off, parameter
// automation, tempo changes and a chunk restore between blocks. Any
// allocation fails the scenario.
#include <cstdio>
#include <new>

#include "tools/validate/allocation_hook.h"
#include "tools/validate/scenario_support.h"

namespace vt::validate {

namespace {

constexpr double kPlaySeconds = 0.8;
constexpr int kMaxHeld = 32;

}  // namespace

bool audioAllocationAvailable(std::string& whyNot) {
  const char* reason = nullptr;
  if (allocationHooksAvailable(&reason)) return true;
  whyNot = reason ? reason : "no allocation hooks";
  return false;
}

bool audioAllocationRound(RoundContext& context) {
  ValidatorRandom& random = context.random;
  // The hooks must see an allocation made through the C++ runtime, as the
  // module's are; else counting nothing would prove nothing.
  {
    resetAllocationCount();
    armAllocationCount();
    void* volatile probe = ::operator new(16);
    disarmAllocationCount();
    ::operator delete(probe);
    if (allocationsCounted() != 1) {
      context.failure = "the allocation hooks do not see operator new: counting is not possible in this build";
      return false;
    }
  }
  static const double kRates[] = {22050.0, 44100.0, 48000.0, 96000.0, 192000.0};
  const double rate = kRates[random.below(5)];
  const int block = random.between(16, 1024);
  InstanceUnderTest instance;
  if (!openInstance(context, instance, rate, block)) return false;
  const int count = instance.parameterCount();
  const std::vector<std::uint8_t> ownChunk = instance.chunk();
  instance.resume();
  resetAllocationCount();
  instance.setCountingAllocations(true);

  MidiEventList list;
  int held[kMaxHeld];
  int heldCount = 0;
  const std::int64_t total = framesIn(kPlaySeconds, rate);
  const std::int64_t restoreAt = total / 2;
  bool restored = false;
  std::int64_t done = 0;
  int blockIndex = 0;
  std::string lastAction = "the first block";
  SignalStats stats;
  while (done < total) {
    const int frames = static_cast<int>(std::min<std::int64_t>(total - done, random.between(1, block)));
    list.clear();
    const int action = random.below(10);
    std::string what;
    if (action <= 2) {
      const int notes = random.between(1, 12);
      for (int n = 0; n < notes && heldCount < kMaxHeld; ++n) {
        const int key = random.between(30, 100);
        list.noteOn(random.below(frames), 0, key, random.between(1, 127));
        held[heldCount++] = key;
      }
      what = "note-ons";
    } else if (action == 3 && heldCount > 0) {
      const int releases = random.between(1, heldCount);
      for (int n = 0; n < releases; ++n) list.noteOff(random.below(frames), 0, held[--heldCount]);
      what = "note-offs";
    } else if (action == 4) {
      list.add(random.below(frames), 0xE0, static_cast<std::uint8_t>(random.below(128)),
               static_cast<std::uint8_t>(random.below(128)));
      list.add(random.below(frames), 0xB0, 1, static_cast<std::uint8_t>(random.below(128)));
      list.add(random.below(frames), 0xB0, 64, random.chance(0.5) ? 127 : 0);
      what = "pitch bend and controllers";
    } else if (action == 5 && random.chance(0.2)) {
      addAllNotesOff(list);
      heldCount = 0;
      what = "all notes off";
    } else if (action == 6 && count > 0) {
      // Automation arrives on the audio thread between blocks; its effect is
      // applied in the next processing call, which is counted.
      const int writes = random.between(1, 24);
      for (int w = 0; w < writes; ++w) instance.setParameter(random.below(count), static_cast<float>(random.uniform()));
      what = "parameter writes";
    } else if (action == 7) {
      instance.setTempo(random.uniform(40.0, 240.0));
      instance.setPlaying(random.chance(0.7));
      what = "a tempo change";
    }
    if (!restored && done >= restoreAt && !ownChunk.empty()) {
      instance.restoreChunk(ownChunk);
      restored = true;
      what += what.empty() ? "a chunk restore" : " and a chunk restore";
    }
    if (!what.empty()) lastAction = what;
    const std::uint64_t before = allocationsCounted();
    instance.render(frames, list.events(), &stats);
    if (allocationsCounted() > before && before == 0) {
      char text[200];
      std::snprintf(text, sizeof(text), "the first (%zu bytes) in processing call %d of %d frames, after %s",
                    firstCountedAllocationSize(), blockIndex + 1, frames, lastAction.c_str());
      context.failure = text;
    }
    done += frames;
    ++blockIndex;
  }
  instance.setCountingAllocations(false);
  const std::uint64_t counted = allocationsCounted();
  if (counted > 0) {
    context.failure = std::to_string(counted) + " heap allocations on the audio thread (" +
                      std::to_string(static_cast<int>(rate)) + " Hz, blocks up to " + std::to_string(block) + "); " +
                      context.failure;
    return false;
  }
  const std::string bad = badOutput(stats, rate);
  if (!bad.empty()) {
    context.failure = bad;
    return false;
  }
  context.note = "no allocation in " + std::to_string(blockIndex) + " processing calls of the last round";
  return true;
}

}  // namespace vt::validate
