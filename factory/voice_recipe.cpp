#include "factory/voice_recipe.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "engine/voice_slot.h"

namespace vt {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kReferenceHz = 261.6255653005986;  // middle C: where key tracking is neutral
constexpr double kRatioMargin = 0.95;               // how far a stored ratio may stray from its harmonic number
constexpr double kGoldenAngle = 2.399963229728653;  // spreads the shimmer phases of the harmonics

// Levels. A harmonic or an envelope point this far below the layer's loudest
// harmonic is left out; the loud layer of every row peaks at the reference RMS
// (times the recipe's level); noise levels are scaled into magnitudes per
// spectrum entry.
constexpr double kSilentFraction = 0.004;
constexpr double kReferenceRms = 0.24;
constexpr double kNoiseScale = 8.0;

// Envelope axis.
constexpr double kShapedAttack = 0.05;       // attacks at least this long get a point on their curve
constexpr double kSpreadPointOctaves = 2.0;  // a slow-overtone attack gets a point where the fourth harmonic peaks
constexpr double kShimmerPointsPerCycle = 3.0;
constexpr int kDecayPoints = 8;        // envelope points after the peak of a decaying voice
constexpr double kDecaySpacing = 3.0;  // how much denser those points are early on
constexpr int kMaxAxis = BreakpointCurve::kCapacity;
// A held note reads the level a block ahead of its position and jumps back to
// the loop start only after passing the loop end, so the level holds a while
// longer before the fade-out begins: longer than two blocks of 256 samples at
// 22050 Hz, and longer than the 0.03 s within which a note's blend of the rows
// merges neighbouring points.
constexpr double kLoopGuard = 0.04;

// Noise frames. A note keeps a blended noise frame only when it lies this far
// after the one before (farther after the first 0.1 s), so the frames of a
// voice keep at least that distance.
constexpr double kBurstPeakTime = 0.008;
constexpr double kEarlyFrameGap = 0.006;
constexpr double kLateFrameGap = 0.035;
constexpr double kLateFrames = 0.1;
constexpr double kDecayingNoiseFrame = 0.15;  // a decaying voice's noise: one frame this far into the sound
constexpr double kNyquistHz = 22050.0;        // noise spectra run over 0..1 of this band
// Normalised frequencies of the points of a noise spectrum, denser at the low end.
constexpr double kNoisePoints[] = {0.005, 0.015, 0.035, 0.07, 0.13, 0.25, 0.5, 1.0};
constexpr int kNoisePointCount = sizeof(kNoisePoints) / sizeof(kNoisePoints[0]);

double noteHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

double bell(double hz, double centreHz, double widthOctaves) {
  if (hz <= 0.0 || centreHz <= 0.0 || widthOctaves <= 0.0) return 0.0;
  const double d = std::log2(hz / centreHz) / widthOctaves;
  return std::exp(-0.5 * d * d);
}

double rollOff(double hz, double cutoffHz, double order) {
  if (cutoffHz <= 0.0) return 1.0;
  return 1.0 / std::sqrt(1.0 + std::pow(hz / cutoffHz, 2.0 * order));
}

// One harmonic of one layer before the time shape: where it sits, how loud and how long it lasts.
struct HarmonicPlan {
  bool used = false;
  double ratio = 0.0;
  double level = 0.0;
  double decayScale = 1.0;
};

class VoiceBuilder {
public:
  explicit VoiceBuilder(const VoiceRecipe& r) : recipe(r) {}

  // False when the recipe's numbers do not make a voice: rows out of range or
  // not ascending, no length, a loop that does not lie between the end of the
  // decay and the end, an onset pitch that settles too late.
  bool valid() const {
    if (recipe.rowCount < 1 || recipe.rowCount > VoiceSlot::kRows) return false;
    for (int r = 1; r < recipe.rowCount; ++r)
      if (recipe.rowNotes[r] <= recipe.rowNotes[r - 1]) return false;
    if (!(recipe.duration > 0.0f && recipe.attack > 0.0f && recipe.attackSpread >= 0.0f && recipe.decay > 0.0f))
      return false;
    if (recipe.sustained && !(attackEnd() + recipe.decay < recipe.loopStart && recipe.loopStart < recipe.loopEnd &&
                              tailStart() < recipe.duration))
      return false;
    return recipe.scoopTime >= 0.0f && recipe.scoopTime < (recipe.sustained ? recipe.loopStart : recipe.duration);
  }

  bool build(VoiceSlot& slot) {
    if (!valid()) return false;
    makeAmplitudeAxis();
    makeFrequencyAxis();
    if (timeCount < 2 || timeCount > kMaxAxis) return false;

    slot.reset();
    std::memset(slot.name, 0, sizeof(slot.name));
    std::strncpy(slot.name, recipe.name, sizeof(slot.name) - 1);
    slot.rowCount = recipe.rowCount;
    slot.layerCount = VoiceSlot::kLayers;
    slot.loopOn = recipe.sustained;
    slot.loopStart = recipe.sustained ? recipe.loopStart : 0.0f;
    slot.loopEnd = recipe.sustained ? recipe.loopEnd : 0.0f;
    slot.maxFrequency = VoiceSlot::kDefaultMaxFrequency;
    for (int r = 0; r < recipe.rowCount; ++r) {
      for (int layer = 0; layer < VoiceSlot::kLayers; ++layer) {
        if (!buildHarmonics(slot.harmonics[r][layer], noteHz(recipe.rowNotes[r]), layer == 1)) return false;
        if (!buildNoise(slot.noise[r][layer], layer == 1)) return false;
      }
    }
    slot.prepare();
    return true;
  }

private:
  // The axis point where the fade-out after the loop begins.
  int tailStartIndex() const {
    int i = 0;
    while (i + 1 < timeCount && times[i] < tailStart()) ++i;
    return i;
  }

  double attackOf(int k) const { return recipe.attack + recipe.attackSpread * std::log2(static_cast<double>(k)); }
  double attackEnd() const { return attackOf(HarmonicSet::kHarmonics); }
  double tailStart() const { return recipe.loopEnd + kLoopGuard; }
  double scoopEnd() const { return recipe.scoopTime > 0.0f ? recipe.scoopTime : attackEnd(); }

  void addTime(double t) {
    if (timeCount < kMaxAxis && (timeCount == 0 || t > times[timeCount - 1] + 1e-4)) times[timeCount++] = t;
  }
  void addFrequencyTime(double t) {
    if (frequencyCount < kMaxAxis && (frequencyCount == 0 || t > frequencyTimes[frequencyCount - 1] + 1e-4))
      frequencyTimes[frequencyCount++] = t;
  }

  // One time axis for every harmonic of every row and layer, so that the
  // blends between rows and layers meet point for point.
  void makeAmplitudeAxis() {
    const double a = recipe.attack;
    const double end = recipe.duration;
    addTime(0.0);
    if (a >= kShapedAttack) addTime(0.4 * a);
    addTime(a);
    if (recipe.attackSpread > 0.0f) {
      addTime(a + recipe.attackSpread * kSpreadPointOctaves);
    }
    if (recipe.sustained) {
      const double peak = attackEnd();
      for (double f : {0.5, 1.0}) addTime(peak + recipe.decay * f);
      // The level holds from the end of the decay to the loop end; only a
      // shimmer needs points inside the loop.
      if (recipe.shimmer > 0.0f) {
        const double loop = recipe.loopEnd - recipe.loopStart;
        const int steps = std::max(2, static_cast<int>(std::lround(kShimmerPointsPerCycle * recipe.shimmerCycles)));
        for (int i = 0; i < steps; ++i) addTime(recipe.loopStart + loop * i / steps);
      }
      addTime(recipe.loopEnd);
      addTime(tailStart());
      for (double f : {0.4, 1.0}) addTime(tailStart() + (end - tailStart()) * f);
    } else {
      const double span = end - a;
      for (int i = 1; i <= kDecayPoints; ++i)
        addTime(a + span * (std::exp(kDecaySpacing * i / kDecayPoints) - 1.0) / (std::exp(kDecaySpacing) - 1.0));
    }
  }

  void makeFrequencyAxis() {
    addFrequencyTime(0.0);
    if (recipe.scoopCents != 0.0f) addFrequencyTime(scoopEnd());
    if (recipe.sustained && recipe.driftCents != 0.0f) {
      const double loop = recipe.loopEnd - recipe.loopStart;
      for (double f : {0.0, 0.25, 0.75, 1.0}) addFrequencyTime(recipe.loopStart + loop * f);
    }
    addFrequencyTime(recipe.duration);
  }

  double centsAt(double t) const {
    double cents = 0.0;
    const double settle = scoopEnd();
    if (recipe.scoopCents != 0.0f && t < settle) cents += recipe.scoopCents * (1.0 - t / settle);
    if (recipe.sustained && recipe.driftCents != 0.0f && t > recipe.loopStart && t < recipe.loopEnd) {
      const double q = (t - recipe.loopStart) / (recipe.loopEnd - recipe.loopStart);
      cents += recipe.driftCents * std::sin(2.0 * kPi * q);
    }
    return cents;
  }

  // Envelope of harmonic k (1-based) at time t, 1 at its peak.
  double envelope(int k, double t, double ratio, double rowHz, double decayScale) const {
    if (t <= 0.0 || t >= recipe.duration) return 0.0;
    const double rise = attackOf(k);
    if (t < rise) {
      const double x = t / rise;
      return x * (2.0 - x);
    }
    if (!recipe.sustained) {
      const double tau = recipe.decay * decayScale * std::pow(ratio, -static_cast<double>(recipe.decayTilt)) *
                         std::pow(rowHz / kReferenceHz, -static_cast<double>(recipe.decayKeyTrack));
      return std::exp(-(t - rise) / tau);
    }
    const double hold = recipe.sustain * std::pow(static_cast<double>(k), -static_cast<double>(recipe.sustainTilt));
    if (t < rise + recipe.decay) {
      const double y = 1.0 - (t - rise) / recipe.decay;
      return hold + (1.0 - hold) * y * y;
    }
    if (t <= recipe.loopStart) return hold;
    if (t <= recipe.loopEnd) {
      // A movement that is zero at both loop points, so the loop joins without a step.
      const double q = (t - recipe.loopStart) / (recipe.loopEnd - recipe.loopStart);
      const double phase = kGoldenAngle * k;
      return hold * (1.0 + recipe.shimmer * (std::sin(2.0 * kPi * recipe.shimmerCycles * q + phase) - std::sin(phase)));
    }
    if (t <= tailStart()) return hold;
    const double u = 1.0 - (t - tailStart()) / (recipe.duration - tailStart());
    return hold * u * u;
  }

  // True when the ratio, moved by the widest pitch movement, stays well inside
  // harmonic k's valid range (k - 1 to k + 1), which a reader enforces.
  bool withinHarmonic(double ratio, int k) const {
    const double widest = std::pow(2.0, (std::fabs(recipe.scoopCents) + std::fabs(recipe.driftCents)) / 1200.0);
    return ratio * widest < k + kRatioMargin && ratio / widest > k - kRatioMargin;
  }

  void planHarmonics(HarmonicPlan* plan, double rowHz, bool loud) const {
    const double cutoff = (loud ? recipe.loudCutoffHz : recipe.softCutoffHz) *
                          std::pow(rowHz / kReferenceHz, static_cast<double>(recipe.cutoffKeyTrack));
    const SpectralPeak* peaks = loud ? recipe.loudPeaks : recipe.softPeaks;
    auto shaped = [&](double hz) {
      double g = rollOff(hz, cutoff, recipe.cutoffOrder);
      for (int p = 0; p < VoiceRecipe::kMaxPeaks; ++p)
        g *= 1.0 + peaks[p].gain * bell(hz, peaks[p].centreHz, peaks[p].widthOctaves);
      return g;
    };
    if (recipe.partialCount > 0) {
      for (int p = 0; p < recipe.partialCount && p < VoiceRecipe::kMaxPartials; ++p) {
        const InharmonicPartial& partial = recipe.partials[p];
        const int k = static_cast<int>(std::lround(partial.ratio));
        if (k < 1 || k > HarmonicSet::kHarmonics || plan[k - 1].used || !withinHarmonic(partial.ratio, k)) continue;
        const double hz = partial.ratio * rowHz;
        if (hz >= recipe.highestHz) continue;
        plan[k - 1].used = true;
        plan[k - 1].ratio = partial.ratio;
        plan[k - 1].level = partial.level * shaped(hz) * (loud && p > 0 ? recipe.loudOvertones : 1.0);
        plan[k - 1].decayScale = partial.decayScale;
      }
      return;
    }
    for (int k = 1; k <= HarmonicSet::kHarmonics; ++k) {
      const double ratio = k * std::sqrt(1.0 + recipe.inharmonicity * k * k);
      if (!withinHarmonic(ratio, k) || ratio * rowHz >= recipe.highestHz) break;
      double level = std::pow(static_cast<double>(k), -static_cast<double>(recipe.slope));
      if (k % 2 == 0) level *= recipe.evenLevel;
      plan[k - 1].used = true;
      plan[k - 1].ratio = ratio;
      plan[k - 1].level = level * shaped(ratio * rowHz);
    }
  }

  bool buildHarmonics(HarmonicSet& set, double rowHz, bool loud) {
    HarmonicPlan plan[HarmonicSet::kHarmonics];
    planHarmonics(plan, rowHz, loud);

    // Envelopes at every axis time, then one gain for the whole layer.
    double loudest = 0.0;
    for (int h = 0; h < HarmonicSet::kHarmonics; ++h) {
      for (int i = 0; i < timeCount; ++i) {
        values[h][i] =
            plan[h].used ? plan[h].level * envelope(h + 1, times[i], plan[h].ratio, rowHz, plan[h].decayScale) : 0.0;
        loudest = std::max(loudest, values[h][i]);
      }
    }
    double peakRms = 0.0;
    for (int i = 0; i < timeCount; ++i) {
      double power = 0.0;
      for (int h = 0; h < HarmonicSet::kHarmonics; ++h) power += 0.5 * values[h][i] * values[h][i];
      peakRms = std::max(peakRms, std::sqrt(power));
    }
    if (peakRms <= 0.0) return false;
    const double gain = kReferenceRms * recipe.level * (loud ? 1.0 : recipe.softLevel) / peakRms;
    const double silent = kSilentFraction * loudest;

    set.reset();
    set.baseFrequency = static_cast<float>(rowHz);
    float xs[kMaxAxis];
    float ys[kMaxAxis];
    for (int i = 0; i < timeCount; ++i) xs[i] = static_cast<float>(times[i]);
    float fxs[kMaxAxis];
    float fys[kMaxAxis];
    for (int i = 0; i < frequencyCount; ++i) fxs[i] = static_cast<float>(frequencyTimes[i]);

    for (int h = 0; h < HarmonicSet::kHarmonics; ++h) {
      // Points up to the last one above the silence line, then one silent point.
      int count = 0;
      bool inLoop = false;
      for (int i = 0; i < timeCount; ++i) {
        if (values[h][i] < silent) continue;
        count = i + 2;
        inLoop = inLoop || (recipe.sustained && times[i] >= recipe.loopStart && times[i] <= tailStart());
      }
      // A harmonic heard in the loop stays to the start of the fade-out, so the loop joins without a step.
      if (inLoop) count = std::max(count, tailStartIndex() + 2);
      if (h == 0) count = timeCount;  // the first harmonic carries the axis
      if (!plan[h].used && h > 0) count = 0;
      count = std::min(count, timeCount);
      if (count == 0) continue;
      for (int i = 0; i < count; ++i) ys[i] = static_cast<float>(values[h][i] * gain);
      ys[count - 1] = 0.0f;
      if (!set.amplitude[h].assign(count, xs, ys)) return false;

      const double ratio = plan[h].used ? plan[h].ratio : h + 1.0;
      for (int i = 0; i < frequencyCount; ++i)
        fys[i] = static_cast<float>(ratio * std::pow(2.0, centsAt(frequencyTimes[i]) / 1200.0));
      if (!set.frequency[h].assign(frequencyCount, fxs, fys)) return false;
    }
    set.updateDuration();
    return true;
  }

  // Magnitude of the noise at time t, in the burst and in the held part.
  double burstAt(double t) const {
    if (t <= 0.0 || t >= recipe.noise.burstTime) return 0.0;
    if (t <= kBurstPeakTime) return t / kBurstPeakTime;
    const double x = 1.0 - (t - kBurstPeakTime) / (recipe.noise.burstTime - kBurstPeakTime);
    return x * x;
  }

  bool buildNoise(NoiseSet& set, bool loud) {
    set.reset();
    const NoiseRecipe& n = recipe.noise;
    if (n.burstLevel <= 0.0f && n.sustainLevel <= 0.0f) return true;
    const double layerLevel = kNoiseScale * recipe.level * (loud ? 1.0 : recipe.softLevel);
    // The soft layer's noise is a little darker, like its harmonics.
    const double shift = loud ? 1.0 : 0.8;

    double frameTimes[kMaxAxis];
    int frames = 0;
    auto addFrame = [&](double t) {
      const double gap = t > kLateFrames ? kLateFrameGap : kEarlyFrameGap;
      if (frames < NoiseSet::kMaxFrames && (frames == 0 || t > frameTimes[frames - 1] + gap)) frameTimes[frames++] = t;
    };
    addFrame(0.0);
    if (n.burstLevel > 0.0f) {
      addFrame(kBurstPeakTime);
      addFrame(n.burstTime);
    }
    if (recipe.sustained) {
      if (n.sustainLevel > 0.0f) {
        addFrame(attackEnd() + recipe.decay);
        addFrame(tailStart());
      }
    } else {
      addFrame(recipe.attack + (recipe.duration - recipe.attack) * kDecayingNoiseFrame);
    }
    addFrame(recipe.duration);

    for (int f = 0; f < frames; ++f) {
      const double t = frameTimes[f];
      const double burst = n.burstLevel * burstAt(t);
      const double held = n.sustainLevel * envelope(1, t, 1.0, kReferenceHz, 1.0);
      NoiseFrame* frame = set.appendFrame(static_cast<float>(t));
      if (!frame) return false;
      if (burst <= 0.0 && held <= 0.0) {
        // A silent frame needs no more than two points.
        frame->spectrum.add(static_cast<float>(kNoisePoints[0]), 0.0f);
        frame->spectrum.add(1.0f, 0.0f);
      } else {
        for (int p = 0; p < kNoisePointCount; ++p) {
          const double hz = kNoisePoints[p] * kNyquistHz;
          const double m = burst * bell(hz, n.burstCentreHz * shift, n.burstWidthOctaves) +
                           held * bell(hz, n.sustainCentreHz * shift, n.sustainWidthOctaves);
          frame->spectrum.add(static_cast<float>(kNoisePoints[p]), static_cast<float>(m * layerLevel));
        }
      }
      frame->resample();
    }
    return true;
  }

  const VoiceRecipe& recipe;
  double times[kMaxAxis] = {};
  int timeCount = 0;
  double frequencyTimes[kMaxAxis] = {};
  int frequencyCount = 0;
  double values[HarmonicSet::kHarmonics][kMaxAxis] = {};  // one layer's envelopes before its gain
};

}  // namespace

bool buildVoice(const VoiceRecipe& recipe, VoiceSlot& slot) {
  if (!slot.valid()) return false;
  std::unique_ptr<VoiceBuilder> builder(new (std::nothrow) VoiceBuilder(recipe));
  return builder && builder->build(slot);
}

}  // namespace vt
