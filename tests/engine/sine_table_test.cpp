// The shared sine table: contents and the holder count that creates and frees it.
#include "engine/sine_table.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/allocation_counter.h"

namespace vt {
namespace {

TEST(SineTable, HoldsOnePeriodWithAClosingGuard) {
  const float* table = SineTable::acquire();
  ASSERT_NE(table, nullptr);
  for (int i = 0; i < SineTable::kSize; ++i) {
    EXPECT_NEAR(table[i], std::sin(2.0 * M_PI * i / 200.0), 1e-7) << "entry " << i;
  }
  EXPECT_EQ(table[0], 0.0f);
  EXPECT_EQ(table[200], table[0]);
  EXPECT_FLOAT_EQ(table[50], 1.0f);
  EXPECT_FLOAT_EQ(table[150], -1.0f);
  SineTable::release();
}

TEST(SineTable, IsSharedWhileHeldAndRebuiltAfterTheLastRelease) {
  const int before = SineTable::holders();
  const float* first = SineTable::acquire();
  const float* second = SineTable::acquire();
  EXPECT_EQ(first, second);
  EXPECT_EQ(SineTable::holders(), before + 2);
  SineTable::release();
  EXPECT_EQ(SineTable::holders(), before + 1);
  SineTable::release();
  EXPECT_EQ(SineTable::holders(), before);

  // A release without a hold must not push the count below zero.
  if (before == 0) {
    SineTable::release();
    EXPECT_EQ(SineTable::holders(), 0);
  }
  const float* again = SineTable::acquire();
  ASSERT_NE(again, nullptr);
  EXPECT_FLOAT_EQ(again[50], 1.0f);
  SineTable::release();
}

TEST(SineTable, FailedCreationRegistersNoHolderAndIsRetried) {
  if (SineTable::holders() != 0) GTEST_SKIP() << "table already held in this process";
  test::failAllocationNumber(0);
  EXPECT_EQ(SineTable::acquire(), nullptr);
  test::failAllocationNumber(-1);
  EXPECT_EQ(SineTable::holders(), 0);
  const float* table = SineTable::acquire();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(SineTable::holders(), 1);
  SineTable::release();
  EXPECT_EQ(SineTable::holders(), 0);
}

}  // namespace
}  // namespace vt
