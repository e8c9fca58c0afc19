#include "analysis/harmonic_assignment.h"

#include <cmath>
#include <vector>

namespace vt::analysis {

namespace {

constexpr int kMaxCandidates = 64;         // tracks considered per harmonic
constexpr int kContinuityFrames = 10;      // after this many frames unassigned, any candidate may take over
constexpr double kContinuityWidth = 0.1;   // of f0: a candidate within this of the last frequency continues
constexpr double kPresenceShare = 0.3;     // of the best presence: the lowest row kept needs more
constexpr double kLowestKeptRatio = 0.75;  // of f0: rows below are sub-harmonic
constexpr double kQuietestHarmonic = 0.125;
constexpr double kLateStart = 0.06;      // share of the frames: a harmonic starting later ...
constexpr double kSparsePresence = 0.2;  // ... and present less than this share of the best is dropped
constexpr int kLargestHarmonicGap = 4;   // above harmonic 10, a harmonic this far above the one below is dropped
constexpr int kGapRuleFrom = 10;

// Mean of the values above 0 (0 when none) and how many there are.
double positiveMean(const double* row, int n, int* count) {
  double total = 0.0;
  int c = 0;
  for (int j = 0; j < n; ++j)
    if (row[j] > 0.0) {
      total += row[j];
      ++c;
    }
  if (count) *count = c;
  return c > 0 ? total / c : 0.0;
}

double rowMax(const double* row, int n) {
  double m = -hugeValue;
  for (int j = 0; j < n; ++j)
    if (row[j] > m) m = row[j];
  return m;
}

// First stage: per harmonic and frame, the candidate track that continues
// the harmonic (or the loudest, after a gap) supplies its values.
HarmonicTables collectCandidates(const RealMatrix& freq, const RealMatrix& amp, double f0) {
  const int tracks = freq.rows(), frames = freq.cols();
  HarmonicTables out{RealMatrix(kHarmonicCount, frames, Fill::nan), RealMatrix(kHarmonicCount, frames, Fill::nan)};
  std::vector<double> mean(tracks), inverseLoudest(tracks);
  for (int r = 1; r <= tracks; ++r) {
    mean[r - 1] = positiveMean(freq.rowData(r), frames, nullptr);
    inverseLoudest[r - 1] = 1.0 / rowMax(amp.rowData(r), frames);
  }
  std::vector<int> candidates;
  for (int h = 1; h <= kHarmonicCount; ++h) {
    candidates.clear();
    for (int r = 0; r < tracks && static_cast<int>(candidates.size()) < kMaxCandidates; ++r)
      if (std::fabs(mean[r] - h * f0) < f0 / 2.0) candidates.push_back(r + 1);
    if (candidates.empty()) continue;
    double* fOut = out.frequency.rowData(h);
    double* aOut = out.amplitude.rowData(h);
    if (candidates.size() == 1) {
      const double* fIn = freq.rowData(candidates[0]);
      const double* aIn = amp.rowData(candidates[0]);
      for (int j = 0; j < frames; ++j) fOut[j] = fIn[j], aOut[j] = aIn[j];
      continue;
    }
    int lastAssigned = -1000;
    double expected = h * f0;
    for (int j = 1; j <= frames; ++j) {
      int winner = 0;
      double best = 1e14;  // compared as 1 / largest amplitude: the loudest track wins, the first on ties
      for (int r : candidates) {
        const double a = amp(r, j), f = freq(r, j);
        if (!(a > 0.0)) continue;
        if (!(j - lastAssigned > kContinuityFrames || std::fabs(f - expected) < kContinuityWidth * f0)) continue;
        if (inverseLoudest[r - 1] < best) {
          best = inverseLoudest[r - 1];
          winner = r;
        }
      }
      if (winner == 0) {
        lastAssigned = -1000;
        continue;
      }
      fOut[j - 1] = freq(winner, j);
      aOut[j - 1] = amp(winner, j);
      expected = fOut[j - 1];
      lastAssigned = j;
    }
  }
  return out;
}

}  // namespace

HarmonicTables assignHarmonics(const RealMatrix& frequencies, const RealMatrix& amplitudes, double f0) {
  const int frames = frequencies.cols();
  const HarmonicTables first = collectCandidates(frequencies, amplitudes, f0);
  HarmonicTables out{RealMatrix(kHarmonicCount, frames, Fill::nan), RealMatrix(kHarmonicCount, frames, Fill::nan)};
  if (frames == 0) return out;

  // Mean frequency and presence of each row.
  RealVector mean(kHarmonicCount);
  std::vector<double> presence(kHarmonicCount);
  double bestPresence = 0.0;
  for (int h = 1; h <= kHarmonicCount; ++h) {
    int count = 0;
    mean(h) = positiveMean(first.frequency.rowData(h), frames, &count);
    presence[h - 1] = static_cast<double>(count) / frames;
    if (presence[h - 1] > bestPresence) bestPresence = presence[h - 1];
  }

  // Rows by ascending mean; those below the first strong, non-sub-harmonic row go.
  const SortResult sorted = sortAscending(mean);
  std::vector<int> rows;  // 1-based rows of 'first', ascending mean
  for (int i = 1; i <= kHarmonicCount; ++i) {
    const int r = static_cast<int>(sorted.order(i));
    if (rows.empty()) {
      const bool strong = presence[r - 1] > kPresenceShare * bestPresence;
      const bool highEnough = f0 == -1.0 || !(mean(r) < kLowestKeptRatio * f0);
      if (!(strong && highEnough)) continue;
    }
    rows.push_back(r);
  }

  // Number the rows: harmonic t takes the row whose mean is nearest t * f0
  // from below, or the next one above when that is nearer and within f0 / 2.
  std::vector<int> rowOf(kHarmonicCount + 1, 0);
  const int rowCount = static_cast<int>(rows.size());
  int scan = 0;
  for (int t = 1; t <= kHarmonicCount && scan < rowCount; ++t) {
    const double target = t * f0;
    int candidate = -1, chosen = -1;
    double below = target / 2.0;
    int i = scan;
    for (; i < rowCount && mean(rows[i]) <= target; ++i) {
      candidate = i;
      below = target - mean(rows[i]);
    }
    if (i < rowCount && mean(rows[i]) <= target + f0 / 2.0 && mean(rows[i]) - target < below)
      chosen = i;
    else
      chosen = candidate;
    if (chosen < 0) continue;
    rowOf[t] = rows[chosen];
    scan = chosen + 1;
  }

  // Keep the numbered harmonics that are loud, early or present enough, and
  // not far above the harmonic below them.
  int lowerKept = 1;
  for (int t = 1; t <= kHarmonicCount; ++t) {
    const int r = rowOf[t];
    if (r == 0) continue;
    const double* fIn = first.frequency.rowData(r);
    const double* aIn = first.amplitude.rowData(r);
    if (rowMax(aIn, frames) < kQuietestHarmonic) continue;
    int onset = 0;
    while (onset < frames && !(fIn[onset] > 0.0)) ++onset;
    if (static_cast<double>(onset + 1) / frames > kLateStart && presence[r - 1] < kSparsePresence * bestPresence)
      continue;
    if (t > kGapRuleFrom && t - lowerKept > kLargestHarmonicGap) continue;
    double* fOut = out.frequency.rowData(t);
    double* aOut = out.amplitude.rowData(t);
    for (int j = 0; j < frames; ++j) {
      const bool gap = std::isnan(fIn[j]) || fIn[j] == 0.0;
      fOut[j] = gap && j < frames - 1 ? mean(r) : fIn[j];
      aOut[j] = aIn[j];
    }
    lowerKept = t;
  }
  return out;
}

}  // namespace vt::analysis
