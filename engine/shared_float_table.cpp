#include "engine/shared_float_table.h"

#include <new>

namespace vt {

const float* SharedFloatTable::acquire() {
  std::lock_guard<std::mutex> lock(mutex);
  if (!table) {
    float* created = new (std::nothrow) float[size];
    if (!created) return nullptr;
    fill(created);
    table = created;
  }
  ++holderCount;
  return table;
}

void SharedFloatTable::release() {
  std::lock_guard<std::mutex> lock(mutex);
  if (holderCount == 0) return;
  if (--holderCount == 0) {
    delete[] table;
    table = nullptr;
  }
}

int SharedFloatTable::holders() {
  std::lock_guard<std::mutex> lock(mutex);
  return holderCount;
}

}  // namespace vt
