#include "kelma/lower_triangle.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "common/vectors.hpp"

namespace {

// A symmetric matrix and a vector whose entries vary in every bit, so that any other order of
// the additions shows in the last bits.
struct SymmetricCase {
  std::size_t n;
  std::vector<double> h;
  std::vector<double> x;

  explicit SymmetricCase(std::size_t size) : n(size), h(size * size), x(size) {
    for (std::size_t j = 0; j < n; ++j) {
      x[j] = 1.0 / static_cast<double>(j + 3) - 0.17;
      for (std::size_t i = j; i < n; ++i) {
        const double value = 1.0 / static_cast<double>(3 * i + 7 * j + 1) - 0.01 * (i % 5);
        h[i + j * n] = value;
        h[j + i * n] = value;
      }
    }
  }
};

TEST(LowerProduct, GivesTheBitsOfMatvecOnTheWholeMatrixForAnySplitOfTheRows) {
  for (const std::size_t n : {1u, 5u, 37u}) {
    const SymmetricCase m(n);
    std::vector<double> whole(n);
    common::matvec(static_cast<int>(n), m.h, m.x, whole);
    // The upper triangle must not be read: spoil it.
    std::vector<double> lower = m.h;
    for (std::size_t j = 1; j < n; ++j)
      for (std::size_t i = 0; i < j; ++i)
        lower[i + j * n] = 1.0e300;
    for (const int parts : {1, 2, 3}) {
      std::vector<double> y(n, -1.0);
      for (int part = 0; part < parts; ++part)
        kelma::lower_product(lower, n, m.x, y, kelma::product_rows(n, part, parts));
      EXPECT_EQ(y, whole) << "n " << n << ", parts " << parts;
    }
  }
}

} // namespace
