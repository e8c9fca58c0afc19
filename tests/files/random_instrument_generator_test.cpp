// The random instrument generator: its primitives' distributions and the category rules.
#include "files/random_instrument_generator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "engine/parameter_ids.h"

namespace vt {
namespace {

struct Recorder final : ParameterWriter {
  std::vector<std::pair<int, float>> writes;
  float last[kNumParameters] = {};
  void writeParameter(int index, float value) override {
    writes.push_back({index, value});
    last[index] = value;
  }
  std::vector<int> order() const {
    std::vector<int> indices;
    for (const auto& w : writes) indices.push_back(w.first);
    return indices;
  }
};

// Standard normal distribution function, independent of the generator.
double phi(double z) { return 0.5 * std::erfc(-z / std::sqrt(2.0)); }

constexpr int kDraws = 200000;

TEST(RandomPrimitives, UnitUniformAndChanceStayInRangeWithTheRightMeans) {
  RandomSource source(1);
  RandomInstrumentGenerator generator(source);
  double unitSum = 0.0;
  double uniformSum = 0.0;
  int hits = 0;
  for (int i = 0; i < kDraws; ++i) {
    const float u = generator.unit();
    ASSERT_GE(u, 0.0f);
    ASSERT_LE(u, 1.0f);
    unitSum += u;
    const float v = generator.uniform(0.25f, 0.75f);
    ASSERT_GE(v, 0.25f);
    ASSERT_LE(v, 0.75f);
    uniformSum += v;
    const float c = generator.chance(0.3f);
    ASSERT_TRUE(c == 0.0f || c == 1.0f);
    hits += c == 1.0f;
  }
  EXPECT_NEAR(unitSum / kDraws, 0.5, 0.003);
  EXPECT_NEAR(uniformSum / kDraws, 0.5, 0.002);
  EXPECT_NEAR(hits / static_cast<double>(kDraws), 0.3, 0.005);
  EXPECT_EQ(generator.chance(0.0f), 0.0f);
  EXPECT_EQ(generator.chance(1.01f), 1.0f);
}

TEST(RandomPrimitives, GaussIsNormalAndLimitedToTheUnitRange) {
  RandomSource source(2);
  RandomInstrumentGenerator generator(source);
  int zeros = 0;
  int ones = 0;
  double sum = 0.0;
  double squares = 0.0;
  for (int i = 0; i < kDraws; ++i) {
    const float clipped = generator.gauss(-0.1f, 0.2f);
    ASSERT_GE(clipped, 0.0f);
    ASSERT_LE(clipped, 1.0f);
    zeros += clipped == 0.0f;
    const float wide = generator.gauss(0.5f, 0.6f);
    ones += wide == 1.0f;
    const double narrow = generator.gauss(0.5f, 0.1f);  // practically never limited
    sum += narrow;
    squares += narrow * narrow;
  }
  // gauss(-0.1, 0.2) is 0 whenever the deviate falls below 0.5 standard deviations: about 69 %.
  EXPECT_NEAR(zeros / static_cast<double>(kDraws), phi(0.5), 0.005);
  EXPECT_NEAR(ones / static_cast<double>(kDraws), 1.0 - phi(0.5 / 0.6), 0.005);
  const double mean = sum / kDraws;
  EXPECT_NEAR(mean, 0.5, 0.002);
  EXPECT_NEAR(std::sqrt(squares / kDraws - mean * mean), 0.1, 0.002);
}

TEST(RandomPrimitives, TheSameSeedRepeatsTheSequence) {
  RandomSource a(99);
  RandomSource b(99);
  RandomInstrumentGenerator first(a);
  RandomInstrumentGenerator second(b);
  Recorder x;
  Recorder y;
  for (int i = 0; i < 50; ++i) {
    first.randomTone(x, i % 11);
    second.randomTone(y, i % 11);
  }
  EXPECT_EQ(x.writes, y.writes);
}

TEST(RandomMorph, LinksTheThreePositionsSixTimesInTen) {
  RandomSource source(3);
  RandomInstrumentGenerator generator(source);
  int linked = 0;
  const int runs = 20000;
  for (int i = 0; i < runs; ++i) {
    Recorder r;
    generator.randomMorph(r);
    ASSERT_EQ(r.writes.front(), std::make_pair(static_cast<int>(EnvelopeMorphOn), 0.0f));
    ASSERT_EQ(r.writes.size(), 8u);
    if (r.last[MorphModeSelector] == 0.0f) {
      ++linked;
      EXPECT_EQ(r.last[MorphHarmX], r.last[MorphNoiseX]);
      EXPECT_EQ(r.last[MorphHarmX], r.last[MorphAmpX]);
      EXPECT_EQ(r.last[MorphHarmY], r.last[MorphNoiseY]);
      EXPECT_EQ(r.last[MorphHarmY], r.last[MorphAmpY]);
    } else {
      EXPECT_EQ(r.last[MorphModeSelector], 0.6f);
      EXPECT_EQ(r.order(), (std::vector<int>{EnvelopeMorphOn, MorphModeSelector, MorphHarmX, MorphHarmY, MorphNoiseX,
                                             MorphNoiseY, MorphAmpX, MorphAmpY}));
    }
  }
  EXPECT_NEAR(linked / static_cast<double>(runs), 0.6, 0.015);
}

// Share of runs in which 'index' was written as 1, for the given randomiser and category.
template <typename Randomiser>
double rateOfOnes(int index, Randomiser run, unsigned seed, int runs = 40000) {
  RandomSource source(seed);
  RandomInstrumentGenerator generator(source);
  int ones = 0;
  for (int i = 0; i < runs; ++i) {
    Recorder r;
    run(generator, r);
    ones += r.last[index] == 1.0f;
  }
  return ones / static_cast<double>(runs);
}

TEST(RandomTone, WritesEveryValueInOrderWithinTheUnitRange) {
  RandomSource source(4);
  RandomInstrumentGenerator generator(source);
  for (int k = 0; k <= 10; ++k) {
    Recorder r;
    generator.randomTone(r, k);
    EXPECT_EQ(r.order(),
              (std::vector<int>{Brightness, HarmAmount, NoiseAmount, LfoOn, LfoShape, LfoRate, LfoVibrato, LfoTremolo,
                                PortamentoOn, PortamentoRate, Attack, Stretch, Release, GlobalLoopOn}));
    for (const auto& w : r.writes) {
      EXPECT_GE(w.second, 0.0f);
      EXPECT_LE(w.second, 1.0f);
    }
  }
}

TEST(RandomTone, PianosNeverGlideLoopOrTakeAnAttack) {
  RandomSource source(5);
  RandomInstrumentGenerator generator(source);
  for (int i = 0; i < 5000; ++i) {
    Recorder r;
    generator.randomTone(r, 6);
    ASSERT_EQ(r.last[PortamentoOn], 0.0f);
    ASSERT_EQ(r.last[GlobalLoopOn], 0.0f);
    ASSERT_EQ(r.last[Attack], 0.0f);
  }
}

TEST(RandomTone, GlidingSoundsAlwaysLoop) {
  RandomSource source(6);
  RandomInstrumentGenerator generator(source);
  int glides = 0;
  for (int i = 0; i < 20000; ++i) {
    Recorder r;
    generator.randomTone(r, i % 2 ? 0 : 7);
    if (r.last[PortamentoOn] == 1.0f) {
      ++glides;
      ASSERT_EQ(r.last[GlobalLoopOn], 1.0f);
    }
  }
  EXPECT_NEAR(glides / 20000.0, 0.1, 0.01);
}

TEST(RandomTone, CategoryRatesForLfoGlideAndLoop) {
  auto tone = [](int k) { return [k](RandomInstrumentGenerator& g, Recorder& r) { g.randomTone(r, k); }; };
  EXPECT_NEAR(rateOfOnes(LfoOn, tone(5), 10), 0.4, 0.01);
  EXPECT_NEAR(rateOfOnes(LfoOn, tone(8), 11), 0.4, 0.01);
  EXPECT_NEAR(rateOfOnes(LfoOn, tone(1), 12), 0.15, 0.01);
  EXPECT_EQ(rateOfOnes(PortamentoOn, tone(9), 13), 0.0);          // pads never glide ...
  EXPECT_NEAR(rateOfOnes(GlobalLoopOn, tone(9), 14), 0.2, 0.01);  // ... so their loop follows chance(0.2)
  EXPECT_EQ(rateOfOnes(PortamentoOn, tone(3), 15), 0.0);
  EXPECT_EQ(rateOfOnes(PortamentoOn, tone(5), 16), 0.0);
  // Strings: a glide (0.1) always loops, otherwise chance(0.3).
  EXPECT_NEAR(rateOfOnes(GlobalLoopOn, tone(7), 17), 0.1 + 0.9 * 0.3, 0.01);
}

TEST(RandomTone, AttackDependsOnTheCategory) {
  RandomSource source(18);
  RandomInstrumentGenerator generator(source);
  int padZeros = 0;
  int otherZeros = 0;
  const int runs = 40000;
  for (int i = 0; i < runs; ++i) {
    Recorder r;
    for (int k : {1, 2, 3, 4, 5, 6, 8}) {
      generator.randomTone(r, k);
      ASSERT_EQ(r.last[Attack], 0.0f);
    }
    generator.randomTone(r, 9);
    padZeros += r.last[Attack] == 0.0f;
    generator.randomTone(r, 7);
    otherZeros += r.last[Attack] == 0.0f;
  }
  EXPECT_NEAR(padZeros / static_cast<double>(runs), phi(0.2 / 0.6), 0.01);
  EXPECT_NEAR(otherZeros / static_cast<double>(runs), phi(0.2 / 0.4), 0.01);
}

TEST(RandomEffects, WritesEveryValueInOrderAndAlwaysSwitchesTheFormantFilterOff) {
  RandomSource source(19);
  RandomInstrumentGenerator generator(source);
  for (int k = 0; k <= 10; ++k) {
    Recorder r;
    generator.randomEffects(r, k);
    EXPECT_EQ(r.order(), (std::vector<int>{DistortionOn, Distortion, Tube,          MBass,        Compress,
                                           FilterOn,     FilterMode, FilterEnv,     FilterCutoff, FilterRes,
                                           ChorusOn,     ChorusMix,  ChorusDepth,   ChorusDelay,  ChorusRate,
                                           DelayOn,      DelayMix,   DelayFeedback, DelaySyncL,   DelaySyncR,
                                           ReverbOn,     ReverbMix,  ReverbSize,    ReverbDecay,  FormantFilterOn}));
    EXPECT_EQ(r.writes.back().second, 0.0f);
  }
}

TEST(RandomEffects, SwitchProbabilitiesScaleWithTheCategory) {
  auto effects = [](int k) { return [k](RandomInstrumentGenerator& g, Recorder& r) { g.randomEffects(r, k); }; };
  // Basses: factor 0.3.
  EXPECT_NEAR(rateOfOnes(FilterOn, effects(1), 20), 0.03, 0.005);
  EXPECT_NEAR(rateOfOnes(ChorusOn, effects(1), 21), 0.03, 0.005);
  EXPECT_NEAR(rateOfOnes(DelayOn, effects(1), 22), 0.045, 0.005);
  EXPECT_NEAR(rateOfOnes(ReverbOn, effects(1), 23), 0.09, 0.006);
  EXPECT_NEAR(rateOfOnes(DistortionOn, effects(1), 24), 0.4, 0.01);
  // Uncategorised and synth sounds: factor 3; the rest: factor 1.
  EXPECT_NEAR(rateOfOnes(FilterOn, effects(0), 25), 0.3, 0.01);
  EXPECT_NEAR(rateOfOnes(ReverbOn, effects(9), 26), 0.9, 0.01);
  EXPECT_NEAR(rateOfOnes(DelayOn, effects(8), 27), 0.45, 0.01);
  EXPECT_NEAR(rateOfOnes(ChorusOn, effects(6), 28), 0.1, 0.01);
  EXPECT_NEAR(rateOfOnes(ReverbOn, effects(6), 29), 0.3, 0.01);
  EXPECT_NEAR(rateOfOnes(DistortionOn, effects(6), 30), 0.1, 0.01);
}

}  // namespace
}  // namespace vt
