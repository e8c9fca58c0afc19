#include "engine/sine_table.h"

#include <cmath>
#include <mutex>
#include <new>

namespace vt {

namespace {

std::mutex tableMutex;  // holders come and go on construction and destruction only
float* table = nullptr;
int holders = 0;

}  // namespace

const float* SineTable::acquire() {
  std::lock_guard<std::mutex> lock(tableMutex);
  if (!table) {
    table = new (std::nothrow) float[kSteps + 1];
    if (!table) return nullptr;
    const double step = 2.0 * 3.14159265358979323846 / kSteps;
    for (int i = 0; i <= kSteps; ++i) table[i] = static_cast<float>(std::sin(step * i));
    table[kSteps] = table[0];
  }
  ++holders;
  return table;
}

void SineTable::release() {
  std::lock_guard<std::mutex> lock(tableMutex);
  if (holders <= 0) return;
  if (--holders == 0) {
    delete[] table;
    table = nullptr;
  }
}

}  // namespace vt
