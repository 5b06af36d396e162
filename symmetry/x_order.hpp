// Atoms ordered on their x coordinate. The atoms whose x lies within a tolerance of a point form
// one run of that order, found by bisection, so that the image of an atom is looked for among a
// few atoms instead of all of them.
#pragma once

#include <span>
#include <vector>

namespace symmetry {

class XOrder {
public:
  XOrder() = default;
  // The n atoms of xyz (3 x n), ordered on x; equal x keep the lower number first.
  XOrder(std::span<const double> xyz, int n);

  // The atoms (0-based) whose x satisfies |x0 - x| <= tol as computed in double precision,
  // in the order of x. Exactly those: x0 - x never grows as x grows.
  std::span<const int> within(double x0, double tol) const;

private:
  std::span<const double> xyz_;
  std::vector<int> order_;
};

} // namespace symmetry
