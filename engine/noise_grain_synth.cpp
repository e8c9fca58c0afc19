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
}

double NoiseGrainSynth::entryFrequency(int entry) { return (entry + 1) * kReferenceNyquist / kSpectrumSize; }

int NoiseGrainSynth::binOfEntry(int entry) const { return (entry >= 0 && entry < kSpectrumSize) ? bins[entry] : -1; }

void NoiseGrainSynth::synthesize(const float* magnitudes, const float* formant, RandomSource& random,
                                 float* grain) const {
  float weighted[kSpectrumSize];
  bool audible = false;
  for (int i = 0; i < kSpectrumSize; ++i) {
    weighted[i] = formant ? magnitudes[i] * formant[i] : magnitudes[i];
    audible = audible || weighted[i] != 0.0f;
  }
  for (int t = 0; t < size; ++t) grain[t] = 0.0f;
  if (!audible || !phases) return;

  const int nyquist = size / 2;
  for (int i = 0; i < kSpectrumSize; ++i) {
    const int m = random.next() >> kPhaseShift;
    const int bin = bins[i];
    if (bin < 0) continue;
    const float v = weighted[i];
    if (bin == nyquist) {
      grain[1] += v * phases[2 * m];
    } else {
      grain[2 * bin] += v * phases[2 * m];
      grain[2 * bin + 1] += v * phases[2 * m + 1];
    }
  }
  fft->inverse(grain);
}

}  // namespace vt
