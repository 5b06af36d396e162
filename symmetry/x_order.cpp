#include "symmetry/x_order.hpp"

#include <algorithm>
#include <cstddef>
#include <numeric>

namespace symmetry {

XOrder::XOrder(std::span<const double> xyz, int n)
    : xyz_(xyz), order_(static_cast<std::size_t>(n)) {
  std::iota(order_.begin(), order_.end(), 0);
  const auto x = [this](int j) { return xyz_[3 * static_cast<std::size_t>(j)]; };
  std::sort(order_.begin(), order_.end(),
            [&x](int a, int b) { return x(a) < x(b) || (x(a) == x(b) && a < b); });
}

std::span<const int> XOrder::within(double x0, double tol) const {
  const auto x = [this](int j) { return xyz_[3 * static_cast<std::size_t>(j)]; };
  const auto first =
      std::partition_point(order_.begin(), order_.end(), [&](int j) { return x0 - x(j) > tol; });
  // The run is short: walking it is cheaper than a second bisection.
  auto last = first;
  while (last != order_.end() && x0 - x(*last) >= -tol)
    ++last;
  return {first, last};
}

} // namespace symmetry
