#include "files/random_instrument_generator.h"

#include <cmath>
#include <initializer_list>

#include "engine/parameter_ids.h"

namespace vt {

namespace {

using Category = InstrumentCategory;

constexpr double kDrawMax = RandomSource::kMax;

// Chance that random morph links the harmonic, noise and amplitude positions.
constexpr float kLinkedMorphChance = 0.6f;
constexpr float kIndependentMorphMode = 0.6f;
constexpr float kMorphMean = 0.5f;
constexpr float kMorphDeviation = 0.6f;

constexpr float kPortamentoChance = 0.1f;

float limitToUnit(double x) {
  if (x < 0.0) return 0.0f;
  if (x > 1.0) return 1.0f;
  return static_cast<float>(x);
}

bool isOneOf(int k, std::initializer_list<int> values) {
  for (int v : values)
    if (k == v) return true;
  return false;
}

}  // namespace

float RandomInstrumentGenerator::unit() { return static_cast<float>(draw() / kDrawMax); }

float RandomInstrumentGenerator::uniform(float a, float b) {
  return static_cast<float>(a + draw() * (static_cast<double>(b) - a) / kDrawMax);
}

float RandomInstrumentGenerator::chance(float p) { return unit() < p ? 1.0f : 0.0f; }

float RandomInstrumentGenerator::gauss(float m, float s) {
  double u1 = 0.0;
  double u2 = 0.0;
  double w = 0.0;
  do {
    // 2r - 32767 is odd, so u1 and u2 are never 0 and w is never 0.
    u1 = (2.0 * draw() - kDrawMax) / kDrawMax;
    u2 = (2.0 * draw() - kDrawMax) / kDrawMax;
    w = u1 * u1 + u2 * u2;
  } while (w > 1.0);
  return limitToUnit(m + s * u1 * std::sqrt(-2.0 * std::log(w) / w));
}

void RandomInstrumentGenerator::randomMorph(ParameterWriter& out) {
  out.writeParameter(EnvelopeMorphOn, 0.0f);
  if (unit() < kLinkedMorphChance) {
    out.writeParameter(MorphModeSelector, 0.0f);
    const float x = gauss(kMorphMean, kMorphDeviation);
    const float y = gauss(kMorphMean, kMorphDeviation);
    out.writeParameter(MorphHarmX, x);
    out.writeParameter(MorphNoiseX, x);
    out.writeParameter(MorphAmpX, x);
    out.writeParameter(MorphHarmY, y);
    out.writeParameter(MorphNoiseY, y);
    out.writeParameter(MorphAmpY, y);
    return;
  }
  out.writeParameter(MorphModeSelector, kIndependentMorphMode);
  for (int index : {MorphHarmX, MorphHarmY, MorphNoiseX, MorphNoiseY, MorphAmpX, MorphAmpY})
    out.writeParameter(index, gauss(kMorphMean, kMorphDeviation));
}

void RandomInstrumentGenerator::randomTone(ParameterWriter& out, int k) {
  out.writeParameter(Brightness, unit());
  out.writeParameter(HarmAmount, gauss(0.5f, 0.1f));
  out.writeParameter(NoiseAmount, gauss(0.5f, 0.1f));
  out.writeParameter(LfoOn, isOneOf(k, {Category::Organs, Category::SynthLeads}) ? chance(0.4f) : chance(0.15f));
  out.writeParameter(LfoShape, gauss(0.0f, 0.3f));
  out.writeParameter(LfoRate, unit());
  out.writeParameter(LfoVibrato, gauss(-0.1f, 0.2f));
  out.writeParameter(LfoTremolo, gauss(-0.1f, 0.3f));

  float portamento = 0.0f;
  if (!isOneOf(k, {Category::Chromatics, Category::Organs, Category::Pianos, Category::SynthPads}))
    portamento = uniform(0.0f, 1.0f) < kPortamentoChance ? 1.0f : 0.0f;
  out.writeParameter(PortamentoOn, portamento);
  out.writeParameter(PortamentoRate, gauss(0.1f, 0.16f));

  float attack = 0.0f;
  if (k == Category::SynthPads)
    attack = gauss(-0.2f, 0.6f);
  else if (!isOneOf(k, {Category::Basses, Category::BrassWinds, Category::Chromatics, Category::Guitars,
                        Category::Organs, Category::Pianos, Category::SynthLeads}))
    attack = gauss(-0.2f, 0.4f);
  out.writeParameter(Attack, attack);
  out.writeParameter(Stretch, gauss(0.5f, 0.1f));
  out.writeParameter(Release, k == Category::SynthPads ? gauss(0.1f, 0.5f) : gauss(0.1f, 0.2f));

  float loop = 0.0f;
  if (portamento == 1.0f)
    loop = 1.0f;  // a gliding sound is held by its loop
  else if (k == Category::Pianos)
    loop = 0.0f;
  else if (isOneOf(k, {Category::BrassWinds, Category::Strings, Category::Voices}))
    loop = chance(0.3f);
  else
    loop = chance(0.2f);
  out.writeParameter(GlobalLoopOn, loop);
}

void RandomInstrumentGenerator::randomEffects(ParameterWriter& out, int k) {
  // Effect probability factor: synth sounds and uncategorised ones take more effects, basses fewer.
  float factor = 1.0f;
  if (isOneOf(k, {Category::Any, Category::SynthLeads, Category::SynthPads}))
    factor = 3.0f;
  else if (k == Category::Basses)
    factor = 0.3f;

  out.writeParameter(DistortionOn, isOneOf(k, {Category::Basses, Category::Guitars, Category::SynthLeads})
                                       ? chance(0.4f)
                                       : chance(0.1f));
  out.writeParameter(Distortion, gauss(-0.1f, 0.2f));
  out.writeParameter(Tube, gauss(-0.05f, 0.2f));
  out.writeParameter(MBass, k == Category::Basses ? gauss(-0.1f, 0.4f) : gauss(-0.1f, 0.2f));
  out.writeParameter(Compress, gauss(-0.1f, 0.4f));

  out.writeParameter(FilterOn, uniform(0.0f, 1.0f) < factor * 0.1f ? 1.0f : 0.0f);
  out.writeParameter(FilterMode, unit());
  out.writeParameter(FilterEnv, gauss(0.0f, 0.5f));
  out.writeParameter(FilterCutoff, gauss(0.5f, 0.3f));
  out.writeParameter(FilterRes, gauss(0.0f, 0.3f));

  out.writeParameter(ChorusOn, uniform(0.0f, 1.0f) < factor * 0.1f ? 1.0f : 0.0f);
  out.writeParameter(ChorusMix, unit());
  out.writeParameter(ChorusDepth, uniform(0.0f, 1.0f));
  out.writeParameter(ChorusDelay, uniform(0.0f, 1.0f));
  out.writeParameter(ChorusRate, uniform(0.0f, 1.0f));

  out.writeParameter(DelayOn, chance(factor * 0.15f));
  out.writeParameter(DelayMix, uniform(0.0f, 1.0f));
  out.writeParameter(DelayFeedback, gauss(0.3f, 0.1f));
  out.writeParameter(DelaySyncL, uniform(0.0f, 1.0f));
  out.writeParameter(DelaySyncR, uniform(0.0f, 1.0f));

  out.writeParameter(ReverbOn, chance(factor * 0.3f));
  out.writeParameter(ReverbMix, uniform(0.0f, 1.0f));
  out.writeParameter(ReverbSize, uniform(0.0f, 1.0f));
  out.writeParameter(ReverbDecay, uniform(0.0f, 1.0f));

  out.writeParameter(FormantFilterOn, 0.0f);
}

}  // namespace vt
