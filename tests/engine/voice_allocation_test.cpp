// Notes and voice allocation: which voices a note takes, stealing, legato,
// release, bend, and how a note's sound is picked or blended from the rows and
// layers of a slot.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/synth_engine.h"
#include "tests/engine/voice_test_sounds.h"

namespace vt {
namespace {

constexpr int kVoices = SynthEngine::kVoices;

class VoiceAllocation : public ::testing::Test {
protected:
  std::unique_ptr<SynthEngine> engine = std::make_unique<SynthEngine>();
  std::vector<float> left = std::vector<float>(4096), right = std::vector<float>(4096);

  VoiceAllocation() {
    for (int k = 0; k < kNumSlots; ++k) test::buildSlot(engine->slot(k), 220.0f, {{1, 0.5f}}, 20.0f);
    engine->setParameter(Stretch, 0.5f);  // sounds play at their own length
  }
  void render(int frames) { engine->render(left.data(), right.data(), frames); }
  void message(std::uint8_t status, std::uint8_t d1, std::uint8_t d2) {
    const std::uint8_t bytes[3] = {status, d1, d2};
    engine->handleMessage(bytes, 3);
  }
  void singleSlotMode() {
    engine->setParameter(DoMorphing, 0.0f);
    for (int p : {MorphHarmX, MorphHarmY, MorphNoiseX, MorphNoiseY}) engine->setParameter(p, 0.0f);  // slot A only
  }
  std::vector<int> activeVoices() {
    std::vector<int> result;
    for (int i = 0; i < kVoices; ++i)
      if (engine->isActive(i)) result.push_back(i);
    return result;
  }
  int slotIndexOf(const SynthVoice& v) {
    for (int k = 0; k < kNumSlots; ++k)
      if (v.slot == &engine->slot(k)) return k;
    return -1;
  }
};

TEST_F(VoiceAllocation, WithoutMorphingANoteTakesOneVoicePerAudibleSlot) {
  engine->setParameter(DoMorphing, 0.0f);
  engine->setParameter(MorphHarmX, 0.0f);
  engine->setParameter(MorphNoiseX, 0.0f);
  engine->noteOn(60, 0.8f);
  std::vector<int> slotsPlayed;
  for (int i : activeVoices()) {
    EXPECT_EQ(engine->voice(i).mode, SynthVoice::kSingleSlot);
    slotsPlayed.push_back(slotIndexOf(engine->voice(i)));
  }
  EXPECT_EQ(slotsPlayed, (std::vector<int>{0, 2}));  // A and C

  // Only one of the two X positions at the edge keeps all four slots.
  engine->setParameter(MorphNoiseX, 0.5f);
  engine->noteOn(62, 0.8f);
  EXPECT_EQ(activeVoices().size(), 6u);
  // Both pads at the far corner: D alone.
  for (int p : {MorphHarmX, MorphHarmY, MorphNoiseX, MorphNoiseY}) engine->setParameter(p, 1.0f);
  engine->noteOn(64, 0.8f);
  ASSERT_EQ(activeVoices().size(), 7u);
  EXPECT_EQ(slotIndexOf(engine->voice(activeVoices().back())), 3);
}

TEST_F(VoiceAllocation, MorphingStartsALeaderAndThreeFollowers) {
  engine->setParameter(MorphHarmX, 0.0f);  // audibility does not thin a morph group
  engine->setParameter(MorphNoiseX, 0.0f);
  engine->noteOn(60, 0.8f);
  const std::vector<int> active = activeVoices();
  ASSERT_EQ(active, (std::vector<int>{0, 1, 2, 3}));
  const SynthVoice& leader = engine->voice(0);
  EXPECT_EQ(leader.mode, SynthVoice::kMorphLeader);
  EXPECT_EQ(slotIndexOf(leader), 0);
  for (int k = 0; k < 3; ++k) {
    const SynthVoice* follower = leader.companions[k];
    ASSERT_NE(follower, nullptr);
    EXPECT_EQ(follower->mode, SynthVoice::kMorphFollower);
    EXPECT_EQ(follower->leader, &leader);
    EXPECT_EQ(slotIndexOf(*follower), k + 1);
  }
  // Followers live and die with their leader.
  engine->noteOff(60);
  engine->setParameter(Release, 0.0f);
  render(2048);
  EXPECT_EQ(activeVoices().size(), 4u);  // released with the 3 s release chosen at note-off
  engine->voice(0).soundPosition = 100.0f;
  EXPECT_FALSE(engine->isActive(2));
  EXPECT_TRUE(activeVoices().empty());
  EXPECT_EQ(engine->voice(2).mode, SynthVoice::kSingleSlot);
  EXPECT_EQ(engine->voice(2).note, -1);
}

TEST_F(VoiceAllocation, RepeatedNoteFadesTheOldVoiceWithinHalfAMillisecond) {
  singleSlotMode();
  engine->noteOn(60, 1.0f);
  render(1024);
  engine->noteOn(60, 1.0f);
  ASSERT_EQ(activeVoices(), (std::vector<int>{0, 1}));
  const SynthVoice& old = engine->voice(0);
  EXPECT_FALSE(old.held);
  EXPECT_TRUE(engine->voice(1).held);
  const float p = old.soundPosition;
  EXPECT_NEAR(old.envelope.lastTime(), p + 0.0005f, 1e-6f);
  EXPECT_EQ(old.envelope.y(old.envelope.count() - 1), 0.0f);
  render(64);
  EXPECT_EQ(activeVoices(), (std::vector<int>{1}));
}

TEST_F(VoiceAllocation, The49thVoiceFadesTheVoiceHeldLongest) {
  singleSlotMode();
  for (int n = 0; n < 48; ++n) {
    engine->noteOn(30 + n, 0.7f);
    render(64);
  }
  ASSERT_EQ(activeVoices().size(), 48u);
  engine->noteOn(100, 0.7f);
  EXPECT_EQ(activeVoices().size(), 49u);  // the stolen one still fades
  EXPECT_FALSE(engine->voice(0).held);
  EXPECT_EQ(engine->voice(0).note, 30);
  for (int i = 1; i < 49; ++i) EXPECT_TRUE(engine->voice(i).held) << i;
  render(64);
  EXPECT_EQ(activeVoices().size(), 48u);
  EXPECT_FALSE(engine->isActive(0));

  // With no voice held, the one furthest into its sound goes.
  engine->releaseAll();
  engine->noteOn(101, 0.7f);
  EXPECT_EQ(engine->voice(1).note, 31);
  EXPECT_TRUE(engine->voice(1).fading);  // note 31 has played longest of the remaining voices
}

TEST_F(VoiceAllocation, MorphGroupsNeedFourFreeVoices) {
  for (int g = 0; g < 13; ++g) {
    engine->noteOn(40 + g, 0.7f);
    render(32);
  }
  // 13 groups are 52 voices: the 13th started by fading the oldest group.
  EXPECT_EQ(activeVoices().size(), 48u);
  EXPECT_FALSE(engine->isActive(0));
  engine->noteOn(60, 0.7f);  // four voices free: fits
  engine->noteOn(61, 0.7f);  // none free until the faded group has gone: dropped
  int leaders = 0;
  for (int i = 0; i < kVoices; ++i) leaders += engine->isActive(i) && engine->voice(i).mode == SynthVoice::kMorphLeader;
  EXPECT_EQ(leaders, 13);
  for (int i = 0; i < kVoices; ++i) EXPECT_NE(engine->voice(i).note, 61);
  render(32);
  EXPECT_EQ(activeVoices().size(), 48u);
}

TEST_F(VoiceAllocation, LegatoGlidesEveryVoiceAndOnlyTheLastKeyReleases) {
  singleSlotMode();
  engine->setParameter(PortamentoOn, 1.0f);
  engine->setParameter(PortamentoRate, 0.5f);  // 0.5 s
  engine->noteOn(60, 0.8f);
  render(441);
  const float clock = engine->voice(0).envelopeClock;
  engine->noteOn(72, 0.8f);
  ASSERT_EQ(activeVoices(), (std::vector<int>{0}));  // no new voice
  const SynthVoice& v = engine->voice(0);
  const float from = engine->noteFrequencyTable()[60];
  const float to = engine->noteFrequencyTable()[72];
  EXPECT_TRUE(v.gliding);
  EXPECT_FLOAT_EQ(v.basePitch(clock), from);
  EXPECT_NEAR(v.basePitch(clock + 0.25f), std::sqrt(from * to), 0.01f);  // linear in cents
  EXPECT_FLOAT_EQ(v.basePitch(clock + 0.5f), to);

  engine->noteOff(60);
  EXPECT_TRUE(v.held);
  message(0x80, 72, 0);
  EXPECT_FALSE(v.held);

  // The next note starts its own voice, without a glide.
  engine->noteOn(67, 0.8f);
  ASSERT_EQ(activeVoices(), (std::vector<int>{0, 1}));
  EXPECT_FALSE(engine->voice(1).gliding);
  EXPECT_FLOAT_EQ(engine->voice(1).basePitch(0.1f), engine->noteFrequencyTable()[67]);
}

TEST_F(VoiceAllocation, NoteOffReleasesOnlyThatKeyAndVelocityZeroIsANoteOff) {
  singleSlotMode();
  engine->noteOn(60, 0.8f);
  engine->noteOn(62, 0.8f);
  message(0x93, 60, 0);  // note-on with velocity 0, any channel
  EXPECT_FALSE(engine->voice(0).held);
  EXPECT_TRUE(engine->voice(1).held);
  EXPECT_NEAR(engine->voice(0).envelope.lastTime(), 3.0f, 1e-5f);
}

TEST_F(VoiceAllocation, Controller126ReleasesEveryVoice) {
  engine->noteOn(60, 0.8f);
  engine->setParameter(DoMorphing, 0.0f);
  engine->noteOn(64, 0.8f);
  ASSERT_EQ(activeVoices().size(), 8u);
  message(0xB2, 126, 0);
  for (int i : activeVoices()) EXPECT_FALSE(engine->voice(i).held) << i;
}

TEST_F(VoiceAllocation, PitchBendReachesAllVoicesIncludingFreeOnes) {
  engine->noteOn(60, 0.8f);
  message(0xE0, 0, 64);
  for (int i = 0; i < kVoices; ++i) EXPECT_EQ(engine->voice(i).bendCents, 0.0f);
  message(0xE0, 127, 127);  // +8191 at range 0 (one step): 8191 x 100 / 1360
  for (int i = 0; i < kVoices; ++i) EXPECT_NEAR(engine->voice(i).bendCents, 602.28f, 0.01f);
  message(0xE0, 0, 0);
  EXPECT_NEAR(engine->voice(40).bendCents, -8192.0f * 100.0f / 1360.0f, 0.01f);
  engine->setParameter(PitchbendRange, 1.0f);  // 24 semitones
  message(0xE0, 0, 96);
  EXPECT_NEAR(engine->voice(7).bendCents, 4096.0f * 2400.0f / 1360.0f, 0.05f);
  // A new note starts with the current bend.
  engine->noteOn(70, 0.8f);
  EXPECT_NEAR(engine->voice(4).bendCents, 4096.0f * 2400.0f / 1360.0f, 0.05f);
  EXPECT_NEAR(engine->voice(4).pitch(0.0f), engine->noteFrequencyTable()[70] * std::exp2(4096.0f * 2.0f / 1360.0f),
              0.01f);
}

// Rows and layers: row 0 recorded at note 57, row 1 at note 69; each layer and
// row has its own level so the blend weights can be read back.
class NoteBlend : public VoiceAllocation {
protected:
  float softLevel[2] = {0.1f, 0.3f};
  float loudLevel[2] = {0.5f, 0.9f};

  NoteBlend() {
    singleSlotMode();
    VoiceSlot& s = engine->slot(0);
    s.reset();
    s.rowCount = 2;
    const float base[2] = {engine->noteFrequencyTable()[57], engine->noteFrequencyTable()[69]};
    for (int r = 0; r < 2; ++r) {
      test::buildRecording(s.harmonics[r][0], base[r], {{1, softLevel[r]}}, 5.0f);
      test::buildRecording(s.harmonics[r][1], base[r], {{1, loudLevel[r]}}, 5.0f);
    }
    s.prepare();
  }
  // The level of the note's first harmonic while it is steady.
  float levelFor(int note, float velocity) {
    engine->releaseAll();
    for (int i = 0; i < kVoices; ++i) engine->voice(i).soundPosition = 1000.0f;  // free every voice
    engine->noteOn(note, velocity);
    const int first = activeVoices().at(0);
    return engine->voice(first).harmonics.amplitude[0].evaluate(2.0f);
  }
};

TEST_F(NoteBlend, ANoteAtARowsBaseFrequencyUsesThatRowAlone) {
  EXPECT_FLOAT_EQ(levelFor(57, 0.1f), softLevel[0]);
  EXPECT_FLOAT_EQ(levelFor(69, 0.1f), softLevel[1]);
  EXPECT_FLOAT_EQ(levelFor(69, 1.0f), loudLevel[1]);
}

TEST_F(NoteBlend, NotesOutsideTheRowsUseTheNearestRow) {
  EXPECT_FLOAT_EQ(levelFor(30, 0.1f), softLevel[0]);
  EXPECT_FLOAT_EQ(levelFor(100, 0.1f), softLevel[1]);
}

TEST_F(NoteBlend, KeyAndVelocityBlendInLogFrequencyAndAboveVelocity32) {
  // Note 63 lies half-way between the rows in log frequency.
  EXPECT_NEAR(levelFor(63, 0.1f), 0.5f * (softLevel[0] + softLevel[1]), 1e-5f);
  EXPECT_FLOAT_EQ(levelFor(57, 31.0f / 127.0f), softLevel[0]);  // below 32: soft only
  EXPECT_FLOAT_EQ(levelFor(57, 32.0f / 127.0f), softLevel[0]);
  const float u = (79.5f / 127.0f - 0.2519685f) / 0.7480315f;
  EXPECT_NEAR(levelFor(57, 79.5f / 127.0f), (1.0f - u) * softLevel[0] + u * loudLevel[0], 1e-5f);
  EXPECT_NEAR(levelFor(63, 1.0f), 0.5f * (loudLevel[0] + loudLevel[1]), 1e-5f);
  // The note's own set plays at the note's frequency.
  EXPECT_FLOAT_EQ(engine->voice(activeVoices().at(0)).harmonics.baseFrequency, engine->noteFrequencyTable()[63]);
}

TEST_F(NoteBlend, SoloButtonPlaysOneStoredMultisample) {
  engine->setParameter(SoloButtonA, 1.0f);
  engine->setParameter(MultisampleA, 1.0f / 8.0f);  // row 1
  engine->setParameter(SoftLoudButtonA, 1.0f);      // loud
  EXPECT_FLOAT_EQ(levelFor(40, 0.1f), loudLevel[1]);
  engine->setParameter(SoftLoudButtonA, 0.0f);
  EXPECT_FLOAT_EQ(levelFor(90, 1.0f), softLevel[1]);
  engine->setParameter(MultisampleA, 0.0f);
  EXPECT_FLOAT_EQ(levelFor(90, 1.0f), softLevel[0]);
}

}  // namespace
}  // namespace vt
