#include "kelma/shared_update.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <vector>

namespace {

TEST(UpdateLower, AnElementUpdatedInTwoStepsHasTheBitsOfOneStep) {
  // Whichever columns got their first term while the product was formed, the update completes
  // them to the same bits.
  const std::size_t n = 23;
  std::vector<double> delta(n), v(n), u(n), start(n * n);
  for (std::size_t i = 0; i < n; ++i) {
    delta[i] = std::sin(1.3 * i + 0.2);
    v[i] = std::cos(0.7 * i) / 3.0;
    u[i] = delta[i] / 0.37 - v[i] / 1.9;
    for (std::size_t j = 0; j < n; ++j)
      start[i + j * n] = 1.0 / (1.0 + i + 2.0 * j);
  }
  const kelma::Correction k{{delta, 0.37}, v, u, 1.9};
  std::vector<double> whole = start;
  kelma::update_lower(k, whole, n, {0, n}, 0);
  for (const std::size_t first_done : {1u, 9u, 23u}) {
    std::vector<double> h = start;
    for (std::size_t j = 0; j < first_done; ++j)
      for (std::size_t i = j; i < n; ++i)
        h[i + j * n] = k.first.added(h[i + j * n], i, j);
    kelma::update_lower(k, h, n, {0, 7}, first_done);
    kelma::update_lower(k, h, n, {7, n}, first_done);
    EXPECT_EQ(h, whole) << "first term in " << first_done << " columns";
  }
}

TEST(UpdateBoundaries, PartsCoverTheColumnsInOrderWithSimilarCosts) {
  const std::size_t n = 1446;
  for (const int parts : {2, 3, 5}) {
    for (const std::size_t first_done : {std::size_t{0}, std::size_t{900}, n}) {
      const std::vector<std::size_t> ends = kelma::update_boundaries(n, parts, first_done);
      ASSERT_EQ(ends.size(), static_cast<std::size_t>(parts));
      EXPECT_EQ(ends.back(), n);
      // Parts after the head: as many divisions each, to a column.
      std::vector<double> cost;
      for (int p = 1; p < parts; ++p) {
        double divisions = 0.0;
        for (std::size_t j = ends[p - 1]; j < ends[p]; ++j)
          divisions += static_cast<double>(n - j) * (j < first_done ? 1.0 : 2.0);
        cost.push_back(divisions);
      }
      for (const double c : cost)
        EXPECT_NEAR(c, cost[0], 2.0 * n) << parts << " parts, first term in " << first_done;
      EXPECT_GT(ends[0], 0u);
    }
  }
}

} // namespace
