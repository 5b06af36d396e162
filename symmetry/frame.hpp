// The molecular frame: centroid, linear and planar test, orthonormal frames, distances and
// shells, and the small numerical routines the element search, the closure and the
// classification share.
#pragma once

#include <span>

namespace symmetry {

inline constexpr double anorm_min_length = 0.001;

// Normalises the 3-vector v in place and returns its former length in length. Status -1 (and v
// unchanged) when the length is below 0.001, else 0.
int anorm(double* v, double& length);

// Euclidean distance between the first m elements of a and b.
double dif(const double* a, const double* b, int m);

// Determinant of the 3 x 3 column-major matrix a, by cofactors of the first row.
double deter(const double* a);

// True when every |a_i - b_i| <= t for the first m elements.
bool doof(const double* a, const double* b, int m, double t);

}  // namespace symmetry
