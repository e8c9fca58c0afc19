// Parameter writes that set the four voice slots' fields.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "engine/synth_engine.h"
#include "tests/support/allocation_counter.h"

namespace vt {
namespace {

class SlotParameters : public ::testing::Test {
protected:
  std::unique_ptr<SynthEngine> engine = std::make_unique<SynthEngine>();
  VoiceSlot& slot(int k) { return engine->slot(k); }
};

TEST_F(SlotParameters, ConstructionAppliesTheDefaults) {
  ASSERT_TRUE(engine->constructedCompletely());
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(slot(k).detuneCents, 0.0f);
    EXPECT_FLOAT_EQ(slot(k).harmonicVolume, 0.5f);  // 0.5 x 0.5 x 2
    EXPECT_FLOAT_EQ(slot(k).noiseVolume, 0.5f);
    EXPECT_EQ(slot(k).rowCount, 1);
    EXPECT_FALSE(slot(k).portamentoOn);
    EXPECT_FALSE(slot(k).loopOn);
    // Attack 0, Stretch 0, Release 1.
    ASSERT_EQ(slot(k).envelope.count(), 3);
    EXPECT_EQ(slot(k).envelope.x(1), 0.000001f);
    EXPECT_FLOAT_EQ(slot(k).timeStretch, 0.2f);
    EXPECT_FLOAT_EQ(slot(k).releaseTime, 3.0f);
  }
  EXPECT_NEAR(engine->noteFrequencyTable()[69], 440.0f, 1e-3f);
  EXPECT_STREQ(engine->noteNameTable().name(60), "C 4");
}

TEST_F(SlotParameters, Detune) {
  engine->setParameter(MasterDetune, 1.0f);
  for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(slot(k).detuneCents, 200.0f);
  engine->setParameter(VoiceDetuneB, 0.0f);
  EXPECT_FLOAT_EQ(slot(1).detuneCents, 0.0f);
  EXPECT_FLOAT_EQ(slot(0).detuneCents, 200.0f);
  engine->setParameter(MasterDetune, 0.0f);
  EXPECT_FLOAT_EQ(slot(1).detuneCents, -400.0f);
  EXPECT_FLOAT_EQ(slot(2).detuneCents, -200.0f);
}

TEST_F(SlotParameters, Gains) {
  engine->setParameter(VoiceHarmonicVolumeC, 1.0f);
  EXPECT_FLOAT_EQ(slot(2).harmonicVolume, 1.0f);
  engine->setParameter(HarmAmount, 1.0f);
  EXPECT_FLOAT_EQ(slot(2).harmonicVolume, 2.0f);
  EXPECT_FLOAT_EQ(slot(0).harmonicVolume, 1.0f);
  engine->setParameter(VoiceNoiseVolumeD, 0.0f);
  EXPECT_EQ(slot(3).noiseVolume, 0.0f);
  engine->setParameter(NoiseAmount, 0.25f);
  EXPECT_FLOAT_EQ(slot(0).noiseVolume, 0.25f);
  EXPECT_EQ(slot(3).noiseVolume, 0.0f);
}

TEST_F(SlotParameters, PortamentoAndLoop) {
  engine->setParameter(PortamentoOn, 0.6f);
  engine->setParameter(PortamentoRate, 0.3f);
  for (int k = 0; k < 4; ++k) {
    EXPECT_TRUE(slot(k).portamentoOn);
    EXPECT_FLOAT_EQ(slot(k).portamentoTime, 0.3f);
  }
  engine->setParameter(GlobalLoopOn, 1.0f);
  for (int k = 0; k < 4; ++k) EXPECT_TRUE(slot(k).loopOn);
  slot(2).loopOn = false;
  engine->setParameter(EnvelopeMorphOn, 0.0f);  // re-applies the loop switch
  EXPECT_TRUE(slot(2).loopOn);
  engine->setParameter(GlobalLoopOn, 0.5f);
  EXPECT_FALSE(slot(0).loopOn);
}

TEST_F(SlotParameters, MultisampleCount) {
  engine->setParameter(NumMultisamplesA, 1.0f);
  EXPECT_EQ(slot(0).rowCount, 8);
  engine->setParameter(NumMultisamplesA, 0.0f);
  EXPECT_EQ(slot(0).rowCount, 1);
  engine->setParameter(NumMultisamplesD, 0.5f);
  EXPECT_EQ(slot(3).rowCount, 5);
  engine->setParameter(NumMultisamplesB, 0.124f);  // 0.992 + 0.001 -> 0
  EXPECT_EQ(slot(1).rowCount, 1);
  engine->setParameter(NumMultisamplesB, 0.125f);
  EXPECT_EQ(slot(1).rowCount, 2);
  engine->setParameter(NumMultisamplesC, -3.0f);
  EXPECT_EQ(slot(2).rowCount, 1);
  engine->setParameter(NumMultisamplesC, 1e30f);
  EXPECT_EQ(slot(2).rowCount, 8);
}

TEST_F(SlotParameters, EnvelopeTriple) {
  engine->setParameter(Attack, 0.2f);
  engine->setParameter(Stretch, 1.0f);
  engine->setParameter(Release, 0.0f);
  for (int k = 0; k < 4; ++k) {
    EXPECT_FLOAT_EQ(slot(k).envelope.x(1), 1.0f);
    EXPECT_FLOAT_EQ(slot(k).timeStretch, 5.0f);
    EXPECT_FLOAT_EQ(slot(k).releaseTime, 0.004f);
  }
  engine->setParameter(Stretch, 0.5f);
  EXPECT_EQ(slot(0).timeStretch, 1.0f);
  engine->setParameter(Stretch, 0.25f);
  EXPECT_FLOAT_EQ(slot(0).timeStretch, 0.6f);
  engine->setParameter(Release, 1.0f);
  EXPECT_FLOAT_EQ(slot(0).releaseTime, 3.0f);
}

TEST_F(SlotParameters, WritesDoNotAllocate) {
  const int indices[] = {MasterDetune,      VoiceDetuneA, HarmAmount,      NoiseAmount,      VoiceHarmonicVolumeB,
                         VoiceNoiseVolumeC, PortamentoOn, PortamentoRate,  NumMultisamplesA, Attack,
                         Stretch,           Release,      EnvelopeMorphOn, GlobalLoopOn};
  // Resumed, the render applies the writes; a multisample count beyond the
  // prepared rows is prepared by the worker (which may allocate) and adopted by
  // a later block. Nothing of it allocates on the rendering thread.
  engine->resume();
  std::vector<float> left(64), right(64);
  engine->render(left.data(), right.data(), 64);
  test::AllocationCounter counter;
  for (int i : indices) engine->setParameter(i, 0.7f);
  engine->render(left.data(), right.data(), 64);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (slot(0).needsPreparation() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    engine->render(left.data(), right.data(), 64);
  }
  EXPECT_EQ(counter.count(), 0u);
  EXPECT_EQ(slot(0).rowsInUse(), 6);
  EXPECT_FALSE(slot(0).needsPreparation());
}

TEST_F(SlotParameters, SampleRateReachesEverySet) {
  engine->setSampleRate(48000.0f);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(slot(k).harmonics[3][1].sampleRate, 48000.0f);
    EXPECT_EQ(slot(k).noise[7][0].frames[10].sampleRate, 48000.0f);
  }
}

}  // namespace
}  // namespace vt
