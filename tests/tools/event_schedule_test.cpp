// From ticks to seconds to frames, and from frames to blocks: tempo maps with
// tempo changes, rounding to frames, and events handed to the plug-in in the
// block that contains them at the right offset.
#include "tools/render/event_schedule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tools/render/demo_phrase.h"
#include "tools/render/event_scheduler.h"
#include "tools/render/tempo_map.h"

namespace vt::render {
namespace {

MidiSequence metrical(int ticksPerQuarter, std::vector<TempoChange> changes) {
  MidiSequence sequence;
  sequence.ticksPerQuarter = ticksPerQuarter;
  sequence.tempoChanges = std::move(changes);
  return sequence;
}

TEST(TempoMap, DefaultsTo120BeatsPerMinute) {
  const TempoMap map(metrical(480, {}));
  EXPECT_DOUBLE_EQ(map.secondsAtTick(480), 0.5);
  EXPECT_DOUBLE_EQ(map.tempoAt(3.0), 120.0);
  EXPECT_DOUBLE_EQ(map.quarterNotesAt(3.0), 6.0);
}

TEST(TempoMap, FollowsTempoChangesMidSequence) {
  // 120 bpm for two quarters, then 60 bpm, then 240 bpm from tick 1440.
  const TempoMap map(metrical(480, {{960, 1000000}, {1440, 250000}}));
  EXPECT_DOUBLE_EQ(map.secondsAtTick(960), 1.0);
  EXPECT_DOUBLE_EQ(map.secondsAtTick(1200), 1.5);
  EXPECT_DOUBLE_EQ(map.secondsAtTick(1440), 2.0);
  EXPECT_DOUBLE_EQ(map.secondsAtTick(1920), 2.25);
  EXPECT_DOUBLE_EQ(map.tempoAt(0.99), 120.0);
  EXPECT_DOUBLE_EQ(map.tempoAt(1.0), 60.0);
  EXPECT_DOUBLE_EQ(map.tempoAt(2.1), 240.0);
  EXPECT_DOUBLE_EQ(map.quarterNotesAt(1.5), 2.5);
  EXPECT_DOUBLE_EQ(map.quarterNotesAt(2.25), 4.0);
}

TEST(TempoMap, LastOfSeveralChangesAtOneTickWinsAndOverrideReplacesAll) {
  const MidiSequence sequence = metrical(100, {{0, 1000000}, {0, 2000000}, {100, 500000}});
  const TempoMap map(sequence);
  EXPECT_DOUBLE_EQ(map.secondsAtTick(100), 2.0);
  EXPECT_DOUBLE_EQ(map.secondsAtTick(200), 2.5);

  const TempoMap fixed(sequence, 90.0);
  EXPECT_DOUBLE_EQ(fixed.secondsAtTick(300), 2.0);
  EXPECT_DOUBLE_EQ(fixed.tempoAt(1.0), 90.0);
  EXPECT_DOUBLE_EQ(fixed.quarterNotesAt(2.0), 3.0);
}

TEST(TempoMap, SmpteTimeIgnoresTempoButReportsATransportTempo) {
  MidiSequence sequence = metrical(0, {{0, 1000000}});
  sequence.smpteTicksPerSecond = 1000.0;
  const TempoMap map(sequence);
  EXPECT_DOUBLE_EQ(map.secondsAtTick(500), 0.5);
  EXPECT_DOUBLE_EQ(map.tempoAt(1.0), 120.0);
  EXPECT_DOUBLE_EQ(map.quarterNotesAt(1.0), 2.0);
  const TempoMap fixed(sequence, 60.0);
  EXPECT_DOUBLE_EQ(fixed.quarterNotesAt(1.0), 1.0);
}

MidiEvent note(std::uint64_t tick, std::uint8_t key) {
  MidiEvent e;
  e.tick = tick;
  e.bytes[0] = 0x90;
  e.bytes[1] = key;
  e.bytes[2] = 100;
  e.size = 3;
  return e;
}

TEST(EventSchedule, PlacesMessagesOnTheNearestFrameAcrossATempoChange) {
  MidiSequence sequence = metrical(480, {{480, 1000000}});
  sequence.events = {note(0, 60), note(240, 61), note(480, 62), note(720, 63), note(721, 64)};
  sequence.endTick = 960;
  EventSchedule schedule;
  std::string error;
  ASSERT_TRUE(buildEventSchedule(sequence, TempoMap(sequence), 44100.0, schedule, error)) << error;
  ASSERT_EQ(schedule.events.size(), 5u);
  EXPECT_EQ(schedule.events[0].frame, 0);
  EXPECT_EQ(schedule.events[1].frame, 11025);  // 0.25 s
  EXPECT_EQ(schedule.events[2].frame, 22050);  // 0.5 s, where 60 bpm begins
  EXPECT_EQ(schedule.events[3].frame, 44100);  // 0.5 s + half a quarter at 1 s per quarter
  // One tick at 60 bpm and 480 ticks per quarter is 91.875 frames: rounds to 92.
  EXPECT_EQ(schedule.events[4].frame, 44100 + 92);
  EXPECT_EQ(schedule.events[4].bytes[1], 64);
  EXPECT_EQ(schedule.endFrame, 66150);  // 1.5 s
}

TEST(EventSchedule, EndCoversTheLastMessageAndAbsurdLengthsAreRefused) {
  MidiSequence sequence = metrical(480, {});
  sequence.events = {note(960, 60)};
  sequence.endTick = 0;  // a track that ends before its own last message
  EventSchedule schedule;
  std::string error;
  ASSERT_TRUE(buildEventSchedule(sequence, TempoMap(sequence), 1000.0, schedule, error));
  EXPECT_EQ(schedule.endFrame, 1001);

  sequence.events = {note(0x0FFFFFFFull * 64, 60)};  // days of silence from bogus delta times
  EXPECT_FALSE(buildEventSchedule(sequence, TempoMap(sequence), 44100.0, schedule, error));
  EXPECT_NE(error.find("longer than"), std::string::npos);
  EXPECT_TRUE(schedule.events.empty());
}

EventSchedule framesSchedule(std::initializer_list<std::int64_t> frames) {
  EventSchedule schedule;
  std::uint8_t key = 0;
  for (std::int64_t frame : frames) {
    ScheduledEvent e;
    e.frame = frame;
    e.bytes[0] = 0x90;
    e.bytes[1] = key++;
    e.bytes[2] = 1;
    e.size = 3;
    schedule.events.push_back(e);
  }
  return schedule;
}

const vst2::VstMidiEvent& midiAt(vst2::VstEvents* list, int i) {
  // The list is longer than its declared two entries: index through a plain pointer.
  vst2::VstEvent* const* events = list->events;
  return *reinterpret_cast<vst2::VstMidiEvent*>(events[i]);
}

TEST(EventScheduler, PutsEachEventInTheBlockContainingItAtItsOffset) {
  const EventSchedule schedule = framesSchedule({0, 99, 100, 511, 512, 1000, 1000, 1536});
  EventScheduler scheduler(schedule);

  vst2::VstEvents* first = scheduler.eventsForBlock(0, 512);
  ASSERT_EQ(first->numEvents, 4);
  const int offsets[] = {0, 99, 100, 511};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(midiAt(first, i).deltaFrames, offsets[i]);
    EXPECT_EQ(midiAt(first, i).type, vst2::kVstMidiType);
    EXPECT_EQ(midiAt(first, i).byteSize, static_cast<int>(sizeof(vst2::VstMidiEvent)));
    EXPECT_EQ(static_cast<std::uint8_t>(midiAt(first, i).midiData[1]), i);
  }

  vst2::VstEvents* second = scheduler.eventsForBlock(512, 512);
  ASSERT_EQ(second->numEvents, 3);
  EXPECT_EQ(midiAt(second, 0).deltaFrames, 0);
  EXPECT_EQ(midiAt(second, 1).deltaFrames, 488);
  EXPECT_EQ(midiAt(second, 2).deltaFrames, 488);
  EXPECT_EQ(midiAt(second, 1).midiData[1], 5);  // equal frames keep their order
  EXPECT_EQ(midiAt(second, 2).midiData[1], 6);

  // A short final block; the event at its end belongs to the next block.
  EXPECT_EQ(scheduler.eventsForBlock(1024, 512)->numEvents, 0);
  vst2::VstEvents* last = scheduler.eventsForBlock(1536, 10);
  ASSERT_EQ(last->numEvents, 1);
  EXPECT_EQ(midiAt(last, 0).deltaFrames, 0);
  EXPECT_EQ(scheduler.eventsForBlock(1546, 10)->numEvents, 0);

  // Skipped blocks drop their events rather than deliver them late.
  scheduler.rewind();
  vst2::VstEvents* late = scheduler.eventsForBlock(600, 1000);
  ASSERT_EQ(late->numEvents, 3);
  EXPECT_EQ(midiAt(late, 0).deltaFrames, 400);
}

TEST(EventScheduler, DeliversEveryEventOnceForAnyBlockSize) {
  MidiSequence demo = demoPhrase();
  EventSchedule schedule;
  std::string error;
  ASSERT_TRUE(buildEventSchedule(demo, TempoMap(demo, 133.0), 48000.0, schedule, error));
  ASSERT_GT(schedule.events.size(), 100u);
  std::mt19937 random(11);
  for (int blockSize : {1, 7, 64, 256, 300, 4096, 100000}) {
    EventScheduler scheduler(schedule);
    std::size_t delivered = 0;
    for (std::int64_t start = 0; start < schedule.endFrame; start += blockSize) {
      const int frames = static_cast<int>(std::min<std::int64_t>(blockSize, schedule.endFrame - start));
      vst2::VstEvents* list = scheduler.eventsForBlock(start, frames);
      for (int i = 0; i < list->numEvents; ++i) {
        const vst2::VstMidiEvent& e = midiAt(list, i);
        ASSERT_LT(delivered, schedule.events.size());
        const ScheduledEvent& expected = schedule.events[delivered++];
        ASSERT_GE(e.deltaFrames, 0);
        ASSERT_LT(e.deltaFrames, frames);
        ASSERT_EQ(start + e.deltaFrames, expected.frame);
        ASSERT_EQ(static_cast<std::uint8_t>(e.midiData[0]), expected.bytes[0]);
      }
    }
    EXPECT_EQ(delivered, schedule.events.size()) << "block " << blockSize;
  }
}

TEST(DemoPhrase, IsAPlayablePhraseWithChordsControllersAndBends) {
  const MidiSequence demo = demoPhrase();
  int noteOns = 0, noteOffs = 0, controllers = 0, bends = 0, maxSimultaneous = 0, sounding = 0;
  for (const MidiEvent& e : demo.events) {
    const int kind = e.bytes[0] & 0xF0;
    if (kind == 0x90 && e.bytes[2] > 0) {
      ++noteOns;
      maxSimultaneous = std::max(maxSimultaneous, ++sounding);
    } else if (kind == 0x80) {
      ++noteOffs;
      --sounding;
    } else if (kind == 0xB0) {
      ++controllers;
    } else if (kind == 0xE0) {
      ++bends;
    }
    EXPECT_EQ(e.size, 3);
  }
  EXPECT_EQ(noteOns, noteOffs);  // nothing left hanging
  EXPECT_EQ(sounding, 0);
  EXPECT_GE(maxSimultaneous, 5);  // chords under a melody
  EXPECT_GT(controllers, 10);
  EXPECT_GT(bends, 10);
  const MidiEvent& lastBend = *std::find_if(demo.events.rbegin(), demo.events.rend(),
                                            [](const MidiEvent& e) { return (e.bytes[0] & 0xF0) == 0xE0; });
  EXPECT_EQ(lastBend.bytes[1] + 128 * lastBend.bytes[2], 8192);  // bend ends centred
  EXPECT_TRUE(std::is_sorted(demo.events.begin(), demo.events.end(),
                             [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; }));
}

}  // namespace
}  // namespace vt::render
