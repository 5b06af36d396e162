// Matrix inversion by LU factorisation with implicit scaled partial pivoting. Matrices are
// n x n, column by column; pivot indices are 1-based row numbers.
#pragma once

#include <span>

namespace kelma {

// Smallest accepted row maximum; also the value that replaces a zero pivot.
inline constexpr double singularity_threshold = 1e-20;

// Factorises a in place into its unit lower and upper factors (Crout order). scale receives the
// reciprocal row maxima, indx the pivot row of every column, parity +1 or -1 by the number of
// row exchanges. Returns 0, or -1 when a row's largest entry is below the threshold (a is then
// untouched).
int lufact(std::span<double> a, int n, std::span<double> scale, std::span<int> indx, int& parity);

// Solves A x = b in place of b, with a and indx as lufact left them.
void lusolve(std::span<const double> a, int n, std::span<const int> indx, std::span<double> b);

// Inverts a into y; a is overwritten by its LU factors, scale and indx are scratch. Returns 0,
// or -1 when a is singular (y untouched).
int matinv(std::span<double> a, int n, std::span<double> scale, std::span<int> indx,
           std::span<double> y);

} // namespace kelma
