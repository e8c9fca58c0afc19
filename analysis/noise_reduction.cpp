#include "analysis/noise_reduction.h"

#include <cmath>
#include <vector>

#include "analysis/segment_error.h"
#include "analysis/time_thinning.h"

namespace vt::analysis {

namespace {

constexpr double kThresholdGrowth = 1.2;  // both thresholds grow by this after a fruitless run of passes

double bandSum(const FrameTable& t, int frame) {
  const double* v = t.frame(frame);
  double s = 0.0;
  for (int r = 0; r < t.rows(); ++r) s += v[r];
  return s;
}

bool isKeptBand(int band) {
  for (int b : kKeptNoiseBands)
    if (b == band) return true;
  return false;
}

// First thinning: finer steps during the onset, coarser later.
double firstStep(double t) { return t < 0.1 ? 0.0025 : (t < 1.0 ? 0.015 : 0.03); }
double secondStep(double t) { return t < 0.1 ? 0.005 : 0.03; }

}  // namespace

RealMatrix reduceNoise(const RealMatrix& noise, const NoiseReductionSettings& settings) {
  const double T = settings.framePeriod;
  const int limit = settings.limit, bandLimit = settings.bandLimit;
  RealMatrix out;
  if (noise.rows() == 0 || noise.cols() < 2) return out;
  const FrameTable u(noise);
  const int frames = u.frames();
  auto timeOf = [T](int frame) { return T * (frame - 1); };

  // First time thinning over every frame but the last.
  std::vector<int> kept;
  std::vector<double> times;
  double lastKept = -1000.0;
  for (int k = 1; k < frames; ++k) {
    const double t = timeOf(k);
    if (!settings.thinTime || t >= lastKept + firstStep(t)) {
      kept.push_back(k);
      times.push_back(t);
      lastKept = t;
    }
  }

  // Breakpoints whose loss interpolation hides. A silent breakpoint next to a
  // sounding one stays: it holds the edge of the sound.
  double b = settings.threshold;
  while (static_cast<int>(kept.size()) > limit) {
    bool removed = false;
    do {
      removed = false;
      for (std::size_t c = 1; c + 2 < kept.size(); ++c) {
        const int left = kept[c - 1], here = kept[c], right = kept[c + 1];
        const double err = segmentError(u, T, times[c - 1], u.frame(left), times[c + 1], u.frame(right));
        const bool edge = bandSum(u, here) == 0.0 && !(bandSum(u, left) == 0.0 && bandSum(u, right) == 0.0);
        if ((err < b || std::isinf(b)) && !edge) {
          kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(c));
          times.erase(times.begin() + static_cast<std::ptrdiff_t>(c));
          removed = true;  // the breakpoint that moved into place c is skipped
          if (settings.stopAtLimit && static_cast<int>(kept.size()) <= limit) break;
        }
      }
    } while (removed && !(settings.stopAtLimit && static_cast<int>(kept.size()) <= limit));
    if (std::isinf(b)) break;  // nothing removable is left
    b *= kThresholdGrowth;
  }

  if (settings.thinTime) thinTimes(times, kept, secondStep);

  // Trailing silence: one breakpoint after the last sounding one stays.
  std::size_t n = 1;
  for (std::size_t k = kept.size(); k-- > 0;) {
    if (bandSum(u, kept[k]) > 0.0) {
      n = k + 2;
      break;
    }
  }
  if (n < kept.size()) {
    kept.resize(n);
    times.resize(n);
  }

  // Bands whose previous remaining neighbour stands in for them.
  std::vector<int> bands(static_cast<std::size_t>(u.rows()));
  for (int r = 0; r < u.rows(); ++r) bands[static_cast<std::size_t>(r)] = r + 1;
  double c = settings.bandThreshold;
  while (static_cast<int>(bands.size()) > bandLimit) {
    bool removed = false;
    do {
      removed = false;
      for (std::size_t p = 1; p + 2 < bands.size();) {
        const int d = bands[p], e = bands[p - 1], f = bands[p + 1];
        if (isKeptBand(d)) {
          ++p;
          continue;
        }
        double sum = 0.0;
        for (int k : kept) {
          const double* v = u.frame(k);
          const double diff = v[e - 1] - v[d - 1];
          sum += diff * diff;
        }
        const double err = static_cast<double>(f - e) * sum;
        if (err < c || std::isinf(c)) {
          bands.erase(bands.begin() + static_cast<std::ptrdiff_t>(p));  // the next band is the next candidate
          removed = true;
          if (settings.stopAtLimit && static_cast<int>(bands.size()) <= bandLimit) break;
        } else {
          ++p;
        }
      }
    } while (removed && !(settings.stopAtLimit && static_cast<int>(bands.size()) <= bandLimit));
    if (std::isinf(c)) break;
    c *= kThresholdGrowth;
  }

  // Trailing quiet: one breakpoint after the last audible one stays.
  std::size_t audible = 0;
  bool anyAudible = false;
  for (std::size_t k = kept.size(); k-- > 0;) {
    double s = 0.0;
    const double* v = u.frame(kept[k]);
    for (int band : bands) s += v[band - 1];
    if (s > settings.audibleSum) {
      audible = k;
      anyAudible = true;
      break;
    }
  }
  const std::size_t count = anyAudible ? std::min(kept.size(), audible + 2) : 1;
  kept.resize(count);
  times.resize(count);

  const int nb = static_cast<int>(bands.size());
  const int nk = static_cast<int>(kept.size());
  out.reset(nb + 1, nk + 1);
  out(1, 1) = 0.0;
  for (int r = 0; r < nb; ++r) out(r + 2, 1) = bands[static_cast<std::size_t>(r)];
  for (int k = 0; k < nk; ++k) {
    out(1, k + 2) = times[static_cast<std::size_t>(k)];
    const double* v = u.frame(kept[static_cast<std::size_t>(k)]);
    for (int r = 0; r < nb; ++r)
      out(r + 2, k + 2) = k + 1 < nk ? v[bands[static_cast<std::size_t>(r)] - 1] : 0.0;  // ends in silence
  }
  return out;
}

}  // namespace vt::analysis
