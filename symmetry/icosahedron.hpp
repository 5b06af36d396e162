// The geometry of the icosahedron that the naming of the icosahedral groups needs.
#pragma once

#include "symmetry/operations.hpp"
#include "symmetry/status.hpp"
#include "symmetry/thresholds.hpp"

namespace symmetry {

// The unit vector (u, 0, t) from a five-fold axis towards a nearest three-fold axis of the
// icosahedron, as the eigenvector of the eigenvalue within th.unit_eigenvalue_tolerance of 1 of a
// symmetric matrix (never zero). The diagonaliser's status, or no_unit_eigenvalue when it converged
// without one.
Status ihgen(Axis& v, const Thresholds& th);

} // namespace symmetry
