// The tempo delay: step lengths in sixteenths, lengths in samples at a tempo,
// echo timing and feedback, tempo and sync changes that move the echoes
// without clearing or clicking, an unknown
// tempo, lengths beyond the 24-second line, and failed allocation.
#include "effects/sync_delay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/support/allocation_counter.h"
#include "tests/support/click_detector.h"

namespace vt {
namespace {

// Runs 'frames' samples with an impulse of 1 at frame 0 in both channels.
struct DelayOutput {
  std::vector<float> left;
  std::vector<float> right;
};

DelayOutput runImpulse(SyncDelay& delay, int frames, bool withImpulse = true) {
  DelayOutput run{std::vector<float>(static_cast<size_t>(frames), 0.0f),
                  std::vector<float>(static_cast<size_t>(frames), 0.0f)};
  if (withImpulse) run.left[0] = run.right[0] = 1.0f;
  delay.process(run.left.data(), run.right.data(), frames);
  return run;
}

TEST(SyncDelay, KnobValuesMapToSixteenthsThenWholeNotes) {
  EXPECT_EQ(SyncDelay::sixteenthsForValue(1.0f), 1.0f);
  EXPECT_EQ(SyncDelay::sixteenthsForValue(0.96f), 1.0f);
  EXPECT_EQ(SyncDelay::sixteenthsForValue(0.94f), 2.0f);
  EXPECT_EQ(SyncDelay::sixteenthsForValue(0.25f), 16.0f);
  EXPECT_EQ(SyncDelay::sixteenthsForValue(0.2f), 32.0f);
  EXPECT_EQ(SyncDelay::sixteenthsForValue(0.15f), 48.0f);
  EXPECT_EQ(SyncDelay::sixteenthsForValue(0.1f), 64.0f);
  EXPECT_EQ(SyncDelay::sixteenthsForValue(0.04f), 80.0f);
  EXPECT_EQ(SyncDelay::sixteenthsForValue(0.0f), 80.0f);
  EXPECT_EQ(SyncDelay::sixteenthsForValue(-2.0f), 80.0f);
  EXPECT_EQ(SyncDelay::sixteenthsForValue(3.0f), 1.0f);
  EXPECT_EQ(SyncDelay::sixteenthsForValue(NAN), 80.0f);
}

TEST(SyncDelay, LengthsFollowSampleRateAndTempo) {
  SyncDelay delay;
  delay.setSampleRate(44100.0f);
  delay.setTempo(120.0f);
  EXPECT_EQ(delay.lengthFor(1.0f), 5513);  // 5512.5 rounded
  EXPECT_EQ(delay.lengthFor(16.0f), 88200);
  delay.setTempo(90.0f);
  EXPECT_EQ(delay.lengthFor(4.0f), 29400);
  delay.setSampleRate(96000.0f);
  EXPECT_EQ(delay.lengthFor(4.0f), 64000);
}

TEST(SyncDelay, UnknownOrMeaninglessTempoCountsAs120) {
  SyncDelay delay;
  delay.setSampleRate(44100.0f);
  for (float t : {0.0f, -60.0f, NAN, INFINITY}) {
    delay.setTempo(t);
    EXPECT_EQ(delay.tempo, 0.0f);
    EXPECT_EQ(delay.lengthFor(1.0f), 5513) << t;
  }
}

TEST(SyncDelay, LengthsBeyondTheLineAreLimitedTo24Seconds) {
  SyncDelay delay;
  delay.setSampleRate(44100.0f);
  delay.setTempo(50.0f);
  EXPECT_EQ(delay.lengthFor(80.0f), 24 * 44100);  // exactly 24 s
  delay.setTempo(30.0f);
  EXPECT_EQ(delay.lengthFor(80.0f), 24 * 44100);  // 40 s asked for
  delay.setTempo(1e-30f);
  EXPECT_EQ(delay.lengthFor(80.0f), 24 * 44100);
  delay.setTempo(1e9f);
  EXPECT_EQ(delay.lengthFor(1.0f), 1);  // never shorter than one sample
  delay.setSampleRate(192000.0f);
  delay.setTempo(20.0f);
  EXPECT_EQ(delay.lengthFor(80.0f), 24 * 192000);
  EXPECT_LE(delay.lengthFor(80.0f), delay.bufferCapacity);
}

TEST(SyncDelay, EchoesArriveAfterTheLengthWithFeedback) {
  SyncDelay delay;
  delay.setSampleRate(8000.0f);
  delay.setTempo(120.0f);
  delay.setSyncLeft(1.0f);   // 1 sixteenth = 1000 samples
  delay.setSyncRight(0.9f);  // 3 sixteenths = 3000 samples
  delay.setMix(1.0f);        // wet 0.5
  delay.setFeedback(0.5f);   // 0.4
  const DelayOutput run = runImpulse(delay, 7000);
  for (int i = 0; i < 7000; ++i) {
    float left = i == 0 ? 0.5f : 0.0f;
    if (i > 0 && i % 1000 == 0) left = 0.5f * std::pow(0.4f, static_cast<float>(i / 1000 - 1));
    float right = i == 0 ? 0.5f : 0.0f;
    if (i > 0 && i % 3000 == 0) right = 0.5f * std::pow(0.4f, static_cast<float>(i / 3000 - 1));
    ASSERT_NEAR(run.left[i], left, 1e-6f) << i;
    ASSERT_NEAR(run.right[i], right, 1e-6f) << i;
  }
}

TEST(SyncDelay, ANewTempoOrStepMovesTheEchoesWithoutClearingThem) {
  SyncDelay delay;
  delay.setSampleRate(8000.0f);  // the read glides over 160 samples
  delay.setTempo(120.0f);
  delay.setSyncLeft(1.0f);  // 1000 samples
  delay.setSyncRight(1.0f);
  delay.setMix(1.0f);       // wet 0.5
  delay.setFeedback(0.0f);  // one echo per impulse
  runImpulse(delay, 500);
  delay.setTempo(60.0f);  // 2000 samples: the impulse written 500 samples ago is heard 1500 from now
  DelayOutput run = runImpulse(delay, 3000, false);
  EXPECT_EQ(delay.readLengthLeft(), 2000);
  for (int i = 0; i < 3000; ++i) {
    ASSERT_NEAR(run.left[i], i == 1500 ? 0.5f : 0.0f, 1e-6f) << i;
    ASSERT_NEAR(run.right[i], i == 1500 ? 0.5f : 0.0f, 1e-6f) << i;
  }

  // A different step for one channel, with a re-sent tempo in between.
  runImpulse(delay, 100);
  delay.setTempo(60.0f);
  delay.setSyncLeft(0.9f);  // 3 sixteenths = 6000 samples at 60 BPM
  run = runImpulse(delay, 7000, false);
  EXPECT_NEAR(run.right[1900], 0.5f, 1e-6f);
  EXPECT_NEAR(run.left[5900], 0.5f, 1e-6f);
  EXPECT_NEAR(run.left[1900], 0.0f, 1e-6f);
}

TEST(SyncDelay, LengthChangesCrossFadeTheEchoWithoutSteps) {
  // A steady 0.5-amplitude 110 Hz sine through a full echo at 44.1 kHz; the
  // tempo jumps and then the step changes while the echo plays. A cleared or
  // jumping read would step the output by up to the echo's 0.25 amplitude.
  constexpr float kRate = 44100.0f;
  SyncDelay delay;
  delay.setSampleRate(kRate);
  delay.setTempo(120.0f);
  delay.setSyncLeft(0.75f);  // 5 sixteenths
  delay.setSyncRight(0.75f);
  delay.setMix(1.0f);
  delay.setFeedback(0.0f);  // half dry, half one echo: never steeper than the sine itself
  std::vector<float> in, out;
  long frame = 0;
  auto play = [&](int frames) {
    std::vector<float> l(256), r(256);
    for (int done = 0; done < frames; done += 256) {
      for (int i = 0; i < 256; ++i, ++frame)
        l[static_cast<size_t>(i)] = r[static_cast<size_t>(i)] =
            0.5f * std::sin(6.2831853f * 110.0f * static_cast<float>(frame) / kRate);
      in.insert(in.end(), l.begin(), l.end());
      delay.process(l.data(), r.data(), 256);
      out.insert(out.end(), l.begin(), l.end());
    }
  };
  play(88200);
  const size_t tempoAt = out.size();
  delay.setTempo(97.0f);
  play(44100);
  const size_t stepAt = out.size();
  delay.setSyncLeft(0.95f);
  delay.setSyncRight(0.95f);
  play(44100);
  const float own = test::largestStep(in, 0, in.size());  // about 0.0078
  EXPECT_LT(test::largestStep(out, tempoAt, stepAt), 1.5f * own);
  EXPECT_LT(test::largestStep(out, stepAt, out.size()), 1.5f * own);
}

TEST(SyncDelay, LongerLinesOnDemandKeepTheHistoryOfTheShorterOnes) {
  SyncDelay delay;
  delay.setLinesOnDemand(true);
  delay.setSampleRate(8000.0f);
  delay.setTempo(120.0f);
  delay.setSyncLeft(1.0f);  // one sixteenth: 1000 samples, 2400 at 50 BPM
  delay.setSyncRight(1.0f);
  delay.setMix(1.0f);
  delay.setFeedback(0.0f);
  delay.prepareLines();
  EXPECT_EQ(delay.bufferCapacity, 2400);
  runImpulse(delay, 500);
  delay.setTempo(40.0f);  // 3000 samples: more than the lines hold
  runImpulse(delay, 1, false);
  delay.serviceLines();  // the worker's part
  DelayOutput run = runImpulse(delay, 4000, false);
  EXPECT_GE(delay.bufferCapacity, 3000);
  for (int i = 0; i < 4000; ++i) ASSERT_NEAR(run.left[i], i == 2499 ? 0.5f : 0.0f, 1e-6f) << i;
  // Echoes written into the new lines alone, once the old ones are given back.
  run = runImpulse(delay, 3500);
  delay.serviceLines();
  EXPECT_NEAR(run.right[3000], 0.5f, 1e-6f);
  delay.setTempo(120.0f);
  run = runImpulse(delay, 3500);
  EXPECT_NEAR(run.right[1000], 0.5f, 1e-6f);
}

TEST(SyncDelay, ResetClearsEverythingThatWasUsed) {
  SyncDelay delay;
  delay.setSampleRate(8000.0f);
  delay.setTempo(60.0f);
  delay.setSyncLeft(0.0f);  // 80 sixteenths = 20 beats = 20 s
  delay.setFeedback(1.0f);
  runImpulse(delay, 8000 * 21);
  delay.reset();
  delay.setTempo(60.0f);
  const DelayOutput after = runImpulse(delay, 8000 * 21, false);
  for (float v : after.left) ASSERT_EQ(v, 0.0f);
}

TEST(SyncDelay, IdleWithoutRateOrMemory) {
  SyncDelay idle;
  float l[1] = {0.7f};
  float r[1] = {0.2f};
  idle.process(l, r, 1);
  EXPECT_EQ(l[0], 0.7f);

  SyncDelay starved;
  test::failAllocationNumber(0);  // the lines are allocated for the rate
  starved.setSampleRate(44100.0f);
  test::failAllocationNumber(-1);
  EXPECT_FALSE(starved.isActive());
  starved.process(l, r, 1);
  starved.reset();
  EXPECT_EQ(l[0], 0.7f);
  EXPECT_EQ(r[0], 0.2f);
}

}  // namespace
}  // namespace vt
