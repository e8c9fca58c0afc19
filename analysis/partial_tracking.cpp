#include "analysis/partial_tracking.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "analysis/peak_picking.h"

namespace vt::analysis {

namespace {

constexpr double kBirthThreshold = 0.0001;  // of the loudest cell: a new track's peak must exceed this
constexpr double kPeakThreshold = 0.2;      // of the birth threshold: the peak-picking floor
constexpr double kBirthRiseDb = 20.0;       // allowed rise of a new track
constexpr double kSettledRiseDb = 10.0;     // the allowed rise relaxes towards this
constexpr int kLongestGap = 3;              // frames a track may go without a peak
constexpr double kFadeFloor = 0.2;          // of the last magnitude: below this at its bin, a track ends
constexpr double kLongestMinimumLength = 22.0;
constexpr int kRowBlock = 3000;  // track storage grows in blocks of this many tracks

// One track while the pass runs: its values from its birth frame on.
struct Track {
  int birth = 0;  // 0-based frame
  std::vector<double> position, magnitude;
  int present = 0;
};

struct LiveTrack {
  double lastPosition, lastMagnitude;
  int lastFrame;  // 1-based
  int row;        // index into the track list
  double allowedRise;
};

void store(Track& track, int frame0, double position, double magnitude) {
  const int offset = frame0 - track.birth;
  if (static_cast<int>(track.position.size()) < offset + 1) {
    track.position.resize(offset + 1, std::numeric_limits<double>::quiet_NaN());
    track.magnitude.resize(offset + 1, std::numeric_limits<double>::quiet_NaN());
  }
  track.position[offset] = position;
  track.magnitude[offset] = magnitude;
  ++track.present;
}

}  // namespace

bool trackPartials(const RealMatrix& m, double maxBin, PartialTracks& out) {
  const int bins = m.rows(), frames = m.cols();
  double loudest = -hugeValue;
  for (int i = 0; i < m.size(); ++i)
    if (m.data()[i] > loudest) loudest = m.data()[i];
  const double birthThreshold = kBirthThreshold * loudest;
  const double logFloor = std::log(kPeakThreshold * birthThreshold);
  const double minimumLength = std::fmin(frames / 3.0, kLongestMinimumLength);
  const double riseDecay = 1.0 - std::exp(-0.05);

  std::vector<Track> tracks;
  tracks.reserve(kRowBlock);
  std::vector<LiveTrack> live, stillLive;
  std::vector<double> column(bins);
  std::vector<char> taken;
  SpectralPeaks peaks;
  bool overflow = false;

  for (int j = 1; j <= frames && !overflow; ++j) {
    for (int k = 0; k < bins; ++k) column[k] = std::log(m(k + 1, j));
    pickPeaks(column.data(), bins, logFloor, peaks);
    const int peakCount = static_cast<int>(peaks.position.size());
    taken.assign(peakCount, 0);

    stillLive.clear();
    for (LiveTrack& t : live) {
      // The nearest peak not yet claimed (the first on ties). Peaks are in
      // ascending position: look outward from the track's position.
      const auto& pos = peaks.position;
      int right = static_cast<int>(std::lower_bound(pos.begin(), pos.end(), t.lastPosition) - pos.begin());
      int left = right - 1;
      while (left >= 0 && taken[left]) --left;
      while (right < peakCount && taken[right]) ++right;
      int nearest = -1;
      double distance = hugeValue;
      if (left >= 0) {
        nearest = left;
        distance = std::fabs(pos[left] - t.lastPosition);
      }
      if (right < peakCount && std::fabs(pos[right] - t.lastPosition) < distance) {
        nearest = right;
        distance = std::fabs(pos[right] - t.lastPosition);
      }
      if (nearest >= 0 && distance < 1.0) {
        const double change = 20.0 * std::log10(peaks.magnitude[nearest] / t.lastMagnitude);
        if (change > t.allowedRise) continue;  // a jump: this track ends, the peak stays free
        t.lastPosition = peaks.position[nearest];
        t.lastMagnitude = peaks.magnitude[nearest];
        t.lastFrame = j;
        taken[nearest] = 1;
        store(tracks[t.row], j - 1, t.lastPosition, t.lastMagnitude);
        t.allowedRise -= riseDecay * (t.allowedRise - kSettledRiseDb);
        if (1.5 * change > t.allowedRise) t.allowedRise = 1.5 * change;
        stillLive.push_back(t);
        continue;
      }
      // No peak this frame: the track bridges the gap or ends.
      if (j - t.lastFrame > kLongestGap) continue;
      const int place = static_cast<int>(std::floor(t.lastPosition + 0.5));
      const double here = place >= 1 && place <= bins ? m(place, j) : 0.0;
      if (kFadeFloor * t.lastMagnitude > here) continue;
      stillLive.push_back(t);
    }
    live.swap(stillLive);

    // Unclaimed peaks, in ascending position, start new tracks.
    for (int p = 0; p < peakCount; ++p) {
      if (taken[p] || !(peaks.magnitude[p] > birthThreshold) || !(peaks.position[p] < maxBin)) continue;
      if (tracks.size() == tracks.capacity()) tracks.reserve(tracks.size() + kRowBlock);
      Track track;
      track.birth = j - 1;
      tracks.push_back(std::move(track));
      store(tracks.back(), j - 1, peaks.position[p], peaks.magnitude[p]);
      live.push_back({peaks.position[p], peaks.magnitude[p], j, static_cast<int>(tracks.size()) - 1, kBirthRiseDb});
    }
    if (static_cast<double>(tracks.size()) * frames > kTrackCellBudget) overflow = true;
  }

  // Keep the tracks that lasted long enough, in birth order, counted from bin 0.
  int kept = 0;
  for (const Track& t : tracks)
    if (t.present >= minimumLength) ++kept;
  if (!out.position.reset(kept, frames, Fill::nan) || !out.magnitude.reset(kept, frames, Fill::nan)) {
    out.position.reset(0, frames);
    out.magnitude.reset(0, frames);
    return !overflow;
  }
  int row = 0;
  for (const Track& t : tracks) {
    if (t.present < minimumLength) continue;
    ++row;
    double* positionRow = out.position.rowData(row);
    double* magnitudeRow = out.magnitude.rowData(row);
    for (std::size_t i = 0; i < t.position.size(); ++i) {
      positionRow[t.birth + i] = t.position[i] - 1.0;
      magnitudeRow[t.birth + i] = t.magnitude[i];
    }
  }
  return !overflow;
}

RealMatrix valueAtTracks(const RealMatrix& perBin, const RealMatrix& positions) {
  RealMatrix result(positions.rows(), positions.cols(), Fill::nan);
  const int bins = perBin.rows();
  const int frames = std::min(positions.cols(), perBin.cols());
  for (int r = 1; r <= positions.rows(); ++r) {
    for (int j = 1; j <= frames; ++j) {
      const double x = positions(r, j) + 1.0;  // 1-based place
      if (std::isnan(x)) continue;
      const double k = std::floor(x);
      if (k < 1.0 || k > bins) continue;
      const int bin = static_cast<int>(k);
      const double here = perBin(bin, j);
      const double next = bin < bins ? perBin(bin + 1, j) : here;
      result(r, j) = here + (x - k) * (next - here);
    }
  }
  return result;
}

}  // namespace vt::analysis
