#include "analysis/real_vector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "analysis/real_fft.h"
#include "analysis/real_matrix.h"
#include "tests/support/allocation_counter.h"

namespace vt::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<double> values(const RealVector& v) { return std::vector<double>(v.begin(), v.end()); }

// Reference: passes over adjacent pairs swapping while left > right.
void bubbleSort(std::vector<double>& keys, std::vector<double>& order) {
  for (bool swapped = true; swapped;) {
    swapped = false;
    for (std::size_t i = 0; i + 1 < keys.size(); ++i) {
      if (keys[i] > keys[i + 1]) {
        std::swap(keys[i], keys[i + 1]);
        std::swap(order[i], order[i + 1]);
        swapped = true;
      }
    }
  }
}

// Element-wise equality where NaN equals NaN.
void expectSame(const std::vector<double>& expected, const RealVector& actual) {
  ASSERT_EQ(static_cast<int>(expected.size()), actual.size());
  for (int i = 0; i < actual.size(); ++i) {
    if (std::isnan(expected[i]))
      EXPECT_TRUE(std::isnan(actual[i])) << "at " << i;
    else
      EXPECT_EQ(expected[i], actual[i]) << "at " << i;
  }
}

TEST(RealVector, RangesReductionsAndEmptyResults) {
  EXPECT_TRUE(range(3, 2).empty());
  EXPECT_EQ(values(range(2, 5)), (std::vector<double>{2, 3, 4, 5}));
  EXPECT_EQ(values(range(1, 3, 10)), (std::vector<double>{1, 4, 7, 10}));
  EXPECT_EQ(values(range(1, 3, 9)), (std::vector<double>{1, 4, 7}));
  EXPECT_EQ(values(range(10, -4, 1)), (std::vector<double>{10, 6, 2}));
  EXPECT_TRUE(range(1, 0, 5).empty());
  EXPECT_TRUE(range(1, -1, 5).empty());

  EXPECT_TRUE(find(zeros(4)).empty());
  EXPECT_EQ(max(RealVector()), -hugeValue);
  EXPECT_EQ(min(RealVector()), hugeValue);
  EXPECT_EQ(sum(RealVector()), 0.0);
  EXPECT_EQ(max(RealVector{kNaN, 2, kNaN}), 2.0);  // NaN never wins
  EXPECT_EQ(min(RealVector{kNaN, 2, -1}), -1.0);

  const RealVector nan = filled(Fill::nan, 3);
  EXPECT_EQ(values(isNan(nan)), (std::vector<double>{1, 1, 1}));
  EXPECT_EQ(values(filled(Fill::ones, 2)), (std::vector<double>{1, 1}));
  EXPECT_TRUE(contains(RealVector{1, 2.5}, 2.5));
  EXPECT_FALSE(contains(nan, kNaN));

  const float floats[] = {0.5f, -0.25f, 2.0f, 4.0f};
  EXPECT_EQ(values(fromFloats(floats, 1, 2)), (std::vector<double>{-0.25, 2.0}));
}

TEST(RealVector, IndexVectorsFromSearchesSelectAndStoreSafely) {
  RealVector v{5, 1, 7, 3, 9};
  const RealVector big = find(greater(v, 4.0));
  EXPECT_EQ(values(big), (std::vector<double>{1, 3, 5}));
  EXPECT_EQ(values(v(big)), (std::vector<double>{5, 7, 9}));
  // Positions outside the vector (and NaN) read as NaN and are skipped on store.
  expectSame({kNaN, 9, kNaN, kNaN, 1}, v(RealVector{0, 5, 6, kNaN, 2}));
  v.assign(RealVector{2, 0, 99, -1, kNaN, 4}, RealVector{-1, -2, -3, -4, -5, -6});
  EXPECT_EQ(values(v), (std::vector<double>{5, -1, 7, -6, 9}));
  v.assign(RealVector{1, 5}, 0.0);
  EXPECT_EQ(values(v), (std::vector<double>{0, -1, 7, -6, 0}));

  // Element-wise with a shorter second vector: the result keeps v's length.
  expectSame({11, kNaN}, RealVector{1, 2} + RealVector{10});
  EXPECT_EQ(values(bothNonZero(RealVector{1, 0, 2, 3}, RealVector{1, 1, 0})), (std::vector<double>{1, 0, 0, 0}));
  EXPECT_EQ(values(greaterEqual(RealVector{1, 2, 3}, RealVector{2, 2, 2})), (std::vector<double>{0, 1, 1}));
  EXPECT_EQ(values(lessEqual(RealVector{1, 2, 3}, 2.0)), (std::vector<double>{1, 1, 0}));
  EXPECT_EQ(values(concat(append(RealVector{1}, 2), RealVector{3, 4})), (std::vector<double>{1, 2, 3, 4}));
  EXPECT_EQ(values(10.0 - RealVector{1, 2} * 2.0), (std::vector<double>{8, 6}));
}

TEST(RealVector, SortAscendingIsStableAndReturnsThePermutation) {
  SortResult r = sortAscending(RealVector{3, 1, 2});
  EXPECT_EQ(values(r.sorted), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(values(r.order), (std::vector<double>{2, 3, 1}));

  r = sortAscending(RealVector{2, 1, 2, 1, 0});
  EXPECT_EQ(values(r.sorted), (std::vector<double>{0, 1, 1, 2, 2}));
  EXPECT_EQ(values(r.order), (std::vector<double>{5, 2, 4, 1, 3}));
  EXPECT_TRUE(sortAscending(RealVector()).sorted.empty());

  // The same result and permutation as adjacent swapping, on data with many
  // ties, infinities, signed zeros and NaNs (which nothing passes).
  std::mt19937 random(17);
  for (int trial = 0; trial < 200; ++trial) {
    const int n = static_cast<int>(random() % 300);
    RealVector v(n);
    std::vector<double> keys(n), order(n);
    for (int i = 0; i < n; ++i) {
      const unsigned pick = random() % 40;
      v[i] = pick == 0   ? kNaN
             : pick == 1 ? std::numeric_limits<double>::infinity()
             : pick == 2 ? -0.0
             : pick == 3 ? 0.0
                         : static_cast<double>(random() % 25) - 12.0;
      keys[i] = v[i];
      order[i] = i + 1.0;
    }
    bubbleSort(keys, order);
    const SortResult sorted = sortAscending(v);
    expectSame(keys, sorted.sorted);
    EXPECT_EQ(values(sorted.order), order) << "trial " << trial;
  }
}

TEST(RealVector, RotateHalfMovesTheSecondHalfToTheFront) {
  EXPECT_EQ(values(rotateHalf(RealVector{1, 2, 3, 4, 5})), (std::vector<double>{4, 5, 1, 2, 3}));
  EXPECT_EQ(values(rotateHalf(RealVector{1, 2, 3, 4})), (std::vector<double>{3, 4, 1, 2}));
  EXPECT_EQ(values(rotateHalf(RealVector{7})), (std::vector<double>{7}));
  EXPECT_TRUE(rotateHalf(RealVector()).empty());
}

TEST(RealVector, FailedAllocationGivesEmptyResultsThatAreSafeToUse) {
  const RealVector source = range(1, 1000);
  test::failAllocationNumber(0);
  RealVector copy = source;
  test::failAllocationNumber(0);
  RealMatrix m(100, 100, Fill::nan);
  test::failAllocationNumber(2);  // the third of the transform's tables
  RealFft fft(1024);
  test::failAllocationNumber(-1);
  EXPECT_TRUE(copy.empty());
  EXPECT_EQ(m.rows(), 0);
  EXPECT_FALSE(fft.valid());
  EXPECT_TRUE(copy(range(1, 5)).size() == 5 && std::isnan(copy(range(1, 5))[4]));
  copy.assign(range(1, 5), 1.0);
  EXPECT_TRUE(column(m, 1).empty());
  EXPECT_EQ(max(copy + source), -hugeValue);
  EXPECT_TRUE(fft.setLength(1024));
}

}  // namespace
}  // namespace vt::analysis
