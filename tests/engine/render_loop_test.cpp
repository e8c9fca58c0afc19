// The engine's render loop: sub-block segmentation at event offsets, the
// silence bypass, the output stage and the promise never to allocate.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "engine/parameter_ids.h"
#include "engine/synth_engine.h"
#include "tests/engine/voice_test_sounds.h"
#include "tests/support/allocation_counter.h"

namespace vt {
namespace {

// Records the voice-stage sub-blocks and handled events; optionally adds a
// constant to the mono mix so that the loop has something audible to carry.
class Recorder : public RenderObserver {
public:
  std::vector<std::pair<int, int>> subBlocks;  // (offset, length)
  std::vector<std::pair<int, int>> events;     // (first data byte, position)
  float level = 0.0f;

  void voiceSubBlock(float* mono, int offset, int length) override {
    subBlocks.emplace_back(offset, length);
    for (int i = 0; i < length; ++i) mono[i] += level;
  }
  void eventHandled(const std::uint8_t* bytes, int position) override { events.emplace_back(bytes[1], position); }
};

const std::uint8_t* noteOn(std::uint8_t key) {
  static std::uint8_t bytes[3];
  bytes[0] = 0x90;
  bytes[1] = key;
  bytes[2] = 100;
  return bytes;
}

struct EngineFixture : ::testing::Test {
  SynthEngine engine;
  Recorder recorder;
  std::vector<float> left = std::vector<float>(4096, 7.0f);
  std::vector<float> right = std::vector<float>(4096, 7.0f);

  EngineFixture() { engine.setRenderObserver(&recorder); }
  void render(int frames) { engine.render(left.data(), right.data(), frames); }
};

using RenderLoop = EngineFixture;

TEST_F(RenderLoop, SplitsABlockIntoSubBlocksOfAtMost256) {
  render(1000);
  const std::vector<std::pair<int, int>> expected = {{0, 256}, {256, 256}, {512, 256}, {768, 232}};
  EXPECT_EQ(recorder.subBlocks, expected);
}

TEST_F(RenderLoop, EventsSplitSubBlocksAndActAtTheirOffset) {
  engine.queueMessage(noteOn(60), 3, 100);
  render(512);
  const std::vector<std::pair<int, int>> expected = {{0, 100}, {100, 256}, {356, 156}};
  EXPECT_EQ(recorder.subBlocks, expected);
  ASSERT_EQ(recorder.events.size(), 1u);
  EXPECT_EQ(recorder.events[0], std::make_pair(60, 100));
}

TEST_F(RenderLoop, EventsActInOffsetOrderAndInArrivalOrderAtOneOffset) {
  engine.queueMessage(noteOn(61), 3, 40);
  engine.queueMessage(noteOn(62), 3, 40);
  engine.queueMessage(noteOn(63), 3, 0);  // sent out of order: still acts at its own offset
  render(128);
  const std::vector<std::pair<int, int>> expectedEvents = {{63, 0}, {61, 40}, {62, 40}};
  EXPECT_EQ(recorder.events, expectedEvents);
  const std::vector<std::pair<int, int>> expectedBlocks = {{0, 40}, {40, 88}};
  EXPECT_EQ(recorder.subBlocks, expectedBlocks);
}

TEST_F(RenderLoop, EventsAtOrBeyondTheBlockLengthActAfterTheLastSubBlock) {
  engine.queueMessage(noteOn(70), 3, 64);
  engine.queueMessage(noteOn(71), 3, 64);
  engine.queueMessage(noteOn(72), 3, 65);
  render(64);
  const std::vector<std::pair<int, int>> expected = {{70, 64}, {71, 64}, {72, 64}};
  EXPECT_EQ(recorder.events, expected);
  EXPECT_EQ(engine.voiceEvents().count, 0);
  recorder.events.clear();
  render(64);
  EXPECT_TRUE(recorder.events.empty());
}

TEST_F(RenderLoop, IntakeKeepsOnlyNotesControllersAndBendUpToTheQueueLimit) {
  const std::uint8_t programChange[3] = {0xC0, 5, 0};
  const std::uint8_t pressure[3] = {0xD0, 40, 0};
  const std::uint8_t polyPressure[3] = {0xA0, 60, 40};
  const std::uint8_t clock[3] = {0xF8, 0, 0};
  const std::uint8_t bend[3] = {0xE3, 0, 64};
  const std::uint8_t off[3] = {0x85, 60, 0};
  engine.queueMessage(programChange, 3, 0);
  engine.queueMessage(pressure, 3, 0);
  engine.queueMessage(polyPressure, 3, 0);
  engine.queueMessage(clock, 3, 0);
  engine.queueMessage(nullptr, 3, 0);
  EXPECT_EQ(engine.voiceEvents().count, 0);
  engine.queueMessage(bend, 3, 0);
  engine.queueMessage(off, 3, 0);
  EXPECT_EQ(engine.voiceEvents().count, 2);
  for (int i = 0; i < 2000; ++i) engine.queueMessage(noteOn(1), 3, 0);
  EXPECT_EQ(engine.voiceEvents().count, EventQueue::kCapacity);
  render(16);
  EXPECT_EQ(engine.voiceEvents().count, 0);
}

TEST_F(RenderLoop, ClearsBothOutputsAndGivesExactSilenceWithoutVoices) {
  render(300);
  for (int i = 0; i < 300; ++i) {
    ASSERT_EQ(left[i], 0.0f);
    ASSERT_EQ(right[i], 0.0f);
  }
  EXPECT_EQ(left[300], 7.0f);  // nothing beyond the block is touched
}

TEST_F(RenderLoop, OutputStageUnityAtHalfVolumeAndFullWidth) {
  recorder.level = 0.25f;
  render(64);
  for (int i = 0; i < 64; ++i) {
    ASSERT_FLOAT_EQ(left[i], 0.25f);
    ASSERT_FLOAT_EQ(right[i], 0.25f);
  }
  engine.setParameter(Volume, 1.0f);
  render(64);
  EXPECT_FLOAT_EQ(left[10], 0.5f);
  EXPECT_FLOAT_EQ(right[10], 0.5f);
}

TEST(OutputStage, WidthZeroMakesBothChannelsTheMidSignal) {
  // Drive the stage directly through a stereo pair that differs per channel:
  // with width 0 both outputs are (l + r) / 2 times the volume gain.
  SynthEngine engine;
  struct Stereo : RenderObserver {
    void voiceSubBlock(float* mono, int, int length) override {
      for (int i = 0; i < length; ++i) mono[i] = 0.4f;
    }
    void eventHandled(const std::uint8_t*, int) override {}
  } source;
  engine.setRenderObserver(&source);
  engine.setParameter(StereoWidth, 0.0f);
  engine.setParameter(Volume, 0.75f);
  std::vector<float> l(32), r(32);
  engine.render(l.data(), r.data(), 32);
  for (int i = 0; i < 32; ++i) {
    EXPECT_FLOAT_EQ(l[i], 0.4f * 1.5f);
    EXPECT_FLOAT_EQ(r[i], l[i]);
  }
  // A width between 0 and 0.99 keeps equal channels equal and scales them by the volume.
  engine.setParameter(StereoWidth, 0.5f);
  engine.render(l.data(), r.data(), 32);
  EXPECT_FLOAT_EQ(l[5], 0.4f * 1.5f);
  EXPECT_FLOAT_EQ(r[5], 0.4f * 1.5f);
}

TEST_F(RenderLoop, SilenceBypassEngagesAfterTwoSecondsAndReleasesOnSound) {
  engine.setSampleRate(1000.0f);  // two seconds are 2000 samples
  EXPECT_FALSE(engine.effectsBypassed());
  for (int i = 0; i < 7; ++i) render(256);  // 1 + 1792 samples counted: not yet past 2000
  EXPECT_FALSE(engine.effectsBypassed());
  render(256);
  EXPECT_TRUE(engine.effectsBypassed());

  // While bypassed, R is cleared and the effect stage does not run.
  std::fill(right.begin(), right.end(), 3.0f);
  render(64);
  EXPECT_EQ(right[0], 0.0f);
  EXPECT_EQ(right[63], 0.0f);

  // Sound at the edge of a block disengages the bypass for that block already.
  recorder.level = 0.5f;
  render(64);
  EXPECT_FALSE(engine.effectsBypassed());
  EXPECT_FLOAT_EQ(right[10], 0.5f);

  // Blocks that end audible do not count towards a new bypass.
  for (int i = 0; i < 20; ++i) render(256);
  EXPECT_FALSE(engine.effectsBypassed());
}

TEST_F(RenderLoop, ZeroOrNegativeFrameCountsAndMissingBuffersAreHarmless) {
  engine.queueMessage(noteOn(60), 3, 0);
  render(0);
  EXPECT_EQ(engine.voiceEvents().count, 0);
  engine.render(nullptr, right.data(), 64);
  engine.render(left.data(), right.data(), -5);
  EXPECT_TRUE(recorder.subBlocks.empty());
}

TEST(RenderAllocation, RenderingNeverAllocates) {
  SynthEngine engine;
  engine.setSampleRate(48000.0f);
  std::vector<float> l(2048), r(2048);
  {
    // The counter itself must see allocations, or the check below proves nothing.
    test::AllocationCounter probe;
    int* volatile probed = new int(3);
    delete probed;
    ASSERT_EQ(probe.count(), 1u);
  }
  test::AllocationCounter counter;
  for (int block = 0; block < 50; ++block) {
    engine.queueMessage(noteOn(static_cast<std::uint8_t>(40 + block % 40)), 3, block % 300);
    const std::uint8_t off[3] = {0x80, static_cast<std::uint8_t>(40 + block % 40), 0};
    engine.queueMessage(off, 3, 1000);
    engine.render(l.data(), r.data(), 1024 + block);
  }
  EXPECT_EQ(counter.count(), 0u);
}

TEST(RenderAllocation, PlayingLoadedSoundsNeverAllocates) {
  auto engine = std::make_unique<SynthEngine>();
  for (int k = 0; k < kNumSlots; ++k) {
    VoiceSlot& s = engine->slot(k);
    s.reset();
    s.rowCount = 2;
    for (int r = 0; r < 2; ++r) {
      for (int layer = 0; layer < 2; ++layer) {
        test::buildRecording(s.harmonics[r][layer], 200.0f * (r + 1), {{1, 0.3f}, {2, 0.2f}, {5, 0.1f}, {40, 0.05f}},
                             0.5f + 0.2f * k);
        test::buildNoise(s.noise[r][layer], 10 + 20 * k, 0.5f, 0.4f);
      }
    }
    s.prepare();
  }
  engine->setParameter(GlobalLoopOn, 1.0f);
  engine->setParameter(LfoOn, 1.0f);
  engine->setParameter(LfoVibrato, 0.4f);
  engine->setParameter(EnvelopeMorphOn, 1.0f);
  engine->setParameter(GlobalLoopEndTime, 0.01f);
  engine->morphEnvelope(0).add(0.0f, 0.0f);
  engine->morphEnvelope(0).add(1.0f, 1.0f);
  std::vector<float> l(1500), r(1500);
  test::AllocationCounter counter;
  for (int block = 0; block < 120; ++block) {
    if (block == 40) engine->setParameter(DoMorphing, 0.0f);
    if (block == 60) engine->setParameter(FormantFilterOn, 1.0f);
    if (block == 80) engine->setParameter(PortamentoOn, 1.0f);
    for (int n = 0; n < 3; ++n) {
      const std::uint8_t key = static_cast<std::uint8_t>(30 + (block * 7 + n * 13) % 60);
      const std::uint8_t on[3] = {0x90, key, static_cast<std::uint8_t>(20 + block % 100)};
      engine->queueMessage(on, 3, (block * 37 + n * 101) % 1400);
      const std::uint8_t off[3] = {0x80, static_cast<std::uint8_t>(30 + (block * 5) % 60), 0};
      engine->queueMessage(off, 3, (block * 53) % 1500);
    }
    const std::uint8_t bend[3] = {0xE0, 0, static_cast<std::uint8_t>(block % 128)};
    engine->queueMessage(bend, 3, 700);
    if (block % 25 == 24) {
      const std::uint8_t allOff[3] = {0xB0, 126, 0};
      engine->queueMessage(allOff, 3, 1200);
    }
    engine->render(l.data(), r.data(), 1000 + block * 4);
  }
  EXPECT_EQ(counter.count(), 0u);
  EXPECT_GT(engine->noiseRandom().drawCount(), 0u);
}

}  // namespace
}  // namespace vt
