// The reverb: line lengths per sample rate, the first arrival through the
// comb and all-pass structure, mix and size settings, clean silence without
// denormals, and the settings kept across a sample-rate change.
#include "effects/reverb_unit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/denormal_guard.h"

namespace vt {
namespace {

bool isDenormal(float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, sizeof(bits));
  return v != 0.0f && (bits & 0x7F800000u) == 0;
}

TEST(ReverbUnit, LengthsScaleWithTheSampleRate) {
  ReverbUnit reverb;
  reverb.setSampleRate(44100.0f);
  const int combs[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  const int left[4] = {556, 441, 341, 225};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(reverb.combs[i].size, combs[i]);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(reverb.allPassLeft[i].size, left[i]);
    EXPECT_EQ(reverb.allPassRight[i].size, left[i] + 23);
  }
  reverb.setSampleRate(48000.0f);
  EXPECT_EQ(reverb.combs[0].size, 1215);
  EXPECT_EQ(reverb.combs[7].size, 1760);        // 1617 * 48000 / 44100 = 1760.0
  EXPECT_EQ(reverb.allPassRight[0].size, 630);  // 579 * 48000 / 44100 = 630.2
  reverb.setSampleRate(192000.0f);
  EXPECT_EQ(reverb.combs[7].size, 7040);  // 1617 * 192000 / 44100 = 7040.0
  for (const auto& c : reverb.combs) EXPECT_LE(c.size, c.capacity);
}

TEST(ReverbUnit, FirstArrivalComesFromTheShortestCombThroughBothChains) {
  ReverbUnit reverb;
  reverb.setSampleRate(44100.0f);
  reverb.setMix(1.0f);   // wet 0.75, dry 0.5
  reverb.setSize(1.0f);  // right wet scaled by 0.85
  std::vector<float> l(1200, 0.0f), r(1200, 0.0f);
  l[0] = 1.0f;
  reverb.process(l.data(), r.data(), 1200);
  EXPECT_FLOAT_EQ(l[0], 0.5f);  // dry only
  EXPECT_FLOAT_EQ(r[0], 0.0f);
  for (int i = 1; i < 1116; ++i) {
    ASSERT_EQ(l[i], 0.0f) << i;
    ASSERT_EQ(r[i], 0.0f) << i;
  }
  // The impulse times the input gain leaves comb 0 after 1116 samples; each of
  // the four all-passes passes a first arrival inverted (b - x with b = 0).
  EXPECT_FLOAT_EQ(l[1116], 0.015f * 0.75f);
  EXPECT_FLOAT_EQ(r[1116], 0.015f * 0.75f * 0.85f);
}

TEST(ReverbUnit, SettingsMapAsDocumented) {
  ReverbUnit reverb;
  EXPECT_FLOAT_EQ(reverb.wet, 1.0f);  // before any setting is written
  EXPECT_FLOAT_EQ(reverb.dry, 0.0f);
  reverb.setMix(1.0f);
  reverb.setSize(0.5f);
  reverb.setDecay(0.5f);
  EXPECT_FLOAT_EQ(reverb.wet, 0.75f);
  EXPECT_FLOAT_EQ(reverb.dry, 0.5f);
  EXPECT_FLOAT_EQ(reverb.roomSize, 0.84f);
  EXPECT_FLOAT_EQ(reverb.damp, 0.2f);
  EXPECT_FLOAT_EQ(reverb.rightWetScale, 1.0f);
  reverb.setSize(0.8f);
  reverb.setDecay(0.0f);
  EXPECT_FLOAT_EQ(reverb.rightWetScale, 0.91f);
  EXPECT_FLOAT_EQ(reverb.combs[3].feedback, 0.8f * 0.28f + 0.7f);
  EXPECT_FLOAT_EQ(reverb.combs[3].damp1, 0.4f);
  EXPECT_FLOAT_EQ(reverb.combs[3].damp2, 0.6f);
}

TEST(ReverbUnit, ZeroMixLeavesTheInputAndSurvivesARateChange) {
  ReverbUnit reverb;
  reverb.setSampleRate(44100.0f);
  reverb.setMix(0.0f);
  reverb.setSize(0.9f);
  reverb.setDecay(0.1f);
  std::vector<float> l(5000), r(5000);
  for (int i = 0; i < 5000; ++i) {
    l[i] = std::sin(0.01f * static_cast<float>(i));
    r[i] = 0.5f * std::cos(0.02f * static_cast<float>(i));
  }
  const std::vector<float> l0 = l, r0 = r;
  reverb.process(l.data(), r.data(), 5000);
  EXPECT_EQ(l, l0);
  EXPECT_EQ(r, r0);

  // A new rate rescales the lines but keeps the settings last written.
  reverb.setSampleRate(48000.0f);
  EXPECT_FLOAT_EQ(reverb.wet, 0.0f);
  EXPECT_FLOAT_EQ(reverb.dry, 1.0f);
  EXPECT_FLOAT_EQ(reverb.roomSize, 0.9f * 0.28f + 0.7f);
  EXPECT_FLOAT_EQ(reverb.combs[0].feedback, 0.9f * 0.28f + 0.7f);
  EXPECT_FLOAT_EQ(reverb.combs[0].damp1, 0.9f * 0.4f);
  reverb.process(l.data(), r.data(), 5000);
  EXPECT_EQ(l, l0);
  EXPECT_EQ(r, r0);
}

// Runs silent blocks after a loud burst until the output is exactly silent
// (or the block limit is reached); checks the comb memories after every block.
bool drainsToSilence(ReverbUnit& reverb, int maxBlocks) {
  std::vector<float> l(512, 0.8f), r(512, 0.0f);
  reverb.process(l.data(), r.data(), 512);
  bool heardTail = false;  // the first echo needs more than a block to arrive
  for (int block = 0; block < maxBlocks; ++block) {
    std::fill(l.begin(), l.end(), 0.0f);
    std::fill(r.begin(), r.end(), 0.0f);
    reverb.process(l.data(), r.data(), 512);
    for (const auto& c : reverb.combs) {
      if (isDenormal(c.filterStore)) {
        ADD_FAILURE() << "denormal comb memory after block " << block;
        return false;
      }
    }
    bool silent = true;
    for (int i = 0; i < 512; ++i) silent = silent && l[i] == 0.0f && r[i] == 0.0f;
    if (!silent) heardTail = true;
    if (silent && heardTail) return true;
  }
  return false;
}

TEST(ReverbUnit, SilenceGivesSilence) {
  ReverbUnit reverb;
  reverb.setSampleRate(44100.0f);
  reverb.setMix(1.0f);
  std::vector<float> l(512, 0.0f), r(512, 0.0f);
  reverb.process(l.data(), r.data(), 512);
  for (int i = 0; i < 512; ++i) ASSERT_EQ(l[i] + r[i], 0.0f);
  // With denormals flushed, as on the audio thread, the tail ends in exact zeros.
  DenormalGuard guard;
  reverb.setSize(0.5f);
  reverb.setDecay(0.5f);
  EXPECT_TRUE(drainsToSilence(reverb, 4000));
}

TEST(ReverbUnit, CombMemoriesAreNeverLeftDenormalAfterABlock) {
  // Without the processor's flush modes the unit's own clean-up must keep the
  // damping memories out of the denormal range.
  ReverbUnit reverb;
  reverb.setSampleRate(44100.0f);
  reverb.setMix(1.0f);
  reverb.setSize(0.0f);
  reverb.setDecay(0.0f);
  drainsToSilence(reverb, 2000);
}

TEST(ReverbUnit, ResetStopsTheTail) {
  ReverbUnit reverb;
  reverb.setSampleRate(44100.0f);
  reverb.setMix(1.0f);
  std::vector<float> l(4000, 0.3f), r(4000, 0.3f);
  reverb.process(l.data(), r.data(), 4000);
  reverb.reset();
  std::fill(l.begin(), l.end(), 0.0f);
  std::fill(r.begin(), r.end(), 0.0f);
  reverb.process(l.data(), r.data(), 4000);
  for (int i = 0; i < 4000; ++i) ASSERT_EQ(l[i], 0.0f);
}

TEST(ReverbUnit, IdleWithoutASupportedSampleRate) {
  ReverbUnit reverb;
  float l[1] = {0.4f};
  float r[1] = {0.1f};
  reverb.process(l, r, 1);
  reverb.setSampleRate(1000.0f);
  reverb.process(l, r, 1);
  EXPECT_EQ(l[0], 0.4f);
  EXPECT_EQ(r[0], 0.1f);
}

}  // namespace
}  // namespace vt
