#include "engine/noise_blend.h"

#include <cmath>

namespace vt {

namespace {

constexpr int kBins = NoiseFrame::kBins;
constexpr int kSources = 4;                 // lower soft, upper soft, lower loud, upper loud
constexpr float kFirstKeptTime = -1000.0f;  // before any frame time
constexpr float kFineSpacing = 0.005f;      // seconds between kept frames early in the sound
constexpr float kCoarseSpacing = 0.03f;     // seconds between kept frames later on
constexpr float kFineSpacingEnd = 0.1f;     // the fine spacing applies up to this time
constexpr int kThinningPlaces = 16;         // thin the remaining times once fewer places remain

const float kZeroSpectrum[kBins] = {};

// Frames a set can really offer: none without its frame array.
int usableCount(const NoiseSet& set) {
  if (!set.frames) return 0;
  return set.count < set.capacity() ? set.count : set.capacity();
}

// A morph or blend position outside 0..1 (or not a number) is taken at the nearest end.
float clampUnit(float x) { return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f; }

}  // namespace

const float* interpolateNoise(const NoiseSet& set, float t, float* scratch) {
  if (usableCount(set) <= 0) return kZeroSpectrum;
  int i, j;
  float fraction;
  set.bracket(t, i, j, fraction);
  if (i < 0 || j < 0 || i >= usableCount(set) || j >= usableCount(set)) return kZeroSpectrum;
  if (i == j || !(fraction > 0.0f)) return set.frames[i].bins;
  if (fraction >= 1.0f) return set.frames[j].bins;
  const float* a = set.frames[i].bins;
  const float* b = set.frames[j].bins;
  const float keep = 1.0f - fraction;
  for (int bin = 0; bin < kBins; ++bin) scratch[bin] = a[bin] * keep + b[bin] * fraction;
  return scratch;
}

void blendSpectra(const float* s1, const float* s2, const float* s3, const float* s4, float a, float b, float* out) {
  const float w1 = (1.0f - a) * (1.0f - b), w2 = a * (1.0f - b), w3 = (1.0f - a) * b, w4 = a * b;
  // A source without weight is replaced by silence, so it is never read and adds exactly 0.
  const float* p1 = w1 != 0.0f ? s1 : kZeroSpectrum;
  const float* p2 = w2 != 0.0f ? s2 : kZeroSpectrum;
  const float* p3 = w3 != 0.0f ? s3 : kZeroSpectrum;
  const float* p4 = w4 != 0.0f ? s4 : kZeroSpectrum;
  for (int bin = 0; bin < kBins; ++bin) out[bin] = w1 * p1[bin] + w2 * p2[bin] + w3 * p3[bin] + w4 * p4[bin];
}

void blendNoise(const NoiseSet& lowerSoft, const NoiseSet& lowerLoud, const NoiseSet& upperSoft,
                const NoiseSet& upperLoud, float k, float u, NoiseSet& target) {
  // Blend order: S1 lower soft, S2 upper soft, S3 lower loud, S4 upper loud.
  const NoiseSet* sets[kSources] = {&lowerSoft, &upperSoft, &lowerLoud, &upperLoud};
  for (const NoiseSet* set : sets) {
    if (set == &target) return;
  }
  target.reset();
  const int places = target.capacity();
  if (places <= 0) return;
  k = clampUnit(k);
  u = clampUnit(u);

  // 1. Merge the frame times of the four sets into one increasing list of distinct times.
  //    Every step consumes at least one time, so odd (unsorted, not finite) times end it too.
  float merged[kSources * NoiseSet::kMaxFrames];
  int mergedCount = 0;
  int heads[kSources] = {};
  int counts[kSources];
  float frameRate = 0.0f;
  for (int s = 0; s < kSources; ++s) {
    counts[s] = usableCount(*sets[s]);
    if (frameRate == 0.0f && counts[s] > 0) frameRate = sets[s]->frames[0].sampleRate;
  }
  for (;;) {
    float next = INFINITY;
    bool any = false;
    for (int s = 0; s < kSources; ++s) {
      if (heads[s] >= counts[s]) continue;
      any = true;
      if (sets[s]->times[heads[s]] < next) next = sets[s]->times[heads[s]];
    }
    if (!any) break;
    for (int s = 0; s < kSources; ++s) {
      while (heads[s] < counts[s] && !(sets[s]->times[heads[s]] > next)) ++heads[s];
    }
    if (std::isfinite(next)) merged[mergedCount++] = next;
  }

  // 2. Keep the times the spacing and the thinning allow, and blend a frame at each.
  float scratch[kSources][kBins];
  float lastKept = kFirstKeptTime;
  int passed = 0;
  int skip = 0;
  for (int m = 0; m < mergedCount && target.count < places; ++m) {
    const float t = merged[m];
    const float spacing = lastKept + kFineSpacing > kFineSpacingEnd ? kCoarseSpacing : kFineSpacing;
    if (!(t > lastKept + spacing) || passed < skip) {
      ++passed;
      continue;
    }
    const int placesLeft = places - target.count;  // counting the one filled now
    NoiseFrame* frame = target.appendFrame(t);
    const float* spectra[kSources];
    for (int s = 0; s < kSources; ++s) spectra[s] = interpolateNoise(*sets[s], t, scratch[s]);
    blendSpectra(spectra[0], spectra[1], spectra[2], spectra[3], k, u, frame->bins);
    frame->silent = false;
    if (frameRate > 0.0f) frame->sampleRate = frameRate;
    lastKept = t;
    passed = 0;
    if (placesLeft < kThinningPlaces) skip = (mergedCount - m - 1) / placesLeft;
  }
}

}  // namespace vt
