// Controllers through MIDI learn and the modulation slots: where they are
// queued and what they write when the render loop reaches them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/modulation_targets.h"
#include "engine/parameter_ids.h"
#include "engine/synth_engine.h"

namespace vt {
namespace {

struct Controllers : ::testing::Test {
  SynthEngine engine;
  std::vector<float> left = std::vector<float>(256), right = std::vector<float>(256);

  void controller(int number, int value, int offset = 0) {
    const std::uint8_t bytes[3] = {0xB3, static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(value)};
    engine.queueMessage(bytes, 3, offset);
  }
  void render() { engine.render(left.data(), right.data(), 256); }
};

TEST_F(Controllers, UnmappedControllerIsQueuedForVoicesAndChangesNothing) {
  controller(7, 64);
  EXPECT_EQ(engine.voiceEvents().count, 1);
  EXPECT_EQ(engine.effectEvents().count, 0);
  float before[kNumParameters];
  for (int i = 0; i < kNumParameters; ++i) before[i] = engine.getParameter(i);
  render();
  for (int i = 0; i < kNumParameters; ++i) {
    ASSERT_EQ(engine.getParameter(i), before[i]) << i;
    ASSERT_FALSE(engine.parameterChanged(i)) << i;
  }
}

TEST_F(Controllers, LearnBindsTheNextControllerToTheLastTouchedParameter) {
  engine.setLearnTarget(Volume);
  engine.setLearnArmed(true);
  controller(74, 10);  // binds 74 to Volume
  engine.setLearnTarget(FilterCutoff);
  engine.setLearnArmed(true);
  engine.setParameter(MidiLearnIndicator, 1.0f);
  controller(74, 64, 5);  // moves 74 to FilterCutoff
  EXPECT_FALSE(engine.isLearnArmed());
  EXPECT_EQ(engine.midiLearnMap().controllerFor(FilterCutoff), 74);
  EXPECT_EQ(engine.midiLearnMap().controllerFor(Volume), MidiLearnMap::kNone);
  EXPECT_EQ(engine.getParameter(MidiLearnIndicator), 0.0f);
  EXPECT_TRUE(engine.parameterChanged(MidiLearnIndicator));
  // The first message was resolved to Volume (not an effect parameter), the second to the filter.
  EXPECT_EQ(engine.voiceEvents().count, 1);
  EXPECT_EQ(engine.effectEvents().count, 1);
  render();
  EXPECT_FLOAT_EQ(engine.getParameter(FilterCutoff), 0.5f);
  EXPECT_TRUE(engine.parameterChanged(FilterCutoff));
  // The Volume message was handled with the binding current at its frame: 74 now drives the filter.
  EXPECT_FLOAT_EQ(engine.getParameter(Volume), 0.5f);
}

TEST_F(Controllers, LearnBindsOnlyHostParametersAndKeepsTheTargetWhenTheLearnSwitchIsTouched) {
  // The editor names every touched control, the learn switch and the file
  // commands included; those never become targets.
  engine.setLearnTarget(Volume);
  engine.setLearnTarget(MidiLearnIndicator);
  engine.setLearnArmed(true);
  controller(30, 64);
  EXPECT_EQ(engine.midiLearnMap().controllerFor(Volume), 30);
  EXPECT_EQ(engine.midiLearnMap().controllerFor(MidiLearnIndicator), MidiLearnMap::kNone);

  SynthEngine fresh;  // no target yet
  for (int tag : {173, 237, 238, 240, 241, 242, 243, 244, 245, -2}) fresh.setLearnTarget(tag);
  fresh.setLearnArmed(true);
  const std::uint8_t bytes[3] = {0xB0, 31, 64};
  fresh.queueMessage(bytes, 3, 0);
  EXPECT_TRUE(fresh.isLearnArmed());  // still waiting for a parameter
  for (int i = 0; i < kNumParameters; ++i) EXPECT_EQ(fresh.midiLearnMap().controllerFor(i), MidiLearnMap::kNone) << i;
  MidiLearnMap map;
  map.bind(240, 5);
  EXPECT_EQ(map.controllerFor(240), MidiLearnMap::kNone);
}

TEST_F(Controllers, LearnWithoutTargetWaitsAndTopValueIsJustBelowOne) {
  engine.setLearnArmed(true);
  controller(20, 127);
  EXPECT_TRUE(engine.isLearnArmed());
  engine.setLearnTarget(HarmAmount);
  controller(21, 127);
  render();
  EXPECT_FLOAT_EQ(engine.getParameter(HarmAmount), 0.9921875f);
}

TEST_F(Controllers, ModulationSlotScalesBetweenMinAndMax) {
  engine.setParameter(ModSource1, 9.0f);   // controller 1
  engine.setParameter(ModTarget1, 24.0f);  // FilterCutoff
  engine.setParameter(ModMin1, 0.2f);
  engine.setParameter(ModMax1, 0.6f);
  controller(1, 64);
  EXPECT_EQ(engine.effectEvents().count, 1);
  render();
  EXPECT_FLOAT_EQ(engine.getParameter(FilterCutoff), 0.4f);
  EXPECT_TRUE(engine.parameterChanged(FilterCutoff));

  // A learned binding for the same controller takes precedence.
  engine.setLearnTarget(Volume);
  engine.setLearnArmed(true);
  controller(1, 32);
  render();
  EXPECT_FLOAT_EQ(engine.getParameter(Volume), 0.25f);
  EXPECT_FLOAT_EQ(engine.getParameter(FilterCutoff), 0.4f);
}

TEST_F(Controllers, FirstMatchingSlotWinsAndSlotsNineAndTenNeverRespond) {
  engine.setParameter(ModSource9, 12.0f);  // controller 4
  engine.setParameter(ModTarget9, 17.0f);  // Volume
  engine.setParameter(ModSource10, 12.0f);
  engine.setParameter(ModTarget10, 17.0f);
  controller(4, 100);
  render();
  EXPECT_FLOAT_EQ(engine.getParameter(Volume), 0.5f);

  engine.setParameter(ModSource3, 12.9f);  // truncated to 12
  engine.setParameter(ModTarget3, 8.0f);   // HarmAmount
  engine.setParameter(ModSource5, 12.0f);
  engine.setParameter(ModTarget5, 9.0f);  // NoiseAmount
  controller(4, 64);
  render();
  EXPECT_FLOAT_EQ(engine.getParameter(HarmAmount), 0.5f);
  EXPECT_FALSE(engine.parameterChanged(NoiseAmount));
}

TEST_F(Controllers, BogusSlotNumbersAreLimitedToTheirLists) {
  engine.setParameter(ModSource1, NAN);    // refused: stays 0, not a controller
  engine.setParameter(ModSource2, 1e30f);  // limited to 127, controller 119
  engine.setParameter(ModSource3, 9.0f);
  engine.setParameter(ModTarget3, 999.0f);  // limited to the last target number, 53
  EXPECT_FLOAT_EQ(engine.getParameter(ModSource1), 0.0f);
  EXPECT_FLOAT_EQ(engine.getParameter(ModSource2), 127.0f);
  EXPECT_FLOAT_EQ(engine.getParameter(ModTarget3), 53.0f);
  controller(0, 64);
  render();
  for (int i = 0; i < kNumParameters; ++i) EXPECT_FALSE(engine.parameterChanged(i)) << i;
}

TEST_F(Controllers, ChannelModeControllersAreIgnored) {
  engine.setLearnTarget(Volume);
  engine.setLearnArmed(true);
  controller(120, 64);
  controller(123, 64);
  controller(127, 64);
  EXPECT_TRUE(engine.isLearnArmed());
  render();
  EXPECT_FLOAT_EQ(engine.getParameter(Volume), 0.5f);
}

TEST(ModulationTargets, MapToTheirParameters) {
  EXPECT_EQ(modulationTargetParameter(0), -1);
  EXPECT_EQ(modulationTargetParameter(1), MorphHarmX);
  EXPECT_EQ(modulationTargetParameter(6), MorphAmpY);
  EXPECT_EQ(modulationTargetParameter(19), FormantFreq);
  EXPECT_EQ(modulationTargetParameter(22), MBass);
  EXPECT_EQ(modulationTargetParameter(24), FilterCutoff);
  EXPECT_EQ(modulationTargetParameter(37), ReverbDecay);
  EXPECT_EQ(modulationTargetParameter(38), Lfo1Shape);
  EXPECT_EQ(modulationTargetParameter(39), Lfo1Rate);
  EXPECT_EQ(modulationTargetParameter(40), Lfo2Shape);
  EXPECT_EQ(modulationTargetParameter(41), Lfo2Rate);
  EXPECT_EQ(modulationTargetParameter(42), 161);
  EXPECT_EQ(modulationTargetParameter(53), 172);
  EXPECT_EQ(modulationTargetParameter(54), -1);
  EXPECT_EQ(modulationTargetParameter(-1), -1);
}

}  // namespace
}  // namespace vt
