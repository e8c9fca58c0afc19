// Envelope, release, gain, pitch and LFO of a voice.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/lfo.h"
#include "engine/synth_engine.h"
#include "tests/engine/voice_test_sounds.h"

namespace vt {
namespace {

class VoiceEnvelope : public ::testing::Test {
protected:
  std::unique_ptr<SynthEngine> engine = std::make_unique<SynthEngine>();
  std::vector<float> left = std::vector<float>(8192), right = std::vector<float>(8192);

  VoiceEnvelope() {
    test::buildSlot(engine->slot(0), 440.0f, {{1, 1.0f}}, 30.0f);
    engine->setParameter(Stretch, 0.5f);
    engine->setParameter(DoMorphing, 0.0f);
    for (int p : {MorphHarmX, MorphHarmY, MorphNoiseX, MorphNoiseY}) engine->setParameter(p, 0.0f);
  }
  SynthVoice& first() { return engine->voice(0); }
  void render(int frames) { engine->render(left.data(), right.data(), frames); }
};

TEST_F(VoiceEnvelope, AttackZeroPeaksAfterOneMicrosecondAtTheVelocity) {
  engine->setParameter(Attack, 0.0f);
  engine->noteOn(69, 0.5f);
  const BreakpointCurve& e = first().envelope;
  ASSERT_EQ(e.count(), 3);
  EXPECT_EQ(e.x(1), 0.000001f);
  EXPECT_FLOAT_EQ(e.y(1), 0.5f);  // scaled to peak at the velocity
  engine->setParameter(Attack, 0.4f);
  engine->noteOn(70, 0.5f);
  EXPECT_FLOAT_EQ(engine->voice(1).envelope.x(1), 2.0f);
  // The template change did not touch the sounding voice.
  EXPECT_EQ(e.x(1), 0.000001f);
}

TEST_F(VoiceEnvelope, GainFollowsVelocitySquaredAndTheSlotVolumes) {
  engine->noteOn(69, 0.5f);
  VoiceSlot& slot = engine->slot(0);
  EXPECT_FLOAT_EQ(first().gain(1.0f, false, 0.0f, 0.0f), 0.25f * slot.harmonicVolume);
  EXPECT_FLOAT_EQ(first().gain(1.0f, true, 0.0f, 0.0f), 0.25f * slot.noiseVolume);
  engine->setParameter(VoiceNoiseVolumeA, 0.0f);
  EXPECT_EQ(first().gain(1.0f, true, 0.0f, 0.0f), 0.0f);
}

TEST_F(VoiceEnvelope, ReleaseFallsInFourSegmentsToSilenceAfterTheReleaseTime) {
  engine->setParameter(Release, 1.0f);  // 3 s
  engine->noteOn(69, 1.0f);
  render(4410);
  SynthVoice& v = first();
  const float t = v.envelopeClock;
  engine->noteOff(69);
  BreakpointCurve& e = v.envelope;
  EXPECT_FLOAT_EQ(e.evaluate(t), 1.0f);
  EXPECT_NEAR(e.evaluate(t + 0.05f * 3.0f), 0.8f, 1e-5f);
  EXPECT_NEAR(e.evaluate(t + 0.2283333f * 3.0f), 0.4f, 1e-5f);
  EXPECT_NEAR(e.evaluate(t + 0.6066666f * 3.0f), 0.07f, 1e-5f);
  EXPECT_GT(e.evaluate(t + 2.99f), 0.0f);
  EXPECT_EQ(e.evaluate(t + 3.0f), 0.0f);
  EXPECT_EQ(e.evaluate(t + 30.0f), 0.0f);
}

TEST_F(VoiceEnvelope, ShortestReleaseSilencesTheVoiceIn4MsAndFreesIt) {
  engine->setParameter(Release, 0.0f);
  engine->noteOn(69, 1.0f);
  render(4410);
  const float t = first().envelopeClock;
  engine->noteOff(69);
  EXPECT_NEAR(first().envelope.lastTime(), t + 0.004f, 1e-6f);
  render(177);  // just past 4 ms at 44100 Hz
  render(256);
  // Silence from the end of the release on, then the voice is free.
  for (int i = 0; i < 256; ++i) ASSERT_EQ(left[i], 0.0f) << i;
  render(16);
  EXPECT_FALSE(engine->isActive(0));
}

TEST_F(VoiceEnvelope, ReleasedNoteDecaysInTheRenderedOutput) {
  engine->setParameter(Release, 1.0f);
  engine->noteOn(69, 1.0f);
  render(8192);
  const double sustained = test::rms(left.data(), 8192);
  engine->noteOff(69);
  // 0.6066666 x 3 s = 1.82 s after the note-off the level is 7 % of the sustain.
  const int before = static_cast<int>(0.6066666 * 3.0 * 44100.0) - 2048;
  for (int done = 0; done < before;) {
    const int n = std::min(8192, before - done);
    render(n);
    done += n;
  }
  render(4096);
  EXPECT_NEAR(test::rms(left.data() + 1024, 2048) / sustained, 0.07, 0.005);
  for (int i = 0; i < 40; ++i) render(4096);  // past 3 s
  EXPECT_EQ(test::rms(left.data(), 4096), 0.0);
  EXPECT_EQ(engine->activeVoiceCount(), 0);
}

TEST_F(VoiceEnvelope, ManyReleasesNeverOverflowTheEnvelope) {
  engine->noteOn(69, 1.0f);
  render(256);
  for (int i = 0; i < 1000; ++i) engine->releaseAll();
  const BreakpointCurve& e = first().envelope;
  EXPECT_LE(e.count(), BreakpointCurve::kCapacity);
  EXPECT_EQ(e.y(e.count() - 1), 0.0f);
  EXPECT_NEAR(e.lastTime(), first().envelopeClock + 3.0f, 1e-4f);
}

TEST(Lfo, PeriodFollowsTheRateStepsAndTheTempo) {
  EXPECT_FLOAT_EQ(lfoPeriod(1.0f, 120.0f), 0.03125f);
  EXPECT_FLOAT_EQ(lfoPeriod(0.0f, 120.0f), 2.5f);
  EXPECT_FLOAT_EQ(lfoPeriod(0.0f, 0.0f), 2.5f);  // unknown tempo counts as 120
  EXPECT_FLOAT_EQ(lfoPeriod(1.0f, 60.0f), 0.0625f);
  // a = 1 + int((1 - rate) x 20): 16 sixteenths, then 32, 48, 64, 80.
  EXPECT_FLOAT_EQ(lfoPeriod(1.0f - 15.0f / 20.0f, 120.0f), 0.5f);
  EXPECT_FLOAT_EQ(lfoPeriod(1.0f - 16.5f / 20.0f, 120.0f), 1.0f);
  EXPECT_FLOAT_EQ(lfoPeriod(-3.0f, 120.0f), 2.5f);
  EXPECT_FLOAT_EQ(lfoPeriod(5.0f, 120.0f), 0.03125f);
  EXPECT_FLOAT_EQ(lfoPeriod(NAN, 120.0f), 2.5f);
}

TEST(Lfo, EngineAppliesTheLfoParametersAndRecomputesOnTempoChanges) {
  auto engine = std::make_unique<SynthEngine>();
  engine->setParameter(LfoRate, 1.0f);
  engine->setParameter(LfoOn, 1.0f);
  engine->setParameter(LfoVibrato, 0.3f);
  engine->setParameter(LfoTremolo, 0.6f);
  engine->setParameter(LfoShape, 0.5f);
  for (int k = 0; k < kNumSlots; ++k) {
    const VoiceSlot& s = engine->slot(k);
    EXPECT_FLOAT_EQ(1.0f / s.vibratoRate, 0.03125f);
    EXPECT_EQ(s.vibratoRate, s.tremoloRate);
    EXPECT_TRUE(s.vibratoOn && s.tremoloOn);
    EXPECT_EQ(s.vibratoShape, kLfoSaw);
    EXPECT_FLOAT_EQ(s.vibratoDepth, 0.3f);
    EXPECT_FLOAT_EQ(s.tremoloDepth, 0.6f);
  }
  engine->setTransport(90.0f, 4.0f);
  EXPECT_FLOAT_EQ(1.0f / engine->slot(2).vibratoRate, 60.0f / 90.0f * 0.0625f);
  EXPECT_FLOAT_EQ(engine->getTempo(), 90.0f);
  engine->setParameter(LfoShape, 1.0f);
  EXPECT_EQ(engine->slot(0).tremoloShape, kLfoSquare);
}

TEST(Lfo, ShapesFromNotePhaseZero) {
  VoiceSlot slot;
  applyLfoSettings(slot, 0.0f, 1.0f, 0.5f, 1.0f, 0.0f, 120.0f);  // 2.5 s sine
  EXPECT_NEAR(lfoValue(slot, 0.0f, LfoTarget::vibrato), 0.0f, 1e-6f);
  EXPECT_NEAR(lfoValue(slot, 0.625f, LfoTarget::vibrato), 1.0f, 1e-4f);
  EXPECT_NEAR(lfoValue(slot, 0.625f, LfoTarget::tremolo), 0.5f, 1e-4f);
  EXPECT_NEAR(lfoValue(slot, 1.875f + 2.5f, LfoTarget::vibrato), -1.0f, 1e-4f);
  EXPECT_NEAR(lfoValue(slot, 0.3f, LfoTarget::vibrato), std::sin(2.0 * M_PI * 0.3 / 2.5), 2e-4);

  applyLfoSettings(slot, 0.0f, 1.0f, 0.5f, 1.0f, 0.5f, 120.0f);  // saw
  EXPECT_NEAR(lfoValue(slot, 0.0f, LfoTarget::vibrato), 1.0f, 1e-6f);
  EXPECT_NEAR(lfoValue(slot, 1.25f, LfoTarget::vibrato), 0.0f, 1e-5f);
  EXPECT_NEAR(lfoValue(slot, 2.4f, LfoTarget::vibrato), -0.92f, 1e-4f);

  applyLfoSettings(slot, 0.0f, 1.0f, 0.5f, 1.0f, 1.0f, 120.0f);  // square
  EXPECT_EQ(lfoValue(slot, 0.1f, LfoTarget::vibrato), -1.0f);
  EXPECT_EQ(lfoValue(slot, 1.3f, LfoTarget::vibrato), 1.0f);

  applyLfoSettings(slot, 0.0f, 1.0f, 0.5f, 0.0f, 1.0f, 120.0f);  // off
  EXPECT_EQ(lfoValue(slot, 1.3f, LfoTarget::vibrato), 0.0f);
  EXPECT_EQ(lfoValue(slot, 1.3f, LfoTarget::tremolo), 0.0f);

  // Every phase of the sine stays inside the table.
  applyLfoSettings(slot, 1.0f, 1.0f, 1.0f, 1.0f, 0.0f, 120.0f);
  for (int i = 0; i < 100000; ++i) {
    const float v = lfoValue(slot, i * 0.0000137f, LfoTarget::vibrato);
    ASSERT_LE(std::fabs(v), 1.0001f);
  }
}

TEST_F(VoiceEnvelope, VibratoSwingsThePitchBy100CentsAndTremoloScalesTheGain) {
  engine->setParameter(LfoRate, 0.0f);  // 2.5 s at the default tempo
  engine->setParameter(LfoOn, 1.0f);
  engine->setParameter(LfoVibrato, 1.0f);
  engine->setParameter(LfoTremolo, 0.5f);
  engine->noteOn(69, 1.0f);
  SynthVoice& v = first();
  const float f = engine->noteFrequencyTable()[69];
  EXPECT_NEAR(v.pitch(0.0f), f, 1e-3f);
  EXPECT_NEAR(v.pitch(0.625f), f * std::exp2(100.0f / 1200.0f), 0.01f);
  EXPECT_NEAR(v.pitch(1.875f), f * std::exp2(-100.0f / 1200.0f), 0.01f);
  const float g = engine->slot(0).harmonicVolume;
  EXPECT_NEAR(v.gain(0.625f, false, 0.0f, 0.0f), g * 1.5f, 1e-4f);
  EXPECT_NEAR(v.gain(1.875f, false, 0.0f, 0.0f), g * 0.5f, 1e-4f);
}

TEST_F(VoiceEnvelope, DetuneAndBendShiftThePitch) {
  engine->setParameter(MasterDetune, 0.75f);  // +100 cents
  engine->noteOn(69, 1.0f);
  const std::uint8_t bend[3] = {0xE0, 0, 32};  // -4096 at one semitone range
  engine->handleMessage(bend, 3);
  const float f = engine->noteFrequencyTable()[69];
  EXPECT_NEAR(first().pitch(0.5f), f * std::exp2((100.0f - 4096.0f * 100.0f / 1360.0f) / 1200.0f), 0.01f);
}

}  // namespace
}  // namespace vt
