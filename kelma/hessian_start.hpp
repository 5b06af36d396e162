// The starting inverse Hessian of a $jobtype 1 run. The Cartesian Hessian of a free molecule is
// singular (its translations and rotations have no curvature), so it is inverted on the internal
// motions only: the rigid-body modes are projected out and take the unit matrix, and every
// internal curvature counts with its magnitude, at least curvature_floor. The result is symmetric
// and positive definite, and a small change of the Hessian changes it little.
#pragma once

#include <span>
#include <vector>

namespace kelma {

// Smallest curvature, in magnitude, that the start takes from the Hessian (hartree/bohr^2): about
// that of a stiff torsion, a tenth of a soft bend and a few hundredths of a stretch. Softer modes,
// and the zero and negative curvatures of a geometry far from a minimum, start with steps no
// longer than 1/curvature_floor times their force.
inline constexpr double curvature_floor = 1e-3;

// Smallest row maximum of a Hessian that has any curvature on every coordinate; a row below it
// (an atom that nothing holds) leaves nothing to invert.
inline constexpr double singularity_threshold = 1e-20;

// An orthonormal basis of the rigid-body motions of the atoms at xyz (x, y, z per atom): three
// translations and the rotations about the centroid that move the atoms (three, two for a linear
// molecule, none for one atom). count vectors of 3n, one after the other.
struct RigidModes {
  int count = 0;
  std::vector<double> basis;
};
RigidModes rigid_modes(std::span<const double> xyz);

// What internal_inverse gives back (inverse_found is 0).
enum InverseStatus : int {
  inverse_found = 0,     // b holds the inverse
  inverse_singular = -1, // a row of hess below singularity_threshold, or no Cholesky factor
};

// Fills b (3n x 3n, column by column, exactly symmetric) with the inverse of the Hessian hess on
// the internal motions of the atoms at xyz, curvatures taken by magnitude and raised to
// curvature_floor, plus the unit matrix on the rigid-body motions. hess must be symmetric.
// Leaves b untouched unless it returns inverse_found.
InverseStatus internal_inverse(std::span<const double> hess, std::span<const double> xyz,
                               std::span<double> b);

} // namespace kelma
