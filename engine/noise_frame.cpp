#include "engine/noise_frame.h"

#include <cstring>

#include "engine/noise_phase_table.h"

namespace vt {

NoiseFrame::NoiseFrame() { phases = NoisePhaseTable::acquire(); }

NoiseFrame::~NoiseFrame() {
  if (phases) NoisePhaseTable::release();
}

void NoiseFrame::resample() {
  silent = true;
  for (int i = 0; i < kBins; ++i) {
    bins[i] = spectrum.evaluate(static_cast<float>(i + 1) / kBins);
    if (bins[i] > 0.0f) silent = false;
  }
}

void NoiseFrame::reset() {
  spectrum.reset();
  std::memset(bins, 0, sizeof(bins));
  silent = true;
}

void NoiseFrame::copyFrom(const NoiseFrame& other) {
  if (&other == this) return;
  spectrum.copyFrom(other.spectrum);
  std::memcpy(bins, other.bins, sizeof(bins));
  sampleRate = other.sampleRate;
  silent = other.silent;
}

}  // namespace vt
