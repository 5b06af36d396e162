#include "symmetry/x_order.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

// The atoms a scan of every atom keeps, in the order XOrder must give them: by x, then number.
std::vector<int> scanned(const std::vector<double>& xyz, double x0, double tol) {
  std::vector<int> kept;
  for (int j = 0; j < static_cast<int>(xyz.size() / 3); ++j) {
    if (std::fabs(x0 - xyz[3 * static_cast<std::size_t>(j)]) <= tol)
      kept.push_back(j);
  }
  std::stable_sort(kept.begin(), kept.end(), [&xyz](int a, int b) {
    return xyz[3 * static_cast<std::size_t>(a)] < xyz[3 * static_cast<std::size_t>(b)];
  });
  return kept;
}

// Points on a coarse grid of x (many equal x), looked up from the grid values themselves, from
// exactly one tolerance away and from one rounding step inside and outside of it.
TEST(XOrder, WithinKeepsExactlyTheAtomsAScanKeeps) {
  std::mt19937_64 random(7);
  std::uniform_int_distribution<int> grid(-40, 40);
  std::uniform_real_distribution<double> other(-5.0, 5.0);
  std::vector<double> xyz;
  for (int j = 0; j < 300; ++j)
    xyz.insert(xyz.end(), {0.1 * grid(random), other(random), other(random)});
  const symmetry::XOrder by_x(xyz, 300);
  for (const double tol : {0.1, 0.25, 1e-3}) {
    for (int k = 0; k < 200; ++k) {
      const double base = xyz[3 * static_cast<std::size_t>(k)];
      for (const double x0 : {base, base + tol, base - tol, std::nextafter(base + tol, 1e9),
                              std::nextafter(base - tol, -1e9)}) {
        const std::span<const int> got = by_x.within(x0, tol);
        EXPECT_EQ(std::vector<int>(got.begin(), got.end()), scanned(xyz, x0, tol))
            << "x0 " << x0 << " tol " << tol;
      }
    }
  }
}

} // namespace
