// Morphing voices: marker alignment and time stretch, the end of a morphed
// sound, the envelope-controlled morph, and the harmonic blend heard at the output.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/morph_positions.h"
#include "engine/synth_engine.h"
#include "tests/engine/voice_test_sounds.h"

namespace vt {
namespace {

constexpr double kRate = 44100.0;

class MorphVoice : public ::testing::Test {
protected:
  std::unique_ptr<SynthEngine> engine = std::make_unique<SynthEngine>();
  std::vector<float> left, right;

  MorphVoice() {
    engine->setParameter(DoMorphing, 1.0f);
    for (int p : {MorphHarmY, MorphNoiseY, MorphAmpX, MorphAmpY}) engine->setParameter(p, 0.0f);
    engine->setParameter(Stretch, 0.5f);
  }
  // Renders 'seconds' of output in blocks of 1000 frames; returns the left channel.
  std::vector<float>& play(double seconds) {
    const int frames = static_cast<int>(seconds * kRate);
    left.assign(frames, 0.0f);
    right.assign(frames, 0.0f);
    for (int done = 0; done < frames;) {
      const int n = std::min(1000, frames - done);
      engine->render(left.data() + done, right.data() + done, n);
      done += n;
    }
    return left;
  }
  void noteOnByMidi(std::uint8_t key) {
    const std::uint8_t bytes[3] = {0x90, key, 127};
    engine->queueMessage(bytes, 3, 0);
  }
  double levelAt(const std::vector<float>& x, double from, double f) {
    // 0.1 s: 44 whole periods of 440 Hz.
    return test::amplitudeAt(x.data() + static_cast<int>(from * kRate), 4410, f, kRate);
  }
};

// Linear fade from full level at 0.01 s to silence at 'duration'.
void buildFadingSlot(VoiceSlot& slot, float duration) {
  slot.reset();
  for (int layer = 0; layer < 2; ++layer) {
    HarmonicSet& set = slot.harmonics[0][layer];
    const float times[3] = {0.0f, 0.01f, duration};
    const float levels[3] = {0.0f, 1.0f, 0.0f};
    const float ratios[3] = {1.0f, 1.0f, 1.0f};
    set.amplitude[0].assign(3, times, levels);
    set.frequency[0].assign(3, times, ratios);
    set.baseFrequency = 440.0f;
    set.updateDuration();
  }
  slot.prepare();
}

// The slot's level at sound time t, times the slot gain and full velocity.
double fadingLevel(double t, double duration, double gain) {
  if (t < 0.01) return gain * t / 0.01;
  return gain * (duration - t) / (duration - 0.01);
}

TEST_F(MorphVoice, StretchRunsTheMarkersFiveTimesFasterOrSlower) {
  for (int k = 0; k < 2; ++k) buildFadingSlot(engine->slot(k), 1.0f);
  const double gain = engine->slot(0).harmonicVolume;
  const double f = engine->noteFrequencyTable()[69];

  engine->setParameter(Stretch, 0.0f);  // x 0.2
  noteOnByMidi(69);
  std::vector<float>& fast = play(0.3);
  const SynthVoice& leader = engine->voice(0);
  ASSERT_EQ(leader.alignedMarkers.count(), engine->slot(0).markers.count());
  for (int i = 0; i < leader.alignedMarkers.count(); ++i)
    EXPECT_NEAR(leader.alignedMarkers.x(i), engine->slot(0).markers.x(i) * 0.2f, 1e-6f) << i;
  // 0.1 s of voice time is half of the sound.
  EXPECT_NEAR(levelAt(fast, 0.05, f), fadingLevel(0.1 * 5.0, 1.0, gain), 0.01 * gain);
  EXPECT_EQ(test::rms(fast.data() + static_cast<int>(0.21 * kRate), 1000), 0.0);
  EXPECT_EQ(engine->activeVoiceCount(), 0);

  engine->setParameter(Stretch, 1.0f);  // x 5
  noteOnByMidi(69);
  std::vector<float>& slow = play(5.2);
  EXPECT_NEAR(levelAt(slow, 0.95, f), fadingLevel(1.0 / 5.0, 1.0, gain), 0.01 * gain);
  EXPECT_NEAR(levelAt(slow, 2.95, f), fadingLevel(3.0 / 5.0, 1.0, gain), 0.01 * gain);
  EXPECT_GT(test::rms(slow.data() + static_cast<int>(4.8 * kRate), 1000), 0.0);
  EXPECT_EQ(test::rms(slow.data() + static_cast<int>(5.01 * kRate), 1000), 0.0);
}

TEST_F(MorphVoice, PastTheLastMarkerTheVoiceIsSilentUntilEverySlotHasEnded) {
  test::buildSlot(engine->slot(0), 440.0f, {{1, 1.0f}}, 1.0f);
  test::buildSlot(engine->slot(1), 440.0f, {{2, 1.0f}}, 3.0f);
  engine->setParameter(MorphAmpX, 0.0f);  // markers of slot A: the morphed sound ends at 1 s
  noteOnByMidi(69);
  std::vector<float>& out = play(2.5);
  EXPECT_GT(test::rms(out.data() + static_cast<int>(0.9 * kRate), 1000), 0.01);
  for (int i = static_cast<int>(1.0 * kRate) + 256; i < static_cast<int>(2.5 * kRate); ++i)
    ASSERT_EQ(out[i], 0.0f) << i;
  EXPECT_EQ(engine->activeVoiceCount(), 4);
  const float clock = engine->voice(0).envelopeClock;
  EXPECT_NEAR(clock, 2.5f, 0.001f);  // the clocks kept running
  play(0.6);
  EXPECT_EQ(engine->activeVoiceCount(), 0);
}

TEST_F(MorphVoice, LoopingHoldsTheSoundBetweenTheLoopMarkersWhileHeld) {
  // A slow fade at the end puts the loop (where the sound last stands above half
  // its peak) at 0.95 s.
  for (int k = 0; k < 2; ++k) test::buildSlot(engine->slot(k), 440.0f, {{1, 1.0f}}, 1.0f, 0.1f);
  engine->setParameter(GlobalLoopOn, 1.0f);
  noteOnByMidi(69);
  std::vector<float>& held = play(3.0);
  const SynthVoice& leader = engine->voice(0);
  ASSERT_GE(leader.alignedMarkers.count(), 4);
  EXPECT_LE(leader.soundPosition, leader.alignedMarkers.x(3) + 0.0001f);
  EXPECT_NEAR(leader.soundPosition, 0.95f, 0.002f);
  // Held at the loop: the level of the sound at 0.95 s (half its peak) times the slot gain.
  EXPECT_NEAR(levelAt(held, 2.8, engine->noteFrequencyTable()[69]), 0.5 * engine->slot(0).harmonicVolume, 0.02);
  engine->noteOff(69);
  engine->setParameter(Release, 0.0f);
  play(1.2);
  EXPECT_EQ(engine->activeVoiceCount(), 0);  // released, the sound runs to its end
}

TEST_F(MorphVoice, HarmonicMorphWeightsReachTheOutput) {
  test::buildSlot(engine->slot(0), 440.0f, {{1, 1.0f}}, 10.0f);
  test::buildSlot(engine->slot(1), 440.0f, {{2, 1.0f}}, 10.0f);
  const double f = engine->noteFrequencyTable()[69];
  const double gA = engine->slot(0).harmonicVolume;
  const double gB = engine->slot(1).harmonicVolume;
  for (float x : {0.0f, 0.5f, 1.0f}) {
    engine->releaseAll();
    engine->setParameter(Release, 0.0f);
    play(0.05);
    engine->setParameter(MorphHarmX, x);
    noteOnByMidi(69);
    std::vector<float>& out = play(1.3);
    // 1 s from 0.3 s on: exactly 440 periods of 440 Hz.
    const double a1 = test::amplitudeAt(out.data() + 13230, 44100, f, kRate);
    const double a2 = test::amplitudeAt(out.data() + 13230, 44100, 2.0 * f, kRate);
    EXPECT_NEAR(a1, (1.0 - x) * gA, 0.003) << x;
    EXPECT_NEAR(a2, x * gB, 0.003) << x;
  }
}

TEST(MorphPositions, KnobsUnlessTheEnvelopesControlTheMorph) {
  float p[kNumParameters] = {};
  p[MorphHarmX] = 0.1f;
  p[MorphHarmY] = 0.2f;
  p[MorphNoiseX] = 0.3f;
  p[MorphNoiseY] = 0.4f;
  p[MorphAmpX] = 0.5f;
  p[MorphAmpY] = 0.6f;
  BreakpointCurve curves[kMorphEnvelopes];
  const MorphPositions m = chooseMorphPositions(p, curves, 3.0f, 0.01f, 120.0f);
  EXPECT_EQ(m.hx, 0.1f);
  EXPECT_EQ(m.hy, 0.2f);
  EXPECT_EQ(m.nx, 0.3f);
  EXPECT_EQ(m.ny, 0.4f);
  EXPECT_EQ(m.ax, 0.5f);
  EXPECT_EQ(m.ay, 0.6f);
}

class EnvelopeMorph : public ::testing::Test {
protected:
  float p[kNumParameters] = {};
  BreakpointCurve curves[kMorphEnvelopes];
  static constexpr float kBlock = 0.01f;

  EnvelopeMorph() {
    p[EnvelopeMorphOn] = 1.0f;
    p[GlobalLoopOn] = 1.0f;
    p[GlobalLoopStartTime] = 1.0f / 60.0f;
    p[GlobalLoopEndTime] = 2.0f / 60.0f;
    p[MorphAmpX] = 0.7f;
    // Each curve reads back the time it is evaluated at, scaled per curve.
    for (int c = 0; c < kMorphEnvelopes; ++c) {
      curves[c].add(0.0f, 0.0f);
      curves[c].add(100.0f, 100.0f * (c + 1));
    }
  }
  // The time the harmonic X curve was read at (mean of the block's two ends, minus half a block).
  float readTime(float clock) { return chooseMorphPositions(p, curves, clock, kBlock, 0.0f).hx - kBlock / 2; }
};

TEST_F(EnvelopeMorph, LoopsBetweenStartAndEndAfterTheFirstPass) {
  EXPECT_NEAR(readTime(0.5f), 0.5f, 1e-5f);
  EXPECT_NEAR(readTime(1.5f), 1.5f, 1e-5f);
  EXPECT_NEAR(readTime(2.5f), 1.5f, 1e-4f);
  EXPECT_NEAR(readTime(3.25f), 1.25f, 1e-4f);
  EXPECT_NEAR(readTime(10.75f), 1.75f, 1e-4f);
  // The block that would run past the end reads its end at the loop start.
  EXPECT_NEAR(chooseMorphPositions(p, curves, 1.995f, kBlock, 0.0f).hx, (1.995f + 1.0f) / 2, 1e-4f);
  // Each pad reads its own curve; the amplitude pad keeps its knob.
  const MorphPositions m = chooseMorphPositions(p, curves, 2.5f, kBlock, 0.0f);
  EXPECT_NEAR(m.hy, 2.0f * m.hx, 1e-4f);
  EXPECT_NEAR(m.nx, 3.0f * m.hx, 1e-4f);
  EXPECT_NEAR(m.ny, 4.0f * m.hx, 1e-4f);
  EXPECT_EQ(m.ax, 0.7f);
}

TEST_F(EnvelopeMorph, WithoutTheLoopTheCurvesRunOn) {
  p[GlobalLoopOn] = 0.0f;
  EXPECT_NEAR(readTime(2.5f), 2.5f, 1e-5f);
}

TEST_F(EnvelopeMorph, VeryShortLoopHoldsAtItsStart) {
  p[GlobalLoopEndTime] = p[GlobalLoopStartTime];
  EXPECT_NEAR(chooseMorphPositions(p, curves, 1.5f, kBlock, 0.0f).hx, 1.0f, 1e-5f);
}

TEST_F(EnvelopeMorph, SyncScalesTheTimesByTheTempo) {
  p[GlobalSyncOn] = 1.0f;
  p[GlobalLoopOn] = 0.0f;
  // At 60 BPM the curves are read at half the clock; the block length is not scaled.
  EXPECT_NEAR(chooseMorphPositions(p, curves, 3.0f, kBlock, 60.0f).hx, 1.5f + kBlock / 2, 1e-5f);
  // Unknown tempo counts as 120: unscaled.
  EXPECT_NEAR(chooseMorphPositions(p, curves, 3.0f, kBlock, 0.0f).hx, 3.0f + kBlock / 2, 1e-5f);
}

TEST_F(MorphVoice, EngineMorphPositionsFollowTheLeadersClock) {
  engine->setParameter(EnvelopeMorphOn, 1.0f);
  engine->setParameter(GlobalLoopOn, 1.0f);
  engine->setParameter(GlobalLoopStartTime, 1.0f / 60.0f);
  engine->setParameter(GlobalLoopEndTime, 2.0f / 60.0f);
  BreakpointCurve& harmX = engine->morphEnvelope(kMorphEnvelopeHarmX);
  harmX.add(0.0f, 0.0f);
  harmX.add(4.0f, 1.0f);
  for (int k = 0; k < 2; ++k) test::buildSlot(engine->slot(k), 440.0f, {{1, 1.0f}}, 10.0f);
  noteOnByMidi(69);
  play(2.5);
  const SynthVoice& leader = engine->voice(0);
  ASSERT_EQ(leader.mode, SynthVoice::kMorphLeader);
  const MorphPositions m = engine->morphPositionsFor(leader, 256);
  const float a = 1.0f + std::fmod(leader.envelopeClock - 1.0f, 1.0f);
  EXPECT_NEAR(m.hx, (a + a + 256.0f / 44100.0f) / 8.0f, 1e-4f);
  EXPECT_EQ(engine->morphPositionsFor(*leader.companions[1], 256).hx, m.hx);
}

}  // namespace
}  // namespace vt
