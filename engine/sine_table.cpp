#include "engine/sine_table.h"

#include <cmath>

#include "engine/shared_float_table.h"

namespace vt {

namespace {

void fillSine(float* table) {
  const double twoPi = 6.283185307179586476925;
  for (int i = 0; i < SineTable::kSteps; ++i) table[i] = static_cast<float>(std::sin(twoPi * i / SineTable::kSteps));
  table[SineTable::kSteps] = table[0];
}

SharedFloatTable& shared() {
  static SharedFloatTable table(SineTable::kSize, fillSine);
  return table;
}

}  // namespace

const float* SineTable::acquire() { return shared().acquire(); }
void SineTable::release() { shared().release(); }
int SineTable::holders() { return shared().holders(); }

}  // namespace vt
