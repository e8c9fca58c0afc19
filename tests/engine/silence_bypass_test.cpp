// The silence bypass judges the output after the effects: reverb and echo
// tails play out before the chain sleeps, and what a sleeping chain lets
// through still passes the volume and width stage.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/parameter_ids.h"
#include "engine/synth_engine.h"
#include "tests/support/click_detector.h"

namespace vt {
namespace {

constexpr float kRate = 44100.0f;
constexpr int kBlock = 512;

// A 440 Hz burst of 'length' frames at 'start' (absolute frames) in the voice mix.
class Burst : public RenderObserver {
public:
  long start = 0;
  long length = 0;
  float level = 0.5f;
  long frame = 0;
  void voiceSubBlock(float* mono, int, int n) override {
    for (int i = 0; i < n; ++i, ++frame)
      if (frame >= start && frame < start + length) mono[i] += level * std::sin(0.0627f * frame);
  }
  void eventHandled(const std::uint8_t*, int) override {}
};

struct SilenceBypass : ::testing::Test {
  std::unique_ptr<SynthEngine> engine = std::make_unique<SynthEngine>();
  Burst burst;
  std::vector<float> left, right;
  long engagedAt = -1;  // first frame of the first bypassed block

  SilenceBypass() {
    engine->setRenderObserver(&burst);
    engine->setSampleRate(kRate);
  }
  void render(long frames) {
    left.assign(static_cast<size_t>(frames), 0.0f);
    right.assign(static_cast<size_t>(frames), 0.0f);
    for (long done = 0; done < frames; done += kBlock) {
      const int n = frames - done < kBlock ? static_cast<int>(frames - done) : kBlock;
      engine->render(left.data() + done, right.data() + done, n);
      if (engagedAt < 0 && engine->effectsBypassed()) engagedAt = done;
    }
  }
};

TEST_F(SilenceBypass, ReverbTailPlaysOutBeforeTheChainSleeps) {
  engine->setParameter(ReverbOn, 1.0f);
  engine->setParameter(ReverbMix, 1.0f);
  engine->setParameter(ReverbSize, 1.0f);
  engine->setParameter(ReverbDecay, 0.8f);
  burst.length = 2205;  // 50 ms
  render(static_cast<long>(kRate) * 24);

  const long lastLoud = std::max(test::lastAbove(left, SynthEngine::kSilenceThreshold),
                                 test::lastAbove(right, SynthEngine::kSilenceThreshold));
  // The tail outlasts the two seconds after which a bypass judging the voice mix would cut it.
  ASSERT_GT(lastLoud, burst.length + static_cast<long>(2.5f * kRate));
  ASSERT_GE(engagedAt, 0) << "the chain never went to sleep";
  EXPECT_GE(engagedAt, lastLoud + static_cast<long>(2.0f * kRate) - kBlock);
  // The tail fades into the silence level; it is not cut from an audible level.
  EXPECT_LT(test::peakIn(left, lastLoud - 4410, lastLoud + 1), 1e-4f);
}

TEST_F(SilenceBypass, EchoLongerThanTwoSecondsIsNotDropped) {
  engine->setTransport(60.0f, 0.0f);
  engine->setParameter(DelayOn, 1.0f);
  engine->setParameter(DelayMix, 1.0f);       // wet 0.5
  engine->setParameter(DelayFeedback, 0.0f);  // one repeat
  engine->setParameter(DelaySyncL, 0.25f);    // 16 sixteenths: 4 s at 60 BPM
  burst.length = 441;
  render(static_cast<long>(kRate) * 9);
  const long echo = static_cast<long>(4.0f * kRate);
  EXPECT_GT(test::peakIn(left, echo, echo + 441), 0.2f);
  EXPECT_LT(test::peakIn(left, echo + 441 + 10, echo + 2 * kRate), SynthEngine::kSilenceThreshold);
  EXPECT_GE(engagedAt, echo + 441);
}

TEST_F(SilenceBypass, SoundInsideABlockWakesTheChainAndPassesTheOutputStage) {
  engine->setParameter(Volume, 1.0f);                   // gain 2
  burst.start = static_cast<long>(3.0f * kRate) + 200;  // mid-block, silent block edges
  burst.length = 10;
  render(static_cast<long>(kRate) * 3);
  ASSERT_TRUE(engine->effectsBypassed());

  std::vector<float> l(kBlock, 0.0f), r(kBlock, 0.0f);
  burst.frame = static_cast<long>(3.0f * kRate);
  engine->render(l.data(), r.data(), kBlock);
  for (int i = 200; i < 210; ++i) {
    const float expected = 2.0f * 0.5f * std::sin(0.0627f * (burst.start - 200 + i));
    ASSERT_NEAR(l[i], expected, 1e-6f) << i;
    ASSERT_NEAR(r[i], expected, 1e-6f) << i;
  }
  EXPECT_FALSE(engine->effectsBypassed());
}

}  // namespace
}  // namespace vt
