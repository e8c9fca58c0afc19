// No event is lost: a block's events act in offset order whatever order and
// offsets the host sends, and a full queue gives up controllers before notes.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "engine/parameter_ids.h"
#include "engine/synth_engine.h"
#include "tests/engine/voice_test_sounds.h"

namespace vt {
namespace {

class EventLog : public RenderObserver {
public:
  std::vector<std::pair<int, int>> events;  // (first data byte, position)
  void voiceSubBlock(float*, int, int) override {}
  void eventHandled(const std::uint8_t* bytes, int position) override { events.emplace_back(bytes[1], position); }
};

struct Intake : ::testing::Test {
  std::unique_ptr<SynthEngine> engine = std::make_unique<SynthEngine>();
  EventLog log;
  std::vector<float> left = std::vector<float>(512), right = std::vector<float>(512);

  Intake() {
    engine->setSampleRate(44100.0f);
    engine->setRenderObserver(&log);
  }
  void send(std::uint8_t status, std::uint8_t d1, std::uint8_t d2, int offset) {
    const std::uint8_t bytes[3] = {status, d1, d2};
    engine->queueMessage(bytes, 3, offset);
  }
  void render(int frames) { engine->render(left.data(), right.data(), frames); }
  // Voices still held for 'key' (any key when -1).
  int heldVoices(int key = -1) {
    int held = 0;
    for (int i = 0; i < SynthEngine::kVoices; ++i)
      if (engine->isActive(i) && engine->voice(i).held && (key < 0 || engine->voice(i).note == key)) ++held;
    return held;
  }
  std::vector<std::uint8_t> lastQueued(const EventQueue& q) const {
    return {q.bytes[q.count - 1][0], q.bytes[q.count - 1][1], q.bytes[q.count - 1][2]};
  }
};

TEST_F(Intake, UnsortedAndOutOfRangeOffsetsAreHandledInOrderAndNoneIsLost) {
  send(0x90, 60, 100, 9999);  // far beyond the block, sent first
  send(0x90, 61, 100, 300);
  send(0x90, 62, 100, -7);  // before the block
  send(0x90, 63, 100, 300);
  send(0x90, 64, 100, 100);
  render(512);
  const std::vector<std::pair<int, int>> expected = {{62, 0}, {64, 100}, {61, 300}, {63, 300}, {60, 512}};
  EXPECT_EQ(log.events, expected);

  // The case that used to hang a note: the note-off of a sounding note comes
  // first with an offset past the block, ahead of a later note.
  test::buildSlot(engine->slot(0), 261.6f, {{1, 0.5f}}, 10.0f);
  send(0x90, 48, 100, 0);
  render(256);
  ASSERT_GT(heldVoices(48), 0);
  send(0x80, 48, 0, 4096);
  send(0x90, 50, 100, 10);
  render(256);
  EXPECT_EQ(heldVoices(48), 0);
  EXPECT_GT(heldVoices(50), 0);
}

TEST_F(Intake, AFullQueueDropsControllersBeforeNotesAndNeverANoteOff) {
  // A flood of controller 7 values fills the voice queue; each later value
  // replaces the latest queued one, so the newest value is the one kept.
  for (int i = 0; i < EventQueue::kCapacity + 50; ++i) send(0xB0, 7, static_cast<std::uint8_t>(i & 0x7F), 0);
  const EventQueue& voices = engine->voiceEvents();
  ASSERT_EQ(voices.count, EventQueue::kCapacity);
  EXPECT_EQ(lastQueued(voices), (std::vector<std::uint8_t>{0xB0, 7, (EventQueue::kCapacity + 49) & 0x7F}));
  // A note-on and a note-off (also as velocity 0) each take a controller's place.
  send(0x90, 60, 100, 1);
  send(0x80, 60, 0, 2);
  send(0x90, 61, 0, 2);
  EXPECT_EQ(voices.count, EventQueue::kCapacity);
  EXPECT_EQ(lastQueued(voices), (std::vector<std::uint8_t>{0x90, 61, 0}));

  // A queue of note-ons: a further controller is dropped, a note-off displaces a note-on.
  engine->clearQueues();
  for (int i = 0; i < EventQueue::kCapacity; ++i) send(0x90, 40, 90, 0);
  send(0xE0, 0, 64, 0);
  EXPECT_EQ(lastQueued(voices), (std::vector<std::uint8_t>{0x90, 40, 90}));
  send(0x80, 40, 0, 5);
  EXPECT_EQ(voices.count, EventQueue::kCapacity);
  EXPECT_EQ(lastQueued(voices), (std::vector<std::uint8_t>{0x80, 40, 0}));

  // A full effect queue (a controller learned for an effect parameter) does
  // not keep notes out of the voice queue.
  engine->clearQueues();
  engine->setLearnTarget(FilterCutoff);
  engine->setLearnArmed(true);
  for (int i = 0; i < EventQueue::kCapacity + 5; ++i) send(0xB0, 74, static_cast<std::uint8_t>(i & 0x7F), 0);
  EXPECT_EQ(engine->effectEvents().count, EventQueue::kCapacity);
  send(0x80, 40, 0, 0);
  EXPECT_EQ(voices.count, 1);

  // End to end: held notes are released even when their note-offs arrive
  // behind a full block of controller data.
  engine->clearQueues();
  test::buildSlot(engine->slot(0), 261.6f, {{1, 0.5f}}, 10.0f);
  for (int key = 50; key < 54; ++key) send(0x90, static_cast<std::uint8_t>(key), 100, 0);
  render(256);
  for (int key = 50; key < 54; ++key) ASSERT_GT(heldVoices(key), 0);
  for (int i = 0; i < 3000; ++i) send(0xB0, 1, static_cast<std::uint8_t>(i & 0x7F), i % 256);
  for (int key = 50; key < 54; ++key) send(0x80, static_cast<std::uint8_t>(key), 0, 100);
  render(256);
  EXPECT_EQ(heldVoices(), 0);
}

}  // namespace
}  // namespace vt
