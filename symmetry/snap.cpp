#include "symmetry/snap.hpp"

#include <array>
#include <cmath>
#include <cstddef>

namespace symmetry {

namespace {

// The exact values besides 0 that nearly exact elements are snapped to, in the order they are
// tried: 1, cos 60, cos 30, cos 36 and cos 72.
constexpr std::array<double, 5> snap_values{1.0, 0.5, 0.86602540378444, 0.80901699437495,
                                            0.30901699437495};

} // namespace

double snap(double v, double t) {
  const double a = std::fabs(v);
  if (a < t)
    return 0.0;
  for (const double exact : snap_values) {
    if (std::fabs(a - exact) < t)
      return std::copysign(exact, v);
  }
  return v;
}

void snap_operations(std::span<Operation> ops, int count, double t) {
  // Snapping the identity could only spoil it (a tolerance above 1 would clear it).
  for (std::size_t m = 1; m < static_cast<std::size_t>(count); ++m) {
    for (double& v : ops[m])
      v = snap(v, t);
  }
}

} // namespace symmetry
