#include "symmetry/snap.hpp"

#include <cmath>
#include <cstddef>

namespace symmetry {

double snap(double v, double t) {
  const double a = std::fabs(v);
  if (a < t)
    return 0.0;
  for (const double exact : {1.0, snap_half, snap_cos30, snap_cos36, snap_cos72}) {
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
