#include "symmetry/icosahedron.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "common/elementary_functions.hpp"
#include "symmetry/linear_algebra.hpp"

namespace symmetry {

namespace {

// The icosahedral reference direction is (u, 0, t), t = cos 37.38 degrees.
struct IcosahedralDirection {
  double t;
  double u;
};

IcosahedralDirection icosahedral_direction() {
  const double angle = 2.0 * pi / 5.0;
  const double t =
      common::portable::sin(angle) / ((1.0 - common::portable::cos(angle)) * std::sqrt(3.0));
  return {t, std::sqrt(1.0 - t * t)};
}

} // namespace

Status ihgen(Axis& v, const Thresholds& th) {
  const auto [t, u] = icosahedral_direction();
  // (3 a a^T - I) / 2 for a = (u, 0, t), packed upper triangle by columns.
  std::array<double, 6> packed{1.0 - 1.5 * t * t, 0.0, -0.5, 1.5 * t * u, 0.0, 1.0 - 1.5 * u * u};
  Operation vectors = identity_operation;
  const Status status = erduw(packed, vectors, 3, th.jacobi_eps);
  const std::array<int, 3> diagonal{0, 2, 5};
  for (int k = 0; k < 3; ++k) {
    if (std::fabs(packed[diagonal[k]] - 1.0) < th.unit_eigenvalue_tolerance) {
      std::copy_n(vectors.begin() + 3 * k, 3, v.begin());
      return status;
    }
  }
  return status != Status::ok ? status : Status::no_unit_eigenvalue;
}

} // namespace symmetry
