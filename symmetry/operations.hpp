// Symmetry operations: 3 x 3 matrices stored column by column, the fixed capacities, the
// matrices of rotations and reflections built from their axes, and the small matrix and direction
// helpers the search, the closure and the orientation share.
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

// c = a b (c must be neither a nor b).
void mult3(const Operation& a, const Operation& b, Operation& c);

// r', the inverse of an orthogonal r.
Operation transpose(const Operation& r);

// The matrix whose rows are e1, e2, e3: the change of coordinates into that frame, as traxyz
// applies it to every atom.
Operation frame_matrix(const double* e1, const double* e2, const double* e3);

// Unit vectors parallel or antiparallel: ||a.b| - 1| < tol.
bool parall(const double* a, const double* b, double tol);
// Unit vectors perpendicular: |a.b| < tol.
bool orthog(const double* a, const double* b, double tol);

} // namespace symmetry
