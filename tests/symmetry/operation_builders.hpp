// Operations built from their elements, for tests that need exact groups without a molecule.
#pragma once

#include <cmath>

#include "common/vectors.hpp"
#include "symmetry/group.hpp"
#include "symmetry/operations.hpp"

namespace test_support {

using symmetry::Axis;
using symmetry::Operation;

using common::pi;

inline Axis unit(double x, double y, double z) {
  const double r = std::sqrt(x * x + y * y + z * z);
  return {x / r, y / r, z / r};
}

// Rotation by angle about the unit axis n (right-hand sense).
inline Operation rotation(const Axis& n, double angle) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  const double skew[9] = {0.0, n[2], -n[1], -n[2], 0.0, n[0], n[1], -n[0], 0.0};
  Operation r{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      r[i + 3 * j] = (i == j ? c : 0.0) + (1.0 - c) * n[i] * n[j] + s * skew[i + 3 * j];
    }
  }
  return r;
}

// Reflection through the plane with unit normal n.
inline Operation reflection(const Axis& n) {
  Operation r = symmetry::identity_operation;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j)
      r[i + 3 * j] -= 2.0 * n[i] * n[j];
  }
  return r;
}

// Rotation by angle about n followed by the reflection through the plane perpendicular to n.
inline Operation improper(const Axis& n, double angle) {
  Operation r;
  symmetry::mult3(reflection(n), rotation(n, angle), r);
  return r;
}

inline const Operation inversion{-1.0, 0.0, 0.0, 0.0, -1.0, 0.0, 0.0, 0.0, -1.0};
inline const Axis ex{1.0, 0.0, 0.0};
inline const Axis ey{0.0, 1.0, 0.0};
inline const Axis ez{0.0, 0.0, 1.0};

} // namespace test_support
