#include "engine/noise_phase_table.h"

#include <cmath>
#include <mutex>
#include <new>

namespace vt {

namespace {

std::mutex tableMutex;  // holders come and go on construction and destruction only
float* table = nullptr;
int holders = 0;

}  // namespace

const float* NoisePhaseTable::acquire() {
  std::lock_guard<std::mutex> lock(tableMutex);
  if (!table) {
    table = new (std::nothrow) float[2 * kPhases];
    if (!table) return nullptr;
    const double step = 2.0 * 3.14159265358979323846 / kPhases;
    for (int m = 0; m < kPhases; ++m) {
      table[2 * m] = static_cast<float>(std::sin(step * m));
      table[2 * m + 1] = static_cast<float>(std::cos(step * m));
    }
  }
  ++holders;
  return table;
}

void NoisePhaseTable::release() {
  std::lock_guard<std::mutex> lock(tableMutex);
  if (holders <= 0) return;
  if (--holders == 0) {
    delete[] table;
    table = nullptr;
  }
}

}  // namespace vt
