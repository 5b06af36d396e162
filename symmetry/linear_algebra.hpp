// The small numerical routines of the symmetry search: the Jacobi diagonaliser, normalisation,
// distances, comparisons and the determinant of 3 x 3 matrices.
#pragma once

#include <span>

#include "symmetry/status.hpp"

namespace symmetry {

// Cyclic threshold Jacobi diagonalisation of the n x n symmetric matrix a, packed as its upper
// triangle column by column ((i, j), i <= j, at j (j - 1) / 2 + i). On return the diagonal holds
// the eigenvalues (unsorted) and the columns of v (n x n, set by the caller) are rotated into the
// eigenvectors. Status ok, zero_matrix (a and v left as they are), or no_convergence after 64
// sweeps.
Status erduw(std::span<double> a, std::span<double> v, int n, double eps);

// Normalises the 3-vector v in place and returns its former length in length. Status too_short
// (and v unchanged) when the length is below min_length, else ok.
Status anorm(double* v, double& length, double min_length);

// Euclidean distance between the first m elements of a and b.
double dif(const double* a, const double* b, int m);

// A distance computed as dif computes it rounds to no less than |a_i - b_i| (1 - 2^-51) for every
// component while the squares stay normal: a point farther than distance_reach(d) from another in
// one component is farther than d from it, and one within d of it lies within distance_reach(d)
// in every component.
inline double distance_reach(double d) {
  constexpr double rounding = 1.0e-12;
  constexpr double underflow_floor = 1.0e-150;
  return d * (1.0 + rounding) + underflow_floor;
}

// Determinant of the 3 x 3 column-major matrix a, by cofactors of the first row.
double deter(const double* a);

// True when every |a_i - b_i| <= t for the first m elements (false when any difference is NaN).
bool doof(const double* a, const double* b, int m, double t);

} // namespace symmetry
