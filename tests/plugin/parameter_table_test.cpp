// Parameter names, host displays, editor read-outs and construction defaults.
#include "plugin/parameter_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "effects/sync_delay.h"
#include "engine/lfo.h"
#include "engine/parameter_ids.h"
#include "engine/synth_engine.h"

namespace vt {
namespace {

std::string name(int index) {
  char text[kParameterTextSize];
  parameterName(index, text, sizeof(text));
  return text;
}

std::string hostDisplay(float value) {
  char text[kParameterTextSize];
  parameterHostDisplay(value, text, sizeof(text));
  return text;
}

template <typename Formatter>
std::string format(Formatter formatter, float x) {
  char text[kParameterTextSize];
  formatter(x, text, sizeof(text));
  return text;
}

TEST(ParameterNames, CoverEveryIndexAndBeyond) {
  EXPECT_EQ(name(0), "MasterDetune");
  EXPECT_EQ(name(MorphHarmX), "MorphHarmX");
  EXPECT_EQ(name(57), "FilterCutoff");
  EXPECT_EQ(name(75), "ModSource1");
  EXPECT_EQ(name(114), "ModMax10");
  EXPECT_EQ(name(131), "VoiceHarmonicVolumeD");
  EXPECT_EQ(name(160), "Lfo2Rate");
  for (int i = 161; i <= 172; ++i) EXPECT_EQ(name(i), " ") << i;
  EXPECT_EQ(name(173), "Param 173");
  EXPECT_EQ(name(244), "Param 244");
  EXPECT_EQ(name(-1), "Param -1");
  // Every host-visible name fits a host buffer and none is empty.
  for (int i = 0; i < kNumHostParameters; ++i) EXPECT_FALSE(name(i).empty()) << i;
}

TEST(ParameterNames, TextIsBoundedByTheCallersBuffer) {
  char text[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
  parameterName(VoiceHarmonicVolumeA, text, 5);
  EXPECT_STREQ(text, "Voic");
  EXPECT_EQ(text[5], 'x');
  char label[4];
  parameterLabel(3, label, sizeof(label));
  EXPECT_STREQ(label, "%");
}

TEST(ParameterDisplay, RoundsValueTimesHundred) {
  EXPECT_EQ(hostDisplay(0.0f), "0");
  EXPECT_EQ(hostDisplay(0.5f), "50");
  EXPECT_EQ(hostDisplay(1.0f), "100");
  EXPECT_EQ(hostDisplay(0.996f), "100");
  EXPECT_EQ(hostDisplay(0.994f), "99");
  // Values far outside the range (the modulation slots hold plain numbers) never overflow.
  EXPECT_EQ(hostDisplay(53.0f), "5300");
  EXPECT_EQ(hostDisplay(1e30f), "2147483647");
  EXPECT_EQ(hostDisplay(NAN), "0");
}

TEST(EditorFormatters, MatchTheirScales) {
  EXPECT_EQ(format(formatPercent, 0.5f), "50 ");
  EXPECT_EQ(format(formatPercent, 0.999f), "99 ");
  EXPECT_EQ(format(formatAttackSeconds, 1.0f), "5.0 ");
  EXPECT_EQ(format(formatReleaseSeconds, 0.5f), "1.5 ");
  EXPECT_EQ(format(formatPortamento, 0.25f), "0.25 ");
  EXPECT_EQ(format(formatChorusRate, 0.2f), "0.6 ");
  EXPECT_EQ(format(formatChorusDelay, 0.04f), "1.2 ");
  EXPECT_EQ(format(formatChorusDepth, 0.9f), "4.5 ");
  EXPECT_EQ(format(formatBendRange, 0.0f), "1 ");
  EXPECT_EQ(format(formatBendRange, 1.0f), "24 ");
}

TEST(EditorFormatters, StretchPercentFollowsTheStretchFactor) {
  EXPECT_FLOAT_EQ(stretchFactor(0.0f), 0.2f);
  EXPECT_FLOAT_EQ(stretchFactor(0.25f), 0.6f);
  EXPECT_FLOAT_EQ(stretchFactor(0.5f), 1.0f);
  EXPECT_FLOAT_EQ(stretchFactor(1.0f), 5.0f);
  EXPECT_EQ(format(formatStretchPercent, 0.0f), "20 ");
  EXPECT_EQ(format(formatStretchPercent, 0.5f), "100 ");
  EXPECT_EQ(format(formatStretchPercent, 1.0f), "500 ");
}

TEST(EditorFormatters, CutoffHzIsLogarithmicBetween80And16000) {
  EXPECT_EQ(format(formatCutoffHz, 0.0f), "80");
  EXPECT_EQ(format(formatCutoffHz, -1.0f), "80");
  EXPECT_EQ(format(formatCutoffHz, 1.0f), "16000");
  EXPECT_EQ(format(formatCutoffHz, 0.5f), "1278");
  // Independent: 80 + 15920 * -0.25 * log10(1 - x), truncated.
  for (float x : {0.1f, 0.3f, 0.7f, 0.95f, 0.99f}) {
    const double expected = std::floor(80.0 + 15920.0 * -0.25 * std::log10(1.0 - x));
    EXPECT_EQ(format(formatCutoffHz, x), std::to_string(static_cast<int>(expected))) << x;
  }
  // Very close to 1 the curve is limited to the top of the range.
  EXPECT_EQ(format(formatCutoffHz, 0.99999994f), "16000");
}

TEST(EditorFormatters, NoteFractionRunsFromSixteenthToFiveBars) {
  EXPECT_EQ(format(formatNoteFraction, 1.0f), "1/16 ");
  EXPECT_EQ(format(formatNoteFraction, 0.0f), "5/1 ");  // 80 sixteenths
  EXPECT_EQ(format(formatNoteFraction, 0.25f), "1/1 ");
  EXPECT_EQ(format(formatNoteFraction, 0.5f), "11/16 ");
  EXPECT_EQ(format(formatNoteFraction, 0.0001f), "5/1 ");
  EXPECT_EQ(noteFractionIndex(-3.0f), 19);
  EXPECT_EQ(noteFractionIndex(4.0f), 0);
  EXPECT_STREQ(noteFractionText(20), "");
}

// The label names what the delay and the LFO play for every stored value,
// the knob's twenty step values (k/20, where double and float rounding part
// ways) included.
TEST(EditorFormatters, NoteFractionLabelMatchesDelayAndLfo) {
  std::vector<float> values;
  for (int k = 0; k <= 20; ++k) values.push_back(static_cast<float>(k) / 20.0f);
  for (int k = 0; k <= 2000; ++k) values.push_back(static_cast<float>(k) * 0.0005f);
  values.push_back(0.2f);
  for (float x : values) {
    char text[16] = {};
    formatNoteFraction(x, text, sizeof(text));
    int numerator = 0, denominator = 0;
    ASSERT_EQ(std::sscanf(text, "%d/%d", &numerator, &denominator), 2) << text;
    const float labelled = 16.0f * static_cast<float>(numerator) / static_cast<float>(denominator);
    EXPECT_EQ(labelled, SyncDelay::sixteenthsForValue(x)) << x << " " << text;
    // The LFO counts the same steps in sixteenths of a beat: 0.03125 s at 120 BPM.
    EXPECT_NEAR(lfoPeriod(x, 120.0f) / 0.03125f, labelled, 1e-3f) << x << " " << text;
  }
  EXPECT_EQ(format(formatNoteFraction, 0.2f), "2/1 ");  // the delay plays 32 sixteenths there
}

TEST(ParameterDefaults, EngineStartsWithTheDocumentedValues) {
  SynthEngine engine;
  const struct {
    int index;
    float value;
  } expected[] = {{MasterDetune, 0.5f},
                  {ChorusMix, 0.5f},
                  {VoiceDetuneD, 0.5f},
                  {MorphNoiseY, 0.5f},
                  {Brightness, 0.5f},
                  {Volume, 0.5f},
                  {DelaySyncR, 0.5f},
                  {ReverbDecay, 0.5f},
                  {VoiceNoiseVolumeD, 0.5f},
                  {DoMorphing, 1.0f},
                  {Release, 1.0f},
                  {StereoWidth, 1.0f},
                  {FilterMode, 1.0f},
                  {DelaySyncL, 1.0f},
                  {ReverbMix, 1.0f},
                  {ModMax1, 1.0f},
                  {ModMax10, 1.0f},
                  {Tube, 0.02f},
                  {Compress, 0.3f},
                  {FilterEnv, 0.1f},
                  {FilterCutoff, 0.8f},
                  {FilterRes, 0.03f},
                  {ChorusDelay, 0.04f},
                  {ChorusDepth, 0.9f},
                  {ChorusRate, 0.2f},
                  {DelayFeedback, 0.4f},
                  {Attack, 0.0f},
                  {Stretch, 0.0f},
                  {ReverbOn, 0.0f},
                  {ModSource1, 0.0f},
                  {ModTarget10, 0.0f},
                  {MidiLearnIndicator, 0.0f},
                  {244, 0.0f}};
  for (const auto& e : expected) EXPECT_FLOAT_EQ(engine.getParameter(e.index), e.value) << e.index;
  for (int i = 0; i < kNumParameters; ++i) EXPECT_FALSE(engine.parameterChanged(i));
}

TEST(ParameterWrites, AreLimitedToTheirRangesAndNonFiniteValuesChangeNothing) {
  SynthEngine engine;
  engine.setParameter(ModTarget1, 24.0f);  // modulation numbers stay plain numbers
  EXPECT_FLOAT_EQ(engine.getParameter(ModTarget1), 24.0f);
  engine.setParameter(ModTarget2, 999.0f);
  EXPECT_FLOAT_EQ(engine.getParameter(ModTarget2), 53.0f);
  engine.setParameter(ModSource1, 300.0f);
  EXPECT_FLOAT_EQ(engine.getParameter(ModSource1), 127.0f);
  engine.setParameter(ModSource2, -4.0f);
  EXPECT_FLOAT_EQ(engine.getParameter(ModSource2), 0.0f);
  engine.setParameter(Volume, 1.5f);
  EXPECT_FLOAT_EQ(engine.getParameter(Volume), 1.0f);
  EXPECT_FLOAT_EQ(engine.appliedParameter(Volume), 1.0f);
  engine.setParameter(FilterCutoff, -0.5f);
  EXPECT_FLOAT_EQ(engine.getParameter(FilterCutoff), 0.0f);
  for (float bad : {NAN, INFINITY, -INFINITY}) {
    engine.setParameter(Volume, bad);
    engine.setParameter(ModSource1, bad);
    engine.setParameter(200, bad);
  }
  EXPECT_FLOAT_EQ(engine.getParameter(Volume), 1.0f);
  EXPECT_FLOAT_EQ(engine.getParameter(ModSource1), 127.0f);
  EXPECT_FLOAT_EQ(engine.getParameter(200), 0.0f);
  engine.setParameter(200, 37.0f);  // the editor's menu values: any finite number
  EXPECT_FLOAT_EQ(engine.getParameter(200), 37.0f);
  engine.setParameter(245, 0.7f);
  engine.setParameter(-1, 0.7f);
  engine.setParameter(1 << 30, 0.7f);
  EXPECT_FLOAT_EQ(engine.getParameter(245), 0.0f);
  EXPECT_FLOAT_EQ(engine.getParameter(-1), 0.0f);
}

}  // namespace
}  // namespace vt
