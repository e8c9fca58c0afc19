#include "analysis/real_matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace vt::analysis {
namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<double> values(const RealVector& v) { return std::vector<double>(v.begin(), v.end()); }
std::vector<double> values(const RealMatrix& m) { return std::vector<double>(m.data(), m.data() + m.size()); }

// 3 x 4 with element (r, c) = 10 r + c.
RealMatrix numbered() {
  RealMatrix m(3, 4);
  for (int r = 1; r <= 3; ++r)
    for (int c = 1; c <= 4; ++c) m(r, c) = 10 * r + c;
  return m;
}

TEST(RealMatrix, RowMajorLayoutSelectionsAndStores) {
  RealMatrix m = numbered();
  EXPECT_EQ(m.data()[(2 - 1) * 4 + (3 - 1)], 23.0);
  EXPECT_EQ(values(row(m, 2)), (std::vector<double>{21, 22, 23, 24}));
  EXPECT_EQ(values(column(m, 3)), (std::vector<double>{13, 23, 33}));
  EXPECT_TRUE(row(m, 4).empty());
  EXPECT_EQ(values(m(RealVector{3, 1}, 2)), (std::vector<double>{32, 12}));
  EXPECT_EQ(values(m(2, RealVector{4, 1})), (std::vector<double>{24, 21}));
  const RealMatrix sub = m(RealVector{3, 1}, RealVector{4, 2});
  EXPECT_EQ(values(sub), (std::vector<double>{34, 32, 14, 12}));
  EXPECT_TRUE(std::isnan(m(RealVector{4}, 1)[0]));

  m.assign(RealVector{1, 3, 9}, RealVector{2, 4}, RealMatrix(3, 2, Fill::ones));
  EXPECT_EQ(values(m), (std::vector<double>{11, 1, 13, 1, 21, 22, 23, 24, 31, 1, 33, 1}));
  m.setColumn(1, RealVector{-1, -2});  // shorter: the rest stays
  m.setRow(3, RealVector{7, 7, 7, 7, 7});
  EXPECT_EQ(values(column(m, 1)), (std::vector<double>{-1, -2, 7}));
  EXPECT_EQ(values(selectRows(numbered(), RealVector{3, 3, 1})),
            (std::vector<double>{31, 32, 33, 34, 31, 32, 33, 34, 11, 12, 13, 14}));
  EXPECT_EQ(values(transpose(numbered())), (std::vector<double>{11, 21, 31, 12, 22, 32, 13, 23, 33, 14, 24, 34}));
  EXPECT_EQ(values(flattenColumns(numbered(), 2, 5)), (std::vector<double>{21, 31, 12, 22}));
  EXPECT_EQ(values(flattenColumns(numbered(), 11, 40)), (std::vector<double>{24, 34}));
  EXPECT_TRUE(flattenColumns(numbered(), 5, 4).empty());
}

TEST(RealMatrix, RemovalAppendingAndReductions) {
  RealMatrix m = numbered();
  m.removeColumn(2);
  m.removeRow(1);
  m.removeColumn(9);  // outside: nothing
  ASSERT_EQ(m.rows(), 2);
  ASSERT_EQ(m.cols(), 3);
  EXPECT_EQ(values(m), (std::vector<double>{21, 23, 24, 31, 33, 34}));
  m.removeColumn(3);
  EXPECT_EQ(values(m), (std::vector<double>{21, 23, 31, 33}));

  const RealMatrix wide = appendColumns(m, fromVector(RealVector{5, 6}) /* 1 x 2: mismatch */);
  EXPECT_EQ(values(wide), values(m));
  const RealMatrix both = appendColumns(m, transpose(fromVector(RealVector{5, 6})));
  EXPECT_EQ(values(both), (std::vector<double>{21, 23, 5, 31, 33, 6}));
  const RealMatrix tall = appendRows(RealMatrix(), appendRows(m, filled(Fill::nan, 1, 2)));
  ASSERT_EQ(tall.rows(), 3);
  EXPECT_TRUE(std::isnan(tall(3, 2)));
  EXPECT_EQ(values(columnMax(tall)), (std::vector<double>{31, 33}));
  EXPECT_EQ(values(columnMax(RealMatrix(0, 2))), (std::vector<double>{-hugeValue, -hugeValue}));
  EXPECT_EQ(values(columnSum(m)), (std::vector<double>{52, 56}));
  EXPECT_EQ(values(isNan(tall)), (std::vector<double>{0, 0, 0, 0, 1, 1}));
  EXPECT_EQ(values(-(2.0 * m / 4.0 - 1.0)), (std::vector<double>{-9.5, -10.5, -14.5, -15.5}));

  m.resizeZeros(2, 1);
  EXPECT_EQ(values(m), (std::vector<double>{0, 0}));
}

TEST(RealMatrix, UnwrapKeepsEveryColumnsStepsWithinPi) {
  std::mt19937 random(5);
  std::uniform_real_distribution<double> angle(-kPi, kPi);
  RealMatrix re(300, 3), im(300, 3);
  for (int r = 1; r <= 300; ++r) {
    for (int c = 1; c <= 3; ++c) {
      // Column 1 a smooth phase ramp, the others random phases.
      const double a = c == 1 ? 0.9 * r : angle(random);
      re(r, c) = std::cos(a);
      im(r, c) = -std::sin(a);
    }
  }
  const RealMatrix wrapped = phase(re, im);
  const RealMatrix unwrapped = unwrapRows(wrapped);
  for (int c = 1; c <= 3; ++c) {
    EXPECT_EQ(unwrapped(1, c), wrapped(1, c));
    for (int r = 2; r <= 300; ++r) {
      const double step = unwrapped(r, c) - unwrapped(r - 1, c);
      EXPECT_LE(std::fabs(step), kPi + 1e-9);
      const double turns = (unwrapped(r, c) - wrapped(r, c)) / (2 * kPi);
      EXPECT_NEAR(turns, std::round(turns), 1e-9);
    }
  }
  EXPECT_NEAR(unwrapped(300, 1), 0.9 * 300, 1e-9);

  // Huge, infinite and missing values neither hang nor spread.
  RealMatrix odd(5, 1);
  const double inf = std::numeric_limits<double>::infinity();
  odd(1, 1) = 0.0;
  odd(2, 1) = 1e300;
  odd(3, 1) = inf;
  odd(4, 1) = std::numeric_limits<double>::quiet_NaN();
  odd(5, 1) = 7.0;
  const RealMatrix kept = unwrapRows(odd);
  EXPECT_EQ(kept(3, 1), inf);
  EXPECT_TRUE(std::isnan(kept(4, 1)));
  EXPECT_EQ(kept(5, 1), 7.0);
}

}  // namespace
}  // namespace vt::analysis
