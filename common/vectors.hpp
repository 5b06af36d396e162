// Small vector and matrix routines on contiguous doubles. Matrices are n x n, column by column.
#pragma once

#include <span>

namespace common {

void dzero(std::span<double> a);
void izero(std::span<int> k);
void cpyvec(std::span<const double> a, std::span<double> b);
void vscal(double s, std::span<double> a);
// Sum of a(i) b(i) in increasing i, starting from zero.
double sprod(std::span<const double> a, std::span<const double> b);
// y = A x: y cleared, then column j adds A(i, j) x(j) to y(i), j increasing.
void matvec(int n, std::span<const double> a, std::span<const double> x, std::span<double> y);
// a = d times the n x n unit matrix.
void setdiagmat(int n, double d, std::span<double> a);
// c = a x b for 3-vectors.
void cross(const double* a, const double* b, double* c);

} // namespace common
