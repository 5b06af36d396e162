// Symmetry operations: 3 x 3 matrices stored column by column, the fixed capacities, and the
// matrices of rotations and reflections built from their axes.
#pragma once

#include <array>

#include "common/keyword_input.hpp"
#include "common/vectors.hpp"

namespace symmetry {

inline constexpr int max_operations = 120;
using common::max_atoms;

using common::pi;

// Element (i, j), 1-based, sits at index (i - 1) + 3 (j - 1).
using Operation = std::array<double, 9>;

inline constexpr Operation identity_operation{1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0};

// A unit direction: rotation axis, improper axis or plane normal.
using Axis = std::array<double, 3>;

// R = cos(phi) (e1 e1' + e2 e2') + sin(phi) (e2 e1' - e1 e2') + sigma e3 e3'.
void gencn(const double* e1, const double* e2, const double* e3, double phi, double sigma,
           Operation& r);

// R = I - 2 n n'.
void gencs(const double* n, Operation& r);

} // namespace symmetry
