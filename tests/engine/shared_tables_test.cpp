// The module-wide tables exist while someone holds them and hold the right values.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/noise_phase_table.h"
#include "engine/noise_scratch.h"
#include "engine/sine_table.h"

namespace vt {
namespace {

TEST(SharedTables, SineTableValuesAndGuard) {
  const float* t = SineTable::acquire();
  ASSERT_NE(t, nullptr);
  for (int i = 0; i <= SineTable::kSteps; ++i) EXPECT_NEAR(t[i], std::sin(2.0 * M_PI * i / 200.0), 1e-7) << i;
  EXPECT_EQ(t[200], t[0]);
  EXPECT_EQ(SineTable::acquire(), t);  // one table for every holder
  SineTable::release();
  SineTable::release();
}

TEST(SharedTables, NoisePhasePairs) {
  const float* p = NoisePhaseTable::acquire();
  ASSERT_NE(p, nullptr);
  for (int m = 0; m < NoisePhaseTable::kPhases; ++m) {
    EXPECT_NEAR(p[2 * m], std::sin(2.0 * M_PI * m / 64.0), 1e-7);
    EXPECT_NEAR(p[2 * m + 1], std::cos(2.0 * M_PI * m / 64.0), 1e-7);
  }
  NoisePhaseTable::release();
}

}  // namespace
}  // namespace vt
