// Parameter changes while sound passes do not click: on a 0.5-amplitude 110 Hz
// sine (its own largest step about 0.0078) every continuous control that
// scales or filters the sound glides, a filter mode change and every effect
// switch cross-fade, a delay step change moves the echo without clearing it,
// and re-sent unchanged values change nothing at all.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/synth_engine.h"
#include "tests/engine/voice_test_sounds.h"
#include "tests/support/click_detector.h"

namespace vt {
namespace {

constexpr float kRate = 44100.0f;
constexpr int kBlock = 512;
constexpr double kTwoPi = 6.283185307179586;

// A steady 0.5-amplitude 110 Hz sine in the voice mix.
class Sine : public RenderObserver {
public:
  long frame = 0;
  void voiceSubBlock(float* mono, int, int n) override {
    for (int i = 0; i < n; ++i, ++frame) mono[i] += 0.5f * static_cast<float>(std::sin(kTwoPi * 110.0 * frame / kRate));
  }
  void eventHandled(const std::uint8_t*, int) override {}
};

struct Rendered {
  std::vector<float> left, right;
};

// Renders 'seconds' in host blocks, appending both channels.
void play(SynthEngine& engine, Rendered& out, float seconds) {
  const long total = static_cast<long>(seconds * kRate);
  std::vector<float> l(kBlock), r(kBlock);
  for (long done = 0; done < total; done += kBlock) {
    const int n = total - done < kBlock ? static_cast<int>(total - done) : kBlock;
    engine.render(l.data(), r.data(), n);
    out.left.insert(out.left.end(), l.begin(), l.begin() + n);
    out.right.insert(out.right.end(), r.begin(), r.begin() + n);
  }
}

struct Change {
  const char* name;
  std::vector<std::pair<int, float>> setup;  // written before the sound starts
  int index;
  float from, to;
  double limit = 1.5;  // largest step around the change / the output's own steady step
  float lead = 1.0f;   // seconds played before the change (1 s: at a zero crossing of the sine)
};

// A change a quarter period after a zero crossing, at the sine's peak.
constexpr float kAtPeak = 1.0f + 100.0f / kRate;

// Largest step around the change against the larger of the output's own
// steady steps before the change and after it has settled.
double stepRatio(const std::vector<float>& x, size_t at) {
  const size_t second = static_cast<size_t>(kRate);
  const double before = test::largestStep(x, at - second / 2, at);
  const double after = test::largestStep(x, at + second / 2, at + second);
  const double reference = before > after ? before : after;
  return test::largestStep(x, at - 10, at + second / 4) / reference;
}

TEST(ParameterGlide, ControlChangesStayNearTheSignalsOwnStep) {
  const Change changes[] = {
      {"FilterMode 2 to 0", {{FilterOn, 1.0f}}, FilterMode, 1.0f, 0.0f},
      {"FilterMode 2 to 1", {{FilterOn, 1.0f}}, FilterMode, 1.0f, 0.3f},
      // The resonant peak itself sweeps across the tone on the way down (as a hand
      // on the knob would sweep it): the output rings a little louder meanwhile.
      {"FilterCutoff at full resonance", {{FilterOn, 1.0f}, {FilterRes, 1.0f}}, FilterCutoff, 0.9f, 0.1f, 2.5},
      {"FilterEnv", {{FilterOn, 1.0f}, {FilterRes, 0.6f}, {FilterCutoff, 0.5f}}, FilterEnv, 0.0f, 1.0f},
      {"Compress", {{DistortionOn, 1.0f}}, Compress, 0.0f, 0.99f},
      {"Distortion", {{DistortionOn, 1.0f}}, Distortion, 0.0f, 1.0f},
      {"MBass", {{DistortionOn, 1.0f}}, MBass, 0.0f, 1.0f},
      {"Brightness across neutral", {}, Brightness, 0.3f, 0.9f},
      {"ChorusDelay", {{ChorusOn, 1.0f}}, ChorusDelay, 0.04f, 0.8f},
      {"ChorusDepth", {{ChorusOn, 1.0f}}, ChorusDepth, 0.9f, 0.1f},
      {"ChorusMix", {{ChorusOn, 1.0f}}, ChorusMix, 0.0f, 1.0f},
      {"DelayMix", {{DelayOn, 1.0f}, {DelayFeedback, 0.0f}}, DelayMix, 0.0f, 1.0f},
      {"ReverbMix", {{ReverbOn, 1.0f}}, ReverbMix, 0.0f, 1.0f},
      {"Volume", {}, Volume, 0.5f, 0.05f},
      {"StereoWidth", {{ChorusOn, 1.0f}}, StereoWidth, 1.0f, 0.0f},
      // Switches cross-fade their unit in and out, echoes and reverb included.
      {"DistortionOn", {{Distortion, 0.8f}, {Compress, 0.5f}}, DistortionOn, 0.0f, 1.0f, 1.5, kAtPeak},
      {"DistortionOff", {{Distortion, 0.8f}, {Compress, 0.5f}}, DistortionOn, 1.0f, 0.0f, 1.5, kAtPeak},
      {"FilterOn", {{FilterCutoff, 0.3f}, {FilterRes, 0.7f}}, FilterOn, 0.0f, 1.0f, 1.5, kAtPeak},
      {"FilterOff", {{FilterCutoff, 0.3f}, {FilterRes, 0.7f}}, FilterOn, 1.0f, 0.0f, 1.5, kAtPeak},
      {"ChorusOn", {{ChorusMix, 1.0f}}, ChorusOn, 0.0f, 1.0f, 1.5, kAtPeak},
      {"ChorusOff", {{ChorusMix, 1.0f}}, ChorusOn, 1.0f, 0.0f, 1.5, kAtPeak},
      {"DelayOn", {{DelayMix, 1.0f}, {DelayFeedback, 0.6f}}, DelayOn, 0.0f, 1.0f, 1.5, kAtPeak},
      {"DelayOff", {{DelayMix, 1.0f}, {DelayFeedback, 0.6f}}, DelayOn, 1.0f, 0.0f, 1.5, kAtPeak},
      {"ReverbOn", {{ReverbMix, 1.0f}}, ReverbOn, 0.0f, 1.0f, 1.5, kAtPeak},
      {"ReverbOff", {{ReverbMix, 1.0f}}, ReverbOn, 1.0f, 0.0f, 1.5, kAtPeak},
      // A new step moves the echo without clearing it.
      {"DelaySyncL", {{DelayOn, 1.0f}, {DelayMix, 1.0f}, {DelayFeedback, 0.6f}}, DelaySyncL, 0.9f, 0.6f, 1.5, kAtPeak},
  };
  for (const Change& c : changes) {
    auto engine = std::make_unique<SynthEngine>();
    Sine sine;
    engine->setRenderObserver(&sine);
    engine->setSampleRate(kRate);
    for (const auto& p : c.setup) engine->setParameter(p.first, p.second);
    engine->setParameter(c.index, c.from);
    Rendered out;
    play(*engine, out, c.lead);
    const size_t at = out.left.size();
    engine->setParameter(c.index, c.to);
    play(*engine, out, 1.0f);
    EXPECT_LT(stepRatio(out.left, at), c.limit) << c.name;
    EXPECT_LT(stepRatio(out.right, at), c.limit) << c.name;
  }
}

TEST(ParameterGlide, RepeatedUnchangedValuesChangeNothing) {
  // Hosts re-send every value each block: the switches, the delay steps and the
  // chorus line must not be reset by it, and the output stays bit for bit the same.
  const int resent[] = {DelayOn,  DelaySyncL, DelaySyncR, ChorusOn,   ChorusDelay, ChorusDepth,
                        FilterOn, FilterMode, ReverbOn,   Brightness, Volume};
  Rendered plain, repeated;
  for (Rendered* out : {&plain, &repeated}) {
    auto engine = std::make_unique<SynthEngine>();
    Sine sine;
    engine->setRenderObserver(&sine);
    engine->setSampleRate(kRate);
    for (int index : {DelayOn, ChorusOn, FilterOn, ReverbOn}) engine->setParameter(index, 1.0f);
    engine->setParameter(DelaySyncL, 0.9f);
    engine->setParameter(Brightness, 0.7f);
    std::vector<float> l(kBlock), r(kBlock);
    for (int block = 0; block < 200; ++block) {
      if (out == &repeated)
        for (int index : resent) engine->setParameter(index, engine->getParameter(index));
      engine->render(l.data(), r.data(), kBlock);
      out->left.insert(out->left.end(), l.begin(), l.end());
      out->right.insert(out->right.end(), r.begin(), r.end());
    }
  }
  EXPECT_EQ(plain.left, repeated.left);
  EXPECT_EQ(plain.right, repeated.right);
}

// Harmonic volume and the harmonic morph position on sounding voices.
TEST(ParameterGlide, VoiceVolumesAndMorphPositionsGlide) {
  struct VoiceChange {
    const char* name;
    bool morphing;
    int index;
    float from, to;
  };
  const VoiceChange changes[] = {{"HarmAmount", false, HarmAmount, 0.5f, 1.0f},
                                 {"VoiceHarmonicVolumeA", false, VoiceHarmonicVolumeA, 0.5f, 0.0f},
                                 {"MorphHarmX", true, MorphHarmX, 0.0f, 1.0f},
                                 {"MorphHarmY", true, MorphHarmY, 1.0f, 0.0f}};
  for (const VoiceChange& c : changes) {
    auto engine = std::make_unique<SynthEngine>();
    engine->setSampleRate(kRate);
    // Four slots of different timbres and levels on a 110 Hz note.
    test::buildSlot(engine->slot(0), 110.0f, {{1, 0.5f}}, 10.0f);
    test::buildSlot(engine->slot(1), 110.0f, {{1, 0.1f}, {3, 0.3f}}, 10.0f);
    test::buildSlot(engine->slot(2), 110.0f, {{2, 0.4f}}, 10.0f);
    test::buildSlot(engine->slot(3), 110.0f, {{1, 0.05f}}, 10.0f);
    engine->setParameter(Stretch, 0.5f);
    engine->setParameter(DoMorphing, c.morphing ? 1.0f : 0.0f);
    if (!c.morphing)
      for (int p : {MorphHarmX, MorphHarmY, MorphNoiseX, MorphNoiseY}) engine->setParameter(p, 0.0f);
    engine->setParameter(c.index, c.from);
    engine->noteOn(45, 1.0f);  // 110 Hz
    Rendered out;
    play(*engine, out, 1.0f);
    const size_t at = out.left.size();
    engine->setParameter(c.index, c.to);
    play(*engine, out, 1.0f);
    EXPECT_LT(stepRatio(out.left, at), 1.5) << c.name;
  }
}

}  // namespace
}  // namespace vt
