// End to end: MIDI messages through the engine's intake and render loop to
// the output, for harmonics and noise, checked with an independent DFT.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "engine/synth_engine.h"
#include "tests/engine/voice_test_sounds.h"

namespace vt {
namespace {

constexpr double kRate = 44100.0;
constexpr int kNoiseEntry = 63;  // stands for 64/256 x 22050 = 5512.5 Hz

class Playback : public ::testing::Test {
protected:
  std::unique_ptr<SynthEngine> engine = std::make_unique<SynthEngine>();
  std::vector<float> left, right;

  Playback() {
    engine->setParameter(Stretch, 0.5f);
    engine->setParameter(DoMorphing, 0.0f);
    for (int p : {MorphHarmX, MorphHarmY, MorphNoiseX, MorphNoiseY}) engine->setParameter(p, 0.0f);  // slot A
  }
  void send(std::uint8_t status, std::uint8_t d1, std::uint8_t d2, int offset = 0) {
    const std::uint8_t bytes[3] = {status, d1, d2};
    engine->queueMessage(bytes, 3, offset);
  }
  // Renders in host blocks of 512 frames; returns the left channel.
  std::vector<float>& play(int frames) {
    left.assign(frames, 0.0f);
    right.assign(frames, 0.0f);
    for (int done = 0; done < frames;) {
      const int n = std::min(512, frames - done);
      engine->render(left.data() + done, right.data() + done, n);
      done += n;
    }
    return left;
  }
};

TEST_F(Playback, OneHarmonicPlaysASineAtTheNotesFrequency) {
  test::buildSlot(engine->slot(0), 261.6f, {{1, 0.8f}}, 10.0f);
  send(0x90, 69, 127, 100);
  std::vector<float>& out = play(4410 + 16384);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(out[i], 0.0f);  // the note starts at its offset
  const std::vector<float> steady(out.begin() + 4410, out.end());
  const double peak = test::spectralPeak(steady, kRate, 100.0, 2000.0, 1.0);
  EXPECT_NEAR(peak, 440.0, 1.0);
  // Level: harmonic level x slot harmonic volume x velocity squared, unity output stage.
  const double a = test::amplitudeAt(out.data() + 4410, 13230, 440.0, kRate);  // 132 whole periods
  EXPECT_NEAR(a, 0.8 * engine->slot(0).harmonicVolume, 0.01);
  // Left and right carry the same mono mix at full width with the effects off.
  for (int i = 0; i < 64; ++i) ASSERT_EQ(left[4410 + i], right[4410 + i]);
}

TEST_F(Playback, PitchBendAndLowerNotesRetune) {
  test::buildSlot(engine->slot(0), 261.6f, {{1, 0.8f}}, 10.0f);
  send(0x90, 60, 100);
  send(0xE0, 0x7F, 0x7F);  // +602 cents at the default range
  std::vector<float>& out = play(4410 + 16384);
  const std::vector<float> steady(out.begin() + 4410, out.end());
  const double expected = engine->noteFrequencyTable()[60] * std::exp2(8191.0 / 1360.0 / 12.0);
  EXPECT_NEAR(test::spectralPeak(steady, kRate, 100.0, 2000.0, 0.5), expected, 1.0);
}

TEST_F(Playback, NoteOffEndsTheNoteAndTheVoiceIsFreed) {
  test::buildSlot(engine->slot(0), 440.0f, {{1, 0.8f}}, 10.0f);
  engine->setParameter(Release, 0.0f);
  send(0x90, 69, 127);
  play(2048);
  send(0x80, 69, 0, 10);
  std::vector<float>& out = play(2048);
  for (int i = 10 + 256 + 256; i < 2048; ++i) ASSERT_EQ(out[i], 0.0f) << i;
  EXPECT_EQ(engine->activeVoiceCount(), 0);
}

class NoisePlayback : public Playback {
protected:
  NoisePlayback() {
    VoiceSlot& s = engine->slot(0);
    test::buildSlot(s, 440.0f, {}, 10.0f);  // no audible harmonics
    for (int layer = 0; layer < 2; ++layer) test::buildNoise(s.noise[0][layer], kNoiseEntry, 1.0f, 10.0f);
    s.prepare();
  }
};

TEST_F(NoisePlayback, NoiseOfOneEntrySoundsAtItsFrequency) {
  engine->seedNoise(7);
  send(0x90, 60, 127);
  std::vector<float>& out = play(4410 + 8192);
  const float* steady = out.data() + 4410;
  const double entryFrequency = (kNoiseEntry + 1) / 256.0 * 22050.0;
  ASSERT_GT(test::rms(steady, 8192), 0.0);
  // Grain-to-grain phase changes spread the line a little; compare its band with the rest.
  double inBand = 0.0, outOfBand = 0.0;
  for (double f = 200.0; f < 20000.0; f += 50.0) {
    const double a = test::amplitudeAt(steady, 8192, f, kRate);
    if (std::fabs(f - entryFrequency) < 200.0)
      inBand = std::max(inBand, a);
    else
      outOfBand = std::max(outOfBand, a);
  }
  EXPECT_GT(inBand, 10.0 * outOfBand);
  EXPECT_GT(engine->noiseRandom().drawCount(), 0u);
}

TEST_F(NoisePlayback, SameSeedSameNoiseAndTheNoiseGainScalesIt) {
  engine->seedNoise(11);
  send(0x90, 60, 127);
  const std::vector<float> first = play(8192);

  SynthEngine* other = new SynthEngine();
  std::unique_ptr<SynthEngine> keep(other);
  std::swap(engine, keep);  // the fixture helpers now drive the second engine
  engine->setParameter(Stretch, 0.5f);
  engine->setParameter(DoMorphing, 0.0f);
  for (int p : {MorphHarmX, MorphHarmY, MorphNoiseX, MorphNoiseY}) engine->setParameter(p, 0.0f);
  VoiceSlot& s = engine->slot(0);
  test::buildSlot(s, 440.0f, {}, 10.0f);
  for (int layer = 0; layer < 2; ++layer) test::buildNoise(s.noise[0][layer], kNoiseEntry, 1.0f, 10.0f);
  s.prepare();
  engine->setParameter(NoiseAmount, 1.0f);  // twice the default noise volume
  engine->seedNoise(11);
  send(0x90, 60, 127);
  const std::vector<float> louder = play(8192);
  for (int i = 0; i < 8192; ++i) ASSERT_NEAR(louder[i], 2.0f * first[i], 1e-6f) << i;

  engine->seedNoise(12);
  send(0x90, 62, 127);
  const std::vector<float> reseeded = play(1024);
  int differing = 0;
  for (int i = 0; i < 1024; ++i) differing += reseeded[i] != louder[i];
  EXPECT_GT(differing, 512);
}

TEST_F(NoisePlayback, FormantFilterWeightsHarmonicsAndNoise) {
  VoiceSlot& s = engine->slot(0);
  for (int layer = 0; layer < 2; ++layer) test::buildRecording(s.harmonics[0][layer], 440.0f, {{1, 0.5f}}, 10.0f);
  s.prepare();
  engine->seedNoise(3);
  send(0x90, 69, 127);
  const std::vector<float> plain = play(8192);

  // A flat formant curve at 0.5 halves everything.
  BreakpointCurve& formant = engine->formantCurve();
  formant.reset();
  formant.add(0.0f, 0.5f);
  formant.add(1.0f, 0.5f);
  engine->setParameter(FormantFilterOn, 1.0f);
  engine->setParameter(Release, 0.0f);
  send(0xB0, 126, 0);  // all voices released once the block has applied the writes
  play(1024);
  ASSERT_EQ(engine->activeVoiceCount(), 0);
  engine->seedNoise(3);
  send(0x90, 69, 127);
  const std::vector<float> filtered = play(8192);
  for (int j = 0; j < SynthEngine::kFormantTableSize; ++j) ASSERT_EQ(engine->formantTable()[j], 0.5f);
  for (int i = 0; i < 8192; ++i) ASSERT_NEAR(filtered[i], 0.5f * plain[i], 1e-5f) << i;

  // An all-zero formant curve silences the voice.
  formant.reset();
  formant.add(0.0f, 0.0f);
  formant.add(1.0f, 0.0f);
  send(0x90, 72, 127);
  play(2048);
  engine->releaseAll();
  std::vector<float>& silent = play(4096);
  for (float v : silent) ASSERT_EQ(v, 0.0f);
}

TEST_F(Playback, SoundsWithoutNoiseNeverDrawRandomNumbers) {
  test::buildSlot(engine->slot(0), 440.0f, {{1, 0.8f}}, 10.0f);
  test::buildSlot(engine->slot(1), 440.0f, {{2, 0.8f}}, 10.0f);
  send(0x90, 60, 127);
  play(4096);
  engine->setParameter(DoMorphing, 1.0f);
  send(0x90, 64, 127);
  play(4096);
  EXPECT_GT(test::rms(left.data(), 4096), 0.01);
  EXPECT_EQ(engine->noiseRandom().drawCount(), 0u);
}

TEST_F(Playback, MorphedNoiseFollowsTheNoisePad) {
  // Slot A is silent, slot B holds the noise.
  test::buildSlot(engine->slot(0), 440.0f, {}, 10.0f);
  VoiceSlot& b = engine->slot(1);
  test::buildSlot(b, 440.0f, {}, 10.0f);
  for (int layer = 0; layer < 2; ++layer) test::buildNoise(b.noise[0][layer], kNoiseEntry, 1.0f, 10.0f);
  b.prepare();
  engine->setParameter(DoMorphing, 1.0f);
  send(0x90, 60, 127);
  std::vector<float>& atA = play(4096);
  EXPECT_EQ(test::rms(atA.data(), 4096), 0.0);
  EXPECT_EQ(engine->noiseRandom().drawCount(), 0u);
  engine->setParameter(MorphNoiseX, 1.0f);
  std::vector<float>& atB = play(8192);
  EXPECT_GT(test::rms(atB.data() + 1024, 4096), 0.0);
  const double entryFrequency = (kNoiseEntry + 1) / 256.0 * 22050.0;
  EXPECT_GT(test::amplitudeAt(atB.data() + 1024, 4096, entryFrequency, kRate),
            10.0 * test::amplitudeAt(atB.data() + 1024, 4096, 2000.0, kRate));
}

// Two instances rendering on two threads at once (as a host may run them) each
// produce exactly what they produce alone: no working memory is shared.
TEST(ConcurrentEngines, RenderTheSameAsAlone) {
  auto make = [] {
    auto engine = std::make_unique<SynthEngine>();
    for (int k = 0; k < kNumSlots; ++k) {
      VoiceSlot& s = engine->slot(k);
      test::buildSlot(s, 300.0f, {{1, 0.4f}, {3, 0.2f}}, 5.0f);
      for (int layer = 0; layer < 2; ++layer) test::buildNoise(s.noise[0][layer], 20 + 30 * k, 0.8f, 5.0f);
      s.prepare();
    }
    engine->setParameter(MorphNoiseX, 0.3f);
    engine->seedNoise(5);
    return engine;
  };
  auto play = [](SynthEngine& engine, std::vector<float>& out) {
    std::vector<float> right(512);
    for (int b = 0; b < 80; ++b) {
      if (b % 10 == 0) {
        const std::uint8_t on[3] = {0x90, static_cast<std::uint8_t>(50 + b / 10), 110};
        engine.queueMessage(on, 3, 17);
      }
      engine.render(out.data() + b * 512, right.data(), 512);
    }
  };
  std::vector<float> alone(80 * 512);
  {
    auto engine = make();
    play(*engine, alone);
  }
  auto first = make();
  auto second = make();
  std::vector<float> outFirst(alone.size()), outSecond(alone.size());
  std::thread thread([&] { play(*first, outFirst); });
  play(*second, outSecond);
  thread.join();
  EXPECT_GT(test::rms(alone.data(), static_cast<int>(alone.size())), 0.01);
  EXPECT_EQ(outFirst, alone);
  EXPECT_EQ(outSecond, alone);
}

}  // namespace
}  // namespace vt
