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
    const RealVector resynthesis =
        resynthesizePartials(padded(first.magnitude), padded(f1), padded(p1), g.hop, sampleRate);
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
