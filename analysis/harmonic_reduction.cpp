#include "analysis/harmonic_reduction.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "analysis/segment_error.h"

namespace vt::analysis {

namespace {

constexpr double kErrorScale = 200.0;     // weight of both errors in a breakpoint's score
constexpr double kThresholdGrowth = 1.1;  // threshold factor after a pass that removed nothing

double columnSum(const FrameTable& t, int frame) {
  const double* v = t.frame(frame);
  double s = 0.0;
  for (int r = 0; r < t.rows(); ++r) s += v[r];
  return s;
}

}  // namespace

HarmonicBreakpoints reduceHarmonics(const RealMatrix& frequency, const RealMatrix& amplitude, double T, double f0,
                                    const HarmonicReductionSettings& settings) {
  const int limit = settings.limit;
  HarmonicBreakpoints out;
  if (frequency.rows() != amplitude.rows() || frequency.cols() != amplitude.cols()) {
    std::fputs("ERROR: frequency and magnitude sizes do not agree.\n", stdout);
    return out;
  }
  const FrameTable f(frequency);
  const FrameTable a(amplitude);
  const int rows = f.rows();
  const int frames = f.frames();
  if (frames == 0) return out;

  // The breakpoints are frames of the tables; 'kept' holds their frame numbers.
  std::vector<int> kept(static_cast<std::size_t>(frames));
  for (int i = 0; i < frames; ++i) kept[static_cast<std::size_t>(i)] = i + 1;
  auto timeOf = [T](int frame) { return T * (frame - 1); };

  if (frames > limit) {
    double x = settings.threshold;
    for (;;) {
      bool removed = false;
      // Interior breakpoints from the second on, up to the last but two.
      for (std::size_t k = 1; k + 2 < kept.size(); ++k) {
        const int left = kept[k - 1], here = kept[k], right = kept[k + 1];
        const double frequencyError =
            segmentError(f, T, timeOf(left), f.frame(left), timeOf(right), f.frame(right), a.frame(here));
        const double amplitudeError = segmentError(a, T, timeOf(left), a.frame(left), timeOf(right), a.frame(right));
        // Without a root frequency the frequency error cannot be scaled and is left out.
        const double score = (f0 > 0.0 ? kErrorScale * frequencyError / f0 : 0.0) + kErrorScale * amplitudeError;
        // A threshold grown past every number removes whatever is left (even a
        // score that is not a number), so the reduction always ends.
        if (score < x || std::isinf(x)) {
          kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(k));
          removed = true;  // the breakpoint that moved into place k is skipped
          if (settings.stopAtLimit && static_cast<int>(kept.size()) <= limit) break;
        }
      }
      if (settings.stopAtLimit && static_cast<int>(kept.size()) <= limit) break;
      if (removed) continue;
      if (static_cast<int>(kept.size()) > limit && kept.size() >= 4)
        x *= kThresholdGrowth;
      else
        break;
    }
  }

  std::vector<double> times(kept.size());
  for (std::size_t k = 0; k < kept.size(); ++k) times[k] = timeOf(kept[k]);
  if (settings.thinTime) thinTimes(times, kept, [](double) { return kHarmonicThinningStep; });

  // Trailing silence: one breakpoint after the last sounding one stays.
  std::size_t lastSounding = 0;
  for (std::size_t k = kept.size(); k-- > 1;) {
    if (columnSum(a, kept[k]) > settings.silentSum) {
      lastSounding = k;
      break;
    }
  }
  if (lastSounding + 2 < kept.size()) {
    kept.resize(lastSounding + 2);
    times.resize(lastSounding + 2);
  }

  // The sound fades to silence at most 0.25 s after it last sounds. That is
  // the last sounding frame, which the reduction may have dropped as an
  // interior point of a quiet decaying tail: fading from the last kept
  // breakpoint instead would cut a long soft decay short.
  int lastSoundingFrame = 0;
  for (int j = frames; j >= 1; --j) {
    if (columnSum(a, j) > settings.silentSum) {
      lastSoundingFrame = j;
      break;
    }
  }
  const int n = static_cast<int>(kept.size());
  if (n >= 2) {
    double fadeFrom = times[n - 2];
    if (lastSoundingFrame < kept[n - 1]) fadeFrom = std::fmax(fadeFrom, timeOf(lastSoundingFrame));
    times[n - 1] = std::fmin(times[n - 1], fadeFrom + kMaxFinalBreakpointGap);
  }
  out.frequency.reset(rows + 1, n);
  out.amplitude.reset(rows + 1, n);
  for (int k = 0; k < n; ++k) {
    out.frequency(1, k + 1) = times[k];
    out.amplitude(1, k + 1) = times[k];
    const double* fv = f.frame(kept[k]);
    const double* av = a.frame(kept[k]);
    for (int r = 0; r < rows; ++r) {
      out.frequency(r + 2, k + 1) = fv[r];
      out.amplitude(r + 2, k + 1) = k + 1 < n ? av[r] : 0.0;  // the sound ends in silence
    }
  }
  return out;
}

}  // namespace vt::analysis
