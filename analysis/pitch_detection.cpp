#include "analysis/pitch_detection.h"

#include <cmath>
#include <utility>

#include "analysis/real_fft.h"

namespace vt::analysis {

namespace {

constexpr double kAttackSkipAbove = 0.54;    // s: longer sounds skip their attack
constexpr double kAttackSkip = 0.18;         // s
constexpr int kEndStep = 20;                 // samples per step of the search for the end
constexpr double kEndLevel = 0.05;           // a sample above this (signed) ends the stretch
constexpr double kThresholdDivisor = 3.0;    // peaks must exceed the strongest bin over this
constexpr double kThresholdCap = 200.0;      // but need never exceed this
constexpr double kNeighbourDistance = 12.0;  // Hz: a stronger peak closer than this makes a peak redundant
constexpr double kSlopeAngle = 1.4;          // rad: atan(rise / distance) above this is a steep flank
constexpr double kValleyFloor = 100.0;       // a valley must fall to this to separate two peaks
constexpr double kSteepReach = 0.75;         // x the lowest peak's frequency: how far the slope test looks
constexpr double kMinimumSpacing = 24.0;     // Hz: the sweep starts no lower than this
constexpr double kNoSpacing = 1e16;
constexpr double kStartError = 1e11;
// Mismatch terms: distance / sqrt(frequency), plus a share weighted by the
// peak's relative value, and the peak-to-harmonic side counted three times.
constexpr double kValueWeight = 1.4;
constexpr double kValueOffset = 0.5;
constexpr double kMeasuredWeight = 3.0;

// Largest power of two not above n (0 for n < 1), at most the cap.
int frameLengthFor(std::int64_t n) {
  if (n < 1) return 0;
  int f = 1;
  while (f < kPitchMaxFrameLength && static_cast<std::int64_t>(f) * 2 <= n) f *= 2;
  return f;
}

inline bool usableRate(double sampleRate) { return std::isfinite(sampleRate) && sampleRate > 0.0; }

// One distance term of the mismatch error.
inline double mismatchTerm(double distance, double frequency, double value, double maxValue) {
  const double weighted = distance * std::pow(frequency, -0.5);
  return weighted + (value / maxValue) * (kValueWeight * weighted - kValueOffset);
}

}  // namespace

PitchStretch findPitchStretch(const float* samples, std::size_t count, double sampleRate) {
  PitchStretch stretch;
  if (!samples || count == 0 || !usableRate(sampleRate)) return stretch;
  const std::int64_t n = static_cast<std::int64_t>(count);
  std::int64_t start = 1;
  if (n / sampleRate > kAttackSkipAbove) start = static_cast<std::int64_t>(kAttackSkip * sampleRate);
  if (start < 1) start = 1;
  std::int64_t end = n;
  for (std::int64_t p = n; p >= sampleRate; p -= kEndStep) {
    if (static_cast<double>(samples[p - 1]) > kEndLevel) {
      end = p;
      break;
    }
  }
  stretch.start = start;
  stretch.end = end;
  stretch.frameLength = frameLengthFor((end - start) / 2);
  return stretch;
}

RealVector averagedPitchSpectrum(const float* samples, std::size_t count, const PitchStretch& stretch) {
  const int frameLength = stretch.frameLength;
  if (!samples || frameLength < 2 || stretch.start < 1 || stretch.end > static_cast<std::int64_t>(count))
    return RealVector();
  const int bins = frameLength / 2;
  RealFft fft(frameLength);
  RealVector spectrum(bins), frame(frameLength), re(bins + 1), im(bins + 1);
  if (!fft.valid() || spectrum.size() != bins || frame.size() != frameLength || re.size() != bins + 1 ||
      im.size() != bins + 1)
    return RealVector();
  // Frames start at 1-based positions start, start + F, ... up to end - F, so
  // the last sample read is at most end - 1.
  for (std::int64_t first = stretch.start; first <= stretch.end - frameLength; first += frameLength) {
    const float* src = samples + (first - 1);
    for (int i = 0; i < frameLength; ++i) frame[i] = src[i];
    fft.fft(frame.data(), re.data(), im.data());
    for (int i = 1; i <= bins; ++i) spectrum[i - 1] += std::sqrt(re[i] * re[i] + im[i] * im[i]);
  }
  return spectrum;
}

PitchPeakSearch findPitchPeaks(const RealVector& spectrum, int frameLength, double sampleRate) {
  PitchPeakSearch result;
  const int bins = spectrum.size();
  if (bins == 0 || frameLength < 2 || !usableRate(sampleRate)) return result;
  auto frequencyOf = [&](int bin) { return bin * sampleRate / frameLength; };
  auto s = [&](int bin) { return spectrum[bin - 1]; };  // 1-based bins

  // The search range is a run of bins [low, high].
  int low = 1;
  while (low <= bins && !(frequencyOf(low) > kPitchSearchLow)) ++low;
  int high = low - 1;
  while (high + 1 <= bins && frequencyOf(high + 1) < kPitchSearchHigh) ++high;
  if (high < low) return result;

  double maxValue = -hugeValue;
  for (int i = low; i <= high; ++i) {
    if (s(i) > maxValue) {
      maxValue = s(i);
      result.strongestFrequency = frequencyOf(i);
    }
  }
  double threshold = maxValue / kThresholdDivisor;
  if (threshold > kThresholdCap) threshold = kThresholdCap;

  int found = 0;
  for (int pass = 0; pass < 2; ++pass) {  // count, then store
    int k = 0;
    for (int i = low; i <= high; ++i) {
      if (!(s(i) > threshold)) continue;
      if (i > 1 && !(s(i) > s(i - 1))) continue;
      if (i < bins && !(s(i) > s(i + 1))) continue;
      if (pass == 1) result.peaks.frequencies[k] = i;  // the bin for now
      ++k;
    }
    if (pass == 0) {
      found = k;
      if (!result.peaks.frequencies.reset(found) || !result.peaks.values.reset(found)) return PitchPeakSearch();
    }
  }
  if (found == 0) return result;

  // Pruning. A peak is redundant when some other peak is stronger and closer
  // than 12 Hz, or rises from it steeply (atan(rise / distance) > 1.4) within
  // 0.75 of the lowest peak's frequency with no valley down to 100 between
  // them. Both tests only reach a limited distance, so each peak scans its
  // neighbours outward on either side until they are out of reach, keeping
  // the minimum of the spectrum over the bins passed.
  RealVector& binOf = result.peaks.frequencies;
  const double lowestFrequency = frequencyOf(static_cast<int>(binOf[0]));
  const double steepReach = kSteepReach * lowestFrequency;
  const double reach = steepReach > kNeighbourDistance ? steepReach : kNeighbourDistance;
  RealVector keep(found);
  if (keep.size() != found) return PitchPeakSearch();
  int kept = 0;
  for (int p = 0; p < found; ++p) {
    const int pBin = static_cast<int>(binOf[p]);
    const double fp = frequencyOf(pBin);
    bool redundant = false;
    for (int direction = -1; direction <= 1 && !redundant; direction += 2) {
      double valley = s(pBin);
      int valleyBin = pBin;
      for (int q = p + direction; q >= 0 && q < found; q += direction) {
        const int qBin = static_cast<int>(binOf[q]);
        const double distance = std::fabs(frequencyOf(qBin) - fp);
        if (!(distance < reach)) break;
        const double rise = s(qBin) - s(pBin);
        if (distance < kNeighbourDistance && rise > 0.0) {
          redundant = true;
          break;
        }
        if (distance < steepReach && std::atan(rise / distance) > kSlopeAngle) {
          while (valleyBin != qBin) {
            valleyBin += direction;
            if (s(valleyBin) < valley) valley = s(valleyBin);
          }
          if (valley > kValleyFloor) {
            redundant = true;
            break;
          }
        }
      }
    }
    keep[p] = redundant ? 0.0 : 1.0;
    kept += !redundant;
  }

  PitchPeaks pruned{RealVector(kept), RealVector(kept)};
  if (pruned.frequencies.size() != kept || pruned.values.size() != kept) return PitchPeakSearch();
  int k = 0;
  for (int p = 0; p < found; ++p) {
    if (keep[p] == 0.0) continue;
    const int bin = static_cast<int>(binOf[p]);
    pruned.frequencies[k] = frequencyOf(bin);
    pruned.values[k] = s(bin);
    ++k;
  }
  result.peaks = std::move(pruned);
  return result;
}

PitchPeaks strongestPitchPeaks(const PitchPeaks& peaks, int limit) {
  const int n = peaks.frequencies.size() < peaks.values.size() ? peaks.frequencies.size() : peaks.values.size();
  const int chosenCount = limit < n ? (limit > 0 ? limit : 0) : n;
  PitchPeaks chosen{RealVector(chosenCount), RealVector(chosenCount)};
  RealVector taken(n);
  if (chosen.frequencies.size() != chosenCount || chosen.values.size() != chosenCount || taken.size() != n)
    return PitchPeaks();
  for (int c = 0; c < chosenCount; ++c) {
    int best = -1;
    for (int i = 0; i < n; ++i)
      if (taken[i] == 0.0 && (best < 0 || peaks.values[i] > peaks.values[best])) best = i;
    taken[best] = 1.0;
  }
  // The input is in ascending frequency, so the chosen ones in input order are too.
  int k = 0;
  for (int i = 0; i < n; ++i) {
    if (taken[i] == 0.0) continue;
    chosen.frequencies[k] = peaks.frequencies[i];
    chosen.values[k] = peaks.values[i];
    ++k;
  }
  return chosen;
}

double lowestPitchCandidate(const PitchPeaks& chosen, double strongestFrequency) {
  const RealVector& f = chosen.frequencies;
  if (f.empty()) return strongestFrequency;
  double spacing = kNoSpacing;
  for (int i = 1; i < f.size(); ++i)
    if (f[i] - f[i - 1] < spacing) spacing = f[i] - f[i - 1];
  if (spacing < kMinimumSpacing) spacing = kMinimumSpacing;
  if (spacing > strongestFrequency) spacing = f[0];
  return spacing;
}

double twoWayMismatch(double candidate, const PitchPeaks& chosen) {
  const RealVector& f = chosen.frequencies;
  const RealVector& a = chosen.values;
  const int peaks = f.size() < a.size() ? f.size() : a.size();
  if (peaks == 0 || !(candidate > 0.0)) return hugeValue;
  const double maxValue = max(a);
  const double highest = max(f);
  const double harmonicsReal = std::ceil(highest / candidate);
  if (!(harmonicsReal >= 1.0) || harmonicsReal > 1e6) return hugeValue;
  const int harmonics = static_cast<int>(harmonicsReal);

  // Predicted to measured: each harmonic against its nearest peak (the first on ties).
  double predicted = 0.0;
  for (int h = 1; h <= harmonics; ++h) {
    const double fh = h * candidate;
    int nearest = 0;
    double distance = std::fabs(f[0] - fh);
    for (int k = 1; k < peaks; ++k) {
      const double d = std::fabs(f[k] - fh);
      if (d < distance) {
        distance = d;
        nearest = k;
      }
    }
    predicted += mismatchTerm(distance, fh, a[nearest], maxValue);
  }
  // Measured to predicted: each peak against its nearest harmonic 1 .. harmonics;
  // the distance to h * candidate falls and then rises with h, so the nearest
  // is one of the two harmonics around the peak.
  double measured = 0.0;
  for (int k = 0; k < peaks; ++k) {
    double below = std::floor(f[k] / candidate);
    if (below < 1.0) below = 1.0;
    if (below > harmonics) below = harmonics;
    const double above = below + 1.0 <= harmonics ? below + 1.0 : below;
    const double dBelow = std::fabs(f[k] - below * candidate);
    const double dAbove = std::fabs(f[k] - above * candidate);
    measured += mismatchTerm(dAbove < dBelow ? dAbove : dBelow, f[k], a[k], maxValue);
  }
  return predicted / harmonics + kMeasuredWeight * measured / peaks;
}

double sweepPitchCandidates(const PitchPeaks& chosen, double strongestFrequency) {
  double result = strongestFrequency;
  if (chosen.frequencies.empty() || !std::isfinite(strongestFrequency)) return result;
  const double lowest = lowestPitchCandidate(chosen, strongestFrequency);
  double best = kStartError;
  for (int step = 0;; ++step) {
    const double f = lowest + step;
    if (!(f <= strongestFrequency)) break;
    const double error = twoWayMismatch(f, chosen);
    if (error < best) {
      best = error;
      result = f;
    }
  }
  return result;
}

double detectPitch(const float* samples, std::size_t count, double sampleRate) {
  const PitchStretch stretch = findPitchStretch(samples, count, sampleRate);
  const RealVector spectrum = averagedPitchSpectrum(samples, count, stretch);
  const PitchPeakSearch search = findPitchPeaks(spectrum, stretch.frameLength, sampleRate);
  const PitchPeaks chosen = strongestPitchPeaks(search.peaks, kPitchStrongestPeaks);
  return sweepPitchCandidates(chosen, search.strongestFrequency);
}

}  // namespace vt::analysis
