#include "plugin/parameter_table.h"

#include <cmath>
#include <cstdio>

#include "effects/note_fraction.h"
#include "engine/parameter_ids.h"

namespace vt {

namespace {

constexpr int kNamedParameters = 161;  // 161-172 are named " "

const char* const kParameterNames[kNamedParameters] = {"MasterDetune",
                                                       "LowHighButtonA",
                                                       "LowHighButtonB",
                                                       "LowHighButtonC",
                                                       "LowHighButtonD",
                                                       "SoftLoudButtonA",
                                                       "SoftLoudButtonB",
                                                       "SoftLoudButtonC",
                                                       "SoftLoudButtonD",
                                                       "SoloButtonA",
                                                       "SoloButtonB",
                                                       "SoloButtonC",
                                                       "SoloButtonD",
                                                       "HarmonizeAOn",
                                                       "HarmonizeBOn",
                                                       "HarmonizeCOn",
                                                       "HarmonizeDOn",
                                                       "VelocitySens",
                                                       "ChorusMix",
                                                       "MorphModeSelector",
                                                       "PitchbendRange",
                                                       "VoiceDetuneA",
                                                       "VoiceDetuneB",
                                                       "VoiceDetuneC",
                                                       "VoiceDetuneD",
                                                       "Unused1",
                                                       "Unused2",
                                                       "Unused3",
                                                       "Unused4",
                                                       "DoMorphing",
                                                       "MorphHarmX",
                                                       "MorphHarmY",
                                                       "MorphNoiseX",
                                                       "MorphNoiseY",
                                                       "Brightness",
                                                       "HarmAmount",
                                                       "NoiseAmount",
                                                       "LfoRate",
                                                       "LfoVibrato",
                                                       "LfoTremolo",
                                                       "PortamentoOn",
                                                       "PortamentoRate",
                                                       "Unused27",
                                                       "Attack",
                                                       "Unused28",
                                                       "Stretch",
                                                       "Release",
                                                       "Volume",
                                                       "StereoWidth",
                                                       "FormantFilterOn",
                                                       "DistortionOn",
                                                       "Distortion",
                                                       "Tube",
                                                       "Compress",
                                                       "FilterOn",
                                                       "FilterMode",
                                                       "FilterEnv",
                                                       "FilterCutoff",
                                                       "FilterRes",
                                                       "ChorusOn",
                                                       "ChorusDelay",
                                                       "ChorusDepth",
                                                       "ChorusRate",
                                                       "DelayOn",
                                                       "DelayMix",
                                                       "DelayFeedback",
                                                       "DelaySyncL",
                                                       "DelaySyncR",
                                                       "ReverbOn",
                                                       "ReverbMix",
                                                       "ReverbSize",
                                                       "Unused5",
                                                       "ReverbDecay",
                                                       "LfoOn",
                                                       "Unused29",
                                                       "ModSource1",
                                                       "ModSource2",
                                                       "ModSource3",
                                                       "ModSource4",
                                                       "ModSource5",
                                                       "ModSource6",
                                                       "ModSource7",
                                                       "ModSource8",
                                                       "ModSource9",
                                                       "ModSource10",
                                                       "ModTarget1",
                                                       "ModTarget2",
                                                       "ModTarget3",
                                                       "ModTarget4",
                                                       "ModTarget5",
                                                       "ModTarget6",
                                                       "ModTarget7",
                                                       "ModTarget8",
                                                       "ModTarget9",
                                                       "ModTarget10",
                                                       "ModMin1",
                                                       "ModMin2",
                                                       "ModMin3",
                                                       "ModMin4",
                                                       "ModMin5",
                                                       "ModMin6",
                                                       "ModMin7",
                                                       "ModMin8",
                                                       "ModMin9",
                                                       "ModMin10",
                                                       "ModMax1",
                                                       "ModMax2",
                                                       "ModMax3",
                                                       "ModMax4",
                                                       "ModMax5",
                                                       "ModMax6",
                                                       "ModMax7",
                                                       "ModMax8",
                                                       "ModMax9",
                                                       "ModMax10",
                                                       "NumMultisamplesA",
                                                       "NumMultisamplesB",
                                                       "NumMultisamplesC",
                                                       "NumMultisamplesD",
                                                       "MultisampleA",
                                                       "MultisampleB",
                                                       "MultisampleC",
                                                       "MultisampleD",
                                                       "EnvelopeMorphOn",
                                                       "LfoShape",
                                                       "LfoCutoff",
                                                       "FormantFreq",
                                                       "Unused24",
                                                       "VoiceHarmonicVolumeA",
                                                       "VoiceHarmonicVolumeB",
                                                       "VoiceHarmonicVolumeC",
                                                       "VoiceHarmonicVolumeD",
                                                       "VoiceNoiseVolumeA",
                                                       "VoiceNoiseVolumeB",
                                                       "VoiceNoiseVolumeC",
                                                       "VoiceNoiseVolumeD",
                                                       "EnvelopeModeA",
                                                       "EnvelopeModeB",
                                                       "EnvelopeModeC",
                                                       "EnvelopeModeD",
                                                       "MBass",
                                                       "NumHarmonicsA",
                                                       "NumHarmonicsB",
                                                       "NumHarmonicsC",
                                                       "NumHarmonicsD",
                                                       "GlobalLoopStartTime",
                                                       "GlobalLoopEndTime",
                                                       "GlobalLoopOn",
                                                       "GlobalSyncOn",
                                                       "LoopSync1",
                                                       "LoopSync2",
                                                       "LoopSync3",
                                                       "LoopSync4",
                                                       "MorphAmpX",
                                                       "MorphAmpY",
                                                       "Lfo1On",
                                                       "Lfo2On",
                                                       "Lfo1Shape",
                                                       "Lfo2Shape",
                                                       "Lfo1Rate",
                                                       "Lfo2Rate"};

constexpr int kNoteFractions = kNoteFractionSteps;
const char* const kNoteFractionTexts[kNoteFractions] = {"1/16",  "1/8",  "3/16", "1/4",   "5/16", "3/8",   "7/16",
                                                        "1/2",   "9/16", "5/8",  "11/16", "3/4",  "13/16", "7/8",
                                                        "15/16", "1/1",  "2/1",  "3/1",   "4/1",  "5/1"};

// Converts to int with truncation toward zero, saturating instead of
// overflowing for values far outside the parameter range.
int truncateToInt(double v) {
  if (!(v == v)) return 0;  // NaN
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(v);
}

void printInt(char* text, std::size_t size, const char* format, int v) {
  if (size == 0) return;
  std::snprintf(text, size, format, v);
}

void printFloat(char* text, std::size_t size, const char* format, double v) {
  if (size == 0) return;
  std::snprintf(text, size, format, v);
}

}  // namespace

void parameterName(int index, char* text, std::size_t size) {
  if (size == 0) return;
  if (index >= 0 && index < kNamedParameters)
    std::snprintf(text, size, "%s", kParameterNames[index]);
  else if (index >= kNamedParameters && index < kNumHostParameters)
    std::snprintf(text, size, " ");
  else
    std::snprintf(text, size, "Param %d", index);
}

void parameterLabel(int /*index*/, char* text, std::size_t size) {
  if (size == 0) return;
  std::snprintf(text, size, "%%");
}

void parameterHostDisplay(float value, char* text, std::size_t size) {
  printInt(text, size, "%d", truncateToInt(static_cast<double>(value) * 100.0 + 0.5));
}

float stretchFactor(float s) {
  if (s < 0.5f) return 0.2f + 1.6f * s;
  if (s == 0.5f) return 1.0f;
  return 1.0f + 8.0f * (s - 0.5f);
}

void formatPercent(float x, char* text, std::size_t size) { printInt(text, size, "%d ", truncateToInt(x * 100.0f)); }

void formatAttackSeconds(float x, char* text, std::size_t size) { printFloat(text, size, "%1.1f ", x * 5.0f); }
void formatReleaseSeconds(float x, char* text, std::size_t size) { printFloat(text, size, "%1.1f ", x * 3.0f); }
void formatPortamento(float x, char* text, std::size_t size) { printFloat(text, size, "%1.2f ", x * 1.0f); }
void formatChorusRate(float x, char* text, std::size_t size) { printFloat(text, size, "%1.1f ", x * 3.0f); }
void formatChorusDelay(float x, char* text, std::size_t size) { printFloat(text, size, "%1.1f ", x * 30.0f); }
void formatChorusDepth(float x, char* text, std::size_t size) { printFloat(text, size, "%1.1f ", x * 5.0f); }

void formatBendRange(float x, char* text, std::size_t size) {
  printInt(text, size, "%d ", truncateToInt(x * 23.0f + 1.0f));
}

void formatStretchPercent(float x, char* text, std::size_t size) {
  printInt(text, size, "%d ", truncateToInt(stretchFactor(x) * 100.0f + 0.5f));
}

void formatCutoffHz(float x, char* text, std::size_t size) {
  int hz;
  if (x >= 1.0f) {
    hz = 16000;
  } else if (x <= 0.0f) {
    hz = 80;
  } else {
    double d = -0.25 * std::log10(1.0 - static_cast<double>(x));
    if (d > 1.0) d = 1.0;
    if (d < 0.0000001) d = 0.0;
    hz = truncateToInt(d * 15920.0 + 80.0);
  }
  printInt(text, size, "%d", hz);
}

int noteFractionIndex(float x) {
  // The same float mapping as the delay and the LFO, so the label names the step that plays.
  return noteFractionStep(x) - 1;
}

const char* noteFractionText(int index) {
  if (index < 0 || index >= kNoteFractions) return "";
  return kNoteFractionTexts[index];
}

void formatNoteFraction(float x, char* text, std::size_t size) {
  if (size == 0) return;
  std::snprintf(text, size, "%s ", noteFractionText(noteFractionIndex(x)));
}

}  // namespace vt
