#include "engine/noise_phase_table.h"

#include <cmath>

#include "engine/shared_float_table.h"

namespace vt {

namespace {

void fillPhases(float* table) {
  const double step = 2.0 * 3.14159265358979323846 / NoisePhaseTable::kPhases;
  for (int m = 0; m < NoisePhaseTable::kPhases; ++m) {
    table[2 * m] = static_cast<float>(std::sin(step * m));
    table[2 * m + 1] = static_cast<float>(std::cos(step * m));
  }
}

SharedFloatTable& shared() {
  static SharedFloatTable table(2 * NoisePhaseTable::kPhases, fillPhases);
  return table;
}

}  // namespace

const float* NoisePhaseTable::acquire() { return shared().acquire(); }
void NoisePhaseTable::release() { shared().release(); }

}  // namespace vt
