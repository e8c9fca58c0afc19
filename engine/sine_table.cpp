#include "engine/sine_table.h"

#include <cmath>
#include <mutex>
#include <new>

namespace vt {

namespace {

// Holders come and go on the user-interface thread (engine and slot
// construction, plug-in instances opened side by side); the audio thread only
// reads a table it already holds.
std::mutex& tableMutex() {
  static std::mutex mutex;
  return mutex;
}

float* sharedTable = nullptr;
int holderCount = 0;

}  // namespace

const float* SineTable::acquire() {
  std::lock_guard<std::mutex> lock(tableMutex());
  if (!sharedTable) {
    float* table = new (std::nothrow) float[kSize];
    if (!table) return nullptr;
    const double twoPi = 6.283185307179586476925;
    for (int i = 0; i < kSteps; ++i) table[i] = static_cast<float>(std::sin(twoPi * i / kSteps));
    table[kSteps] = table[0];
    sharedTable = table;
  }
  ++holderCount;
  return sharedTable;
}

void SineTable::release() {
  std::lock_guard<std::mutex> lock(tableMutex());
  if (holderCount == 0) return;
  if (--holderCount == 0) {
    delete[] sharedTable;
    sharedTable = nullptr;
  }
}

int SineTable::holders() {
  std::lock_guard<std::mutex> lock(tableMutex());
  return holderCount;
}

}  // namespace vt
