#include "kelma/inversion.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A times Y for n x n matrices stored column by column.
std::vector<double> product(const std::vector<double>& a, const std::vector<double>& y, int n) {
  std::vector<double> c(a.size(), 0.0);
  for (int j = 0; j < n; ++j) {
    for (int k = 0; k < n; ++k) {
      for (int i = 0; i < n; ++i)
        c[i + j * n] += a[i + k * n] * y[k + j * n];
    }
  }
  return c;
}

void expect_inverse(const std::vector<double>& matrix, int n) {
  std::vector<double> a = matrix;
  std::vector<double> scale(n), y(a.size(), -7.0);
  std::vector<int> indx(n);
  ASSERT_EQ(kelma::matinv(a, n, scale, indx, y), 0);
  const std::vector<double> c = product(matrix, y, n);
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i)
      EXPECT_NEAR(c[i + j * n], i == j ? 1.0 : 0.0, 1e-12);
  }
}

TEST(Matinv, InvertsWellConditionedAndPivotingHeavyMatrices) {
  // Symmetric positive definite, as a force-field Hessian near a minimum.
  expect_inverse({4, 1, 0.5, 1, 3, 0.25, 0.5, 0.25, 2}, 3);
  // Zero diagonal: every column needs a row exchange.
  expect_inverse({0, 1, 3, 2, 0, 0, 1, 0, 1}, 3);
  // Rows of very different magnitude: the implicit scaling decides the pivots.
  expect_inverse({1e-6, 2, 1e6, 3e-6, -1, 2e6, 1e-6, 4, 0}, 3);
  // A reversed permutation.
  expect_inverse({0, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 0}, 4);
}

TEST(Lufact, EqualPivotsPickTheLaterRowAndZeroPivotsBecomeTiny) {
  // Both rows scale to 1 and offer the same pivot in column 1: row 2 wins. Column 2 then
  // eliminates to an exact zero, which is replaced rather than reported.
  std::vector<double> a{1, 1, 1, 1};
  std::vector<double> scale(2);
  std::vector<int> indx(2);
  int parity = 0;
  ASSERT_EQ(kelma::lufact(a, 2, scale, indx, parity), 0);
  EXPECT_EQ(indx[0], 2);
  EXPECT_EQ(indx[1], 2);
  EXPECT_EQ(parity, -1);
  EXPECT_EQ(a[3], kelma::singularity_threshold);
}

TEST(Lufact, RowExchangesCarryTheRowScaleAlong) {
  // Rows (0 10 100), (-5 -2 10), (3 -2 10). Column 1 pivots on row 2; the row that moves down
  // keeps its scale 1/100, so column 2 pivots on row 3 (0.32 against 0.1).
  std::vector<double> a{0, -5, 3, 10, -2, -2, 100, 10, 10};
  std::vector<double> scale(3);
  std::vector<int> indx(3);
  int parity = 0;
  ASSERT_EQ(kelma::lufact(a, 3, scale, indx, parity), 0);
  EXPECT_EQ(indx, (std::vector<int>{2, 3, 3}));
  EXPECT_EQ(parity, 1);
}

TEST(Lufact, ZeroColumnPicksTheLastRow) {
  std::vector<double> a{0, 0, 0, 1, 2, 3, 4, 5, 7};
  std::vector<double> scale(3);
  std::vector<int> indx(3);
  int parity = 0;
  ASSERT_EQ(kelma::lufact(a, 3, scale, indx, parity), 0);
  EXPECT_EQ(indx[0], 3);
}

TEST(Matinv, ReportsARowBelowTheThresholdAndLeavesTheResultAlone) {
  std::vector<double> a{1, 5e-21, 2, -5e-21};
  std::vector<double> scale(2), y{9, 9, 9, 9};
  std::vector<int> indx(2);
  EXPECT_EQ(kelma::matinv(a, 2, scale, indx, y), -1);
  EXPECT_EQ(y, (std::vector<double>{9, 9, 9, 9}));
  // A row of exactly the threshold is still accepted.
  std::vector<double> b{1, 1e-20, 2, 0};
  EXPECT_EQ(kelma::matinv(b, 2, scale, indx, y), 0);
}

} // namespace
