// The chain: idle until a supported sample rate is known, every unit gated by
// its switch, the processing order, reset, and no allocation while processing.
#include "effects/effect_chain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "tests/support/allocation_counter.h"

namespace vt {
namespace {

std::vector<float> tone(int frames) {
  std::vector<float> v(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) v[i] = 0.6f * std::sin(0.03f * static_cast<float>(i)) + 0.2f;
  return v;
}

// Every unit configured audibly, every switch as given.
void configure(EffectChain& chain, bool on) {
  const float sw = on ? 1.0f : 0.0f;
  chain.setBrightness(0.8f);
  chain.setDistortion(0.3f);
  chain.setTube(0.2f);
  chain.setCompress(0.4f);
  chain.setBassBoost(0.5f);
  chain.setFilterMode(1.0f);
  chain.setFilterCutoff(0.6f);
  chain.setFilterRes(0.3f);
  chain.setFilterEnv(0.2f);
  chain.setChorusDelay(0.2f);
  chain.setChorusDepth(0.7f);
  chain.setChorusRate(0.3f);
  chain.setChorusMix(0.8f);
  chain.setDelayMix(0.8f);
  chain.setDelayFeedback(0.5f);
  chain.setDelaySyncLeft(1.0f);
  chain.setDelaySyncRight(0.9f);
  chain.setReverbMix(0.6f);
  chain.setReverbSize(0.7f);
  chain.setReverbDecay(0.4f);
  chain.setDistortionOn(sw);
  chain.setFilterOn(sw);
  chain.setChorusOn(sw);
  chain.setDelayOn(sw);
  chain.setReverbOn(sw);
}

TEST(EffectChain, PassesTheSignalThroughUntilASupportedRateIsKnown) {
  auto chain = std::make_unique<EffectChain>();
  configure(*chain, true);
  for (float rate : {0.0f, 4000.0f, 384000.0f, NAN}) {
    chain->setSampleRate(rate);
    EXPECT_FALSE(chain->isProcessing()) << rate;
    std::vector<float> x = tone(1000), y(1000, 5.0f);
    const std::vector<float> original = x;
    chain->process(x.data(), y.data(), 1000);
    EXPECT_EQ(x, original);
    EXPECT_EQ(y, original);
  }
}

TEST(EffectChain, WithEverySwitchOffAndNeutralBrightnessItOnlyCopies) {
  auto chain = std::make_unique<EffectChain>();
  chain->setSampleRate(44100.0f);
  configure(*chain, false);
  chain->setBrightness(0.5f);
  std::vector<float> x = tone(2000), y(2000, 5.0f);
  const std::vector<float> original = x;
  chain->process(x.data(), y.data(), 2000);
  EXPECT_EQ(x, original);
  EXPECT_EQ(y, original);
}

TEST(EffectChain, EachSwitchGatesItsUnitAndTheOrderIsFixed) {
  // The chain with all units on equals the units run one after another.
  auto chain = std::make_unique<EffectChain>();
  chain->setSampleRate(48000.0f);
  configure(*chain, true);

  BrightnessStage brightness;
  brightness.setSampleRate(48000.0f);
  brightness.setBrightness(0.8f);
  DistortionUnit distortion;
  distortion.setSampleRate(48000.0f);
  distortion.setDistortion(0.3f);
  distortion.setTube(0.2f);
  distortion.setCompress(0.4f);
  distortion.setBassAmount(0.5f);
  EffectFilter filter;
  filter.setSampleRate(48000.0f);
  filter.setMode(1.0f);
  filter.setCutoff(0.6f);
  filter.setResonance(0.3f);
  filter.setEnvAmount(0.2f);
  auto chorus = std::make_unique<ChorusUnit>();
  chorus->setSampleRate(48000.0f);
  chorus->setDelay(0.2f);
  chorus->setDepth(0.7f);
  chorus->setRate(0.3f);
  chorus->setMix(0.8f);
  auto delay = std::make_unique<SyncDelay>();
  delay->setSampleRate(48000.0f);
  delay->setMix(0.8f);
  delay->setFeedback(0.5f);
  delay->setSyncLeft(1.0f);
  delay->setSyncRight(0.9f);
  auto reverb = std::make_unique<ReverbUnit>();
  reverb->setSampleRate(48000.0f);
  reverb->setMix(0.6f);
  reverb->setSize(0.7f);
  reverb->setDecay(0.4f);

  const int frames = 20000;
  std::vector<float> x = tone(frames), y(frames);
  std::vector<float> ex = x, ey(frames);
  chain->process(x.data(), y.data(), frames);
  brightness.process(ex.data(), frames);
  distortion.process(ex.data(), frames);
  filter.process(ex.data(), frames);
  chorus->process(ex.data(), ey.data(), frames);
  delay->process(ex.data(), ey.data(), frames);
  reverb->process(ex.data(), ey.data(), frames);
  EXPECT_EQ(x, ex);
  EXPECT_EQ(y, ey);

  // Switching one unit off removes exactly that unit.
  chain->reset();
  chain->setReverbOn(0.0f);
  chain->setChorusOn(0.0f);
  chain->setDistortionOn(0.0f);
  chain->setFilterOn(0.0f);
  brightness.reset();
  delay->reset();
  std::vector<float> x2 = tone(frames), y2(frames);
  std::vector<float> ex2 = x2, ey2(frames);
  chain->process(x2.data(), y2.data(), frames);
  brightness.process(ex2.data(), frames);
  ey2 = ex2;
  delay->process(ex2.data(), ey2.data(), frames);
  EXPECT_EQ(x2, ex2);
  EXPECT_EQ(y2, ey2);
}

TEST(EffectChain, ResetClearsTheTails) {
  auto chain = std::make_unique<EffectChain>();
  chain->setSampleRate(44100.0f);
  configure(*chain, true);
  chain->setDistortionOn(0.0f);
  chain->setBrightness(0.5f);
  std::vector<float> x = tone(8000), y(8000);
  chain->process(x.data(), y.data(), 8000);
  chain->reset();
  std::vector<float> silence(20000, 0.0f), right(20000);
  chain->process(silence.data(), right.data(), 20000);
  for (int i = 0; i < 20000; ++i) {
    ASSERT_EQ(silence[i], 0.0f) << i;
    ASSERT_EQ(right[i], 0.0f) << i;
  }
}

TEST(EffectChain, ArbitrarySettingsRatesAndTemposStayFiniteAndInBounds) {
  // Out-of-range, infinite and NaN values mixed with ordinary ones, written in
  // random order between blocks (run under the sanitizers to catch stray reads).
  const float odd[] = {-1e9f, -1.0f, 0.0f, NAN, 0.5f, 1.0f, 2.0f, 1e9f, INFINITY, 0.999f, 0.001f};
  const float rates[] = {8000.0f, 22050.0f, 44100.0f, 96000.0f, 192000.0f, 0.0f, 200000.0f};
  const float tempos[] = {0.0f, 20.0f, 120.0f, 999.0f, NAN, -5.0f, 1e-20f};
  auto chain = std::make_unique<EffectChain>();
  std::uint32_t seed = 12345u;
  auto next = [&seed](std::uint32_t n) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % n;
  };
  void (EffectChain::*setters[])(float) = {
      &EffectChain::setBrightness,    &EffectChain::setDistortionOn,  &EffectChain::setDistortion,
      &EffectChain::setTube,          &EffectChain::setCompress,      &EffectChain::setBassBoost,
      &EffectChain::setFilterOn,      &EffectChain::setFilterMode,    &EffectChain::setFilterEnv,
      &EffectChain::setFilterCutoff,  &EffectChain::setFilterRes,     &EffectChain::setChorusOn,
      &EffectChain::setChorusDelay,   &EffectChain::setChorusDepth,   &EffectChain::setChorusRate,
      &EffectChain::setChorusMix,     &EffectChain::setDelayOn,       &EffectChain::setDelayMix,
      &EffectChain::setDelayFeedback, &EffectChain::setDelaySyncLeft, &EffectChain::setDelaySyncRight,
      &EffectChain::setReverbOn,      &EffectChain::setReverbMix,     &EffectChain::setReverbSize,
      &EffectChain::setReverbDecay};
  const int setterCount = static_cast<int>(sizeof(setters) / sizeof(setters[0]));
  std::vector<float> x(1024), y(1024);
  for (int round = 0; round < 300; ++round) {
    if (round % 50 == 0) chain->setSampleRate(rates[next(7)]);
    if (round % 7 == 0) chain->setTempo(tempos[next(7)]);
    for (int w = 0; w < 6; ++w) {
      const float value = next(3) == 0 ? odd[next(11)] : static_cast<float>(next(1001)) / 1000.0f;
      (chain.get()->*setters[next(setterCount)])(value);
    }
    const int frames = 1 + static_cast<int>(next(1024));
    for (int i = 0; i < frames; ++i) x[i] = static_cast<float>(next(2001)) / 1000.0f - 1.0f;
    chain->prepareBlock(static_cast<float>(next(1001)) / 1000.0f);
    chain->process(x.data(), y.data(), frames);
    for (int i = 0; i < frames; ++i) {
      ASSERT_TRUE(std::isfinite(x[i]) && std::isfinite(y[i])) << round << " " << i;
    }
  }
}

TEST(EffectChain, ProcessingNeverAllocates) {
  auto chain = std::make_unique<EffectChain>();
  chain->setSampleRate(96000.0f);
  configure(*chain, true);
  std::vector<float> x = tone(4096), y(4096);
  test::AllocationCounter counter;
  for (int block = 0; block < 20; ++block) {
    chain->prepareBlock(0.1f * static_cast<float>(block % 10));
    chain->setTempo(100.0f + static_cast<float>(block));
    chain->process(x.data(), y.data(), 4096);
  }
  chain->reset();
  EXPECT_EQ(counter.count(), 0u);
}

}  // namespace
}  // namespace vt
