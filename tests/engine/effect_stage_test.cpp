// The render loop's effect stage through the engine: the parameter write path
// reaches the units, each unit runs only while its switch is on, the tempo
// and resume reach the delay, and volume and width act after the chain.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "engine/parameter_ids.h"
#include "engine/synth_engine.h"
#include "tests/support/allocation_counter.h"

namespace vt {
namespace {

// Puts an impulse (or a constant) into the mono mix at a chosen frame.
class Source : public RenderObserver {
public:
  long impulseAt = -1;  // absolute frame of a unit impulse, -1 for none
  float level = 0.0f;   // added to every frame
  long frame = 0;

  void voiceSubBlock(float* mono, int, int length) override {
    for (int i = 0; i < length; ++i, ++frame) {
      mono[i] += level;
      if (frame == impulseAt) mono[i] += 1.0f;
    }
  }
  void eventHandled(const std::uint8_t*, int) override {}
};

struct EffectStage : ::testing::Test {
  std::unique_ptr<SynthEngine> engine = std::make_unique<SynthEngine>();
  Source source;
  std::vector<float> left, right;

  EffectStage() {
    engine->setRenderObserver(&source);
    engine->setSampleRate(44100.0f);
  }
  // Renders 'frames' in blocks of 512 and keeps the whole output.
  void render(int frames) {
    left.assign(static_cast<size_t>(frames), 0.0f);
    right.assign(static_cast<size_t>(frames), 0.0f);
    for (int done = 0; done < frames; done += 512) {
      const int n = frames - done < 512 ? frames - done : 512;
      engine->render(left.data() + done, right.data() + done, n);
    }
  }
};

TEST_F(EffectStage, ParameterWritesReachTheirUnitsScaled) {
  engine->setParameter(ChorusMix, 0.6f);
  engine->setParameter(ChorusDelay, 0.5f);
  engine->setParameter(ChorusDepth, 0.4f);
  engine->setParameter(ChorusRate, 0.5f);
  engine->setParameter(Compress, 1.0f);
  engine->setParameter(Distortion, 0.3f);
  engine->setParameter(Tube, 0.7f);
  engine->setParameter(MBass, 0.25f);
  engine->setParameter(FilterMode, 0.2f);
  engine->setParameter(FilterEnv, 0.35f);
  engine->setParameter(FilterRes, 0.5f);
  engine->setParameter(FilterCutoff, 0.9f);
  engine->setParameter(DelayMix, 0.4f);
  engine->setParameter(DelayFeedback, 1.0f);
  engine->setParameter(DelaySyncL, 0.0f);
  engine->setParameter(DelaySyncR, 0.25f);
  engine->setParameter(ReverbMix, 0.2f);
  engine->setParameter(ReverbSize, 1.0f);
  engine->setParameter(ReverbDecay, 0.25f);
  engine->setParameter(Brightness, 0.3f);
  const EffectChain& chain = engine->effects();
  EXPECT_FLOAT_EQ(chain.chorusUnit().mix, 0.3f);
  EXPECT_FLOAT_EQ(chain.chorusUnit().delay, 0.015f);
  EXPECT_FLOAT_EQ(chain.chorusUnit().depth, 0.002f);
  EXPECT_FLOAT_EQ(chain.chorusUnit().rate, 1.5f);
  EXPECT_FLOAT_EQ(chain.distortionUnit().compress, 0.99f);
  EXPECT_FLOAT_EQ(chain.distortionUnit().distortion, 0.3f);
  EXPECT_FLOAT_EQ(chain.distortionUnit().tube, 0.7f);
  EXPECT_FLOAT_EQ(chain.distortionUnit().bassAmount, 0.25f);
  EXPECT_EQ(chain.filterUnit().mode, 1);
  EXPECT_FLOAT_EQ(chain.filterUnit().envAmount, 0.35f);
  EXPECT_FLOAT_EQ(chain.filterUnit().resonance, 0.5f);
  EXPECT_FLOAT_EQ(chain.filterUnit().cutoff, 0.9f);
  EXPECT_FLOAT_EQ(chain.delayUnit().mix, 0.2f);
  EXPECT_FLOAT_EQ(chain.delayUnit().feedback, 0.8f);
  EXPECT_FLOAT_EQ(chain.delayUnit().syncLeft, 80.0f);
  EXPECT_FLOAT_EQ(chain.delayUnit().syncRight, 16.0f);
  EXPECT_FLOAT_EQ(chain.reverbUnit().wet, 0.15f);
  EXPECT_FLOAT_EQ(chain.reverbUnit().dry, 0.9f);
  EXPECT_FLOAT_EQ(chain.reverbUnit().roomSize, 0.98f);
  EXPECT_FLOAT_EQ(chain.reverbUnit().damp, 0.3f);
  EXPECT_FLOAT_EQ(chain.brightnessStage().brightness, 0.3f);
  // The stored values stay as written.
  EXPECT_EQ(engine->getParameter(Compress), 1.0f);
}

TEST_F(EffectStage, DefaultsLeaveTheMixUntouchedInBothChannels) {
  source.impulseAt = 10;
  source.level = 0.1f;
  render(2048);
  for (int i = 0; i < 2048; ++i) {
    const float expected = 0.1f + (i == 10 ? 1.0f : 0.0f);
    ASSERT_FLOAT_EQ(left[i], expected) << i;
    ASSERT_FLOAT_EQ(right[i], expected) << i;
  }
}

TEST_F(EffectStage, DelaySwitchGatesTheEchoAtTheHostTempo) {
  source.impulseAt = 0;
  engine->setParameter(DelayMix, 1.0f);  // wet 0.5
  render(8192);
  for (int i = 1; i < 8192; ++i) ASSERT_EQ(left[i], 0.0f) << i;  // off: no echo

  source.frame = 0;
  engine->suspend();  // switched on while suspended: the lines are there at once
  engine->setParameter(DelayOn, 1.0f);
  render(8192);
  // DelaySyncL 1.0 = one sixteenth; the host tempo is still unknown, so 120 BPM.
  EXPECT_FLOAT_EQ(left[0], 0.5f);
  EXPECT_FLOAT_EQ(left[5513], 0.5f);
  EXPECT_EQ(right[5513], 0.0f);  // DelaySyncR 0.5 = 11 sixteenths
  EXPECT_EQ(left[5512], 0.0f);

  // A new host tempo reaches the delay: 60 BPM doubles the length.
  engine->setTransport(60.0f, 0.0f);
  source.frame = 0;
  render(12000);
  EXPECT_FLOAT_EQ(left[11025], 0.5f);
  EXPECT_EQ(left[5513], 0.0f);
}

TEST_F(EffectStage, ADelaySwitchedOnWhileRunningPlaysDryUntilTheWorkerHasItsLines) {
  engine->resume();
  engine->setParameter(DelayMix, 1.0f);  // wet 0.5
  render(1024);
  source.level = 1.0f;
  engine->setParameter(DelayOn, 1.0f);
  std::vector<float> l(1024), r(1024);
  engine->render(l.data(), r.data(), 1024);  // the switch fades the unit in over 15 ms
  EXPECT_FLOAT_EQ(l[1023], 0.5f);
  l.resize(256);
  r.resize(256);
  for (int wait = 0; wait < 2000 && !engine->effects().delayUnit().isActive(); ++wait) {
    engine->render(l.data(), r.data(), 256);
    EXPECT_FLOAT_EQ(l[255], 0.5f);  // the dry half, as from an empty line
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_TRUE(engine->effects().delayUnit().isActive());
  EXPECT_GE(engine->effects().delayUnit().bufferCapacity, engine->effects().delayUnit().neededCapacity());
  source.level = 0.0f;
  render(1024);  // the lines' input rises over 20 ms after they arrive, so the first echo never steps
  source.frame = 0;
  source.impulseAt = 0;
  render(8192);
  EXPECT_FLOAT_EQ(left[5513], 0.5f);
  // A slower tempo needs longer lines: they follow without a stall.
  engine->setTransport(30.0f, 0.0f);
  for (int wait = 0; wait < 2000; ++wait) {
    engine->render(l.data(), r.data(), 256);
    if (engine->effects().delayUnit().bufferCapacity >= engine->effects().delayUnit().neededCapacity()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_GE(engine->effects().delayUnit().bufferCapacity, engine->effects().delayUnit().neededCapacity());
}

TEST_F(EffectStage, TempoChangeMovesTheEchoAndResumeClearsTheDelay) {
  engine->setParameter(DelayOn, 1.0f);
  engine->setParameter(DelaySyncL, 0.25f);  // 1/1 = 88200 samples at 120 BPM
  source.impulseAt = 0;
  render(1024);
  engine->setTransport(130.0f, 4.0f);  // 81415 samples: the echo written before comes earlier
  source.impulseAt = -1;
  render(90000);
  for (size_t i = 0; i < left.size(); ++i) ASSERT_EQ(left[i], i == 81415 - 1024 ? 0.5f : 0.0f) << i;

  source.frame = 0;
  source.impulseAt = 0;
  render(1024);
  engine->resetEffects();  // the plug-in's resume
  source.impulseAt = -1;
  render(90000);
  for (float v : left) ASSERT_EQ(v, 0.0f);
}

TEST_F(EffectStage, EachSwitchChangesTheOutputOnlyWhileOn) {
  const int switches[] = {DistortionOn, FilterOn, ChorusOn, DelayOn, ReverbOn};
  engine->setParameter(Distortion, 1.0f);
  engine->setParameter(DelayMix, 1.0f);
  source.level = 0.5f;
  source.impulseAt = 3000;
  for (int index : switches) {
    source.frame = 0;
    render(12000);
    const std::vector<float> dryLeft = left;
    const std::vector<float> dryRight = right;
    EXPECT_EQ(dryLeft, dryRight);

    engine->setParameter(index, 1.0f);
    source.frame = 0;
    render(12000);
    EXPECT_NE(left, dryLeft) << index;
    engine->setParameter(index, 0.0f);
  }
  // Brightness runs whenever it is away from 0.5.
  engine->setParameter(Brightness, 0.2f);
  source.frame = 0;
  render(4096);
  EXPECT_NE(left[3001], 0.5f);
  engine->setParameter(Brightness, 0.5f);
  source.frame = 0;
  render(4096);
  EXPECT_FLOAT_EQ(left[3001], 0.5f);
}

TEST_F(EffectStage, VolumeAndWidthActAfterTheChain) {
  // The delay makes the channels differ (left echo only); the output stage must
  // see that stereo pair, so width mixes the echo into the right channel.
  engine->setParameter(DelayOn, 1.0f);
  engine->setParameter(DelayMix, 1.0f);
  source.impulseAt = 0;
  render(6000);
  const std::vector<float> chainLeft = left;
  const std::vector<float> chainRight = right;
  ASSERT_NE(chainLeft[5513], chainRight[5513]);

  auto other = std::make_unique<SynthEngine>();
  Source otherSource;
  otherSource.impulseAt = 0;
  other->setRenderObserver(&otherSource);
  other->setSampleRate(44100.0f);
  other->setParameter(DelayOn, 1.0f);
  other->setParameter(DelayMix, 1.0f);
  other->setParameter(StereoWidth, 0.3f);
  other->setParameter(Volume, 0.8f);
  std::vector<float> l(6000), r(6000);
  for (int done = 0; done < 6000; done += 512) {
    const int n = 6000 - done < 512 ? 6000 - done : 512;
    other->render(l.data() + done, r.data() + done, n);
  }
  const float w = 1.6f;
  const float s = 0.3f;
  for (int i = 0; i < 6000; ++i) {
    const float mid = (chainLeft[i] + chainRight[i]) * 0.5f * (1.0f - s) * w;
    ASSERT_NEAR(l[i], mid + chainLeft[i] * s * w, 1e-6f) << i;
    ASSERT_NEAR(r[i], mid + chainRight[i] * s * w, 1e-6f) << i;
  }
  EXPECT_GT(r[5513], 0.0f);
}

TEST_F(EffectStage, NoEffectsRunBeforeTheHostGivesASampleRate) {
  auto fresh = std::make_unique<SynthEngine>();
  Source src;
  src.impulseAt = 0;
  fresh->setRenderObserver(&src);
  for (int index : {DistortionOn, FilterOn, ChorusOn, DelayOn, ReverbOn}) fresh->setParameter(index, 1.0f);
  fresh->setParameter(Brightness, 0.0f);
  std::vector<float> l(8000), r(8000);
  fresh->render(l.data(), r.data(), 8000);
  EXPECT_FLOAT_EQ(l[0], 1.0f);
  EXPECT_FLOAT_EQ(r[0], 1.0f);
  for (int i = 1; i < 8000; ++i) ASSERT_EQ(l[i], 0.0f);
}

TEST_F(EffectStage, RenderingWithEveryUnitOnNeverAllocates) {
  for (int index : {DistortionOn, FilterOn, ChorusOn, DelayOn, ReverbOn}) engine->setParameter(index, 1.0f);
  engine->setParameter(Brightness, 0.7f);
  engine->setParameter(MBass, 0.5f);
  source.level = 0.2f;
  std::vector<float> l(2048), r(2048);
  engine->render(l.data(), r.data(), 2048);
  test::AllocationCounter counter;
  for (int block = 0; block < 40; ++block) {
    engine->setTransport(100.0f + static_cast<float>(block % 3), 0.0f);
    engine->setParameter(FilterCutoff, 0.02f * static_cast<float>(block));
    engine->render(l.data(), r.data(), 2048);
  }
  EXPECT_EQ(counter.count(), 0u);
}

}  // namespace
}  // namespace vt
