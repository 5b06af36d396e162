#include "symmetry/linear_algebra.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

using symmetry::erduw;

std::array<double, 9> unit_matrix() { return {1, 0, 0, 0, 1, 0, 0, 0, 1}; }

// Full symmetric matrix from the packed upper triangle of order 3.
std::array<double, 9> unpack3(const std::array<double, 6>& p) {
  return {p[0], p[1], p[3], p[1], p[2], p[4], p[3], p[4], p[5]};
}

double dot3(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

TEST(Erduw, DiagonalisesAKnownMatrix) {
  // The second-difference matrix of order 3 has the eigenvalues 2 - sqrt 2, 2, 2 + sqrt 2.
  const std::array<double, 6> start{2, -1, 2, 0, -1, 2};
  std::array<double, 6> a = start;
  std::array<double, 9> v = unit_matrix();
  EXPECT_EQ(erduw(a, v, 3, 1.0e-10), symmetry::Status::ok);

  std::array<double, 3> values{a[0], a[2], a[5]};
  EXPECT_NEAR(std::fabs(a[1]) + std::fabs(a[3]) + std::fabs(a[4]), 0.0, 1.0e-9);
  const std::array<double, 9> m = unpack3(start);
  for (int k = 0; k < 3; ++k) {
    const double* vk = &v[3 * k];
    EXPECT_NEAR(dot3(vk, vk), 1.0, 1.0e-12);
    for (int i = 0; i < 3; ++i) {
      const double mv = m[i] * vk[0] + m[i + 3] * vk[1] + m[i + 6] * vk[2];
      EXPECT_NEAR(mv, values[k] * vk[i], 1.0e-9) << "eigenvector " << k;
    }
  }
  std::sort(values.begin(), values.end());
  EXPECT_NEAR(values[0], 2.0 - std::sqrt(2.0), 1.0e-12);
  EXPECT_NEAR(values[1], 2.0, 1.0e-12);
  EXPECT_NEAR(values[2], 2.0 + std::sqrt(2.0), 1.0e-12);
}

TEST(Erduw, ZeroMatrixLeavesEverything) {
  std::array<double, 6> a{};
  std::array<double, 9> v = unit_matrix();
  EXPECT_EQ(erduw(a, v, 3, 1.0e-10), symmetry::Status::zero_matrix);
  EXPECT_EQ(v, unit_matrix());
}

TEST(Erduw, OneByOneIsAlreadyDiagonal) {
  std::array<double, 1> a{-3.5};
  std::array<double, 1> v{1.0};
  EXPECT_EQ(erduw(a, v, 1, 1.0e-10), symmetry::Status::ok);
  EXPECT_EQ(a[0], -3.5);
  EXPECT_EQ(v[0], 1.0);
}

TEST(Erduw, ReportsTheSweepLimit) {
  // With eps 0 the final threshold is 0, so every sweep keeps rotating cleared elements.
  std::array<double, 6> a{2, -1, 2, 0, -1, 2};
  std::array<double, 9> v = unit_matrix();
  EXPECT_EQ(erduw(a, v, 3, 0.0), symmetry::Status::no_convergence);
}

} // namespace
