#include "analysis/analyze_sound.h"

#include <cmath>

#include "analysis/blackman_stft.h"
#include "analysis/frame_geometry.h"
#include "analysis/hann_spectra.h"
#include "analysis/harmonic_assignment.h"
#include "analysis/noise_analysis.h"
#include "analysis/partial_resynthesis.h"
#include "analysis/partial_tracking.h"

namespace vt::analysis {

namespace {

constexpr double kResidualTailSeconds = 0.1;  // dropped from the end of a long residual

// The table with one column added before the first frame and one after the
// last: 0 where the neighbouring frame has a value, NaN where it has none.
RealMatrix padded(const RealMatrix& m) {
  const int frames = m.cols();
  RealMatrix out(m.rows(), frames + 2, Fill::nan);
  for (int r = 1; r <= m.rows(); ++r) {
    const double* in = m.rowData(r);
    double* row = out.rowData(r);
    for (int j = 0; j < frames; ++j) row[j + 1] = in[j];
    if (frames > 0) {
      row[0] = std::isnan(in[0]) ? in[0] : 0.0;
      row[frames + 1] = std::isnan(in[frames - 1]) ? in[frames - 1] : 0.0;
    }
  }
  return out;
}

// The track magnitudes with every track that no harmonic can take set to NaN:
// those whose mean frequency lies at or beyond half the root from every
// harmonic 1 ... 64 (below half the root or above 64.5 roots). Such a partial
// (a piano's low body resonance, a hum) never becomes a harmonic, so it must
// stay in the residual to reach the voice at all, as noise.
RealMatrix harmonicTrackMagnitudes(const RealMatrix& magnitude, const RealMatrix& frequency, double f0) {
  RealMatrix out = magnitude;
  if (!(f0 > 0.0)) return out;
  for (int r = 1; r <= frequency.rows(); ++r) {
    const double* f = frequency.rowData(r);
    double sum = 0.0;
    int n = 0;
    for (int j = 0; j < frequency.cols(); ++j) {
      if (f[j] > 0.0) {
        sum += f[j];
        ++n;
      }
    }
    const double mean = n > 0 ? sum / n : 0.0;
    if (mean > 0.5 * f0 && mean < (kHarmonicCount + 0.5) * f0) continue;
    double* m = out.rowData(r);
    for (int j = 0; j < out.cols(); ++j) m[j] = std::nan("");
  }
  return out;
}

void report(const AnalysisProgress& progress, double share) {
  if (progress) progress(share);
}

}  // namespace

SoundAnalysis analyzeSound(const RealVector& x, double sampleRate, double f0, const AnalysisProgress& progress) {
  SoundAnalysis result;
  const FrameGeometry g = frameGeometry(sampleRate, f0);
  result.framePeriod = g.framePeriod;
  report(progress, 0.0);

  // First pass: Hann spectra, tracks, their frequencies from the instantaneous frequency.
  const HannSpectra hann = hannSpectra(x, g, sampleRate);
  const RealMatrix m1 = magnitude(hann.re, hann.im);
  report(progress, 0.15);
  double maxBin = g.maxBin;
  PartialTracks first;
  while (!trackPartials(m1, maxBin, first)) {
    maxBin /= 2.0;
    result.trackBudgetReached = true;
  }
  report(progress, 0.35);

  RealVector residual;
  if (first.position.rows() == 0 || first.position.cols() == 0) {
    // No partials: no harmonic content, and the whole input is noise.
    result.harmonicFrequency.reset(kHarmonicCount, 1, Fill::nan);
    result.harmonicAmplitude.reset(kHarmonicCount, 1, Fill::nan);
    residual = x;
  } else {
    const RealMatrix f1 = refineTrackFrequencies(hann.instantaneousFrequency, first.position);
    RealMatrix phases = phase(hann.re, hann.im);
    unwrapRowsInPlace(phases);
    const RealMatrix p1 = -valueAtTracks(phases, first.position);
    const RealVector resynthesis = resynthesizePartials(padded(harmonicTrackMagnitudes(first.magnitude, f1, f0)),
                                                        padded(f1), padded(p1), g.hop, sampleRate);
    report(progress, 0.55);

    // Second pass on Blackman spectra gives the harmonic data.
    const ComplexSpectrogram blackman = blackmanStft(x, g.size, g.hop);
    PartialTracks second;
    if (!trackPartials(magnitude(blackman.re, blackman.im), maxBin, second)) result.trackBudgetReached = true;
    HarmonicTables harmonics = assignHarmonics(second.position * (sampleRate / g.size), second.magnitude, f0);
    const double amplitudeScale = g.size / 4.0;
    for (int i = 0; i < harmonics.amplitude.size(); ++i) harmonics.amplitude.data()[i] /= amplitudeScale;
    result.harmonicFrequency = std::move(harmonics.frequency);
    result.harmonicAmplitude = std::move(harmonics.amplitude);
    report(progress, 0.8);

    // Residual: the input (cut or padded to the resynthesis) minus the partials.
    residual.reset(resynthesis.size());
    const int shared = std::min(x.size(), resynthesis.size());
    for (int i = 0; i < shared; ++i) residual[i] = x[i] - resynthesis[i];
    for (int i = shared; i < resynthesis.size(); ++i) residual[i] = -resynthesis[i];
    const double tail = kResidualTailSeconds * sampleRate;
    if (residual.size() > 2.0 * tail) residual.resize(static_cast<int>(residual.size() - tail));
  }

  result.noise = analyzeNoise(residual, sampleRate);
  report(progress, 1.0);
  return result;
}

}  // namespace vt::analysis
