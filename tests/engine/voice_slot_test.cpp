// Defaults, envelope template, end test, markers and loop fitting of a voice slot.
#include "engine/voice_slot.h"

#include <gtest/gtest.h>

#include <memory>

namespace vt {
namespace {

// Gives harmonic 1 of the set the amplitude points and ratio 1.
void setAmplitude(HarmonicSet& set, std::initializer_list<std::pair<float, float>> points) {
  set.reset();
  set.baseFrequency = 220.0f;
  for (auto& p : points) {
    ASSERT_TRUE(set.amplitude[0].add(p.first, p.second));
    ASSERT_TRUE(set.frequency[0].add(p.first, 1.0f));
  }
  set.updateDuration();
}

TEST(VoiceSlot, Defaults) {
  auto slot = std::make_unique<VoiceSlot>();
  EXPECT_TRUE(slot->valid());
  EXPECT_EQ(slot->rowCount, 1);
  EXPECT_EQ(slot->layerCount, 2);
  EXPECT_EQ(slot->harmonicVolume, 1.0f);
  EXPECT_EQ(slot->noiseVolume, 1.0f);
  EXPECT_FALSE(slot->loopOn);
  EXPECT_EQ(slot->loopStart, 0.0f);
  EXPECT_EQ(slot->loopEnd, 0.0f);
  EXPECT_EQ(slot->detuneCents, 0.0f);
  EXPECT_FALSE(slot->portamentoOn);
  EXPECT_EQ(slot->maxFrequency, 22050.0f);
  EXPECT_STREQ(slot->name, "");
  ASSERT_EQ(slot->envelope.count(), 2);
  EXPECT_EQ(slot->envelope.x(0), 0.0f);
  EXPECT_EQ(slot->envelope.y(0), 1.0f);
  EXPECT_EQ(slot->envelope.x(1), 1000000.0f);
  EXPECT_EQ(slot->envelope.y(1), 1.0f);
  EXPECT_NE(slot->sine, nullptr);
  EXPECT_TRUE(slot->hasEnded(0.001f));  // nothing loaded
}

TEST(VoiceSlot, EnvelopeTemplate) {
  auto slot = std::make_unique<VoiceSlot>();
  slot->setEnvelope(0.5f, 2.0f, 1.5f);
  ASSERT_EQ(slot->envelope.count(), 3);
  EXPECT_EQ(slot->envelope.x(1), 0.5f);
  EXPECT_EQ(slot->envelope.y(0), 0.0f);
  EXPECT_EQ(slot->envelope.y(1), 1.0f);
  EXPECT_EQ(slot->envelope.x(2), 1000000.0f);
  EXPECT_EQ(slot->timeStretch, 2.0f);
  EXPECT_EQ(slot->releaseTime, 1.5f);
  slot->setEnvelope(0.0f, 1.0f, 1.0f);
  ASSERT_EQ(slot->envelope.count(), 3);
  EXPECT_EQ(slot->envelope.x(1), 0.000001f);
  EXPECT_FLOAT_EQ(slot->envelope.evaluate(0.0000005f), 0.5f);
}

TEST(VoiceSlot, HasEndedCountsEverySetInUseWithTheStretch) {
  auto slot = std::make_unique<VoiceSlot>();
  setAmplitude(slot->harmonics[0][0], {{0.0f, 1.0f}, {1.0f, 0.0f}});
  setAmplitude(slot->harmonics[0][1], {{0.0f, 1.0f}, {0.5f, 0.0f}});
  setAmplitude(slot->harmonics[1][0], {{0.0f, 1.0f}, {3.0f, 0.0f}});
  slot->timeStretch = 2.0f;
  EXPECT_FALSE(slot->hasEnded(1.9f));
  EXPECT_TRUE(slot->hasEnded(2.1f));
  slot->layerCount = 1;
  slot->harmonics[0][0].duration = 0.5f;
  EXPECT_TRUE(slot->hasEnded(1.1f));  // layer 1 is not in use
  slot->rowCount = 2;
  EXPECT_FALSE(slot->hasEnded(5.9f));
  EXPECT_TRUE(slot->hasEnded(6.1f));
}

TEST(VoiceSlotMarkers, LoopGoesWhereTheSoundLastStandsAboveHalfItsPeak) {
  auto slot = std::make_unique<VoiceSlot>();
  for (int l = 0; l < 2; ++l)
    setAmplitude(slot->harmonics[0][l], {{0.0f, 0.0f}, {0.1f, 1.0f}, {1.0f, 0.9f}, {2.0f, 0.0f}});
  slot->prepare();
  // 0.9 (2 - t) > 0.5 for t < 1.444...; the search walks down from 2 s in 1 ms steps.
  EXPECT_NEAR(slot->loopStart, 1.444f, 0.0005f);
  EXPECT_EQ(slot->loopEnd, slot->loopStart);
  const BreakpointCurve& m = slot->markers;
  ASSERT_EQ(m.count(), 5);
  EXPECT_EQ(m.x(0), 0.0f);
  EXPECT_FLOAT_EQ(m.x(1), 0.1f);
  EXPECT_FLOAT_EQ(m.y(1), 1.0f);
  EXPECT_EQ(m.x(2), slot->loopStart);
  EXPECT_FLOAT_EQ(m.x(3), slot->loopEnd + 0.0001f);
  EXPECT_FLOAT_EQ(m.y(3), 0.9f * (2.0f - slot->loopEnd));
  EXPECT_EQ(m.x(4), 2.0f);
}

TEST(VoiceSlotMarkers, LoopInsideTheSoundIsKept) {
  auto slot = std::make_unique<VoiceSlot>();
  for (int l = 0; l < 2; ++l)
    setAmplitude(slot->harmonics[0][l], {{0.0f, 0.0f}, {0.1f, 1.0f}, {1.0f, 0.9f}, {2.0f, 0.0f}});
  slot->loopStart = 0.5f;
  slot->loopEnd = 1.5f;
  slot->prepare();
  EXPECT_EQ(slot->loopStart, 0.5f);
  EXPECT_EQ(slot->loopEnd, 1.5f);
  EXPECT_EQ(slot->markers.x(2), 0.5f);
  EXPECT_FLOAT_EQ(slot->markers.x(3), 1.5001f);
}

TEST(VoiceSlotMarkers, ShortestSoundLimitsTheLoop) {
  auto slot = std::make_unique<VoiceSlot>();
  slot->rowCount = 2;
  for (int l = 0; l < 2; ++l) {
    setAmplitude(slot->harmonics[0][l], {{0.0f, 0.0f}, {0.1f, 1.0f}, {0.5f, 0.0f}});
    setAmplitude(slot->harmonics[1][l], {{0.0f, 0.0f}, {0.1f, 1.0f}, {1.0f, 0.9f}, {2.0f, 0.0f}});
  }
  slot->prepare();
  // Shortest sound 0.5 s, attack at 0.1 s: the loop sits 0.2 s before the shortest end.
  EXPECT_FLOAT_EQ(slot->loopStart, 0.3f);
  EXPECT_FLOAT_EQ(slot->loopEnd, 0.3f);
  EXPECT_EQ(slot->markers.x(4), 2.0f);

  // Attack within 0.2 s of the shortest end (here a third of it): halfway between them.
  for (int l = 0; l < 2; ++l) setAmplitude(slot->harmonics[0][l], {{0.0f, 0.0f}, {0.1f, 1.0f}, {0.25f, 0.0f}});
  slot->loopStart = slot->loopEnd = 0.0f;
  slot->prepare();
  EXPECT_FLOAT_EQ(slot->markers.x(1), 0.25f / 3.0f);
  EXPECT_FLOAT_EQ(slot->loopStart, (0.25f + 0.25f / 3.0f) * 0.5f);
}

TEST(VoiceSlotMarkers, AttackNoLaterThanAThirdOfTheShortestSound) {
  auto slot = std::make_unique<VoiceSlot>();
  for (int l = 0; l < 2; ++l) setAmplitude(slot->harmonics[0][l], {{0.0f, 0.0f}, {0.9f, 1.0f}, {1.2f, 0.0f}});
  slot->prepare();
  EXPECT_FLOAT_EQ(slot->markers.x(1), 0.4f);
  EXPECT_FLOAT_EQ(slot->markers.y(1), 0.4f / 0.9f);
}

TEST(VoiceSlotMarkers, SilentSoundUsesTheMidpoint) {
  auto slot = std::make_unique<VoiceSlot>();
  for (int l = 0; l < 2; ++l) setAmplitude(slot->harmonics[0][l], {{0.0f, 0.0f}, {1.0f, 0.0f}});
  slot->prepare();
  EXPECT_EQ(slot->loopStart, 0.0f);  // the loop fields keep their values
  ASSERT_EQ(slot->markers.count(), 5);
  EXPECT_FLOAT_EQ(slot->markers.x(2), 0.5f);
  EXPECT_FLOAT_EQ(slot->markers.x(3), 0.5001f);
  EXPECT_EQ(slot->markers.x(4), 1.0f);
}

TEST(VoiceSlotMarkers, HugeTimesDoNotStallPreparation) {
  auto slot = std::make_unique<VoiceSlot>();
  for (int l = 0; l < 2; ++l)
    setAmplitude(slot->harmonics[0][l], {{0.0f, 0.0f}, {1.0f, 1.0f}, {3.0e9f, 1.0f}, {3.1e9f, 0.0f}});
  slot->prepare();
  EXPECT_GT(slot->loopStart, 1.0f);
  EXPECT_EQ(slot->markers.count(), 5);
}

TEST(VoiceSlot, PrepareFillsTheRowTablesAndFadesLoudStarts) {
  auto slot = std::make_unique<VoiceSlot>();
  slot->rowCount = 2;
  for (int r = 0; r < 2; ++r)
    for (int l = 0; l < 2; ++l) setAmplitude(slot->harmonics[r][l], {{0.0f, 0.5f}, {1.0f, 0.5f}, {2.0f, 0.0f}});
  slot->prepare();
  EXPECT_EQ(slot->harmonics[1][1].amplitude[0].y(0), 0.0f);  // faded in
  EXPECT_FLOAT_EQ(slot->harmonics[1][1].duration, 2.01f);
  EXPECT_GT(slot->keyCache[0].count(0), 0);
  EXPECT_GT(slot->keyCache[1].count(0), 0);
  EXPECT_EQ(slot->keyCache[2].count(0), 0);
  // Row 1 is the last row: its upper neighbour is itself.
  EXPECT_EQ(slot->keyCache[1].value(0, 1)[0], slot->keyCache[1].value(0, 1)[1]);

  slot->setSampleRate(96000.0f);
  EXPECT_EQ(slot->harmonics[7][1].sampleRate, 96000.0f);
  EXPECT_EQ(slot->noise[7][1].frames[63].sampleRate, 96000.0f);

  slot->reset();
  EXPECT_TRUE(slot->harmonics[1][1].amplitude[0].empty());
  EXPECT_EQ(slot->keyCache[0].count(0), 0);
}

}  // namespace
}  // namespace vt
