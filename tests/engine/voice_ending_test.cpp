// Every voice ends smoothly and on time: quick fades of looping voices,
// released looping voices, short and misplaced loops, a full key table, a
// short time stretch, noise that outlasts the harmonics and a raised
// multisample count, each checked with the click detector (largest step
// against the same sound's steady steps) and the voices' activity.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/synth_engine.h"
#include "tests/engine/voice_test_sounds.h"
#include "tests/support/click_detector.h"

namespace vt {
namespace {

constexpr float kRate = 44100.0f;
constexpr int kNote220 = 57;  // 220 Hz

long frames(float seconds) { return static_cast<long>(seconds * kRate); }

class VoiceEnding : public ::testing::Test {
protected:
  std::unique_ptr<SynthEngine> engine = std::make_unique<SynthEngine>();
  std::vector<float> out;  // left channel of everything rendered
  int block = 512;

  VoiceEnding() {
    engine->setSampleRate(kRate);
    engine->setParameter(DoMorphing, 0.0f);
    for (int p : {MorphHarmX, MorphHarmY, MorphNoiseX, MorphNoiseY}) engine->setParameter(p, 0.0f);  // slot A only
    engine->setParameter(Stretch, 0.5f);                                                             // time scale 1
    engine->setParameter(Release, 0.0f);
    test::buildSlot(engine->slot(0), 220.0f, {{1, 0.5f}}, 2.0f);
  }
  // Renders 'seconds' more and appends the left channel to 'out'.
  void play(float seconds) {
    const long total = frames(seconds);
    std::vector<float> l(static_cast<size_t>(block)), r(static_cast<size_t>(block));
    for (long done = 0; done < total; done += block) {
      const int n = total - done < block ? static_cast<int>(total - done) : block;
      engine->render(l.data(), r.data(), n);
      out.insert(out.end(), l.begin(), l.begin() + n);
    }
  }
  size_t now() const { return out.size(); }
};

TEST_F(VoiceEnding, RetriggeredLoopingVoiceFadesWithoutAClick) {
  engine->setParameter(GlobalLoopOn, 1.0f);
  engine->noteOn(kNote220, 1.0f);
  play(3.0f);  // well into the loop: the sound position has jumped back many times
  const size_t at = now();
  engine->noteOn(kNote220, 1.0f);  // the old voice gets the quick fade
  play(0.1f);
  EXPECT_LT(test::clickRatio(out, at - 64, at + 2000, at - 20000, at - 1000), 4.0);
  EXPECT_EQ(engine->activeVoiceCount(), 1);
}

TEST_F(VoiceEnding, ReleasedLoopingVoicesEndAndLeaveRoomForNewNotes) {
  engine->setParameter(GlobalLoopOn, 1.0f);
  engine->setParameter(Release, 0.1f);  // 0.3 s
  for (int n = 0; n < 44; ++n) engine->noteOn(30 + n, 0.8f);
  play(2.5f);
  for (int n = 0; n < 44; ++n) engine->noteOff(30 + n);
  play(0.4f);
  EXPECT_EQ(engine->activeVoiceCount(), 0);  // no released voice lingers on

  for (int n = 0; n < 8; ++n) engine->noteOn(80 + n, 0.8f);
  play(0.1f);
  int held = 0;
  for (int i = 0; i < SynthEngine::kVoices; ++i)
    if (engine->isActive(i) && engine->voice(i).held && !engine->voice(i).fading) ++held;
  EXPECT_EQ(held, 8);
  engine->setParameter(DoMorphing, 1.0f);  // a morph group needs four free voices
  play(0.01f);                             // a running engine applies the write at the next block
  engine->noteOn(90, 0.8f);
  EXPECT_EQ(engine->activeVoiceCount(), 12);
}

TEST_F(VoiceEnding, LoopShorterThanABlockHoldsTheSoundAtAnyBlockSize) {
  engine->setParameter(GlobalLoopOn, 1.0f);
  ASSERT_EQ(engine->slot(0).loopStart, engine->slot(0).loopEnd);  // the automatic loop fit
  double heldLevel[2];
  for (int run = 0; run < 2; ++run) {
    out.clear();
    block = run == 0 ? 512 : 64;
    engine->noteOn(kNote220, 1.0f);
    play(4.0f);
    ASSERT_TRUE(engine->isActive(0)) << block;  // held beyond the 2 s sound
    heldLevel[run] = test::rms(out.data() + frames(3.0f), static_cast<int>(frames(1.0f)));
    EXPECT_GT(heldLevel[run], 0.01) << block;
    // Steady: no step at the block rate, every ten periods the same level.
    EXPECT_LT(test::clickRatio(out, frames(2.5f), frames(4.0f), frames(2.5f), frames(2.6f)), 1.1) << block;
    const int tenPeriods = 2005;
    for (long t = frames(2.5f); t + tenPeriods < frames(4.0f); t += tenPeriods)
      ASSERT_NEAR(test::rms(out.data() + t, tenPeriods), heldLevel[run], 0.01 * heldLevel[run]) << block << " at " << t;
    engine->noteOff(kNote220);
    play(0.1f);
  }
  EXPECT_NEAR(heldLevel[0], heldLevel[1], 0.01 * heldLevel[0]);
}

TEST_F(VoiceEnding, LoopStartPastTheSoundIsMovedInside) {
  VoiceSlot& slot = engine->slot(0);
  slot.loopStart = 5.0f;  // beyond the 2 s sound
  slot.loopEnd = 1.0f;
  slot.prepare();
  EXPECT_LE(slot.loopStart, slot.loopEnd);
  EXPECT_LE(slot.loopEnd, 2.0f);
  engine->setParameter(GlobalLoopOn, 1.0f);
  engine->noteOn(kNote220, 1.0f);
  play(3.0f);
  EXPECT_TRUE(engine->isActive(0));  // the key is still down
  EXPECT_GT(test::rms(out.data() + frames(2.5f), static_cast<int>(frames(0.5f))), 0.05);
}

// A loop over a sound that still swells and fades at its ends: level 0.4 at
// both loop points, rising at the start and falling at the end. The block that
// passes the loop end glides to the loop start's level, so the many wraps make
// no step, whatever the block size.
TEST_F(VoiceEnding, LoopWrapsWithoutAStepWhereTheSoundStillMoves) {
  VoiceSlot& slot = engine->slot(0);
  slot.reset();
  slot.rowCount = 1;
  slot.layerCount = 2;
  const float times[6] = {0.0f, 0.1f, 0.7f, 1.2f, 1.7f, 2.0f};
  const float levels[6] = {0.0f, 0.8f, 0.2f, 0.6f, 0.2f, 0.0f};  // 0.4 at 0.95 s and at 1.45 s
  const float ones[6] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
  for (int layer = 0; layer < VoiceSlot::kLayers; ++layer) {
    HarmonicSet& set = slot.harmonics[0][layer];
    set.reset();
    set.amplitude[0].assign(6, times, levels);
    set.frequency[0].assign(6, times, ones);
    set.baseFrequency = 55.0f;
    set.updateDuration();
  }
  slot.loopStart = 0.95f;
  slot.loopEnd = 1.45f;
  slot.prepare();
  ASSERT_EQ(slot.loopStart, 0.95f);
  ASSERT_EQ(slot.loopEnd, 1.45f);
  engine->setParameter(GlobalLoopOn, 1.0f);
  for (int size : {512, 100}) {
    SCOPED_TRACE(size);
    out.clear();
    block = size;
    engine->noteOn(kNote220 - 24, 1.0f);  // 55 Hz, the recording's own pitch
    play(6.0f);                           // a wrap every half second
    ASSERT_TRUE(engine->isActive(0));
    // Second differences against the loudest stretch of the loop (an unmended wrap gives 7-30).
    EXPECT_LT(test::bendRatio(out, frames(1.4f), frames(6.0f), frames(1.15f), frames(1.25f)), 2.0);
    EXPECT_GT(test::rms(out.data() + frames(5.0f), static_cast<int>(frames(1.0f))), 0.1);
    engine->noteOff(kNote220 - 24);
    play(0.1f);
  }
}

// A recording of harmonic 1 with 96 points 0.08 s apart from 'offset' on:
// silent at its first and last point, 0.5 in between.
void buildDenseRecording(HarmonicSet& set, float baseFrequency, float offset) {
  set.reset();
  for (int i = 0; i < 96; ++i) {
    const float t = offset + 0.08f * static_cast<float>(i);
    set.amplitude[0].add(t, i == 0 || i == 95 ? 0.0f : 0.5f);
    set.frequency[0].add(t, 1.0f);
  }
  set.baseFrequency = baseFrequency;
  set.updateDuration();
}

TEST_F(VoiceEnding, LongNoteWithAFullKeyTableFadesOutAtItsEnd) {
  VoiceSlot& slot = engine->slot(0);
  slot.reset();
  slot.rowCount = 2;
  slot.layerCount = 2;
  // Four recordings whose times interleave: the note's merged table fills up.
  buildDenseRecording(slot.harmonics[0][0], 200.0f, 0.0f);
  buildDenseRecording(slot.harmonics[1][0], 300.0f, 0.011f);
  buildDenseRecording(slot.harmonics[0][1], 200.0f, 0.022f);
  buildDenseRecording(slot.harmonics[1][1], 300.0f, 0.033f);
  slot.prepare();
  ASSERT_EQ(slot.keyCache[0].count(0), KeyInterpolationCache::kTimes);
  engine->noteOn(kNote220 + 2, 0.6f);  // between the rows, between the layers
  play(8.0f);
  const long last = test::lastAbove(out, 1e-4f);
  EXPECT_GT(last, frames(7.5f));  // the note lasts as long as its recordings
  EXPECT_LT(test::clickRatio(out, frames(7.0f), out.size(), frames(3.0f), frames(3.1f)), 1.5);
  EXPECT_EQ(engine->activeVoiceCount(), 0);
}

TEST_F(VoiceEnding, ShortestStretchEndsTheNoteOnTimeWithAFade) {
  engine->setParameter(Stretch, 0.0f);  // time scale 0.2: a 2 s sound ends at 0.4 s
  engine->noteOn(kNote220, 1.0f);
  play(0.38f);
  EXPECT_TRUE(engine->isActive(0));
  play(0.1f);
  EXPECT_FALSE(engine->isActive(0));
  // Silent at the end of the sub-block (at most 256 frames) that reaches the end time.
  EXPECT_LT(test::peakIn(out, frames(0.4f) + SynthEngine::kMaxSubBlock, out.size()), 1e-6f);
  EXPECT_LT(test::clickRatio(out, frames(0.3f), out.size(), frames(0.1f), frames(0.2f)), 2.0);
}

TEST_F(VoiceEnding, NoiseOutlastingTheHarmonicsPlaysToItsEnd) {
  VoiceSlot& slot = engine->slot(0);
  test::buildSlot(slot, 220.0f, {{1, 0.5f}}, 1.0f);
  for (int layer = 0; layer < VoiceSlot::kLayers; ++layer) test::buildNoise(slot.noise[0][layer], 40, 2.0f, 2.0f);
  slot.prepare();
  engine->seedNoise(4);
  engine->noteOn(kNote220, 1.0f);
  play(1.5f);
  EXPECT_TRUE(engine->isActive(0));
  EXPECT_GT(test::rms(out.data() + frames(1.2f), static_cast<int>(frames(0.3f))), 1e-3);
  play(0.6f);
  EXPECT_FALSE(engine->isActive(0));
  EXPECT_LT(test::clickRatio(out, frames(1.9f), out.size(), frames(1.2f), frames(1.5f)), 2.0);
}

TEST_F(VoiceEnding, RaisingTheMultisampleCountPreparesTheNewRows) {
  VoiceSlot& slot = engine->slot(0);
  slot.reset();
  slot.layerCount = 2;
  for (int layer = 0; layer < VoiceSlot::kLayers; ++layer) {
    test::buildRecording(slot.harmonics[0][layer], 220.0f, {{1, 0.5f}}, 2.0f);
    test::buildRecording(slot.harmonics[1][layer], 880.0f, {{1, 0.5f}}, 2.0f);
  }
  slot.rowCount = 1;
  slot.prepare();  // tables for one row only
  engine->setParameter(NumMultisamplesA, 1.0f / 8.0f);
  ASSERT_EQ(slot.rowsInUse(), 2);
  engine->noteOn(kNote220 + 24, 1.0f);  // 880 Hz: the second row alone
  play(0.5f);
  const std::vector<float> held(out.begin() + frames(0.2f), out.begin() + frames(0.4f));
  EXPECT_GT(test::amplitudeAt(held.data(), static_cast<int>(held.size()), 880.0, kRate), 0.1);
}

}  // namespace
}  // namespace vt
