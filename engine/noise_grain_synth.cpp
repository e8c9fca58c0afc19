#include "engine/noise_grain_synth.h"

#include <cmath>

#include "engine/noise_phase_table.h"
#include "engine/real_fft.h"

namespace vt {

namespace {

constexpr double kReferenceNyquist = 22050.0;
constexpr int kLargeTransformSize = 1024;
constexpr int kPhaseShift = 9;  // 15-bit random number >> 9 gives a phase index 0..63

static_assert(NoisePhaseTable::kPhases == NoiseGrainSynth::kPhaseCount, "one random phase step per table entry");
static_assert((RandomSource::kMax >> kPhaseShift) == NoiseGrainSynth::kPhaseCount - 1,
              "a random number must select one of the phase steps");

}  // namespace

NoiseGrainSynth::NoiseGrainSynth() : phases(NoisePhaseTable::acquire()) { setSampleRate(kReferenceRate); }

NoiseGrainSynth::~NoiseGrainSynth() {
  if (phases) NoisePhaseTable::release();
}

void NoiseGrainSynth::setSampleRate(float newRate) {
  rate = (std::isfinite(newRate) && newRate > 0.0f) ? newRate : kReferenceRate;

  const double ideal = static_cast<double>(rate) * kMinGrainLength / kReferenceRate;
  length = kMinGrainLength;
  while (length < kMaxGrainLength && ideal > 1.5 * length) length *= 2;

  size = rate == kReferenceRate ? kReferenceTransformSize : kLargeTransformSize;
  fft = RealFft::ofSize(size);
  const double binWidth = static_cast<double>(rate) / size;
  for (int i = 0; i < kSpectrumSize; ++i) {
    const long bin = static_cast<long>(std::floor(entryFrequency(i) / binWidth + 0.5));
    bins[i] = (bin >= 1 && bin <= size / 2) ? static_cast<short>(bin) : static_cast<short>(-1);
  }
  oneBinPerEntry = size == 2 * kSpectrumSize;
  for (int i = 0; i < kSpectrumSize; ++i) oneBinPerEntry = oneBinPerEntry && bins[i] == i + 1;
}

double NoiseGrainSynth::entryFrequency(int entry) { return (entry + 1) * kReferenceNyquist / kSpectrumSize; }

int NoiseGrainSynth::binOfEntry(int entry) const { return (entry >= 0 && entry < kSpectrumSize) ? bins[entry] : -1; }

void NoiseGrainSynth::synthesize(const float* magnitudes, const float* formant, RandomSource& random, float* grain,
                                 const float* window) const {
  float weighted[kSpectrumSize];
  unsigned audible = 0;
  if (formant) {
    for (int i = 0; i < kSpectrumSize; ++i) weighted[i] = magnitudes[i] * formant[i];
  } else {
    for (int i = 0; i < kSpectrumSize; ++i) weighted[i] = magnitudes[i];
  }
  for (int i = 0; i < kSpectrumSize; ++i) audible |= weighted[i] != 0.0f;
  if (!audible || !phases) {
    for (int t = 0; t < size; ++t) grain[t] = 0.0f;
    return;
  }

  int phaseIndex[kSpectrumSize];
  random.fill(phaseIndex, kSpectrumSize);
  if (oneBinPerEntry) {
    // Entry i fills bin i + 1 completely; the last entry is the Nyquist bin.
    grain[0] = 0.0f;
    for (int i = 0; i < kSpectrumSize - 1; ++i) {
      const int m = phaseIndex[i] >> kPhaseShift;
      grain[2 * i + 2] = weighted[i] * phases[2 * m];
      grain[2 * i + 3] = weighted[i] * phases[2 * m + 1];
    }
    grain[1] = weighted[kSpectrumSize - 1] * phases[2 * (phaseIndex[kSpectrumSize - 1] >> kPhaseShift)];
  } else {
    for (int t = 0; t < size; ++t) grain[t] = 0.0f;
    const int nyquist = size / 2;
    for (int i = 0; i < kSpectrumSize; ++i) {
      const int bin = bins[i];
      if (bin < 0) continue;
      const int m = phaseIndex[i] >> kPhaseShift;
      if (bin == nyquist) {
        grain[1] += weighted[i] * phases[2 * m];
      } else {
        grain[2 * bin] += weighted[i] * phases[2 * m];
        grain[2 * bin + 1] += weighted[i] * phases[2 * m + 1];
      }
    }
  }
  fft->inverse(grain, length, window);
}

}  // namespace vt
